// The record of one solve as the command line prints it: the rating's result read once from the
// job (engine/RateCoil's TCoilResult), with how the solve ended, and the two forms it is printed
// in, every field as JSON members and the thermal summary as text. Solve, a batch of project
// files and size read their numbers from it.
#pragma once

#include "app/CoilJob.h"
#include "base/JsonWriter.h"
#include "engine/RateCoil.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zmk {
class TCoilJob;
}

namespace zmk::cli {

/// One solve of a job: its result, how it ended and what the summary names it by.
struct TSolveRecord
{
    TCoilResult Result; ///< Kind, Solved and Error filled from the job
    std::string Status; ///< the solve status's name, "Error" when the solve raised one
    std::string Reason; ///< the coil's reason, or the error the solve raised
    TCoilLabels Labels; ///< what the summary names the coil by
    std::vector<std::string> Clamped; ///< the inputs that were brought into range
};

/// The status a record names: the job's last solve status, or "Error" when the solve raised one.
std::string SolveStatusText(const TCoilJob& job);

/// The record of the job's last solve.
TSolveRecord SolveRecordOf(const TCoilJob& job, const std::vector<std::string>& clamped);

/// Writes every input and result field as members of the object open in json. Inputs, and what
/// follows from them alone, are always written; a result is null unless the job solved, since
/// what a failed solve (or an earlier solve) left in the coil is no result of these inputs.
void WriteResultMembers(TJsonWriter& json, const TSolveRecord& record);
/// The record as one JSON object; indent as TJsonWriter takes it.
std::string ResultJson(const TSolveRecord& record, int indent);
/// The thermal summary as text. A job that did not solve shows its inputs, its status and why,
/// and no result.
void PrintThermalSummary(std::ostream& os, const TSolveRecord& record);

} // namespace zmk::cli
