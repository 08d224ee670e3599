// The heat recovery solver: the default job's energy balance, the duty direction, fouling,
// sprays, the effectiveness factor, repeatability, zero flows, and humid air condensing on a
// surface below its dew point, against a rating worked independently here.
#include "CoilJob.h"
#include "RandomJobs.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

TEST(ZemtorTest, DefaultJobBalancesAirAndLiquid)
{
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_EQ(c.AirCooling, kAirCooling); // 380 °C air, oil at 80 °C
    EXPECT_GT(c.Qt, 50);
    EXPECT_LT(c.Qt, c.Qmax);
    EXPECT_DOUBLE_EQ(c.Qs, c.Qt);
    const double dbi = job->in.db;
    const double dbo = job->out.db;
    const TLiquid& l = *job->liquid;
    // Qt = Ca·(dbi − dbo) = cw·(tfo − tfi) within the convergence tolerance.
    EXPECT_NEAR(c.Ca * (dbi - dbo), c.Qt, 1e-9);
    EXPECT_NEAR(c.LiquidState->cw * (l.tfo - l.tfi), c.Qt, 2e-3);
    EXPECT_LT(dbo, dbi);
    EXPECT_GT(l.tfo, l.tfi);
    EXPECT_LT(l.tfo, dbi);
    // Sensible only: the moisture content is that of the entering air.
    EXPECT_NEAR(job->out.w, job->in.w, 1e-12);
    // Ca is the air's capacity rate over its final change; the last pass's differs by rounding.
    EXPECT_NEAR(c.Qmax, (dbi - l.tfi) * c.Ca, 1e-9 * c.Qmax);
    EXPECT_NEAR(c.e, c.Qt / c.Qmax, 1e-12);
    EXPECT_NEAR(c.Cr, c.Ca / c.LiquidState->cw, 1e-3 * c.Cr);
    EXPECT_NEAR(c.BypassFactor, std::exp(-c.NtuAir), 1e-15);
    EXPECT_NEAR(c.Ntu, c.NtuAir / (c.Cr * c.NtuRatio + 1), 1e-12);
    EXPECT_NEAR(c.ConductanceRatio, c.ho * c.Ao / (c.Ui * c.Ai), 1e-12);
    EXPECT_NEAR(1 / c.Uo, 1.01 / c.ho + c.AoAi / c.Ui + 0.0048, 1e-9);
    EXPECT_DOUBLE_EQ(c.Rf, 0.0048);
    EXPECT_NEAR(c.ho, c.SurfaceEff * c.AirResult.h, 1e-12);
    EXPECT_EQ(c.SurfaceCondition, scDry);

    // A second solve of the unchanged coil gives the same results.
    const double q = c.Qt;
    const double tfo = l.tfo;
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_NEAR(c.Qt, q, 1e-4);
    EXPECT_NEAR(l.tfo, tfo, 1e-4);
}

// ---- An independent rating of a condensing coil ----
//
// The split-coil enthalpy method for counterflow cooling coils (Threlkeld, Thermal Environmental
// Engineering, 1970; Braun, Klein and Mitchell, "Effectiveness models for cooling towers and
// cooling coils", ASHRAE Transactions 95(2), 1989), worked from first principles with the
// psychrometrics of ASHRAE Fundamentals ch. 1 (saturation pressure after IAPWS-IF97, ideal-gas
// enthalpies from Cengel's specific-heat fits). Only the coil's coefficients, areas and flows are
// taken from the program.
namespace hand {

constexpr double kP = 101.325; // kPa

double Bisect(const std::function<double(double)>& f, double lo, double hi)
{
    double flo = f(lo);
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        const double fm = f(mid);
        if ((fm > 0) == (flo > 0)) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
        }
    }
    return (lo + hi) / 2;
}

// Saturation pressure over water, kPa (IAPWS-IF97 region 4).
double Pws(double t)
{
    const double n[] = {0,
                        1167.0521452767,
                        -724213.16703206,
                        -17.073846940092,
                        12020.82470247,
                        -3232555.0322333,
                        14.91510861353,
                        -4823.2657361591,
                        405113.40542057,
                        -0.23855557567849,
                        650.17534844798};
    const double T = t + 273.15;
    const double th = T + n[9] / (T - n[10]);
    const double A = th * th + n[1] * th + n[2];
    const double B = n[3] * th * th + n[4] * th + n[5];
    const double C = n[6] * th * th + n[7] * th + n[8];
    return 1000 * std::pow(2 * C / (-B + std::sqrt(B * B - 4 * A * C)), 4);
}

double Wsat(double t)
{
    return 0.621945 * Pws(t) / (kP - Pws(t));
}

