// The hot and cold water coils: the hot coil's equal-temperature case and temperature control,
// the cold coil's dry, wet and part-wet outcomes, its leaving air never above saturation, its
// balance where much moisture condenses, and the design preparation.
#include "CoilJob.h"
#include "RandomJobs.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

TEST(WaterCoilTest, HotWaterCoil)
{
    auto job = BuildJob(Defaults("hwc"));
    TLiquidCoil& c = *job->coil;
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_GT(c.Qt, 10);
    EXPECT_GT(job->out.db, job->in.db);
    EXPECT_LT(job->liquid->tfo, job->liquid->tfi);
    EXPECT_NEAR(c.Qs, (job->out.db - job->in.db) * c.Ca, 1e-9);
    EXPECT_NEAR(c.LiquidState->cw * (job->liquid->tfi - job->liquid->tfo), c.Qt, 2e-3);
    EXPECT_EQ(c.SurfaceCondition, scDry);

    // Air and liquid at the same temperature: the air is taken 1 K colder and heated.
    c.SetAirInDryBulb(60);
    c.SetFaceVelocity(2.7);
    EXPECT_EQ(c.Solve(), TSolveStatus::None);
    EXPECT_DOUBLE_EQ(job->in.db, 59);
    EXPECT_GT(c.Qt, 0);

    // A fixed drop that would take the liquid below the air: held at the air temperature.
    c.LiquidState->ctrl = wcTemp;
    c.LiquidState->designdt = 20;
    c.SetAirInDryBulb(50);
    c.SetFaceVelocity(2.7);
    EXPECT_EQ(c.Solve(), TSolveStatus::DataError);
    // Not solved, and the pages say so: the status is kept with its reason.
    EXPECT_EQ(c.Status, TSolveStatus::DataError);
    EXPECT_NE(c.Reason.find("colder than the air entering"), std::string::npos);
    EXPECT_DOUBLE_EQ(job->liquid->tfo, 50);
    EXPECT_DOUBLE_EQ(c.LiquidState->designdt, 10);
}

TEST(WaterCoilTest, ColdCoilSurfaceConditions)
{
    struct Case
    {
        const char* name;
        double dbi, wai, twi;
        int condition;
    };
    const Case cases[] = {
        {"dry: dew point far below the surface", 24, 0.004, 5, scDry},
        {"wet: humid air on very cold water", 27, 0.018, 2, scWet},
        {"part-wet: the default job", 24, 0.0095, 5, scPartWet},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TAdpDefault::Instance().Reset();
        test::JobValues v = Defaults("cwc");
        v.dbi = k.dbi;
        v.wai = k.wai;
        v.twi = k.twi;
        auto job = BuildJob(v);
        TLiquidCoil& c = *job->coil;
        EXPECT_EQ(c.Solve(), TSolveStatus::None);
        EXPECT_EQ(c.SurfaceCondition, k.condition);
        EXPECT_EQ(c.AirCooling, kAirCooling);
        EXPECT_GT(c.Qt, 1);
        EXPECT_LT(job->out.db, job->in.db);
        EXPECT_LE(job->out.w, job->in.w + 1e-12);
        EXPECT_GT(job->liquid->tfo, job->liquid->tfi);
        EXPECT_LE(c.Qs, c.Qt + 0.01);
        EXPECT_DOUBLE_EQ(TAdpDefault::Instance().Value(), c.ADP);
        if (k.condition == scDry) {
            EXPECT_DOUBLE_EQ(c.ADP, job->in.dewpoint);
            EXPECT_NEAR(c.Qs, c.Qt, 1e-9);
            EXPECT_NEAR(job->out.w, job->in.w, 1e-12);
        } else {
            EXPECT_LT(job->out.w, job->in.w);
            EXPECT_LT(c.ADP, job->in.dewpoint);
        }
    }
}

