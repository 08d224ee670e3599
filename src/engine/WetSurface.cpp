// Wet coil surfaces, shared by the chilled water coil and the heat recovery coil: where the
// surface is below the air's dew point, heat and moisture leave the air together, driven by the
// difference between the air's enthalpy and that of saturated air at the surface (Threlkeld,
// Thermal Environmental Engineering, 1970; as effectiveness by Braun, Klein and Mitchell,
// ASHRAE Transactions 95(2), 1989). The section rating, the surface temperature of the dry
// balance, the leaving air on the coil line and the step-by-step slice live here.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace zmk {

TLiquidCoil::TWetSection TLiquidCoil::WetSection(double fraction, double hAir, double hsIn, double cs,
                                                 double airCapacity, const char* where) const
{
    const double mda = DryAirFlow();
    TWetSection s;
    s.Cr = fc::Div(mda * cs, LiquidState->cw, where);
    // As in the dry coefficients, with the liquid's side weighted by cs/cp.
    const TConductances g = DutyConductances(where);
    const double ntuAir = fc::Div(g.air, airCapacity, where);
    const double ntuRatio = fc::Div(ntuAir * LiquidState->cw, g.tube, where);
    s.Ntu = fraction * fc::Div(ntuAir, s.Cr * ntuRatio + 1, where);
    s.e = fc::Finite(EffectivenessFn(s.Ntu, s.Cr) * EffFactor * WetEffFactor, where);
    s.Qmax = (hAir - hsIn) * mda;
    s.Q = fc::Finite(s.e * s.Qmax, where);
    return s;
}

double TLiquidCoil::DrySurfaceTemp(double tAir, double tLiquid, const char* where) const
{
    return fc::Finite(tLiquid + (tAir - tLiquid) * Cr * fc::Div(Ntu, NtuLiquid, where), where);
}

namespace {
// The air leaving on the coil line, as leaving (PartialLeavingState or ThinLeavingState) fills it.
template <typename Leaving>
TAirState coilLineAir(Leaving leaving, const TAirState& inlet, double enthalpyChange, double bypassFactor,
                      double& adp)
{
    TAirState out;
    leaving(out, inlet, enthalpyChange, bypassFactor, adp);
    if (out.rh > 1) {
        // The straight line from a nearly saturated inlet to the apparatus dew point runs above
        // the saturation curve, which bends the other way. The air cannot leave fogged: it leaves
        // saturated with the same enthalpy, the moisture beyond saturation condensed.
        double saturated = adp;
        leaving(out, inlet, enthalpyChange, 0.0, saturated);
    }
    return out;
}
} // namespace

TAirState TLiquidCoil::CoilLineAir(const TAirState& inlet, double enthalpyChange, double bypassFactor,
                                   double& adp, bool full) const
{
    TAirState out = coilLineAir(PartialLeavingState, inlet, enthalpyChange, bypassFactor, adp);
    if (full)
        CompleteAirState(out);
    return out;
}

TAirState ThinCoilLineAir(const TAirState& inlet, double enthalpyChange, double bypassFactor, double& adp,
                          TAdpMemory* memory)
{
    // The memory follows the coil line's own apparatus dew point, not a saturated retry's.
    bool first = true;
    auto leaving = [&](TAirState& out, const TAirState& in, double dh, double bf, double& s) {
        ThinLeavingState(out, in, dh, bf, s, first ? memory : nullptr);
        first = false;
    };
    return coilLineAir(leaving, inlet, enthalpyChange, bypassFactor, adp);
}

void TLiquidCoil::CoolingSlice(TStepSlice& s, const char* where)
{
    TAirState& air = s.air;
    const double cp = air.cp;
    const double h = air.h;
    const double P = air.P;
    const bool wet = !(s.ts > air.dewpoint);
    double dQ;
    double ws = 0;
    if (!wet) {
        dQ = ho * s.dAo * (air.db - s.ts);
    } else {
        if (!s.surface)
            s.surface = std::make_unique<TCoilSurfaceTemp>();
        TCoilSurfaceTemp& surface = *s.surface;
        surface.air = air;
        surface.tw = s.tw;
        surface.ho = ho;
        surface.Ui = Ui;
        surface.dAo = s.dAo;
        surface.dAi = s.dAi;
        s.ts = surface.Solve(s.ts);
        const double hs = SatEnthalpy(P, s.ts);
        ws = SatHumidity(P, s.ts);
        dQ = fc::Div(ho, cp, where) * s.dAo * (h - hs);
    }
    s.duty += dQ;
    s.tw = fc::Finite(s.tw - fc::Div(dQ, s.cw, where), where);
    // The condensate leaves at the surface temperature with its own enthalpy.
    double condensate = 0;
    if (wet) {
        const double dw = fc::Div(fc::Div(ho, cp, where) * s.dAo * (air.w - ws), s.mda, where);
        air.w = fc::Finite(air.w - dw, where);
        condensate = dw * CondensateEnthalpy(s.ts);
    }
    air.h = fc::Finite(h - fc::Div(dQ, s.mda, where) - condensate, where);
    // The slices read only the dry bulb, enthalpy, moisture, dew point and specific heat.
    PartialAirStateHW(air, air);
    if (air.rh > 1) {
        // The air's path toward the surface state can cross the saturation curve; fog does not
        // travel on: the air leaves the slice saturated with its enthalpy, the rest condensed.
        double saturated = s.ts;
        const double ma = air.ma;
        air = LeavingState(air, 0, 0.0, 0.0, saturated);
        air.ma = ma;
    }
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