// Sensible enthalpy from 0 °C of an ideal gas with cp = a + bT + cT² + dT³ kJ/(kmol·K), per kg.
double Sensible(double t, double M, double a, double b, double c, double d)
{
    auto H = [&](double T) { return a * T + b * T * T / 2 + c * T * T * T / 3 + d * T * T * T * T / 4; };
    return (H(t + 273.15) - H(273.15)) / M;
}

// Moist air, kJ/kg dry air.
double H(double t, double W)
{
    return Sensible(t, 28.97, 28.11, 0.1967e-2, 0.4802e-5, -1.966e-9) +
           W * (2501 + Sensible(t, 18.015, 32.24, 0.1923e-2, 1.055e-5, -3.595e-9));
}

double Hsat(double t)
{
    return H(t, Wsat(t));
}

// Counterflow effectiveness on the smaller capacity rate.
double Effectiveness(double ntu, double cr)
{
    if (std::fabs(1 - cr) < 1e-9)
        return ntu / (1 + ntu);
    const double E = std::exp(-ntu * (1 - cr));
    return (1 - E) / (1 - cr * E);
}

struct Result
{
    double duty = 0;       // liquid's, kW
    double condensate = 0; // kg/s
    double dryFraction = 0;
    double tOut = 0; // leaving air dry bulb, °C
};

// Air entering at tIn and W, dry-air flow mda (kg/s); liquid entering at tw with capacity rate
// cw (kW/K); air-side conductance hoAo and tube-side UiAi (kW/K).
Result Rate(double tIn, double W, double mda, double tw, double cw, double hoAo, double UiAi)
{
    const double hIn = H(tIn, W);
    const double dew = Bisect([&](double t) { return Wsat(t) - W; }, -20, tIn < 99 ? tIn : 99);
    const double R = hoAo / UiAi;
    struct Parts
    {
        double twx, tx, hx, Qd, Qw, cpWet;
    };
    // The two parts for a dry fraction f, with the liquid at twx where they meet.
    auto parts = [&](double f, double twx) {
        Parts p{twx, tIn, hIn, 0, 0, 0};
        const double UAd = f / (1 / hoAo + 1 / UiAi);
        double cpa = (H(tIn + 0.5, W) - H(tIn - 0.5, W));
        for (int i = 0; i < 4; ++i) {
            const double Ca = mda * cpa;
            const double cmin = std::min(Ca, cw), cmax = std::max(Ca, cw);
            p.Qd = Effectiveness(UAd / cmin, cmin / cmax) * cmin * (tIn - twx);
            p.hx = hIn - p.Qd / mda;
            p.tx = Bisect([&](double t) { return H(t, W) - p.hx; }, twx - 1, tIn + 1);
            if (tIn - p.tx > 1e-9)
                cpa = (hIn - p.hx) / (tIn - p.tx);
        }
        p.cpWet = H(p.tx + 0.5, W) - H(p.tx - 0.5, W);
        const double cs =
            twx - tw > 1e-6 ? (Hsat(twx) - Hsat(tw)) / (twx - tw) : (Hsat(tw + 1e-3) - Hsat(tw)) / 1e-3;
        // The liquid as an "air" stream of cw/cs kg/s on the saturated-air enthalpy.
        const double UAstar = (1 - f) / (p.cpWet / hoAo + cs / UiAi);
        const double cmin = std::min(mda, cw / cs), cmax = std::max(mda, cw / cs);
        p.Qw = Effectiveness(UAstar / cmin, cmin / cmax) * cmin * (p.hx - Hsat(tw));
        return p;
    };
    auto balanced = [&](double f) {
        const double twx = Bisect([&](double x) { return tw + parts(f, x).Qw / cw - x; }, tw, dew);
        return parts(f, twx);
    };
    auto surfaceAboveDew = [&](double f) {
        const Parts p = balanced(f);
        return p.twx + (p.tx - p.twx) * R / (1 + R) - dew;
    };
    Result r;
    r.dryFraction = surfaceAboveDew(0) <= 0 ? 0 : Bisect(surfaceAboveDew, 0, 1);
    const Parts p = balanced(r.dryFraction);
    // The wet part's leaving air through its effective surface state.
    const double ntuAir = (1 - r.dryFraction) * hoAo / (mda * p.cpWet);
    const double hOut = p.hx - p.Qw / mda;
    const double hEff = p.hx - (p.hx - hOut) / (1 - std::exp(-ntuAir));
    const double tEff = Bisect([&](double t) { return Hsat(t) - hEff; }, tw - 5, dew);
    double wOut = Wsat(tEff) + (W - Wsat(tEff)) * std::exp(-ntuAir);
    r.tOut = Bisect([&](double t) { return H(t, wOut) - hOut; }, tw - 5, tIn);
    if (wOut > Wsat(r.tOut)) {
        r.tOut = Bisect([&](double t) { return Hsat(t) - hOut; }, tw - 5, dew);
        wOut = Wsat(r.tOut);
    }
    r.condensate = mda * (W - wOut);
    r.duty = p.Qd + p.Qw - r.condensate * 4.186 * tEff;
    return r;
}

} // namespace hand

