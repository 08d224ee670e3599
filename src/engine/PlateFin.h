// A plate-fin surface as the published correlations read it: its pattern, the Colburn and
// friction factors of Wang, Chi and Chang, the fin efficiency by Schmidt's sector method (dry,
// and wet on the enthalpy potential) and the ranges the plain-fin correlation was fitted to.
// Units: m, kW/(m²·K), kW/(m·K), kJ/(kg·K).
#pragma once

#include "engine/SolveStatus.h"

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
};

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

} // namespace zmk