TEST(WaterCoilTest, PartWetKeepsTheLargerDuty)
{
    // Surface wet toward the air outlet only: the larger of the dry and wet duties stands.
    for (double twi : {5.0, 10.0}) {
        SCOPED_TRACE(twi);
        test::JobValues v = Defaults("cwc");
        v.twi = twi;
        auto job = BuildJob(v);
        auto& c = dynamic_cast<TColdWaterCoil&>(*job->coil);
        EXPECT_EQ(c.Solve(), TSolveStatus::None);
        EXPECT_EQ(c.SurfaceCondition, scPartWet);

        // The two models by hand, from the same start.
        auto byHand = BuildJob(v);
        auto& m = dynamic_cast<TColdWaterCoil&>(*byHand->coil);
        EXPECT_EQ(m.DryModel(), TSolveStatus::None);
        const double dryQt = m.Qt;
        EXPECT_LT(m.tsAirOut, byHand->in.dewpoint);
        EXPECT_EQ(m.WetModel(), TSolveStatus::None);
        EXPECT_EQ(m.SurfaceCondition, scWet);
        EXPECT_GT(m.tsAirIn, byHand->in.dewpoint);
        EXPECT_DOUBLE_EQ(m.ADP, m.tsAirOut);
        const double wetQt = m.Qt;
        // 5 °C water: the wet duty is larger; 10 °C water: the dry one is.
        EXPECT_EQ(twi == 5.0, wetQt > dryQt);
        EXPECT_NEAR(c.Qt, std::max(dryQt, wetQt), 1e-4);
        EXPECT_LT(c.Qs, c.Qt);
    }
}

