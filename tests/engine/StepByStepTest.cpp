// The step-by-step profile of each coil kind: shape of the matrix, the shooting reaching the
// liquid inlet temperature, the trends along the air path and the cold coil's clamps.
#include "CoilJob.h"
#include "base/Errors.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

TEST(StepByStepTest, EachKindReachesTheLiquidInlet)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = BuildJob(Defaults(kind));
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None);
        const double qt = c.Qt;
        const double tfo = job->liquid->tfo;
        const TAirState out = job->out;
        double duty = 0;
        c.StepByStep(duty);
        ASSERT_EQ(c.StepMatrix.size(), 4u);
        for (const auto& row : c.StepMatrix) {
            ASSERT_EQ(row.size(), 100u);
            for (double v : row)
                EXPECT_TRUE(std::isfinite(v));
        }
        // The liquid arrives at its inlet temperature at the air outlet face.
        EXPECT_NEAR(c.StepMatrix[0][99], job->liquid->tfi, 1e-4);
        // The marching duty is close to, not equal to, the effectiveness duty.
        EXPECT_NEAR(duty, qt, 0.05 * qt);
        // Nothing else in the coil changes.
        EXPECT_DOUBLE_EQ(c.Qt, qt);
        EXPECT_DOUBLE_EQ(job->liquid->tfo, tfo);
        EXPECT_DOUBLE_EQ(job->out.db, out.db);
    }
}

TEST(StepByStepTest, ZemtorProfile)
{
    auto job = BuildJob(Defaults("zmk"));
    TLiquidCoil& c = *job->coil;
    c.Solve();
    double duty = 0;
    c.StepByStep(duty);
    const auto& m = c.StepMatrix;
    EXPECT_NEAR(m[0][99], 80, 1e-5);
    for (int i = 1; i < 100; ++i) {
        EXPECT_LT(m[1][i], m[1][i - 1]); // air falls
        EXPECT_LT(m[0][i], m[0][i - 1]); // liquid falls toward its inlet
        EXPECT_GT(m[2][i], m[0][i]);     // surface between liquid and air
        EXPECT_LT(m[2][i], m[1][i - 1]);
        EXPECT_DOUBLE_EQ(m[3][i], job->in.dewpoint);
    }
}

TEST(StepByStepTest, ColdCoilSlices)
{
    auto job = BuildJob(Defaults("cwc"));
    TLiquidCoil& c = *job->coil;
    c.Solve();
    double duty = 0;
    c.StepByStep(duty);
    const auto& m = c.StepMatrix;
    // Dry slices (surface above the air dew point) keep the moisture content, so the dew point
    // stays until the first wet slice.
    int firstWet = -1;
    for (int i = 0; i < 100 && firstWet < 0; ++i)
        if (m[2][i] <= (i == 0 ? job->in.dewpoint : m[3][i - 1]))
            firstWet = i;
    ASSERT_GT(firstWet, 0); // the default job is part-wet
    for (int i = 0; i < firstWet; ++i)
        EXPECT_NEAR(m[3][i], job->in.dewpoint, 1e-9);
    EXPECT_LT(m[3][99], job->in.dewpoint);

    // The leaving-temperature estimate stays in [tin + 0.1, dbi − 0.5]: a liquid leaving far
    // above the air is brought inside at the first pass, and the last pass starts inside.
    job->liquid->tfo = 100;
    c.LiquidState->SetMassFlow(job->liquid->m);
    c.StepByStep(duty);
    EXPECT_TRUE(std::isfinite(duty));
    EXPECT_LT(c.StepMatrix[0][0], job->in.db - 0.5);
    EXPECT_GT(c.StepMatrix[0][0], job->liquid->tfi);
    EXPECT_NEAR(c.StepMatrix[0][99], job->liquid->tfi, 0.01);
}

TEST(StepByStepTest, HotAirProfileFollowsItsEnthalpy)
{
    // From 600 °C the air's specific heat changes along the coil: each slice moves the air's
    // enthalpy on the dry-air flow, so the profile's duty is the air's enthalpy change.
    test::JobValues v = Defaults("zmk");
    v.dbi = 600;
    v.wai = 0.05;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None);
    double duty = 0;
    c.StepByStep(duty);
    const double mda = c.ma / (1 + v.wai);
    const double airOut = c.StepMatrix[1][99];
    EXPECT_NEAR(mda * (psy::Enthalpy(600, v.wai) - psy::Enthalpy(airOut, v.wai)), duty, 1e-9 * duty);
    EXPECT_NEAR(c.StepMatrix[0][99], v.twi, 1e-4);
    EXPECT_NEAR(duty, c.Qt, 0.05 * c.Qt);
}

