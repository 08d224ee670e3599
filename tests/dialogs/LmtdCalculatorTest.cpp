// The LMTD calculator: the log means, the counter-crossflow factor checked against the duty its
// own effectiveness gives, and the calculator opened on a job and typed over.
#include "dialogs/LmtdCalculator.h"

#include "support/FieldTyping.h"
#include "support/ProjectTestSession.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

TEST(LmtdCalculator, LogMeans)
{
    const struct
    {
        TStreamTemps t;
        std::optional<double> counter, parallel;
    } cases[] = {
        // Equal differences: their common value.
        {{90, 60, 20, 50}, 40.0, 60 / std::log(7.0)},
        {{380, 150, 100, 180}, (200.0 - 50) / std::log(4.0), std::nullopt},
        // The cold stream leaves hotter than the hot one: no parallel flow reaches that.
        {{80, 40, 10, 60}, (20.0 - 30) / std::log(20.0 / 30), std::nullopt},
        // A cross: counterflow cannot reach it either.
        {{50, 20, 30, 60}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto counter = CounterflowLmtd(c.t);
        ASSERT_EQ(counter.has_value(), c.counter.has_value()) << c.t.HotIn;
        if (counter) {
            EXPECT_NEAR(*counter, *c.counter, 1e-9) << c.t.HotIn;
        }
        const auto parallel = ParallelLmtd(c.t);
        ASSERT_EQ(parallel.has_value(), c.parallel.has_value()) << c.t.HotIn;
        if (parallel) {
            EXPECT_NEAR(*parallel, *c.parallel, 1e-9) << c.t.HotIn;
        }
    }
}

// The factor must give back the duty: F × counterflow LMTD × UA is the heat the rows pass at
// the transfer units that made the temperatures.
TEST(LmtdCalculator, CrossflowFactorGivesBackTheDuty)
{
    for (int rows : {1, 2, 4, 8}) {
        for (double cr : {0.25, 0.7, 1.0}) {
            for (bool airIsMin : {true, false}) {
                const double ntu = 1.7, cmin = 2.0, span = 100;
                const double e = CounterCrossflowEffectiveness(ntu, cr, rows, airIsMin);
                const double q = e * cmin * span;
                // The hot stream is the smaller capacity rate: it changes by e × span.
                const TStreamTemps t{120, 120 - q / cmin, 20, 20 + q / (cmin / cr)};
                const auto f = CrossflowFactor(t, rows, airIsMin);
                ASSERT_TRUE(f) << rows << " " << cr;
                EXPECT_NEAR(*f * *CounterflowLmtd(t) * ntu * cmin, q, 1e-6 * q) << rows << " " << cr;
                EXPECT_LE(*f, 1.0);
            }
        }
    }
}

TEST(LmtdCalculator, MoreRowsComeCloserToCounterflow)
{
    const TStreamTemps t{90, 50, 20, 55};
    double last = 0;
    for (int rows : {1, 2, 4, 8, 20}) {
        const auto f = CrossflowFactor(t, rows, true);
        ASSERT_TRUE(f);
        EXPECT_GT(*f, last) << rows;
        last = *f;
    }
    EXPECT_GT(last, 0.995);
    // A stream that keeps its temperature: every arrangement is as good as counterflow.
    EXPECT_DOUBLE_EQ(*CrossflowFactor({100, 100, 20, 60}, 1, true), 1.0);
    // One row cannot bring the streams this close; nor is a hot stream that warms an exchange.
    EXPECT_FALSE(CrossflowFactor({100, 40, 20, 90}, 1, true));
    EXPECT_FALSE(CrossflowFactor({100, 110, 20, 30}, 4, true));
}

TEST(LmtdCalculator, OpensOnTheJobAndFollowsTypedFields)
{
    test::ProjectJob p("zmk");
    ASSERT_TRUE(p.job.Solved() || (p.session.Solve(), p.job.Solved()));
    TEntryErrorFlag flag;
    TLmtdCalculator calc(&flag);
    calc.InitFromJob(p.job);
    // Heat recovery: the air is the hot stream, the liquid the cold one.
    EXPECT_TRUE(calc.AirHot());
    EXPECT_DOUBLE_EQ(calc.Temps().HotIn, p.job.AirIn().db);
    EXPECT_DOUBLE_EQ(calc.Temps().HotOut, p.job.AirOut().db);
    EXPECT_DOUBLE_EQ(calc.Temps().ColdIn, p.liquid().tfi);
    EXPECT_DOUBLE_EQ(calc.Temps().ColdOut, p.liquid().tfo);
    EXPECT_EQ(calc.Rows(), static_cast<int>(p.job.Inputs.edRows.Value));
    ASSERT_TRUE(calc.Factor());
    EXPECT_NE(calc.CoilText(), "none");

    test::TypeAndExit(calc.ColdOutEd, "20");
    test::TypeAndExit(calc.ColdInEd, "10");
    test::TypeAndExit(calc.HotInEd, "90");
    test::TypeAndExit(calc.HotOutEd, "60");
    EXPECT_NEAR(*calc.Counterflow(), 20 / std::log(70.0 / 50), 1e-6);
    EXPECT_NEAR(*calc.Parallel(), 40 / std::log(2.0), 1e-6);
    EXPECT_EQ(calc.Remark(), "The air is the hot stream.");
    test::TypeAndExit(calc.HotInEd, "5");
    EXPECT_FALSE(calc.Counterflow());
    EXPECT_EQ(calc.Remark(), "The hot stream must enter hotter than the cold stream.");
    EXPECT_EQ(calc.CounterflowText(), "none: the streams cross");
}

TEST(LmtdCalculator, UnsolvedJobSaysItsGuess)
{
    test::ProjectJob p("hwc");
    p.job.MarkNotSolved();
    TEntryErrorFlag flag;
    TLmtdCalculator calc(&flag);
    calc.InitFromJob(p.job);
    // A hot water coil: the liquid is the hot stream, entering at its inlet and leaving by its dT.
    EXPECT_FALSE(calc.AirHot());
    EXPECT_DOUBLE_EQ(calc.Temps().HotIn, p.job.Inputs.edFluidInTemp.Value);
    EXPECT_DOUBLE_EQ(calc.Temps().HotOut, p.job.Inputs.edFluidInTemp.Value - p.job.Inputs.edFluidDT.Value);
    EXPECT_NE(calc.Remark().find("not solved"), std::string::npos);
}

} // namespace
} // namespace zmk
