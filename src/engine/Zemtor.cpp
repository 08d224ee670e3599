// The heat recovery coil: air and a liquid exchange sensible heat across a dry finned surface,
// rated as a counterflow exchanger by the effectiveness-NTU method, repeated until the duty
// settles because the liquid properties follow its leaving temperature.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <cmath>

namespace zmk {

TSolveStatus TZemtor::Solve()
{
    static constexpr const char* where = "TZemtor.Solve";
    TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquidState& state = *LiquidState;
    liquid();

    ActiveSprayFactor = Spray ? SprayFactor : 1.0;
    const double tin = state.GetInletTemp();
    // Equal temperatures count as air heating.
    AirCooling = tin < in.db ? kAirCooling : kAirHeating;
    SurfaceCondition = scDry;
    Status = TSolveStatus::Iterating;
    int k = 0;
    SetFouling();
    while (Status == TSolveStatus::Iterating) {
        Cr = fc::Div(Ca, state.cw, where);
        CommonCoefficients(where);
        e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor, where);
        Qmax = std::fabs(in.db - tin) * Ca;
        const double Qprev = Qt;
        Qt = fc::Finite(e * Qmax, where);
        if (AirCooling == kAirCooling)
            state.AddHeat(Qt);
        else
            state.RemoveHeat(Qt);
        if (std::fabs(Qt - Qprev) < 1e-5)
            Status = TSolveStatus::None;
        if (k > 100)
            Status = TSolveStatus::CountOut;
        ++k;
    }
    const double dT = fc::Div(Qt, Ca, where);
    const double dbOut = AirCooling == kAirCooling ? in.db - dT : in.db + dT;
    out = SetState(out.P, dbOut, in.w, kPairDbW);
    Qs = Qt;
    CheckResults(where);
    return Status;
}

void TZemtor::StepByStep(double& duty)
{
    static constexpr const char* where = "TZemtor.StepByStep";
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
            // Dry balance ho·(ta − ts) = (Ui·Ai/Ao)·(ts − tw).
            const double ts = fc::Div(R * ta + tw, 1 + R, where);
            const double dQ = ho * dAo * (ta - ts);
            duty += dQ;
            tw = fc::Finite(tw - fc::Div(dQ, cw, where), where);
            air.db = fc::Finite(ta - fc::Div(dQ, Ca, where), where);
            StoreStep(i, tw, air.db, ts, air.dewpoint);
        }
        const double err = tw - tin;
        tLeave = fc::Finite(tLeave - 0.7 * err, where);
        if (std::fabs(err) < 1e-5 || pass >= 101)
            break;
    }
    fc::Finite(duty, where);
}

} // namespace zmk