TEST(StepByStepTest, CondensingZemtorProfile)
{
    // Humid exhaust on cold water: the slices turn wet where the surface reaches the dew point,
    // the air's dew point falls from there as it loses moisture, and the profile's duty is the
    // rating's.
    test::JobValues v = Defaults("zmk");
    v.dbi = 200;
    v.wai = 0.05;
    v.LiquidSpec = 0;
    v.LiquidCaption = "Water";
    v.twi = 20;
    v.mw = 5;
    v.Rows = 8;
    v.fpi = 14;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
    ASSERT_EQ(c.SurfaceCondition, scPartWet);
    double duty = 0;
    c.StepByStep(duty);
    const auto& m = c.StepMatrix;
    EXPECT_NEAR(duty, c.Qt, 0.005 * c.Qt);
    EXPECT_NEAR(m[0][99], v.twi, 1e-4);
    int firstWet = -1;
    for (int i = 0; i < 100 && firstWet < 0; ++i)
        if (m[2][i] <= (i == 0 ? job->in.dewpoint : m[3][i - 1]))
            firstWet = i;
    ASSERT_GT(firstWet, 0); // dry at the hot end
    ASSERT_LT(firstWet, 20);
    for (int i = 0; i < firstWet; ++i)
        EXPECT_DOUBLE_EQ(m[3][i], job->in.dewpoint);
    for (int i = firstWet + 1; i < 100; ++i) {
        EXPECT_LT(m[3][i], m[3][i - 1]);    // the air dries
        EXPECT_LE(m[3][i], m[1][i] + 1e-6); // and never holds more than saturated air
        EXPECT_GT(m[2][i], m[0][i]);        // the surface stays between liquid and air
    }
    // It leaves saturated, within a kelvin of the rating's leaving air (which leaves the coil
    // line just short of saturation).
    EXPECT_NEAR(m[3][99], m[1][99], 1e-6);
    EXPECT_NEAR(m[1][99], job->out.db, 1.0);
}

TEST(StepByStepTest, ZeroFlowsAreArithmeticErrors)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        auto job = BuildJob(Defaults(kind));
        TLiquidCoil& c = *job->coil;
        c.Solve();
        c.LiquidState->SetMassFlow(0);
        double duty = 0;
        EXPECT_THROW(c.StepByStep(duty), EMathError);
    }
}

TEST(StepByStepTest, NextGuessTakesTheSecantOnlyWhereItsSlopeRises)
{
    struct Case
    {
        const char* what;
        double guess, err, lastGuess, lastErr;
        int pass;
        double expected;
    };
    const Case cases[] = {
        // The first pass has nothing to draw a line through: the relaxed step.
        {"first pass", 20, 4, 0, 0, 0, 20 - 0.1 * 4},
        // err = 2·(x − 15): the secant lands on the root at once.
        {"linear error", 20, 10, 18, 6, 1, 15},
        // A falling or flat line, or the same guess twice, would send the secant astray.
        {"falling slope", 20, 4, 18, 6, 1, 20 - 0.1 * 4},
        {"flat slope", 20, 4, 18, 4, 1, 20 - 0.1 * 4},
        {"same guess", 20, 4, 20, 5, 3, 20 - 0.1 * 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_DOUBLE_EQ(NextStepGuess(c.guess, c.err, c.lastGuess, c.lastErr, c.pass, 0.1), c.expected);
    }
}

TEST(StepByStepTest, ColdCoilSettlesInAFewPassesWetAndDry)
{
    // The relaxed shooting of the cold coil took 40 to 50 passes; the secant needs a handful,
    // and the profile it settles on is the same whichever leaving temperature it starts from.
    for (const double w : {0.003, 0.0095}) {
        SCOPED_TRACE(w);
        test::JobValues v = Defaults("cwc");
        v.wai = w;
        auto job = BuildJob(v);
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None);
        double duty = 0;
        c.StepByStep(duty);
        EXPECT_LE(c.StepPasses, 5);
        EXPECT_NEAR(c.StepMatrix[0][99], v.twi, 1e-5);
        const std::vector<double> liquid = c.StepMatrix[0];
        const double settled = duty;

        job->liquid->tfo = v.twi + 0.5;
        c.LiquidState->SetMassFlow(job->liquid->m);
        c.StepByStep(duty);
        EXPECT_LE(c.StepPasses, 8);
        EXPECT_NEAR(duty, settled, 1e-4);
        for (int i = 0; i < 100; i += 11)
            EXPECT_NEAR(c.StepMatrix[0][i], liquid[i], 2e-5) << "slice " << i;
    }
}

} // namespace
} // namespace zmk
