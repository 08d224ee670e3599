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

// What is wrong with a result, judged from the air states and the liquid alone; empty when
// nothing is.
std::string Unphysical(const test::Job& job)
{
    const TLiquidCoil& c = *job.coil;
    const TAirState& in = job.in;
    const TAirState& out = job.out;
    const TLiquid& l = *job.liquid;
    if (!(c.ma > 0) || !(l.m > 0))
        return "a flow is not positive";
    for (double t : {in.db, out.db, l.tfi, l.tfo})
        if (t < -273.15)
            return "below absolute zero";
    const double lo = std::min(in.db, l.tfi);
    const double hi = std::max(in.db, l.tfi);
    const double tol = 0.01 + 1e-4 * (hi - lo);
    if (l.tfo < lo - tol || l.tfo > hi + tol)
        return "liquid leaves outside the inlet span";
    if (out.db < lo - tol || out.db > hi + tol)
        return "air leaves outside the inlet span";
    // Energy: the dry air's enthalpy change less the condensate's enthalpy (water at the
    // apparatus dew point, frost below 0 °C with its heat of fusion) against the liquid's heat,
    // and the duty reported against both.
    const double mda = c.ma / (1 + in.w);
    const double hf = c.ADP >= 0 ? 4.186 * c.ADP : -333.4 + 2.09 * c.ADP;
    const double condensate = std::max(0.0, in.w - out.w) * hf;
    const double air = mda * (psy::Enthalpy(in.db, in.w) - psy::Enthalpy(out.db, out.w) - condensate);
    const double liquid = l.m * l.Cp * (l.tfo - l.tfi);
    const double scale = std::max(std::fabs(air), std::fabs(liquid));
    if (std::fabs(air - liquid) > 0.005 * scale + 1e-4)
        return "air and liquid duties differ";
    if (std::fabs(std::fabs(c.Qt) - std::fabs(liquid)) > 0.005 * scale + 1e-4)
        return "the duty is not the liquid's";
    // The liquid where it can be rated: water below its boiling point at its pressure, any
    // liquid's mean and leaving temperatures within 20 K of the range of its data.
    if ((l.LiquidSpec == 0 || l.LiquidSpec == 12) && std::max(l.tfi, l.tfo) > psy::BoilingPoint(100 * l.Pf))
        return "water above its boiling point";
    for (double t : {l.tfo, (l.tfi + l.tfo) / 2})
        if (t > l.TMax + 20 || t < l.TMin - 20)
            return "the liquid far outside its data";
    return {};
}

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
                const std::string wrong = Unphysical(*job);
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
    struct Case
    {
        const char* name;
        test::JobValues values;
        TResultWarning::Kind kind;
        const char* text;
    };
    auto with = [](const char* kind, const std::function<void(test::JobValues&)>& change) {
        test::JobValues v = Defaults(kind);
        change(v);
        return v;
    };
    const Case cases[] = {
        {"oil in the transition range", Defaults("zmk"), TResultWarning::TubeTransition,
         "transition range (Re "},
        {"hot air cooled below its dew point",
         with("zmk",
              [](test::JobValues& v) {
                  v.dbi = 60;
                  v.wai = 0.1;
                  v.twi = 5;
                  v.two = 10;
                  v.mw = 20;
              }),
         TResultWarning::AirSupersaturated, "The leaving air is supersaturated"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto job = BuildJob(k.values);
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None) << c.Reason;
        const auto w = std::find_if(c.Warnings.begin(), c.Warnings.end(),
                                    [&](const TResultWarning& x) { return x.kind == k.kind; });
        ASSERT_NE(w, c.Warnings.end());
        EXPECT_NE(WarningText(*w, true).find(k.text), std::string::npos) << WarningText(*w, true);
    }
    // The hot water coil's default job runs turbulent water well inside its data: no remark.
    auto job = BuildJob(Defaults("hwc"));
    ASSERT_EQ(job->coil->Solve(), TSolveStatus::None);
    EXPECT_TRUE(job->coil->Warnings.empty()) << WarningText(job->coil->Warnings[0], true);
}

} // namespace
} // namespace zmk