// Humid exhaust air at 200 °C and 50 g/kg on an 8-row, 14-fin coil with water entering at 20 °C:
// the surface falls below the air's dew point (40.4 °C) over most of the coil and the moisture
// condenses there.
std::unique_ptr<test::Job> CondensingJob()
{
    test::JobValues v = Defaults("zmk");
    v.dbi = 200;
    v.wai = 0.05;
    v.LiquidSpec = 0;
    v.LiquidCaption = "Water";
    v.twi = 20;
    v.two = 28;
    v.mw = 5;
    v.Rows = 8;
    v.fpi = 14;
    auto job = BuildJob(v);
    job->coil->SetAirMassFlow(0.9312040526560633); // the default job's 2.7 m/s at 380 °C
    return job;
}

TEST(ZemtorTest, HumidAirCondensesBelowItsDewPoint)
{
    auto job = CondensingJob();
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
    const TAirState& in = job->in;
    const TAirState& out = job->out;
    const TLiquid& l = *job->liquid;
    const double mda = c.DryAirFlow();
    EXPECT_EQ(c.SurfaceCondition, scPartWet);
    EXPECT_EQ(c.AirCooling, kAirCooling);

    const hand::Result r = hand::Rate(in.db, in.w, mda, l.tfi, c.LiquidState->cw, c.ho * c.Ao, c.Ui * c.Ai);
    std::printf("hand: %.3f kW, %.5f kg/s, dry fraction %.4f, air out %.2f °C; coil %.3f kW, %.5f kg/s\n",
                r.duty, r.condensate, r.dryFraction, r.tOut, c.Qt, c.MoistureRemoval());
    EXPECT_NEAR(c.Qt, r.duty, 0.02 * r.duty);
    EXPECT_NEAR(c.MoistureRemoval(), r.condensate, 0.05 * r.condensate);
    EXPECT_NEAR(out.db, r.tOut, 1.0);

    // The condensate is the moisture the dry air loses, and the air leaves on or below saturation,
    // no colder than the liquid entering.
    EXPECT_DOUBLE_EQ(c.MoistureRemoval(), mda * (in.w - out.w));
    EXPECT_GT(c.MoistureRemoval(), 0.02);
    EXPECT_LE(out.rh, 1 + 1e-9);
    EXPECT_GE(out.db, l.tfi);
    // The air gives up the liquid's duty plus the condensate's enthalpy at the apparatus dew point.
    const double airDuty = mda * (in.h - out.h) - c.MoistureRemoval() * CondensateEnthalpy(c.ADP);
    const double liquidDuty = l.m * l.Cp * (l.tfo - l.tfi);
    EXPECT_NEAR(airDuty, liquidDuty, 0.002 * liquidDuty);
    EXPECT_NEAR(c.Qt, liquidDuty, 0.002 * liquidDuty);
    // Latent heat on top of the sensible: the sensible part is what the air's cooling carries.
    EXPECT_LT(c.Qs, c.Qt);
    EXPECT_NEAR(c.Qs, mda * (psy::Enthalpy(in.db, out.w) - psy::Enthalpy(out.db, out.w)), 1e-9 * c.Qs);
    // The surface: dry at the hot end, wet at the cold end.
    EXPECT_GT(c.tsAirIn, in.dewpoint);
    EXPECT_LT(c.tsAirOut, in.dewpoint);
    EXPECT_GT(c.tsAirOut, l.tfi);
    EXPECT_GE(c.ADP, l.tfi);
    EXPECT_LT(c.ADP, in.dewpoint);
}

