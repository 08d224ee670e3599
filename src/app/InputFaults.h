// Why a job's coil could not be rated, in the user's terms. When a solve fails on an arithmetic
// fault ("Floating point overflow"), the fault itself says nothing of its cause; the cause is
// nearly always an input no entry field would have let through: a dimension or a flow from a
// project file, or a number of the coil maker catalogue. These checks name that input, where it
// came from, its value and the reason, so that the message blames the right thing.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace zmk {

class TCoilJob;

/// The first of the coil's inputs that lies outside what the program accepts, named as in the
/// files it comes from: "fpi in coil geometry: 1e-308 is below 0.01...", "m in liquid: 0 is below
/// 0.01...", "od of pattern "1/2" of maker "typical" in the coil maker catalogue: 0 mm is not
/// above 0...". The ranges are those of the entry fields (in stored units), the barometric
/// pressure's range of the moist-air formulas, and a pattern's tubes fitting its pitches.
/// Nothing when every input is acceptable, or the job has no coil.
std::optional<std::string> FindInputFault(const TCoilJob& job);

/// The text a failed solve leaves as the job's error: the input fault with the fault's own text
/// after it ("fpi in coil geometry: 1e-308 is below 0.01... (Floating point overflow)"), or the
/// fault's text alone when no input is to blame.
std::string SolveFaultText(const TCoilJob& job, const std::exception& fault);

/// The message a failed solve shows: the title line of `noSolutionMessage` ("No solution
/// found..."), a blank line and the input fault; `noSolutionMessage` whole when no input is to
/// blame.
std::string SolveFaultMessage(const TCoilJob& job, std::string_view noSolutionMessage);

} // namespace zmk
