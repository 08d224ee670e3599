// The fin side: air flow and state setters, the fin-and-tube and tube-bank coefficients, the
// air pressure drop with its wet-surface multiplier, and the sizing searches.
#include "CoilJob.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

TEST(AirSideTest, FlowSetters)
{
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    const double rho = job->in.rho;
    const double af = c.GetAf();
    c.SetFaceVelocity(2.7);
    EXPECT_NEAR(c.ma, 2.7 * af * rho, 1e-12);
    EXPECT_DOUBLE_EQ(job->in.ma, c.ma);
    EXPECT_DOUBLE_EQ(job->out.ma, c.ma);
    EXPECT_NEAR(c.Vf, 2.7, 1e-12);
    EXPECT_NEAR(c.Va, c.ma / rho, 1e-12);
    // The humid specific heat is per kg of dry air: the capacity rate goes with the dry-air flow.
    EXPECT_NEAR(c.Ca, c.ma / (1 + job->in.w) * job->in.cp, 1e-12);
    EXPECT_NEAR(c.DryAirFlow(), c.ma / (1 + job->in.w), 1e-15);
    c.SetAirVolumeFlow(1.5);
    EXPECT_NEAR(c.Va, 1.5, 1e-12);
    EXPECT_NEAR(c.Vf, 1.5 / af, 1e-12);

    // The dry bulb setter keeps the moisture content; the relative humidity moves.
    const double w = job->in.w;
    const double rh = job->in.rh;
    c.SetAirInDryBulb(300);
    EXPECT_DOUBLE_EQ(job->in.db, 300);
    EXPECT_NEAR(job->in.w, w, 1e-12);
    EXPECT_NE(job->in.rh, rh);
    c.SetAirInMoisture(0.01);
    EXPECT_DOUBLE_EQ(job->in.db, 300);
    EXPECT_NEAR(job->in.w, 0.01, 1e-12);

    // A new pressure keeps the face velocity and both dry bulbs.
    c.SetFaceVelocity(2.0);
    const double outDb = job->out.db;
    c.SetPressure(89.8745);
    EXPECT_NEAR(c.Vf, 2.0, 1e-9);
    EXPECT_NEAR(c.GetPressure(), 89.8745, 1e-9);
    EXPECT_NEAR(job->in.db, 300, 1e-6);
    EXPECT_NEAR(job->out.db, outDb, 1e-6);
    EXPECT_NEAR(c.ma, 2.0 * af * job->in.rho, 1e-12);

    EXPECT_NEAR(c.LeavingVolumeFlow(), c.ma / job->out.rho, 1e-12);
    job->out.rho = 0;
    EXPECT_EQ(c.LeavingVolumeFlow(), 1.7e308);
}

TEST(AirSideTest, DryBulbNearAMarkAgreesWithTheMoistAirSearch)
{
    // Stepping from the last pass's point gives the moist-air function's dry bulb to its
    // rounding, on either side of 0 °C and of the function's 1000 °C join, from marks near and
    // far, and from none.
    for (double w : {0.0, 0.004, 0.012, 0.03, 0.2})
        for (double t : {-30.0, -0.01, 0.0, 0.02, 7.5, 24.0, 95.0, 180.0, 410.0, 999.99, 1000.0, 1300.0})
            for (double away : {0.0, 1e-9, 1e-4, 0.02, -0.04, 0.2, -3.0, 40.0, std::nan("")}) {
                SCOPED_TRACE(std::to_string(w) + " " + std::to_string(t) + " " + std::to_string(away));
                const double h = psy::Enthalpy(t, w);
                const double want = psy::DryBulbFromEnthalpy(h, w);
                const double from = t + away;
                TDryBulbMark mark{psy::Enthalpy(from, w), from, psy::HumidCp(from, w)};
                const double got = DryBulbNear(h, w, mark);
                EXPECT_NEAR(got, want, 1e-12 * std::max(1.0, std::fabs(want)));
                // The mark moves to the answer, for the next pass to start from.
                EXPECT_EQ(mark.db, got);
                EXPECT_EQ(mark.h, h);
                EXPECT_GT(mark.cp, 0);
            }
    // A slope that is no slope is no mark.
    TDryBulbMark flat{psy::Enthalpy(20, 0.01), 20, 0};
    const double h = psy::Enthalpy(20.01, 0.01);
    EXPECT_NEAR(DryBulbNear(h, 0.01, flat), psy::DryBulbFromEnthalpy(h, 0.01), 1e-12 * 20);
}

