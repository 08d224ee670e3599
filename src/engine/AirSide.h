// The air side of a coil: the last evaluation of the fin-and-tube correlation and the
// correlation's form. Units: m, kg/(m²·s), kW/(m²·K).
#pragma once

#include "geometry/FinAndTube.h"
#include "properties/Psy.h"

#include <functional>
#include <limits>

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

/// A point of the enthalpy-dry bulb relation of air at one moisture content: the enthalpy
/// (kJ/kg dry air), its dry bulb (°C) and the slope there (kJ/(kg·K)); NaN where none is known.
struct TDryBulbMark
{
    double h = std::numeric_limits<double>::quiet_NaN();
    double db = std::numeric_limits<double>::quiet_NaN();
    double cp = std::numeric_limits<double>::quiet_NaN();
};

/// The dry bulb (°C) of air with enthalpy h (kJ/kg dry air) at moisture content w, the root of
/// psy::Enthalpy, to the rounding psy::DryBulbFromEnthalpy gives: by steps along the slope of
/// mark, a point of the same moisture content near the answer (the last pass's), where it is
/// known and the steps settle within a few; by psy::DryBulbFromEnthalpy otherwise. mark becomes
/// the answer's point.
double DryBulbNear(double h, double w, TDryBulbMark& mark);

} // namespace zmk
