// The coils' own result sections of the pages: HTML lines appended to a list the caller owns.
// Each kind has its form, chosen from the result's kind: the heat recovery coil and the chilled
// water coil their own, the hot water coil the liquid coil's. The sections read a rating's value
// result (RateCoil's, or a coil's as it stands) and the coil's geometry, print the fields of an
// unsolved rating too, and the coil forms throw ZmkError when the coil is not attached to its air
// states and liquid. Texts from the project or the catalogue are HTML-escaped.
#pragma once

#include <string>
#include <vector>

namespace zmk {

class TFinAndTube;
class TLiquidCoil;
class TLiquidState;
struct TCoilResult;

/// The main report's table.
void WriteCoilReport(const TCoilResult& r, const TFinAndTube& g, std::vector<std::string>& lines);
/// The diagnostic page's preformatted block.
void WriteCoilDiagnostics(const TCoilResult& r, const TFinAndTube& g, std::vector<std::string>& lines);
/// The thermal summary's preformatted block, its warnings and its "status" line.
void WriteCoilThermalSummary(const TCoilResult& r, std::vector<std::string>& lines);

/// The same sections of a coil, from its result as it stands.
void WriteCoilReport(const TLiquidCoil& c, std::vector<std::string>& lines);
void WriteCoilDiagnostics(const TLiquidCoil& c, std::vector<std::string>& lines);
void WriteCoilThermalSummary(const TLiquidCoil& c, std::vector<std::string>& lines);

/// The liquid block of the main report (six table rows: a spacer, the liquid's caption, mass
/// flow, velocity, inlet and leaving temperature). ZmkError without a liquid.
void WriteLiquidRows(const TLiquidState& state, std::vector<std::string>& lines);

} // namespace zmk
