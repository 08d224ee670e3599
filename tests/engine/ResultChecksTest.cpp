// What a liquid coil checks around its solve: random jobs over the entry ranges are solved only
// when the result makes physical sense (checked here from the states themselves), each failed
// condition is named, entering air above saturation is refused, and the warnings that leave a
// result solved come with it (the liquid's limits and frost: LiquidLimitsTest).
#include "CoilJob.h"
#include "RandomJobs.h"

#include "base/Errors.h"
#include "engine/HeatExchanger.h"
#include "properties/Psy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace zmk {
namespace {

using test::BuildJob;
using test::Defaults;

TEST(ResultChecks, RandomJobsAreSolvedOnlyWhenPhysical)
{
    test::JobDice dice(20240611);
    int solved = 0, refused = 0, unsettled = 0, errors = 0;
    const int jobs = 2400;
    for (int n = 0; n < jobs; ++n) {
        TAdpDefault::Instance().Reset();
        const test::RandomJob r = dice.Draw();
        SCOPED_TRACE("job " + std::to_string(n) + " " + r.kind);
        try {
            auto job = test::BuildRandomJob(r);
            const TSolveStatus status = job->coil->Solve();
            EXPECT_EQ(status, job->coil->Status);
            const std::string& reason = job->coil->Reason;
            if (status == TSolveStatus::None) {
                ++solved;
                EXPECT_TRUE(reason.empty()) << reason;
                const std::string wrong = test::PhysicalProblem(*job, 0.005);
                EXPECT_TRUE(wrong.empty()) << wrong;
            } else {
                ++(status == TSolveStatus::DataError ? refused : unsettled);
                // Every result that is not solved says why, in a sentence of its own.
                EXPECT_FALSE(reason.empty());
                EXPECT_TRUE(reason.ends_with("...")) << reason;
            }
        } catch (const EMathError&) {
            ++errors;
        }
    }
    EXPECT_GT(solved, jobs / 3);
    std::printf("random jobs: %d solved, %d refused, %d not settled, %d arithmetic errors\n", solved, refused,
                unsettled, errors);
}

TEST(ResultChecks, EachFailedConditionIsNamed)
{
    struct Case
    {
        const char* kind;
        const char* expected;
        std::function<void(test::Job&)> spoil;
    };
    const Case cases[] = {
        {"zmk", "", [](test::Job&) {}},
        {"zmk", "no air flow", [](test::Job& j) { j.coil->ma = 0; }},
        {"hwc", "flow backwards", [](test::Job& j) { j.liquid->m = -0.1; }},
        {"zmk", "absolute zero", [](test::Job& j) { j.liquid->tfo = -300; }},
        {"zmk", "liquid would leave hotter", [](test::Job& j) { j.liquid->tfo = 390; }},
        {"hwc", "liquid would leave colder", [](test::Job& j) { j.liquid->tfo = 2; }},
        {"zmk", "air would leave colder", [](test::Job& j) { j.out.db = 70; }},
        {"hwc", "air would leave hotter", [](test::Job& j) { j.out.db = 61; }},
        {"cwc", "do not balance", [](test::Job& j) { j.out.h -= 1; }},
        {"zmk", "do not balance", [](test::Job& j) { j.liquid->m *= 1.01; }},
        {"hwc", "above saturation (relative humidity 120 %)", [](test::Job& j) { j.out.rh = 1.2; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.kind) + " " + k.expected);
        TAdpDefault::Instance().Reset();
        auto job = BuildJob(Defaults(k.kind));
        ASSERT_EQ(job->coil->Solve(), TSolveStatus::None);
        k.spoil(*job);
        const std::string reason = job->coil->PhysicalCheck();
        if (*k.expected == 0) {
            EXPECT_EQ(reason, "");
        } else {
            EXPECT_NE(reason.find(k.expected), std::string::npos) << reason;
            EXPECT_TRUE(reason.ends_with("...")) << reason;
        }
    }
}

TEST(ResultChecks, AirCooledBelowItsDewPointOnADrySurfaceIsRefused)
{
    // A hot water coil fed with cold water cools humid air on a surface it rates as dry: the air
    // would leave fogged, so the result is not solved.
    test::JobValues v = Defaults("hwc");
    v.dbi = 60;
    v.wai = 0.1;
    v.twi = 5;
    v.mw = 20;
    auto job = BuildJob(v);
    TLiquidCoil& c = *job->coil;
    EXPECT_EQ(c.Solve(), TSolveStatus::DataError);
    EXPECT_NE(c.Reason.find("The air would leave above saturation"), std::string::npos) << c.Reason;
    EXPECT_TRUE(c.Reason.ends_with("...")) << c.Reason;
    EXPECT_GT(job->out.rh, 1.001);
}

TEST(ResultChecks, CondensateEnthalpyFreezesWithoutAJump)
{
    // Water above 0 °C, ice with its heat of fusion below -0.5 °C, partly frozen between.
    EXPECT_DOUBLE_EQ(CondensateEnthalpy(10), 41.86);
    EXPECT_DOUBLE_EQ(CondensateEnthalpy(0), 0);
    EXPECT_DOUBLE_EQ(CondensateEnthalpy(-0.5), -333.4 - 1.045);
    EXPECT_DOUBLE_EQ(CondensateEnthalpy(-10), -333.4 - 20.9);
    EXPECT_NEAR(CondensateEnthalpy(-0.25), 0.5 * (-333.4 - 0.5225) + 0.5 * (-1.0465), 1e-12);
    double previous = CondensateEnthalpy(1);
    for (double t = 1; t >= -1; t -= 0.001) {
        const double h = CondensateEnthalpy(t);
        EXPECT_LE(h, previous);
        EXPECT_LT(previous - h, 0.7) << t; // no step beyond the band's slope
        previous = h;
    }
}

TEST(ResultChecks, EnteringAirAboveSaturationIsRefusedBeforeTheSolve)
{
    // 24 °C air holds about 19 g/kg at saturation.
    for (double w : {0.5, 0.02}) {
        SCOPED_TRACE(w);
        test::JobValues v = Defaults("cwc");
        v.wai = w;
        auto job = BuildJob(v);
        TLiquidCoil& c = *job->coil;
        EXPECT_EQ(c.Solve(), TSolveStatus::DataError);
        EXPECT_NE(c.Reason.find("more moisture than saturated air"), std::string::npos) << c.Reason;
        EXPECT_EQ(c.Qt, 0); // nothing was rated
        EXPECT_EQ(job->in.w, w);
        EXPECT_EQ(EnteringAirProblem(job->in), c.Reason);
    }
    // Saturated air to the field's resolution is rated.
    test::JobValues v = Defaults("cwc");
    v.wai = psy::SaturationMoisture(101.325, 24);
    auto job = BuildJob(v);
    EXPECT_EQ(EnteringAirProblem(job->in), "");
    EXPECT_NE(job->coil->Solve(), TSolveStatus::DataError);
}

TEST(ResultChecks, WarningsTravelWithASolvedResult)
{
    // The heat recovery coil's default oil runs in the transition range: solved, with its remark.
    {
        auto job = BuildJob(Defaults("zmk"));
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        const auto w = std::find_if(c.Warnings.begin(), c.Warnings.end(), [](const TResultWarning& x) {
            return x.kind == TResultWarning::TubeTransition;
        });
        ASSERT_NE(w, c.Warnings.end());
        EXPECT_NE(WarningText(*w, true).find("transition range (Re "), std::string::npos) << WarningText(*w, true);
    }
    // The hot water coil's default job runs turbulent water well inside its data: no remark.
    auto job = BuildJob(Defaults("hwc"));
    ASSERT_EQ(job->coil->Solve(), TSolveStatus::None);
    EXPECT_TRUE(job->coil->Warnings.empty()) << WarningText(job->coil->Warnings[0], true);
}

} // namespace
} // namespace zmk