TEST(AirSideTest, InLinePatternScalesByTubeBankRatio)
{
    auto job = BuildJob(Defaults("cwc"));
    TLiquidCoil& c = *job->coil;
    TAirSideGeometry g = c.AirGeom;
    TAirState air = job->in;
    TAirResult staggeredResult, inlineResult;
    const double hs = TCoil::FinTubeCoefficient(g, air, staggeredResult);
    EXPECT_DOUBLE_EQ(staggeredResult.h, hs);
    EXPECT_NEAR(staggeredResult.Pr, air.mu * air.cp / air.k, 1e-12);
    EXPECT_NEAR(staggeredResult.Nu, hs * g.Dh / air.k, 1e-9);

    // Low flow, one row: Re <= 1000 in both patterns.
    g.Rows = 1;
    air.ma = 0.05;
    TAirSideGeometry inlineGeom = g;
    inlineGeom.Pattern = 1;
    const double h0 = TCoil::FinTubeCoefficient(g, air, staggeredResult);
    const double h1 = TCoil::FinTubeCoefficient(inlineGeom, air, inlineResult);
    const double ratio = (0.52 * 1.95 / 2.8) / (0.71 * 1.94 / 3);
    EXPECT_NEAR(h1 / h0, ratio, 1e-12);
    EXPECT_DOUBLE_EQ(inlineResult.h, h0); // the record keeps the staggered coefficient

    // No air flow is an arithmetic error, not a zero coefficient.
    air.ma = 0;
    EXPECT_THROW(TCoil::FinTubeCoefficient(g, air, staggeredResult), EMathError);
}

TEST(AirSideTest, PressureDrop)
{
    auto job = BuildJob(Defaults("cwc"));
    TLiquidCoil& c = *job->coil;
    // Zero face velocity: 5 Pa per row, a fractional row counting whole.
    c.SetRows(2.5);
    c.SetFaceVelocity(0);
    EXPECT_DOUBLE_EQ(c.AirPressureDrop(), 15);
    c.SetRows(4);
    c.SetFaceVelocity(2.5);

    // The wet multiplier applies from a dew point 1.6 K above the liquid inlet on, and is never
    // below 1 at 10 fins per inch.
    SetState(job->in, 101.325, 24, 0.0095, kPairDbW);
    job->out = job->in;
    c.SetFaceVelocity(2.5);
    job->liquid->tfi = 30; // far above the dew point: dry
    const double dry = c.AirPressureDrop();
    EXPECT_GT(dry, 10);
    EXPECT_LT(dry, 500);
    const double dew = job->in.dewpoint;
    job->liquid->tfi = dew - 1.59;
    EXPECT_DOUBLE_EQ(c.AirPressureDrop(), dry);
    job->liquid->tfi = dew - 1.6;
    EXPECT_DOUBLE_EQ(c.AirPressureDrop(), dry); // W clamps to 1 here
    job->liquid->tfi = dew - 10;
    const double wet = c.AirPressureDrop();
    const double dT = 1.8 * 10;
    const double W = (1.2 - std::exp((6.29 - dT) / 25.2)) * (0.10746 * 10 - 0.03282) + 0.915677;
    EXPECT_NEAR(wet, W * dry, 1e-9 * dry);
    EXPECT_GT(wet, dry);
    c.SetAirDpFactor(2);
    EXPECT_NEAR(c.AirPressureDrop(), 2 * wet, 1e-9 * wet);
}

TEST(AirSideTest, SizingRefusesATinyDuty)
{
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    const double h = c.GetFinHeight();
    const double ma = c.ma;
    for (auto op : {&TCoil::AutoFaceArea, &TCoil::AutoHeight, &TCoil::AutoLength, &TCoil::AutoRows,
                    &TCoil::AutoFinDensity, &TCoil::AutoRowsFins}) {
        EXPECT_EQ((c.*op)(0, 0.005), TSolveStatus::DataError);
        EXPECT_EQ(c.Status, TSolveStatus::DataError);
        EXPECT_DOUBLE_EQ(c.GetFinHeight(), h);
        EXPECT_DOUBLE_EQ(c.ma, ma);
    }
}

