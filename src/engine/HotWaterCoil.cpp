// The hot water heating coil: a dry coil in which the liquid always gives up heat to the air.
#include "base/NumText.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <cmath>

namespace zmk {

TSolveStatus THotWaterCoil::Solve()
{
    static constexpr const char* where = "THotWaterCoil.Solve";
    TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquid& l = liquid();
    TLiquidState& state = *LiquidState;

    ActiveSprayFactor = Spray ? SprayFactor : 1.0;
    if (ZeroFlowEntry()) {
        CheckResults(where);
        return Status;
    }
    SetFouling();
    if (state.designdt == 0)
        state.designdt = 6.0;
    const double tin = state.GetInletTemp();
    // Equal temperatures would give no duty at all: the air is taken 1 K colder.
    if (tin == in.db)
        in.db = tin - 1;
    const double dbi = in.db;
    SurfaceCondition = scDry;
    Status = TSolveStatus::Iterating;
    int k = 0;
    while (Status == TSolveStatus::Iterating) {
        Cr = fc::Div(Ca, state.cw, where);
        l.Update();
        CommonCoefficients(where);
        e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor, where);
        Qmax = (tin - dbi) * Ca;
        const double Qprev = Qt;
        Qt = fc::Finite(e * Qmax, where);
        state.RemoveHeat(Qt);
        if (std::fabs(Qt - Qprev) < 1e-5)
            Status = TSolveStatus::None;
        if (k > 100)
            Status = TSolveStatus::CountOut;
        ++k;
    }
    out.h = in.h + fc::Div(Qt, ma, where);
    out.db = dbi + fc::Div(Qt, Ca, where);
    out = AirState(out, kPairDbH);
    Qs = (out.db - dbi) * Ca;
    TSolveStatus result = Status;
    // A fixed temperature drop that would take the liquid below the entering air cannot hold.
    if (state.ctrl == wcTemp && state.GetLeavingTemp() < dbi) {
        state.SetLeavingTemp(dbi);
        state.designdt = tin - state.GetLeavingTemp();
        result = TSolveStatus::DataError;
    }
    CheckResults(where);
    return result;
}

void THotWaterCoil::PrepareDesign(double duty)
{
    PrepareDesignFlow(duty, -6.0, "THotWaterCoil.PrepareDesign");
}

void THotWaterCoil::StepByStep(double& duty)
{
    static constexpr const char* where = "THotWaterCoil.StepByStep";
    const TAirState& in = airIn();
    const TLiquidState& state = *LiquidState;
    PrepareStepMatrix();
    const double tin = state.GetInletTemp();
    double tLeave = state.GetLeavingTemp();
    const double R = ConductanceRatio;
    const double cw = state.cw;
    const double dAo = Ao / kStepCount;
    duty = 0;
    for (int pass = 0;; ++pass) {
        TAirState air = in;
        double tw = tLeave;
        duty = 0;
        for (int i = 0; i < kStepCount; ++i) {
            const double ta = air.db;
            const double ts = fc::Div(R * ta + tw, 1 + R, where);
            // Positive when the surface heats the air.
            const double dQ = ho * dAo * (ts - ta);
            duty += dQ;
            tw = fc::Finite(tw + fc::Div(dQ, cw, where), where);
            air.h = fc::Finite(air.h + fc::Div(dQ, ma, where), where);
            air = AirState(air, kPairHW);
            StoreStep(i, tw, air.db, ts, air.dewpoint);
        }
        const double err = tw - tin;
        tLeave = fc::Finite(tLeave - 0.618 * err, where);
        if (std::fabs(err) < 1e-5 || pass >= 101)
            break;
    }
    fc::Finite(duty, where);
}

} // namespace zmk
