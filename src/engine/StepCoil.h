// A step-by-step run from values: the coil rated from the inputs as RateCoil rates it, then its
// temperature profile along the air path. Like RateCoil it keeps nothing between calls.
#pragma once

#include "engine/RateCoil.h"

#include <string>
#include <vector>

namespace zmk {

/// What one step-by-step run gives.
struct TStepRun
{
    TCoilResult Rating; ///< the solve the run starts from
    /// Whether the profile was run: only on a rating that solved, and without an error.
    bool Ran = false;
    std::string Error; ///< what an error raised by the run said
    double Duty = 0;   ///< the sum of the slice duties, kW
    /// 4 rows (liquid, air dry bulb, surface, air dew point) of 100 slices from the air inlet, °C.
    std::vector<std::vector<double>> Matrix;
};

/// Rates the coil from the inputs and, when it solves, runs the step-by-step profile. Errors do
/// not escape: they end in Rating.Error or Error.
TStepRun StepCoil(const TCoilInputs& inputs);

} // namespace zmk
