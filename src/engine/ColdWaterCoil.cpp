// The chilled water cooling coil. A dry model (sensible cooling on the dry-bulb difference) runs
// first; when the surface at the air outlet end falls below the entering dew point a wet model
// on the enthalpy potential takes over, and a surface that is wet only in part keeps whichever
// of the two duties is the larger. The leaving state then follows the coil line through the
// apparatus dew point.
#include "base/NumText.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <cmath>

namespace zmk {

TSolveStatus TColdWaterCoil::DryModel()
{
    static constexpr const char* where = "TColdWaterCoil.DryModel";
    const TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquidState& state = *LiquidState;
    SurfaceCondition = scDry;
    Status = TSolveStatus::Iterating;
    SetFouling();
    const double tin = state.GetInletTemp();
    const double dbi = in.db;
    int k = 0;
    while (Status == TSolveStatus::Iterating) {
        Cr = fc::Div(Ca, state.cw, where);
        CommonCoefficients(where);
        e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor, where);
        Qmax = (dbi - tin) * Ca;
        const double Qprev = Qt;
        Qt = fc::Finite(e * Qmax, where);
        state.AddHeat(Qt);
        if (std::fabs(Qt - Qprev) < 1e-5)
            Status = TSolveStatus::None;
        if (k > 100)
            Status = TSolveStatus::CountOut;
        ++k;
    }
    out.h = in.h - fc::Div(Qt, ma, where);
    out.db = dbi - fc::Div(Qt, Ca, where);
    out = AirState(out, kPairDbH);
    Qs = (dbi - out.db) * Ca;
    tsAirOut = fc::Finite(tin + (out.db - tin) * Cr * fc::Div(Ntu, NtuLiquid, where), where);
    ADP = in.dewpoint;
    return Status;
}

TSolveStatus TColdWaterCoil::WetModel()
{
    static constexpr const char* where = "TColdWaterCoil.WetModel";
    const TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquidState& state = *LiquidState;
    SetFouling();
    SurfaceCondition = scWet;
    const double tin = state.GetInletTemp();
    const double dbi = in.db;
    const double hsIn = SatEnthalpy(in.P, tin);
    double hsOut = SatEnthalpy(out.P, state.GetLeavingTemp());
    Status = TSolveStatus::Iterating;
    int k = 0;
    while (Status == TSolveStatus::Iterating) {
        // Mean slope of the saturation enthalpy over the liquid's range.
        const double cs = fc::Div(hsIn - hsOut, tin - state.GetLeavingTemp(), where);
        Cr = fc::Div(ma * cs, state.cw, where);
        CommonCoefficients(where);
        e = fc::Finite(EffectivenessFn(Ntu, Cr) * EffFactor * WetEffFactor, where);
        Qmax = (in.h - hsIn) * ma;
        const double Qprev = Qt;
        Qt = fc::Finite(e * Qmax, where);
        state.AddHeat(Qt);
        hsOut = SatEnthalpy(out.P, state.GetLeavingTemp());
        if (std::fabs(Qt - Qprev) < 1e-5)
            Status = TSolveStatus::None;
        if (k > 100)
            Status = TSolveStatus::CountOut;
        ++k;
    }
    out.h = in.h - fc::Div(Qt, ma, where);
    Qs = 0.7 * Qt;
    out.db = dbi - fc::Div(Qs, Ca, where);
    out = AirState(out, kPairDbH);
    const double g = fc::Div(ma, state.cw, where) * fc::Div(Ntu, NtuLiquid, where);
    tsAirIn = fc::Finite(state.GetLeavingTemp() + g * (in.h - hsOut), where);
    tsAirOut = fc::Finite(tin + g * (out.h - hsIn), where);
    ADP = tsAirOut;
    return Status;
}

