// A plate-fin surface as the published correlations read it: its pattern, the Colburn and
// friction factors of Wang and co-workers for plain, louvered and wavy (herringbone) fins, the fin
// efficiency by Schmidt's sector method (dry, and wet on the enthalpy potential) and the ranges
// each correlation was fitted to.
// Units: m, kW/(m²·K), kW/(m·K), kJ/(kg·K).
#pragma once

#include "engine/SolveStatus.h"
#include "geometry/FinAndTube.h"

#include <vector>

namespace zmk {

/// A plate-fin pattern as the correlations read it: pitches and diameters in m.
struct TPlateFinPattern
{
    double Dc = 0;       ///< fin collar diameter, m
    double Pt = 0;       ///< tube pitch across the face, m
    double Pl = 0;       ///< row pitch along the air flow, m
    double Fp = 0;       ///< fin pitch, m
    double tf = 0;       ///< fin thickness, m
    double Dh = 0;       ///< hydraulic diameter 4·Amin·depth/Ao, m
    double Rows = 1;     ///< rows deep
    bool InLine = false; ///< in-line tubes (else staggered)
    TFinType Type = TFinType::Plain;
    double Lp = 0;     ///< louver pitch, m (louvered fins)
    double Lh = 0;     ///< louver height, m (louvered fins)
    double Pd = 0;     ///< wave depth, peak to valley without the fin thickness, m (wavy fins)
    double Xf = 0;     ///< projected length of half a wave, m (wavy fins)
    double AoBare = 0; ///< outside area over the bare tubes' area
};

/// The louver and wave dimensions a pattern does not give, taken when it does not: louvers of
/// 2.4 mm pitch and 1.0 mm height, and waves 1.8 mm deep, four half waves to a row.
inline constexpr double kDefaultLouverPitch = 2.4e-3;
inline constexpr double kDefaultLouverHeight = 1.0e-3;
inline constexpr double kDefaultWaveDepth = 1.8e-3;
inline constexpr int kDefaultHalfWavesPerRow = 4;

/// Colburn and Fanning friction factors of a surface.
struct TSurfaceFactors
{
    double j = 0;
    double f = 0;
};

/// Wang, Chi & Chang, "Heat transfer and friction characteristics of plain fin-and-tube heat
/// exchangers, part II: Correlation", Int. J. Heat Mass Transfer 43 (2000) 2693–2700: j and f
/// of a staggered plain-fin coil at the collar-diameter Reynolds number ReDc.
TSurfaceFactors WangPlainFin(const TPlateFinPattern& p, double ReDc);

/// Wang, Lee, Chang & Lin, "Heat transfer and friction correlation for compact louvered
/// fin-and-tube heat exchangers", Int. J. Heat Mass Transfer 42 (1999) 1945–1956: j and f of a
/// staggered louvered-fin coil at ReDc (its louver pitch and height given).
TSurfaceFactors WangLouveredFin(const TPlateFinPattern& p, double ReDc);

/// Wang, Jang & Chiou, "A heat transfer and friction correlation for wavy fin-and-tube heat
/// exchangers", Int. J. Heat Mass Transfer 42 (1999) 1919–1924: j and f of a staggered
/// herringbone wavy-fin coil on the larger tubes at ReDc (its wave depth and length given).
TSurfaceFactors WangWavyFin(const TPlateFinPattern& p, double ReDc);

/// j and f of the pattern's own surface: WangPlainFin, WangLouveredFin or WangWavyFin.
TSurfaceFactors SurfaceFactors(const TPlateFinPattern& p, double ReDc);

/// Puts the default in place of each louver or wave dimension the pattern's fin type needs and
/// does not give, and returns a remark for each one so taken.
std::vector<TResultWarning> TakeFinDefaults(TPlateFinPattern& p);

/// Fin efficiency of a plate fin on round tubes by Schmidt's sector method (Schmidt, "Heat
/// transfer calculations for extended surfaces", Refrigerating Engineering 57 (1949) 351–357):
/// the hexagonal (staggered) or rectangular (in-line) fin as a circular one of equivalent radius,
/// for coefficient h (kW/(m²·K)) and fin conductivity k (kW/(m·K)).
double SchmidtFinEfficiency(const TPlateFinPattern& p, double h, double k);

/// Efficiency of an annular fin of outer over root radius `ratio` for the fin parameter m times
/// the root radius, by Schmidt's approximation (the straight fin of height r·φ).
double CircularFinEfficiency(double ratio, double mr);

/// Wet-fin efficiency on the enthalpy potential (Threlkeld, Thermal Environmental Engineering,
/// 1970): the dry fin at h·cs/cp, cs the slope of the saturated-air enthalpy at the fin
/// (kJ/(kg·K)) and cp the humid specific heat of the air.
double WetFinEfficiency(const TPlateFinPattern& p, double h, double k, double cs, double cp);

/// The ranges the plain-fin correlation was fitted to, checked for a pattern at ReDc.
std::vector<TResultWarning> PlainFinRangeWarnings(const TPlateFinPattern& p, double ReDc);
/// The ranges of the correlation of the pattern's own fin type, checked at ReDc.
std::vector<TResultWarning> SurfaceRangeWarnings(const TPlateFinPattern& p, double ReDc);

} // namespace zmk
