// The tube side of a coil: the liquid's flow regime, the last tube-side evaluation and the
// Nusselt correlations. Units: kW/(m²·K).
#pragma once

#include <cstdint>
#include <string>

namespace zmk {

/// Flow regime of the liquid in the tubes.
enum class TTubeRegime : std::uint8_t {
    Laminar,    ///< Re < 2300: thermally developing laminar flow
    Transition, ///< 2300 <= Re < 10000: interpolated between the two
    Turbulent,  ///< Re >= 10000
};
/// "laminar", "transition", "turbulent".
std::string TubeRegimeName(TTubeRegime regime);

/// Reynolds numbers that bound the transition range of tube flow.
constexpr double kLaminarRe = 2300;
constexpr double kTurbulentRe = 10000;

/// The last tube-side evaluation.
struct TTubeResult
{
    double Re = 0;                               ///< Reynolds number
    double Pr = 0;                               ///< Prandtl number
    double Nu = 0;                               ///< mean Nusselt number
    double h = 0;                                ///< coefficient before HiFactor, kW/(m²·K)
    TTubeRegime Regime = TTubeRegime::Turbulent; ///< which correlation gave Nu
};

/// Mean Nusselt number of thermally developing laminar flow in a tube of diameter d over a
/// length L at constant wall temperature (Gnielinski's form); dOverL = d/L, 0 for a long tube.
double LaminarTubeNusselt(double Re, double Pr, double dOverL);
/// Mean Nusselt number of tube flow: 0.026·Re^0.8·Pr^0.4 from Re 10000 up, the laminar form
/// below Re 2300, and between them linear in Re from the laminar value at 2300 to the turbulent
/// one at 10000; regime receives which.
double TubeNusselt(double Re, double Pr, double dOverL, TTubeRegime& regime);

} // namespace zmk