TSolveStatus TColdWaterCoil::Solve()
{
    static constexpr const char* where = "TColdWaterCoil.Solve";
    TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquid& l = liquid();
    TLiquidState& state = *LiquidState;

    ActiveSprayFactor = Spray ? SprayFactor : 1.0;
    if (ZeroFlowEntry()) {
        CheckResults(where);
        return Status;
    }
    if (state.designdt == 0)
        state.designdt = 6.0;
    const double tin = state.GetInletTemp();
    // Equal temperatures would give no duty at all: the air is taken 1 K warmer.
    if (tin == in.db)
        in.db = tin + 1;
    const double dbi = in.db;
    const double hi_a = in.h;
    const double wi = in.w;

    TSolveStatus status = DryModel();
    if (status != TSolveStatus::None) {
        CheckResults(where);
        return status;
    }

    // Wet check: the dry surface at the air outlet end is below the entering dew point.
    if (tsAirOut < in.dewpoint && in.dewpoint > 0) {
        const double dryQt = Qt;
        const TAirState dryOut = out;
        const double dryM = l.m;
        const double dryTout = state.GetLeavingTemp();
        const double dryCw = state.cw;
        const double dryCa = Ca;
        status = WetModel();
        if (NoFlowCheck() && state.ctrl == wcTemp) {
            state.SetVelocity(1.0);
            status = DryModel();
        } else if (tsAirIn > in.dewpoint) {
            // Wet only toward the air outlet: keep the larger of the two duties.
            if (dryQt > Qt) {
                Qt = dryQt;
                out = dryOut;
                l.m = dryM;
                state.SetLeavingTemp(dryTout);
                state.cw = dryCw;
                Ca = dryCa;
                status = DryModel();
            }
            SurfaceCondition = scPartWet;
        }
    }

    if (out.db < out.wb)
        out.db = out.wb;
    if (tin > ADP)
        ADP = tin + 2;
    out = LeavingState(in, 0, -fc::Div(Qt, ma, where), BypassFactor, ADP);

    const double dewIn = in.dewpoint;
    auto bypassFromDewPoint = [&] {
        ADP = dewIn;
        BypassFactor = fc::Div(out.db - ADP, dbi - ADP, where);
    };
    if (ADP > dewIn) {
        // The coil line does not reach below the entering dew point: the coil is dry after all.
        if ((dbi - dewIn) * Ca < Qt) {
            Qt = 0.95 * Ca * (dbi - dewIn);
            state.SetMassFlow(fc::Div(Qt, l.Cp * state.designdt, where));
        }
        out.db = dbi - fc::Div(Qt, Ca, where);
        out.w = wi;
        out = AirState(out, kPairDbW);
        bypassFromDewPoint();
    }
    Qs = (dbi - out.db) * Ca;
    if (Qs - Qt > 0.01) {
        Qs = Qt;
        out.h = hi_a - fc::Div(Qt, ma, where);
        out.w = wi;
        out = AirState(out, kPairHW);
        bypassFromDewPoint();
    }

    TSolveStatus result = status;
    // A fixed temperature rise that would take the liquid above the entering air cannot hold.
    if (state.ctrl == wcTemp && state.GetLeavingTemp() > dbi) {
        state.SetLeavingTemp(dbi);
        state.designdt = state.GetLeavingTemp() - tin;
        result = TSolveStatus::DataError;
    }
    CheckResults(where);
    TAdpDefault::Instance().Store(ADP);
    AirCooling = tin < state.GetLeavingTemp() ? kAirCooling : kAirHeating;
    return result;
}

void TColdWaterCoil::PrepareDesign(double duty)
{
    PrepareDesignFlow(duty, +6.0, "TColdWaterCoil.PrepareDesign");
}

void TColdWaterCoil::StepByStep(double& duty)
{
    static constexpr const char* where = "TColdWaterCoil.StepByStep";
    const TAirState& in = airIn();
    const TLiquidState& state = *LiquidState;
    PrepareStepMatrix();
    const double tin = state.GetInletTemp();
    double tLeave = state.GetLeavingTemp();
    const double R = ConductanceRatio;
    const double cw = state.cw;
    const double dAo = Ao / kStepCount;
    const double dAi = Ai / kStepCount;
    TCoilSurfaceTemp surface;
    duty = 0;
    for (int pass = 0;; ++pass) {
        TAirState air = in;
        double tw = tLeave;
        duty = 0;
        for (int i = 0; i < kStepCount; ++i) {
            const double ta = air.db;
            const double cp = air.cp;
            const double h = air.h;
            const double P = air.P;
            double ts = fc::Div(R * ta + tw, 1 + R, where);
            double dQ;
            const bool wet = !(ts > air.dewpoint);
            double ws = 0;
            if (!wet) {
                dQ = ho * dAo * (ta - ts);
            } else {
                surface.air = air;
                surface.tw = tw;
                surface.ho = ho;
                surface.Ui = Ui;
                surface.dAo = dAo;
                surface.dAi = dAi;
                ts = surface.Solve(ts);
                const double hs = SatEnthalpy(P, ts);
                ws = SatHumidity(P, ts);
                dQ = fc::Div(ho, cp, where) * dAo * (h - hs);
            }
            duty += dQ;
            tw = fc::Finite(tw - fc::Div(dQ, cw, where), where);
            if (wet) {
                const double dw = fc::Div(ho, cp, where) * dAo * (air.w - ws);
                air.w = fc::Finite(air.w - fc::Div(dw, ma, where), where);
            }
            air.h = fc::Finite(h - fc::Div(dQ, ma, where), where);
            air = AirState(air, kPairHW);
            StoreStep(i, tw, air.db, ts, air.dewpoint);
        }
        const double err = tw - tin;
        tLeave = fc::Finite(tLeave - 0.1 * err, where);
        if (tLeave < tin + 0.1)
            tLeave = tin + 0.1;
        if (tLeave > in.db - 0.5)
            tLeave = in.db - 0.5;
        if (std::fabs(err) <= 1e-5 || pass >= 101)
            break;
    }
    fc::Finite(duty, where);
}

// ---- Wet-slice surface temperature ----

TCoilSurfaceTemp::TCoilSurfaceTemp() : Root([this](double x) { return F(x); }) {}

double TCoilSurfaceTemp::F(double x) const
{
    static constexpr const char* where = "TCoilSurfaceTemp.F";
    return fc::Finite(
        fc::Div(ho, air.cp, where) * dAo * (air.h - SatEnthalpy(air.P, x)) - Ui * dAi * (x - tw), where);
}

double TCoilSurfaceTemp::Solve(double x0)
{
    return Root.Solve(x0);
}

} // namespace zmk