// The solve works on partial leaving states (wet bulb and transport properties left out) and
// fills them in at its end: whichever way it goes, the leaving air it reports is complete.
TEST(WaterCoilTest, ColdCoilLeavesACompleteAirState)
{
    struct Case
    {
        const char* name;
        double wai, twi;
        bool noFlow;
    };
    const Case cases[] = {
        {"dry", 0.004, 5, false},
        {"wet", 0.018, 2, false},
        {"part-wet, the wet duty kept", 0.0095, 5, false},
        {"part-wet, the dry duty kept", 0.0095, 10, false},
        {"no liquid flow", 0.0095, 5, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        test::JobValues v = Defaults("cwc");
        v.wai = k.wai;
        v.twi = k.twi;
        auto job = BuildJob(v);
        if (k.noFlow)
            job->coil->LiquidState->SetMassFlow(0);
        job->coil->Solve();
        const TAirState& out = job->out;
        const double* f = &out.P;
        for (int i = 0; i < 14; ++i)
            EXPECT_TRUE(std::isfinite(f[i])) << "field " << i + 1;
        // The fields filled at the end are those of the state itself.
        const TAirState again = SetState(out.P, out.db, out.w, kPairDbW);
        EXPECT_NEAR(out.wb, again.wb, 1e-9);
        EXPECT_NEAR(out.dewpoint, again.dewpoint, 1e-9);
        EXPECT_NEAR(out.h, again.h, 1e-9);
        EXPECT_NEAR(out.cp, again.cp, 1e-12);
        EXPECT_NEAR(out.mu, again.mu, 1e-15);
        EXPECT_NEAR(out.rho, again.rho, 1e-12);
    }
}

TEST(WaterCoilTest, NearlySaturatedAirLeavesSaturatedNotFogged)
{
    // Air at 41.4 °C and 93 % rh on water at 4 °C: the straight coil line to the apparatus dew
    // point would leave the air at 144 % rh. The moisture beyond saturation condenses instead.
    test::JobValues v = Defaults("cwc");
    v.dbi = 41.4;
    v.wai = 0.04907;
    v.Rows = 3;
    v.Circ = 4;
    v.twi = 4;
    v.LiquidControl = wcTemp;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    c.SetAirMassFlow(10.907);
    c.LiquidState->designdt = 1.72;
    ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
    EXPECT_EQ(c.SurfaceCondition, scWet);
    const TAirState& in = job->in;
    const TAirState& out = job->out;
    EXPECT_NEAR(out.rh, 1, 1e-6);
    EXPECT_NEAR(out.w, psy::SaturationMoisture(out.P, out.db), 1e-9);
    EXPECT_GT(out.db, c.ADP);
    EXPECT_DOUBLE_EQ(c.MoistureRemoval(), c.DryAirFlow() * (in.w - out.w));
    EXPECT_EQ(test::PhysicalProblem(*job, 0.002), "");
    EXPECT_TRUE(c.Warnings.empty() || c.Warnings[0].kind == TResultWarning::TubeTransition);
}

TEST(WaterCoilTest, ColdCoilBalancesWhereMuchMoistureCondenses)
{
    // Hot, very humid air: the condensate's enthalpy moves the leaving air enough that a few
    // rounds do not settle the balance (and near 0 °C the condensate starts to freeze).
    struct Case
    {
        const char* name;
        test::RandomJob job;
    };
    auto job = [](double dbi, double wai, int control, double dt, double mw, TGeometryValues geometry) {
        test::RandomJob r;
        r.kind = "cwc";
        r.dbi = dbi;
        r.wai = wai;
        r.control = control;
        r.dt = dt;
        r.mw = mw;
        r.geometry = geometry;
        return r;
    };
    const TGeometryValues standard{0.5334, 1.2, 4, 10, 14};
    const Case cases[] = {
        {"310 g/kg at 192 °C", job(191.946, 0.309617, wcTemp, 0.546756, 0.0648605, standard)},
        {"437 g/kg at 578 °C",
         job(578.012, 0.436911, wcFlow, 5.78, 1.2, {0.175862, 0.169891, 13.1532, 0.791313, 4.98778})},
        {"apparatus dew point near freezing",
         job(610.026, 0.0095, wcFlow, 5.78, 1.2, {0.180582, 26.7385, 15.1662, 0.0108391, 6.27822})},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TAdpDefault::Instance().Reset();
        auto j = test::BuildRandomJob(k.job);
        TLiquidCoil& c = *j->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        EXPECT_NE(c.SurfaceCondition, scDry);
        EXPECT_EQ(test::PhysicalProblem(*j, 0.002), "");
        const double mda = c.DryAirFlow();
        const double airDuty = mda * (j->in.h - j->out.h) - c.MoistureRemoval() * CondensateEnthalpy(c.ADP);
        EXPECT_NEAR(airDuty, c.Qt, 1e-6 * c.Qt);
    }
}

TEST(WaterCoilTest, ColdCoilTemperatureControlAndErrors)
{
    test::JobValues v = Defaults("cwc");
    v.LiquidControl = wcTemp;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    c.LiquidState->designdt = 6;
    const TSolveStatus s = c.Solve();
    EXPECT_TRUE(s == TSolveStatus::None || s == TSolveStatus::DataError);
    EXPECT_NEAR(job->liquid->tfo, 11, 1e-9);

    // A rise that would take the water above the air: held at the air temperature.
    c.LiquidState->designdt = 40;
    EXPECT_EQ(c.Solve(), TSolveStatus::DataError);
    EXPECT_DOUBLE_EQ(job->liquid->tfo, job->in.db);
    EXPECT_DOUBLE_EQ(c.LiquidState->designdt, job->in.db - 5);

    // No air flow: an arithmetic error.
    auto job2 = BuildJob(Defaults("cwc"));
    job2->coil->SetAirMassFlow(0);
    EXPECT_THROW(job2->coil->Solve(), EMathError);
}

TEST(WaterCoilTest, PrepareDesignAimsAtTheIdealVelocity)
{
    for (const char* kind : {"hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        test::JobValues v = Defaults(kind);
        v.twi = std::string(kind) == "hwc" ? 80 : 6;
        v.LiquidControl = wcTemp;
        auto job = BuildJob(v);
        TLiquidCoil& c = *job->coil;
        c.PrepareDesign(100);
        const TLiquidState& s = *c.LiquidState;
        EXPECT_EQ(s.ctrl, wcFlow);
        EXPECT_DOUBLE_EQ(s.designdt, 6);
        EXPECT_DOUBLE_EQ(job->liquid->tfo, std::string(kind) == "hwc" ? 74 : 12);
        const TLiquid& l = *job->liquid;
        const double ideal = 100 / (l.Cp * 6) / l.ro / 1.0 / c.TubeGeom.TubeArea;
        EXPECT_NEAR(c.GetCircuits(), std::nearbyint(ideal), 1e-12);
        EXPECT_NEAR(s.GetMassFlow(), c.GetCircuits() * l.ro * 1.0 * c.TubeGeom.TubeArea, 1e-12);
        EXPECT_NEAR(s.vw, 1.0, 1e-9);
        EXPECT_DOUBLE_EQ(s.FlowArea, c.Geometry->GetTubeSide().FlowArea);
    }
}

} // namespace
} // namespace zmk
