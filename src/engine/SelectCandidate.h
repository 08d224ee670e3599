// One candidate coil of a selection: its pattern and size, and the figures of its rating that
// the selection filters and ranks by.
// Units: m, m², m/s, kW, Pa (air dp), kPa (liquid dp), kg/s, kg, °C.
#pragma once

#include "geometry/CoilMakers.h"

#include <string>

namespace zmk {

/// One candidate coil and its rating.
struct TSelectCandidate
{
    TMnfRec Pattern;    ///< the catalogue pattern (maker in Mnf)
    double fHeight = 0; ///< m
    double fLength = 0; ///< m
    int TubesHigh = 0;
    int Rows = 0;
    double fpi = 0;
    int Circ = 0;
    double Qt = 0;           ///< kW
    double Margin = 0;       ///< duty over the target, %
    double Vf = 0;           ///< face velocity, m/s
    double Va = 0;           ///< air volume flow at entering density it was rated with, m³/s
    double AirDp = 0;        ///< Pa
    double LiquidDp = 0;     ///< kPa
    double TubeVelocity = 0; ///< m/s, as rated
    double AirOut = 0;       ///< leaving air dry bulb, °C
    double LiquidOut = 0;    ///< liquid leaving temperature, °C
    double LiquidFlow = 0;   ///< kg/s
    double Ao = 0;           ///< outside area, m²
    double Weight = 0;       ///< dry weight, kg
    double Cost = 0;         ///< cost index: copper and aluminium weights × their prices
    double Objective = 0;    ///< the objective's value
    /// The size text the job takes ("609.6 x 1200 4r 10f 8c").
    std::string SizeText() const;
};

} // namespace zmk
