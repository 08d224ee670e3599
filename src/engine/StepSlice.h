// What the step-by-step run of a liquid coil carries: the kind's shooting scheme and the state
// passed from one slice of the air path to the next.
#pragma once

#include "properties/Psy.h"

#include <memory>

namespace zmk {

class TCoilSurfaceTemp;

/// How the step-by-step shooting of a kind moves its leaving-temperature estimate.
struct TStepScheme
{
    double Relaxation; ///< factor on the error at the far end
    bool LimitToAir;   ///< hold the estimate in [tin + 0.1, entering dry bulb − 0.5]
    bool Inclusive;    ///< stop at |error| <= 1e-5 K rather than < 1e-5 K
};

/// What one step-by-step pass carries from slice to slice.
struct TStepSlice
{
    TAirState air;   ///< the air entering the slice; the slice step leaves it leaving
    double tw = 0;   ///< liquid temperature at the slice's air-inlet side, then at its outlet side, °C
    double ts = 0;   ///< surface temperature of the slice, °C
    double duty = 0; ///< slice duties so far, kW
    double dAo = 0;  ///< slice outside area, m²
    double dAi = 0;  ///< slice inside area, m²
    double R = 0;    ///< ConductanceRatio
    double cw = 0;   ///< liquid capacity rate, kW/K
    double mda = 0;  ///< dry-air flow, kg/s
    std::unique_ptr<TCoilSurfaceTemp> surface; ///< wet-slice solver, made when first needed
};

} // namespace zmk