TEST(ZemtorTest, CondensationSetsInSmoothlyAsTheLiquidCools)
{
    // Lowering the water inlet past the point where the outlet-end surface meets the dew point
    // (40.4 °C) turns the coil part-wet, then wet throughout, without a jump in duty.
    auto job = CondensingJob();
    TLiquidCoil& c = *job->coil;
    double previous = 0;
    std::uint8_t condition = scDry;
    int changes = 0;
    for (double twi = 44; twi >= 2; twi -= 0.5) {
        SCOPED_TRACE(twi);
        c.LiquidState->SetInletTemp(twi);
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        EXPECT_EQ(test::PhysicalProblem(*job, 0.002), "");
        if (twi < 44) {
            // Colder water takes more heat, by a few kW per half kelvin at most.
            EXPECT_GT(c.Qt, previous);
            EXPECT_LT(c.Qt - previous, 8);
        }
        if (c.SurfaceCondition != condition) {
            ++changes;
            // Dry, then part-wet, then wet: never back.
            EXPECT_EQ(c.SurfaceCondition, condition == scDry ? scPartWet : scWet);
            condition = c.SurfaceCondition;
        }
        EXPECT_EQ(c.MoistureRemoval() > 0, condition != scDry);
        previous = c.Qt;
    }
    EXPECT_EQ(changes, 2);
}

TEST(ZemtorTest, CondensingCoilsHoldTheirBalance)
{
    struct Case
    {
        const char* name;
        double dbi, wai, twi;
        int control;
        std::uint8_t condition;
    };
    const Case cases[] = {
        {"warm saturated-ish air on cold water, wet throughout", 60, 0.1, 5, wcFlow, scWet},
        {"the same under temperature control", 60, 0.1, 5, wcTemp, scWet},
        {"hot flue gas", 380, 0.15, 30, wcFlow, scPartWet},
        {"frost on a brine-cold surface", 120, 0.02, -20, wcFlow, scPartWet},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto job = CondensingJob();
        TLiquidCoil& c = *job->coil;
        c.SetAirInDryBulb(k.dbi);
        c.SetAirInMoisture(k.wai);
        c.SetAirMassFlow(0.9312040526560633);
        if (k.twi < 0) {
            // 30 % glycol down to -20 °C.
            job->liquid->LiquidSpec = 0;
            job->liquid->WaterAdditive = 1;
            job->liquid->AdditiveVolume = 0.3;
            job->liquid->Update();
        }
        c.LiquidState->SetInletTemp(k.twi);
        c.LiquidState->ctrl = static_cast<std::uint8_t>(k.control);
        c.LiquidState->designdt = 10;
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        EXPECT_EQ(c.SurfaceCondition, k.condition);
        EXPECT_EQ(test::PhysicalProblem(*job, 0.002), "");
        EXPECT_GT(c.MoistureRemoval(), 0);
        EXPECT_LE(job->out.rh, 1 + 1e-9);
        // The passes leave partial states: the leaving air is completed after them.
        const TAirState whole = AirState(job->out, kPairHW);
        for (const auto& [got, want] : {std::pair{job->out.wb, whole.wb}, std::pair{job->out.rho, whole.rho},
                                        std::pair{job->out.v, whole.v}, std::pair{job->out.mu, whole.mu},
                                        std::pair{job->out.k, whole.k}})
            EXPECT_NEAR(got, want, 1e-9 * std::fabs(want));
        if (k.twi < 0) {
            EXPECT_LT(c.ADP, -0.5); // the condensate freezes on the surface
        }
        if (k.control == wcTemp) {
            EXPECT_NEAR(job->liquid->tfo, k.twi + 10, 1e-9);
        }
        // The step-by-step profile agrees with the rating. Its slices credit each condensate
        // drop at the local surface temperature, warmer than the apparatus dew point, so
        // where much condenses its liquid duty is up to a few per cent lower.
        double duty = 0;
        c.StepByStep(duty);
        EXPECT_NEAR(duty, c.Qt, 0.03 * c.Qt);
    }
}

TEST(ZemtorTest, LiquidHotterThanAirHeatsTheAir)
{
    test::JobValues v = Defaults("zmk");
    v.dbi = 20;
    v.twi = 120;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_EQ(c.AirCooling, kAirHeating);
    EXPECT_GT(job->out.db, job->in.db);
    EXPECT_LT(job->liquid->tfo, job->liquid->tfi);
    EXPECT_NEAR(c.Ca * (job->out.db - job->in.db), c.Qt, 1e-9);

    // Equal inlet temperatures: no duty, converged at once.
    c.SetAirInDryBulb(120);
    c.SetFaceVelocity(2.7);
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_NEAR(c.Qt, 0, 1e-12);
    EXPECT_EQ(c.AirCooling, kAirHeating);
}