TEST(AirSideTest, GridSearchesShareOneSetOfRowsAndFinDensities)
{
    auto job = BuildJob(Defaults("hwc"));
    TLiquidCoil& c = *job->coil;
    std::set<long> fins, rows;
    c.SetAirCoefFn([&](const TAirSideGeometry& g, const TAirState& a, TAirResult& r) {
        fins.insert(std::lround(0.0254 / g.Fp));
        rows.insert(std::lround(g.Rows));
        return TCoil::FinTubeCoefficient(g, a, r);
    });
    // The fin density sizing reaches the densest fin the rows-and-fins sizing does (it stopped at
    // 12 fpi while the other went on to 14).
    c.AutoFinDensity(0, 60);
    EXPECT_EQ(fins, (std::set<long>{8, 10, 12, 14}));
    fins.clear();
    rows.clear();
    c.AutoRowsFins(0, 60);
    EXPECT_EQ(fins, (std::set<long>{8, 10, 12, 14}));
    EXPECT_EQ(rows, (std::set<long>{3, 4, 5, 6}));
    rows.clear();
    c.AutoRows(0, 60);
    EXPECT_EQ(rows, (std::set<long>{3, 4, 5, 6}));
}

TEST(AirSideTest, GridSearchesKeepTheNearestTrialThatGivesTheDuty)
{
    // Over a sweep of targets the rows sizing keeps, of its trials, the one nearest the target
    // among those that give 98 % of it or more, and the nearest of all while none does. Among the
    // targets are some whose nearest trial falls short while a larger one gives the duty: the
    // larger is kept (the nearest was, and the coil did not do its job).
    int shortNearest = 0;
    for (double duty = 60; duty <= 120; duty += 0.5) {
        SCOPED_TRACE(duty);
        auto job = BuildJob(Defaults("hwc"));
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.AutoRows(0, duty), TSolveStatus::None);
        const double kept = c.Qt;
        const double keptRows = c.GetRows();
        // Each trial again, with the liquid side as the sizing set it up for this duty.
        double nearest = HUGE_VAL, nearestReaching = HUGE_VAL;
        double best = 0, bestReaching = 0;
        for (int r : TCoil::SizingRows) {
            c.SetRows(r);
            ASSERT_EQ(c.Solve(), TSolveStatus::None);
            const double err = std::fabs(c.Qt - duty);
            if (err < nearest) {
                nearest = err;
                best = c.Qt;
            }
            if (c.Qt >= 0.98 * duty && err < nearestReaching) {
                nearestReaching = err;
                bestReaching = c.Qt;
            }
        }
        const double expected = nearestReaching < HUGE_VAL ? bestReaching : best;
        EXPECT_NEAR(kept, expected, 1e-6 * duty) << keptRows << " rows";
        if (nearestReaching < HUGE_VAL && best < 0.98 * duty)
            ++shortNearest;
    }
    EXPECT_GT(shortNearest, 0);
}

TEST(AirSideTest, AreaSearchesMeetTheDuty)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = BuildJob(Defaults(kind));
        TLiquidCoil& c = *job->coil;
        c.Solve();
        const double duty = 1.3 * std::fabs(c.Qt);
        const double va = c.Va;
        // The height moves in whole pitch steps, so the duty is not quite continuous in the area
        // and the secant may end cycling between two steps.
        const TSolveStatus s = c.AutoFaceArea(va, duty);
        EXPECT_TRUE(s == TSolveStatus::None || s == TSolveStatus::CountOut) << static_cast<int>(s);
        EXPECT_NEAR(c.Qt, duty, 1e-3 * duty);
        EXPECT_NEAR(c.Va, va, 1e-9);
        EXPECT_GE(c.DutyPerVolFlow, 10);
        EXPECT_LE(c.DutyPerVolFlow, 40);

        auto job2 = BuildJob(Defaults(kind));
        TLiquidCoil& c2 = *job2->coil;
        EXPECT_EQ(c2.AutoLength(va, duty), TSolveStatus::None);
        EXPECT_NEAR(c2.Qt, duty, 1e-4);
        EXPECT_DOUBLE_EQ(c2.GetFinHeight(), 0.5334);

        auto job3 = BuildJob(Defaults(kind));
        TLiquidCoil& c3 = *job3->coil;
        c3.AutoHeight(va, duty);
        // The height walk ends at the first whole pitch step that meets the duty within 2 %.
        EXPECT_GT(c3.Qt, 0.98 * duty);
        const double p = 2 * c3.Geometry->GetSy();
        EXPECT_NEAR(std::remainder(c3.GetFinHeight(), p), 0, 1e-9);
    }
}

} // namespace
} // namespace zmk
