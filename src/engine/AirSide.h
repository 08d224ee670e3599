// The air side of a coil: the last evaluation of the fin-and-tube correlation and the
// correlation's form. Units: m, kg/(m²·s), kW/(m²·K).
#pragma once

#include "geometry/FinAndTube.h"
#include "properties/Psy.h"

#include <functional>

namespace zmk {

/// The last air-side evaluation of the fin-and-tube correlation.
struct TAirResult
{
    double Dh = 0; ///< characteristic (hydraulic) diameter, m
    double G = 0;  ///< mass velocity in the minimum free-flow area, kg/(m²·s)
    double Re = 0; ///< Reynolds number
    double Pr = 0; ///< Prandtl number
    double Nu = 0; ///< Nusselt number
    double j = 0;  ///< Colburn factor
    double h = 0;  ///< plain coefficient of the staggered pattern, kW/(m²·K)
};

/// Air-side coefficient correlation: plain coefficient (kW/(m²·K)) of a surface for an air state
/// whose field 15 holds the air mass flow; fills the result record.
using TAirCoefFn = std::function<double(const TAirSideGeometry&, const TAirState&, TAirResult&)>;

} // namespace zmk
