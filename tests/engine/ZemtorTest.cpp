// The heat recovery solver: the default job's energy balance, the duty direction, fouling,
// sprays, the effectiveness factor, repeatability, and zero flows.
#include "CoilJob.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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
    v.control = wcTemp;
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
        for (double w : {0.005, 0.05}) {
            SCOPED_TRACE(std::to_string(dbi) + " °C " + std::to_string(w));
            test::JobValues v = Defaults("zmk");
            v.dbi = dbi;
            v.wai = w;
            auto job = BuildJob(v);
            TLiquidCoil& c = *job->coil;
            ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
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
