// The air side by published correlations, the second air-side method a coil can be rated with:
// the plain-fin Colburn and friction factors of Wang, Chi and Chang, the fin efficiency at the
// actual coefficient by Schmidt's sector method (dry, and on the enthalpy potential for wet fins
// after Threlkeld), the core pressure drop from the same friction factor, the effectiveness of
// one-, two- and three-row counter-crossflow coils, and the range checks that name the
// correlation and the parameter a coil lies outside of.
// Units: m, kg/(m²·s), kW/(m²·K), kW/(m·K), kJ/(kg·K), Pa.
#pragma once

#include "engine/AirSide.h"
#include "engine/PlateFin.h"
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

/// How much larger the air-side area of a wavy fin is than the coil's geometry holds it: a
/// herringbone fin is longer than its projection by secθ, tanθ the wave depth over half a wave,
/// and a pattern whose fin area factor is 1 (a flat fin's) has not counted that. 1 for every other
/// pattern. finShare is Afin/Ao of the geometry; the pattern's wave dimensions must be given.
double WavyAreaRatio(const TAirSideGeometry& g, const TPlateFinPattern& p, double finShare);

/// The published air side of a surface for the air state (field 15 the air mass flow):
/// Wang 2000 for the staggered pattern (in-line tubes take the tube-bank ratio of the standard
/// method, with a range warning), the fin efficiency by Schmidt, dry or, for a saturation slope
/// cs > 0 (kJ/(kg·K)), wet; finShare is Afin/Ao. Louvered and wavy patterns take their own
/// correlations, a wavy fin on its real area (WavyAreaRatio), its coefficient h then referred to
/// the geometry's area. Fills the air result record.
TPublishedAir PublishedAirSide(const TAirSideGeometry& g, double finShare, const TAirState& air, double cs,
                               TAirResult& result);

/// Core pressure drop (Pa, no wet-surface multiplier) of the surface from the friction factor of
/// the same correlation (Kays & London's core equation, as Wang 2000 reduced its data):
/// Δp = G²/(2ρ1)·[(1 + σ²)(ρ1/ρ2 − 1) + f·(Ao/Amin)·ρ1/ρm].
/// finShare is Afin/Ao (a wavy fin's real area is taken, as PublishedAirSide does).
double PublishedCoreDp(const TAirSideGeometry& g, double Ao, double finShare, const TAirState& in,
                       const TAirState& out);

} // namespace zmk
