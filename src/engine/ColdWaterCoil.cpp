// The chilled water cooling coil. A dry model (sensible cooling on the dry-bulb difference) runs
// first; when the surface at the air outlet end falls below the entering dew point a wet model
// on the enthalpy potential takes over, and a surface that is wet only in part keeps whichever
// of the two duties is the larger. The leaving state then follows the coil line through the
// apparatus dew point, and leaves saturated where that line would pass the saturation curve.
#include "base/NumText.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <cmath>

namespace zmk {

TSolveStatus TColdWaterCoil::DryModel()
{
    static constexpr const char* where = "TColdWaterCoil.DryModel";
    const TAirState& in = airIn();
    const TAirState& out = airOut();
    SurfaceCondition = scDry;
    SetFouling();
    const double tin = LiquidState->GetInletTemp();
    const double dbi = in.db;
    // The solve puts the leaving air on the coil line afterwards: what it reads of this one is
    // its dry bulb.
    DryPasses(dbi - tin, true, false, where, false);
    Qs = (dbi - out.db) * Ca;
    tsAirOut = DrySurfaceTemp(out.db, tin, where);
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
    const double mda = DryAirFlow();
    const double hsIn = SatEnthalpy(in.P, tin);
    double hsOut = SatEnthalpy(out.P, state.GetLeavingTemp());
    const double airCoefficient = EffectiveHo(true);
    IteratePasses(
        [&] {
            // Mean slope of the saturation enthalpy over the liquid's range.
            const double cs = fc::Div(hsIn - hsOut, tin - state.GetLeavingTemp(), where);
            Cr = fc::Div(mda * cs, state.cw, where);
            CommonCoefficients(airCoefficient, where);
            const TWetSection wet = WetSection(1.0, in.h, hsIn, cs, Ca, where);
            e = wet.e;
            Qmax = wet.Qmax;
            Qt = wet.Q;
            state.AddHeat(Qt);
            hsOut = SatEnthalpy(out.P, state.GetLeavingTemp());
            return Qt;
        },
        [&](double q) {
            // Twice, as in the dry passes.
            state.AddHeat(q);
            state.AddHeat(q);
            hsOut = SatEnthalpy(out.P, state.GetLeavingTemp());
        });
    out.h = in.h - fc::Div(Qt, mda, where);
    Qs = 0.7 * Qt;
    out.db = dbi - fc::Div(Qs, Ca, where);
    PartialAirState(out, out, kPairDbH);
    const double g = fc::Div(mda, state.cw, where) * fc::Div(Ntu, NtuLiquid, where);
    tsAirIn = fc::Finite(state.GetLeavingTemp() + g * (in.h - hsOut), where);
    tsAirOut = fc::Finite(tin + g * (out.h - hsIn), where);
    ADP = tsAirOut;
    return Status;
}

TSolveStatus TColdWaterCoil::SolveModel()
{
    static constexpr const char* where = "TColdWaterCoil.Solve";
    TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquid& l = liquid();
    TLiquidState& state = *LiquidState;

    // Equal temperatures: the air is taken 1 K warmer.
    if (WaterCoilStart(+1))
        return Status;
    const double tin = state.GetInletTemp();
    const double dbi = in.db;
    const double hi_a = in.h;
    const double wi = in.w;
    const double mda = DryAirFlow();

    // A fixed temperature rise that would take the liquid above the entering air cannot hold:
    // the leaving temperature is held at the air's and the coil is not rated.
    if (FixedChangeOverrunsAir(true, true))
        return TSolveStatus::DataError;

    TSolveStatus status = DryModel();
    if (status != TSolveStatus::None) {
        CompleteAirState(out);
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

    if (tin > ADP)
        ADP = tin + 2;
    // The condensate leaves at the apparatus dew point and carries its own enthalpy, so the air
    // gives up the liquid's duty plus that: a few rounds settle the moisture it loses.
    const double adpStart = ADP;
    const double liquidDh = fc::Div(Qt, mda, where);
    // The enthalpy the air gives up (kJ/kg) when it leaves dh below the entering air. The rounds
    // read only the leaving moisture: the rest of the state is filled in once, after them.
    // Each round's apparatus dew point starts from the last one's: by the Newton step from the
    // last point its solve evaluated, which costs no evaluation (a bypass factor of 1 leaves it at
    // adpStart).
    double lastAdp = adpStart;
    TAdpMemory adpMemory;
    auto airGivesUp = [&](double dh) {
        ADP = lastAdp;
        out = ThinCoilLineAir(in, -dh, BypassFactor, ADP, &adpMemory);
        lastAdp = ADP;
        return liquidDh + std::max(0.0, wi - out.w) * CondensateEnthalpy(ADP);
    };
    double tried = liquidDh;
    double dh = tried;
    for (int round = 0; round < 4; ++round) {
        tried = dh;
        dh = airGivesUp(tried);
        // Where the coil line condenses nothing the first round gives back what it was given:
        // the rounds after it would only solve the same line again.
        if (dh == tried)
            break;
    }
    // Where much moisture condenses the rounds swing about the balance, narrowing slowly: they go
    // on until two bracket it, and a bracketed search ends there.
    if (!(std::fabs(dh - tried) <= 1e-7 * (1 + std::fabs(dh)))) {
        const double tol = 1e-12 * (1 + std::fabs(dh));
        for (int round = 0; round < 100 && !(std::fabs(dh - tried) <= tol); ++round) {
            const double next = airGivesUp(dh);
            if ((next - dh > 0) != (dh - tried > 0)) {
                airGivesUp(BracketedRoot([&](double x) { return airGivesUp(x) - x; }, tried, dh, dh - tried,
                                         next - dh, tol));
                break;
            }
            tried = dh;
            dh = next;
        }
    }
    const double dewIn = in.dewpoint;
    auto bypassFromDewPoint = [&] {
        ADP = dewIn;
        BypassFactor = fc::Div(out.db - ADP, dbi - ADP, where);
    };
    // A dry coil after all: the leaving air at the entering moisture content, from the enthalpy
    // balance, a full state in place of the coil line's partial one.
    bool complete = false;
    auto dryLeavingAir = [&] {
        out.h = hi_a - fc::Div(Qt, mda, where);
        out.w = wi;
        out = AirState(out, kPairHW);
        complete = true;
        bypassFromDewPoint();
    };
    if (ADP > dewIn) {
        // The coil line does not reach below the entering dew point: the coil is dry after all.
        if ((dbi - dewIn) * Ca < Qt) {
            Qt = 0.95 * Ca * (dbi - dewIn);
            state.SetMassFlow(fc::Div(Qt, l.Cp * state.designdt, where));
        }
        dryLeavingAir();
    }
    Qs = (dbi - out.db) * Ca;
    if (Qs - Qt > 0.01) {
        Qs = Qt;
        dryLeavingAir();
    }
    // The leaving air on the coil line is completed once, where it stays.
    if (!complete)
        CompleteAirState(out);

    TAdpDefault::Instance().Store(ADP);
    AirCooling = tin < state.GetLeavingTemp() ? kAirCooling : kAirHeating;
    return status;
}

void TColdWaterCoil::PrepareDesign(double duty)
{
    PrepareDesignFlow(duty, +6.0, "TColdWaterCoil.PrepareDesign");
}

TLiquidCoil::TStepScheme TColdWaterCoil::StepScheme() const
{
    return {0.1, true, true};
}

void TColdWaterCoil::StepSlice(TStepSlice& s, const char* where)
{
    CoolingSlice(s, where);
}

} // namespace zmk
