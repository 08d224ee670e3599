// The wet-slice balance of the cooling coil's step simulation. Units: °C, kW/(m²·K), m².
#pragma once

#include "engine/Root.h"
#include "properties/Psy.h"

namespace zmk {

/// TLiquidCoil::CoilLineAir's leaving air as a thin state (ThinLeavingState), for loops that read
/// only its moisture content: its w, and its adp, come out as CoilLineAir gives them (to rounding
/// with memory, which carries the apparatus dew point's solve from one call to the next), and
/// CompleteAirState makes it CoilLineAir's full state.
TAirState ThinCoilLineAir(const TAirState& inlet, double enthalpyChange, double bypassFactor, double& adp,
                          TAdpMemory* memory = nullptr);

/// The wet-slice balance of the cooling coil's step simulation: the surface temperature x (°C)
/// at which (ho/cp)·dAo·(h − hs(P, x)) = Ui·dAi·(x − tw). Owns the root finder bound to F.
class TCoilSurfaceTemp
{
public:
    TCoilSurfaceTemp();
    TCoilSurfaceTemp(const TCoilSurfaceTemp&) = delete;
    TCoilSurfaceTemp& operator=(const TCoilSurfaceTemp&) = delete;

    TAirState air;  ///< the slice's entering air
    double tw = 0;  ///< liquid temperature, °C
    double ho = 0;  ///< effective air-side coefficient, kW/(m²·K)
    double Ui = 0;  ///< inside coefficient, kW/(m²·K)
    double dAo = 0; ///< slice outside area, m²
    double dAi = 0; ///< slice inside area, m²
    TRoot Root;     ///< secant solver of F, default limits

    /// The balance residual at surface temperature x, kW.
    double F(double x) const;
    /// Root of F from x0 (°C); used whatever the solver's status.
    double Solve(double x0);
};

} // namespace zmk
