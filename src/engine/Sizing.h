// Sizing a coil to a target duty: the six sizing operations by name, a run of one on a coil and
// the check of the sized coil against the target, with the limit that stopped it where one did.
// The fin-and-tube editor and `zemtor size` both size through here.
#pragma once

#include "engine/HeatExchanger.h"
#include "engine/RateCoil.h"

#include <optional>
#include <string>
#include <string_view>

namespace zmk {

/// The coil's six sizing operations.
enum class TAutoSize { FaceArea, Height, Length, Rows, FinDensity, RowsFins };

/// The operation named face, height, length, rows, fins or rowsfins (any case); nothing for
/// another name.
std::optional<TAutoSize> AutoSizeModeOf(std::string_view name);
/// The name AutoSizeModeOf reads.
std::string AutoSizeModeName(TAutoSize mode);
/// What a sizing run came to.
struct TAutoSizeResult
{
    /// None when the sized coil meets the target; the operation's own failure, or DataError,
    /// when it does not.
    TSolveStatus Status = TSolveStatus::None;
    /// Why the target was not met, naming the limit that stopped the sizing where one did
    /// ("Target 250 kW not reached: 6 rows is the most the sizing tries; the coil gives
    /// 105.617 kW..."); empty when it was met.
    std::string Message;
    /// What the coil's sizing operation returned, and its reason.
    TSolveStatus Operation = TSolveStatus::None;
    std::string OperationReason;
    bool Reached() const { return Status == TSolveStatus::None; }
};
/// Runs a sizing operation on the coil for a duty (kW), keeping the coil's air volume flow when
/// keepAirflow is set and letting the operation choose it otherwise, then CheckAutoSize. Errors
/// of the coil's solve reach the caller.
TAutoSizeResult RunAutoSize(TCoil& coil, TAutoSize mode, bool keepAirflow, double duty);
/// Checks the coil as it now stands (rated after the sizing) against the target duty (kW) of a
/// sizing run and sets the result's Status and Message: the target is met when the operation
/// succeeded and the coil gives from 98 % of it on, and more than 102 % of it only where the
/// sizing's steps are coarser, not at the smallest coil it makes.
void CheckAutoSize(const TCoil& coil, TAutoSize mode, double duty, TAutoSizeResult& result);

/// A sizing run from values: the coil built from the inputs, sized, then rated at its new size.
struct TSizeRun
{
    TAutoSizeResult Sizing;
    TCoilResult Rating; ///< the sized coil's rating (Solved false when the build or a solve failed)
    /// The sized coil: fin height and finned length (m), rows, fins per inch, circuits.
    double fHeight = 0, fLength = 0, Rows = 0, fpi = 0, Circ = 0;
};
/// Sizes the coil of the inputs for a duty (kW) as RunAutoSize does on a coil in place, then rates
/// it at the face velocity the sizing left. Errors do not escape: they end in Rating.Error, with
/// Sizing.Status DataError.
TSizeRun SizeCoil(const TCoilInputs& inputs, TAutoSize mode, bool keepAirflow, double duty);

} // namespace zmk
