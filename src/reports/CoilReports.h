// The coils' own result sections of the pages: HTML lines appended to a list the caller owns.
// Each kind has its form, chosen here from the coil's class: the heat recovery coil and the
// chilled water coil their own, the hot water coil the liquid coil's. The writers only read,
// print the current fields of an unsolved coil too, and throw ZmkError when the coil is not
// attached to its air states and liquid. Texts from the project or the catalogue are
// HTML-escaped.
#pragma once

#include <string>
#include <vector>

namespace zmk {

class TLiquidCoil;
class TLiquidState;

/// The main report's table.
void WriteCoilReport(TLiquidCoil& c, std::vector<std::string>& lines);
/// The diagnostic page's preformatted block.
void WriteCoilDiagnostics(TLiquidCoil& c, std::vector<std::string>& lines);
/// The thermal summary's preformatted block, its warning and its "status" line.
void WriteCoilThermalSummary(TLiquidCoil& c, std::vector<std::string>& lines);
/// The liquid block of the main report (six table rows: a spacer, the liquid's caption, mass
/// flow, velocity, inlet and leaving temperature). ZmkError without a liquid.
void WriteLiquidRows(const TLiquidState& state, std::vector<std::string>& lines);

} // namespace zmk
