// The hot water heating coil: a dry coil in which the liquid always gives up heat to the air.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"
#include "units/NumText.h"

#include <cmath>

namespace zmk {

TSolveStatus THotWaterCoil::SolveModel()
{
    static constexpr const char* where = "THotWaterCoil.Solve";
    TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquid& l = liquid();
    TLiquidState& state = *LiquidState;

    SetFouling();
    // Equal temperatures: the air is taken 1 K colder.
    if (WaterCoilStart(-1))
        return Status;
    const double tin = state.GetInletTemp();
    const double dbi = in.db;
    SurfaceCondition = scDry;
    // A fixed temperature drop that would take the liquid below the entering air cannot hold:
    // the leaving temperature is held at the air's and the coil is not rated.
    if (state.ctrl == wcTemp && tin - state.designdt < dbi) {
        state.SetLeavingTemp(dbi);
        state.designdt = tin - state.GetLeavingTemp();
        Reason = "The liquid would leave colder than the air entering: the temperature drop is more than "
                 "the air can take...";
        return TSolveStatus::DataError;
    }
    double hOut = in.h;
    double nextCa = Ca;
    IteratePasses([&] {
        Ca = nextCa;
        Cr = fc::Div(Ca, state.cw, where);
        l.Update();
        CommonCoefficients(where);
        e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor, where);
        Qmax = (tin - dbi) * Ca;
        Qt = fc::Finite(e * Qmax, where);
        state.RemoveHeat(Qt);
        hOut = SensibleAirChange(-Qt, nextCa, where);
        return Qt;
    });
    // Ca over the air's actual change, that of the leaving air below.
    Ca = nextCa;
    out.h = hOut;
    out.w = in.w;
    out = AirState(out, kPairHW);
    Qs = (out.db - dbi) * Ca;
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
    s.air = AirState(s.air, kPairHW);
}

} // namespace zmk