TEST(ZemtorTest, FoulingSprayAndEffectivenessFactor)
{
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    c.Solve();
    const double q = c.Qt;
    const double uo = c.Uo;
    const double ho = c.ho;

    c.UseFouling = false;
    c.Solve();
    EXPECT_GT(c.Uo, uo);
    EXPECT_NEAR(c.Qt, q, 1e-4);
    EXPECT_EQ(c.Rf, 0);

    c.Spray = true;
    c.Solve();
    EXPECT_DOUBLE_EQ(c.ActiveSprayFactor, 80);
    EXPECT_NEAR(c.ho, 80 * ho, 1e-9);
    EXPECT_GT(c.Qt, q);
    EXPECT_LT(c.Qt, c.Qmax);
    c.Spray = false;
    c.Solve();
    EXPECT_DOUBLE_EQ(c.ActiveSprayFactor, 1);

    // Half the effectiveness: half the plain relation's duty at the last pass's Ntu and Cr.
    c.EffFactor = 0.5;
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_NEAR(c.Qt, 0.5 * CounterflowEffectiveness(c.Ntu, c.Cr) * c.Qmax, 1e-4);
}

TEST(ZemtorTest, ZeroFlowsAreArithmeticErrors)
{
    {
        auto job = BuildJob(Defaults("zmk"));
        job->liquid->m = 0;
        job->coil->LiquidState->SetMassFlow(0);
        EXPECT_THROW(job->coil->Solve(), EMathError);
    }
    {
        auto job = BuildJob(Defaults("zmk"));
        job->coil->SetAirMassFlow(0);
        EXPECT_THROW(job->coil->Solve(), EMathError);
    }
}

TEST(ZemtorTest, TemperatureControlMovesTheFlow)
{
    test::JobValues v = Defaults("zmk");
    v.LiquidControl = wcTemp;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    c.LiquidState->designdt = 60;
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_NEAR(job->liquid->tfo, 140, 1e-12);
    EXPECT_NEAR(c.LiquidState->cw * 60, c.Qt, 2e-3);
    EXPECT_NEAR(c.Ca * (job->in.db - job->out.db), c.Qt, 1e-9);
}

TEST(ZemtorTest, HotAirBalancesOnItsEnthalpy)
{
    // The dry air's enthalpy change carries the duty at exhaust temperatures, where the humid
    // specific heat grows along the air's cooling.
    for (double dbi : {380.0, 600.0, 900.0})
        for (double w : {0.0, 0.005, 0.05}) {
            SCOPED_TRACE(std::to_string(dbi) + " °C " + std::to_string(w));
            test::JobValues v = Defaults("zmk");
            v.dbi = dbi;
            v.wai = w;
            auto job = BuildJob(v);
            TLiquidCoil& c = *job->coil;
            ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
            // Far above the dew point nothing condenses.
            EXPECT_EQ(c.SurfaceCondition, scDry);
            EXPECT_EQ(c.MoistureRemoval(), 0);
            EXPECT_EQ(c.Qs, c.Qt);
            const double mda = c.ma / (1 + w);
            const double airDuty = mda * (psy::Enthalpy(dbi, w) - psy::Enthalpy(job->out.db, job->out.w));
            EXPECT_NEAR(airDuty, c.Qt, 0.002 * c.Qt);
            EXPECT_NEAR(job->out.w, w, 1e-15);
            // Ca is the mean humid specific heat over the change, below the entering one.
            EXPECT_NEAR(c.Ca, c.Qt / (dbi - job->out.db), 1e-9 * c.Ca);
            EXPECT_LT(c.Ca, mda * job->in.cp);
        }
}

TEST(ZemtorTest, EachSolveSettlesOnItsOwnPasses)
{
    // A solve that follows an earlier one under other inputs ends where a fresh coil ends: the
    // first pass is never compared with the earlier solve's duty.
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        const double dt = std::string(kind) == "zmk" ? 40 : 4;
        auto fresh = BuildJob(Defaults(kind));
        fresh->coil->LiquidState->ctrl = wcTemp;
        fresh->coil->LiquidState->designdt = dt;
        ASSERT_EQ(fresh->coil->Solve(), TSolveStatus::None) << fresh->coil->Reason;

        auto reused = BuildJob(Defaults(kind));
        TLiquidCoil& c = *reused->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None);
        const double flowDuty = c.Qt;
        c.LiquidState->ctrl = wcTemp;
        c.LiquidState->designdt = dt;
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        EXPECT_NEAR(c.Qt, fresh->coil->Qt, 1e-6);
        EXPECT_GT(std::fabs(c.Qt - flowDuty), 0.1);
        // The dry models' capacity ratio is that of the final flows (the wet one's is on the
        // saturation enthalpy slope).
        if (c.SurfaceCondition == scDry) {
            EXPECT_NEAR(c.Cr, c.Ca / c.LiquidState->cw, 1e-6 * c.Cr);
        }
    }
}

} // namespace
} // namespace zmk
