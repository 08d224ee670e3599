// The heat recovery coil: air and a liquid exchange heat across a finned surface, rated as a
// counterflow exchanger by the effectiveness-NTU method, repeated until the duty settles because
// the liquid properties follow its leaving temperature and the air's capacity rate follows its
// temperature change.
//
// Air cooled by a colder liquid condenses where the surface falls below its dew point. The coil
// is then split at the point where the surface reaches the entering dew point: the part toward
// the air inlet stays dry and is rated on the dry-bulb difference, the part toward the air outlet
// is wet and rated on the enthalpy potential (the split-coil method of Braun, Klein and Mitchell,
// ASHRAE Transactions 95(2), 1989). The liquid temperature at the split and the dry fraction
// follow from two nested bracketed searches: the liquid must leave the wet part at the
// temperature it enters the dry part with, and the surface at the split must sit at the dew
// point. A coil with no dry part is wet throughout.
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <algorithm>
#include <cmath>

namespace zmk {

TSolveStatus TZemtor::SolveModel()
{
    static constexpr const char* where = "TZemtor.Solve";
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
    DryPasses(std::fabs(in.db - tin), AirCooling == kAirCooling, false, where);
    Qs = Qt;
    tsAirIn = DrySurfaceTemp(in.db, LiquidState->GetLeavingTemp(), where);
    tsAirOut = DrySurfaceTemp(airOut().db, tin, where);
    // Wet check: the dry surface at the air outlet end is below the entering dew point.
    if (Status == TSolveStatus::None && AirCooling == kAirCooling && tsAirOut < in.dewpoint)
        return condensingPasses();
    return Status;
}

TSolveStatus TZemtor::condensingPasses()
{
    static constexpr const char* where = "TZemtor.Condensing";
    const TAirState& in = airIn();
    TAirState& out = airOut();
    TLiquidState& state = *LiquidState;
    const double tin = state.GetInletTemp();
    const double dbi = in.db;
    const double dew = in.dewpoint;
    const double P = in.P;
    const double mda = DryAirFlow();
    const double hsIn = SatEnthalpy(P, tin);
    // No enthalpy potential toward the liquid: nothing can condense.
    if (!(in.h > hsIn))
        return Status;
    // The liquid where the surface turns wet is colder than saturated air with the entering
    // air's enthalpy: the top of the search for it.
    double tTop = std::min(dbi, psy::BoilingPoint(P) - 1);
    if (SatEnthalpy(P, tTop) > in.h) {
        double lo = tin;
        for (int k = 0; k < 80; ++k) {
            const double mid = (lo + tTop) / 2;
            if (SatEnthalpy(P, mid) > in.h)
                tTop = mid;
            else
                lo = mid;
        }
    }
    if (!(tTop > tin))
        return Status;

    // The two parts for a dry fraction f of the surface and the liquid at tx where they meet.
    struct Split
    {
        double f = 1;     // dry fraction, from the air inlet
        double tx = 0;    // liquid temperature at the split, °C
        double Qd = 0;    // dry part's duty, kW
        double tax = 0;   // air dry bulb at the split, °C
        double hax = 0;   // air enthalpy at the split, kJ/kg dry air
        double cs = 0;    // mean slope of the saturated-air enthalpy over the wet part's liquid range
        double cpWet = 0; // humid specific heat of the air in the wet part
        TWetSection wet;
    };
    auto parts = [&](double f, double tx) {
        Split s;
        s.f = f;
        s.tx = tx;
        const double eDry = fc::Finite(EffectivenessFn(f * Ntu, Cr) * EffFactor, where);
        s.Qd = eDry * Ca * (dbi - tx);
        s.tax = dbi - fc::Div(s.Qd, Ca, where);
        s.hax = in.h - fc::Div(s.Qd, mda, where);
        s.cs = tx - tin > 1e-6 ? (SatEnthalpy(P, tx) - hsIn) / (tx - tin)
                               : (SatEnthalpy(P, tin + 1e-3) - hsIn) / 1e-3;
        // The mean over the air's cooling toward the liquid: hot air's specific heat at its own
        // temperature would overstate the sensible part of the enthalpy potential.
        s.cpWet = s.tax - tin > 1e-6 ? (s.hax - psy::Enthalpy(tin, in.w)) / (s.tax - tin) : psy::HumidCp(tin, in.w);
        s.wet = WetSection(1 - f, s.hax, hsIn, s.cs, mda * s.cpWet, where);
        return s;
    };
    // The share of the wet part's duty that the condensate carries away, from the last pass: the
    // liquid takes up the rest.
    double condensateShare = 0;
    // For a dry fraction f: the liquid leaves the wet part at the temperature it enters the dry
    // part with.
    auto balanced = [&](double f) {
        auto gap = [&](double tx) {
            return tin + fc::Div(parts(f, tx).wet.Q * (1 - condensateShare), state.cw, where) - tx;
        };
        const double gIn = gap(tin);
        if (!(gIn > 0))
            return parts(f, tin);
        const double gTop = gap(tTop);
        if (!(gTop < 0))
            return parts(f, tTop);
        return parts(
            f, BracketedRoot(gap, tin, tTop, gIn, gTop, 1e-11 * (1 + std::fabs(tin) + std::fabs(tTop))));
    };
    // The surface at the split, above the dew point by this much (K).
    auto surfaceAboveDew = [&](const Split& s) { return DrySurfaceTemp(s.tax, s.tx, where) - dew; };
    // The split of a pass: all dry, all wet, or the dry fraction that puts the dew point at the split.
    auto splitOfPass = [&] {
        const Split dry = balanced(1);
        const double dDry = surfaceAboveDew(dry);
        if (!(dDry < 0))
            return dry;
        const Split wet = balanced(0);
        const double dWet = surfaceAboveDew(wet);
        if (!(dWet > 0))
            return wet;
        const double f =
            BracketedRoot([&](double x) { return surfaceAboveDew(balanced(x)); }, 0, 1, dWet, dDry, 1e-13);
        return balanced(f);
    };
    // The air enters the wet part as it leaves the dry part, at the entering moisture content,
    // and gives up the wet part's duty on the enthalpy potential; the liquid takes up that less
    // what the condensate carries away at the apparatus dew point.
    // The passes read only the leaving moisture content: they leave a partial state (no wet bulb,
    // density or transport properties), completed once after them.
    TAirState wetInlet = in;
    auto wetPartAir = [&](const Split& s, bool full) {
        wetInlet.db = s.tax;
        wetInlet.h = s.hax;
        BypassFactor = fc::Exp(-(1 - s.f) * fc::Div(ho * Ao, mda * s.cpWet, where), where);
        out = CoilLineAir(wetInlet, -fc::Div(s.wet.Q, mda, where), BypassFactor, ADP, full);
        return mda * std::max(0.0, in.w - out.w) * CondensateEnthalpy(ADP);
    };

    Split s;
    double nextCa = Ca;
    TDryBulbMark dbSplit; // the air at the split, from pass to pass
    const double airCoefficient = EffectiveHo();
    IteratePasses(
        [&] {
            // Ca is the dry part's: the air's capacity rate over its change there.
            Ca = nextCa;
            Cr = fc::Div(Ca, state.cw, where);
            CommonCoefficients(airCoefficient, where);
            s = splitOfPass();
            double q = s.Qd;
            if (s.f < 1) {
                const double condensate = wetPartAir(s, false);
                condensateShare = s.wet.Q > 0 ? condensate / s.wet.Q : 0;
                q += s.wet.Q - condensate;
            }
            Qt = fc::Finite(q, where);
            state.AddHeat(Qt);
            SensibleAirChange(s.Qd, nextCa, dbSplit, where);
            return Qt;
        },
        [&](double q) {
            // The liquid as the passes leave it for a duty q; the dry part's air
            // capacity and the condensate's share stay the last pass's.
            state.AddHeat(q);
            state.AddHeat(q);
        });
    Ca = nextCa;
    if (!(s.f < 1)) {
        // Dry after all: the leaving air at the entering moisture content.
        out.h = in.h - fc::Div(Qt, mda, where);
        out.w = in.w;
        out = AirState(out, kPairHW);
        Qmax = (dbi - tin) * Ca;
        e = fc::Div(Qt, Qmax, where);
        Qs = Qt;
        return Status;
    }

    SurfaceCondition = s.f > 0 ? scPartWet : scWet;
    // The coefficients of the last pass; the bypass factor and the leaving air are the wet part's.
    wetPartAir(s, true);
    Qmax = (in.h - hsIn) * mda;
    e = fc::Div(Qt, Qmax, where);
    // The sensible part: the air's cooling at its leaving moisture content.
    Qs = mda * (psy::Enthalpy(dbi, out.w) - psy::Enthalpy(out.db, out.w));
    // Wet surface temperatures from the enthalpy balance of the surface.
    const double g = fc::Div(1, fc::Div(Ui * Ai * s.cpWet, ho * Ao, where) + s.cs, where);
    const double tout = state.GetLeavingTemp();
    tsAirOut = fc::Finite(tin + g * (out.h - hsIn), where);
    tsAirIn = s.f > 0 ? DrySurfaceTemp(dbi, tout, where)
                      : fc::Finite(tout + g * (in.h - SatEnthalpy(P, tout)), where);
    return Status;
}

TLiquidCoil::TStepScheme TZemtor::StepScheme() const
{
    return {0.7, false, false};
}

void TZemtor::StepSlice(TStepSlice& s, const char* where)
{
    if (!(s.ts > s.air.dewpoint)) {
        // A surface at or below the air's dew point condenses, as on the cooling coil; the dry
        // slices before kept only the enthalpy and dry bulb up to date.
        PartialAirStateHW(s.air, s.air);
        CoolingSlice(s, where);
        return;
    }
    const double dQ = ho * s.dAo * (s.air.db - s.ts);
    s.duty += dQ;
    s.tw = fc::Finite(s.tw - fc::Div(dQ, s.cw, where), where);
    // Sensible only: the enthalpy moves, the moisture content and so the dew point stay.
    s.air.h = fc::Finite(s.air.h - fc::Div(dQ, s.mda, where), where);
    s.air.db = psy::DryBulbFromEnthalpy(s.air.h, s.air.w);
}

} // namespace zmk
