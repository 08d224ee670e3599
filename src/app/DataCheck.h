// The data check: every input of the job with its value, the range its field takes and a plain
// verdict, and the physical checks of the last solve (entering air, leaving temperatures between
// the inlets, the two duties in balance, the liquid within its data, the remarks of the rating).
// The window shows it as a page, `zemtor check` prints it.
#pragma once

#include "app/CoilJob.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

class TCoilJob;

/// How a line of the check came out.
enum class TCheckLevel { Ok, Note, Fault };

/// One line: what is checked, its value, what it should be, and the verdict in words.
struct TCheckLine
{
    std::string Caption;
    std::string Name; ///< the entry field's name, as --set takes it; empty for other lines
    std::string Value;
    std::string Range;
    std::string Verdict;
    TCheckLevel Level = TCheckLevel::Ok;
};

struct TDataCheck
{
    std::string Coil; ///< kind label and model
    bool Solved = false;
    std::string Status; ///< "Solved..." or "Not Solved..." with the reason
    std::vector<TCheckLine> Inputs;
    std::vector<TCheckLine> Results; ///< empty when the job is not solved
    /// The line of an entry field, or nullptr.
    const TCheckLine* Input(std::string_view name) const;
    int Faults() const;
    int Notes() const;
};

/// The check of a job as it stands; values in the units the inputs are stored in.
/// The unit an input is shown in: value shown = (stored − Offset)·Factor as the entry fields
/// convert, with its label.
struct TShownUnit
{
    double Factor = 1;
    double Offset = 0;
    std::string Label;
};
/// The units the inputs are shown in, by field; a field without one is shown in its stored unit.
using TShownUnits = std::array<std::optional<TShownUnit>, kEntryFieldCount>;

TDataCheck MakeDataCheck(const TCoilJob& job, const TShownUnits& units = {});
/// The check as aligned text lines, for the terminal.
std::string DataCheckText(const TDataCheck& check);
/// The check as a page of its own (UTF-8 HTML), with the program's caption in its title.
std::string DataCheckHtml(const TDataCheck& check, const std::string& caption);
/// Writes the page into the report folder as "DataCheck.htm" and returns its path; throws
/// ZmkError when it cannot be written.
std::filesystem::path WriteDataCheckPage(const TDataCheck& check, const std::string& caption,
                                         const std::filesystem::path& reportFolder);

} // namespace zmk
