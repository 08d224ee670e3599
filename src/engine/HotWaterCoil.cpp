// The hot water heating coil: a dry coil in which the liquid always gives up heat to the air.
#include "base/NumText.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

namespace zmk {

TSolveStatus THotWaterCoil::SolveModel()
{
    SetFouling();
    // Equal temperatures: the air is taken 1 K colder.
    if (WaterCoilStart(-1))
        return Status;
    SurfaceCondition = scDry;
    // A fixed temperature drop that would take the liquid below the entering air cannot hold:
    // the leaving temperature is held at the air's and the coil is not rated.
    if (FixedChangeOverrunsAir(false, true))
        return TSolveStatus::DataError;
    const double dbi = airIn().db;
    DryPasses(LiquidState->GetInletTemp() - dbi, false, true, "THotWaterCoil.Solve");
    Qs = (airOut().db - dbi) * Ca;
    return Status;
}

void THotWaterCoil::PrepareDesign(double duty)
{
    PrepareDesignFlow(duty, -6.0, "THotWaterCoil.PrepareDesign");
}

TLiquidCoil::TStepScheme THotWaterCoil::StepScheme() const
{
    return {0.618, false, false};
}

void THotWaterCoil::StepSlice(TStepSlice& s, const char* where)
{
    // Positive when the surface heats the air.
    const double dQ = ho * s.dAo * (s.ts - s.air.db);
    s.duty += dQ;
    s.tw = fc::Finite(s.tw + fc::Div(dQ, s.cw, where), where);
    s.air.h = fc::Finite(s.air.h + fc::Div(dQ, s.mda, where), where);
    // The slices read only the dry bulb, enthalpy, moisture and dew point.
    PartialAirStateHW(s.air, s.air);
}

} // namespace zmk
