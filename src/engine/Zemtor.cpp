// The heat recovery coil: air and a liquid exchange sensible heat across a dry finned surface,
// rated as a counterflow exchanger by the effectiveness-NTU method, repeated until the duty
// settles because the liquid properties follow its leaving temperature and the air's capacity
// rate follows its temperature change.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <cmath>

namespace zmk {

TSolveStatus TZemtor::SolveModel()
{
    const TAirState& in = airIn();
    const double tin = LiquidState->GetInletTemp();
    // Equal temperatures count as air heating.
    AirCooling = tin < in.db ? kAirCooling : kAirHeating;
    SurfaceCondition = scDry;
    SetFouling();
    // Under temperature control the leaving temperature is given: beyond the entering air it
    // cannot be reached, so the coil is not rated.
    if (FixedChangeOverrunsAir(AirCooling == kAirCooling, false))
        return TSolveStatus::DataError;
    DryPasses(std::fabs(in.db - tin), AirCooling == kAirCooling, false, "TZemtor.Solve");
    Qs = Qt;
    return Status;
}

TLiquidCoil::TStepScheme TZemtor::StepScheme() const
{
    return {0.7, false, false};
}

void TZemtor::StepSlice(TStepSlice& s, const char* where)
{
    const double dQ = ho * s.dAo * (s.air.db - s.ts);
    s.duty += dQ;
    s.tw = fc::Finite(s.tw - fc::Div(dQ, s.cw, where), where);
    // Sensible only: the enthalpy moves, the moisture content and so the dew point stay.
    s.air.h = fc::Finite(s.air.h - fc::Div(dQ, s.mda, where), where);
    s.air.db = psy::DryBulbFromEnthalpy(s.air.h, s.air.w);
}

} // namespace zmk
