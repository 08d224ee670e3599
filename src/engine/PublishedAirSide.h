// The air side by published correlations, the second air-side method a coil can be rated with:
// the plain-fin Colburn and friction factors of Wang, Chi and Chang, the fin efficiency at the
// actual coefficient by Schmidt's sector method (dry, and on the enthalpy potential for wet fins
// after Threlkeld), the core pressure drop from the same friction factor, the effectiveness of
// one-, two- and three-row counter-crossflow coils, and the range checks that name the
// correlation and the parameter a coil lies outside of.
// Units: m, kg/(m²·s), kW/(m²·K), kW/(m·K), kJ/(kg·K), Pa.
#pragma once

#include "engine/AirSide.h"
#include "engine/SolveStatus.h"
#include "geometry/FinAndTube.h"
#include "properties/Psy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

/// How a coil's air side is rated: the program's own fin-and-tube correlation with its fixed fin
/// efficiency and the counterflow relation (the default), or the published correlations here.
enum class TAirSideMethod : std::uint8_t {
    Standard = 0,
    Published = 1,
};

/// "Standard" or "Published correlations", as the pages show it.
std::string AirSideMethodName(TAirSideMethod method);
/// "standard" or "published": the word of the project file and the command line.
std::string AirSideMethodKey(TAirSideMethod method);
/// The method of a key (any letter case); nothing for another word.
std::optional<TAirSideMethod> AirSideMethodOfKey(std::string_view key);

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

/// Effectiveness of a coil of `rows` rows (counter-crossflow, air unmixed, the liquid mixed
/// between rows) for the air-side transfer units Ntu and Cr = Ca/Cliquid (any size): one, two
/// and three rows by their own relations (ESDU 86018, 1986; also Shah & Sekulić, Fundamentals of
/// Heat Exchanger Design, 2003, Table 3.6), counterflow from four rows; a fraction of a row counts
/// as a whole one.
double RowEffectiveness(double rows, double Ntu, double Cr);

/// One evaluation of the published air side.
struct TPublishedAir
{
    TSurfaceFactors factors;             ///< j and f of the surface
    double h = 0;                        ///< plain coefficient, kW/(m²·K)
    double finEff = 0;                   ///< fin efficiency at h (wet when a slope was given)
    double surfaceEff = 0;               ///< 1 − (Afin/Ao)·(1 − finEff)
    std::vector<TResultWarning> outside; ///< the ranges of the correlation the coil lies outside
};

/// The pattern of a geometry summary.
TPlateFinPattern PatternOf(const TAirSideGeometry& g);

/// The published air side of a surface for the air state (field 15 the air mass flow):
/// Wang 2000 for the staggered pattern (in-line tubes take the tube-bank ratio of the standard
/// method, with a range warning), the fin efficiency by Schmidt, dry or, for a saturation slope
/// cs > 0 (kJ/(kg·K)), wet; finShare is Afin/Ao. Fills the air result record.
TPublishedAir PublishedAirSide(const TAirSideGeometry& g, double finShare, const TAirState& air, double cs,
                               TAirResult& result);

/// Core pressure drop (Pa, no wet-surface multiplier) of the surface from the friction factor of
/// the same correlation (Kays & London's core equation, as Wang 2000 reduced its data):
/// Δp = G²/(2ρ1)·[(1 + σ²)(ρ1/ρ2 − 1) + f·(Ao/Amin)·ρ1/ρm].
double PublishedCoreDp(const TAirSideGeometry& g, double Ao, const TAirState& in, const TAirState& out);

/// The ranges the plain-fin correlation was fitted to, checked for a pattern at ReDc.
std::vector<TResultWarning> PlainFinRangeWarnings(const TPlateFinPattern& p, double ReDc);

} // namespace zmk
