// The tube-side Nusselt number in its three ranges, against values worked by hand from the
// published correlations:
// - laminar, thermally developing flow at constant wall temperature, mean over the length L
//   (V. Gnielinski, VDI Heat Atlas, 2nd ed., Springer 2010, chapter G1, eq. (12)):
//     Nu = [3.66³ + 0.7³ + (1.615·(Re·Pr·d/L)^(1/3) − 0.7)³ + ((2/(1 +
//     22·Pr))^(1/6)·(Re·Pr·d/L)^(1/2))³]^(1/3)
// - turbulent, Re >= 10000: 0.026·Re^0.8·Pr^0.4, unchanged from before;
// - in between, linear in Re from the laminar value at 2300 to the turbulent one at 10000
//   (V. Gnielinski, Int. J. Heat Mass Transfer 63 (2013) 134-140).
// Worked example, Re 1000, Pr 5, d/L 0.01: Gz = 50, 1.615·50^(1/3) = 5.9497,
// (2/111)^(1/6)·50^(1/2) = 3.6213, Nu = (49.028 + 0.343 + 5.2497³ + 3.6213³)^(1/3) = 6.2275.
#include "CoilJob.h"

#include "base/Errors.h"
#include "engine/FloatChecks.h"
#include "engine/HeatExchanger.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

TEST(TubeSideTest, NusseltInEachRangeAgainstHandValues)
{
    struct Row
    {
        double Re, Pr, dOverL;
        double Nu; // worked by hand from the formulas above
        TTubeRegime regime;
    };
    const Row rows[] = {
        {100, 0.7, 0.05, 3.849305, TTubeRegime::Laminar},
        {500, 7, 0.01, 5.530280, TTubeRegime::Laminar},
        {1000, 5, 0.01, 6.227454, TTubeRegime::Laminar},
        // Thermal oil at the default job's mean temperature over one 1.2 m pass of a 1/2" tube:
        // about 15, where the turbulent form gives 36.
        {1700, 43.5, 0.0125222 / 1.2, 15.659463, TTubeRegime::Laminar},
        {2000, 100, 0.001, 9.295959, TTubeRegime::Laminar},
        // Transition: 10.502984 at 2300 and 103.507864 at 10000 for Pr 10, d/L 0.01.
        {2300, 10, 0.01, 10.502984, TTubeRegime::Transition},
        {4000, 10, 0.01, 31.036529, TTubeRegime::Transition},
        {6150, 10, 0.01, 57.005424, TTubeRegime::Transition},
        {9999, 10, 0.01, 103.495786, TTubeRegime::Transition},
        {10000, 10, 0.01, 103.507864, TTubeRegime::Turbulent},
        {50000, 3, 0.01, 231.738320, TTubeRegime::Turbulent},
        {200000, 0.7, 0.01, 392.497198, TTubeRegime::Turbulent},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Re);
        TTubeRegime regime = TTubeRegime::Laminar;
        EXPECT_NEAR(TubeNusselt(r.Re, r.Pr, r.dOverL, regime), r.Nu, 1e-6 * r.Nu);
        EXPECT_EQ(regime, r.regime);
    }
    // A long tube tends to the fully developed 3.66.
    EXPECT_NEAR(LaminarTubeNusselt(1000, 5, 0), 3.66, 1e-12);
    // The turbulent range is the old correlation, whatever the tube length.
    TTubeRegime regime;
    for (double Re : {1e4, 3.3e4, 1e6})
        for (double Pr : {0.7, 4.3, 60.0}) {
            const double old = 0.026 * std::pow(Re, 0.8) * std::pow(Pr, 0.4);
            EXPECT_NEAR(TubeNusselt(Re, Pr, 0.02, regime), old, 1e-13 * old);
            EXPECT_NEAR(TubeNusselt(Re, Pr, 0.5, regime), old, 1e-13 * old);
        }
    // Taken by one exponential where Pr has a logarithm; a Prandtl number of zero still gives no
    // transfer, as its power does, and a negative one none at all.
    EXPECT_EQ(TubeNusselt(2e4, 0, 0.01, regime), 0.0);
    EXPECT_THROW(TubeNusselt(2e4, -1, 0.01, regime), EMathError);
}

// The laminar form takes its powers by roots and products: the same numbers as the powers
// written out, to rounding, and the same refusals where a power has no real value.
TEST(TubeSideTest, LaminarNusseltByRootsMatchesThePowers)
{
    const auto byPowers = [](double Re, double Pr, double dOverL) {
        const double Gz = Re * Pr * dOverL;
        const double nu2 = 1.615 * std::exp(std::log(Gz) / 3);
        const double nu3 = std::exp(std::log(2 / (1 + 22 * Pr)) / 6) * std::sqrt(Gz);
        const double sum = 3.66 * 3.66 * 3.66 + 0.7 * 0.7 * 0.7 + std::pow(nu2 - 0.7, 3) + std::pow(nu3, 3);
        return std::exp(std::log(sum) / 3);
    };
    for (double Re : {1.0, 80.0, 650.0, 2299.0})
        for (double Pr : {0.01, 0.7, 7.0, 43.5, 3000.0})
            for (double dOverL : {1e-4, 0.0104, 0.3}) {
                const double want = byPowers(Re, Pr, dOverL);
                EXPECT_NEAR(LaminarTubeNusselt(Re, Pr, dOverL), want, 1e-13 * want)
                    << Re << " " << Pr << " " << dOverL;
            }
    // A negative Graetz number or a Prandtl number that makes the sixth root's base negative has
    // no real power.
    EXPECT_THROW(LaminarTubeNusselt(-100, 5, 0.01), EMathError);
    EXPECT_THROW(LaminarTubeNusselt(100, -0.5, 0.01), EMathError);
    EXPECT_THROW(LaminarTubeNusselt(100, std::nan(""), 0.01), EMathError);
}

TEST(TubeSideTest, CubeRootToRoundingOverTheWholeRange)
{
    for (double x : {0.0, 4e-320, 2.2250738585072014e-308, 1e-300, 1e-9, 0.001, 0.5, 1.0, 2.0, 27.0, 49.37,
                     1e10, 3.3e150, 1e300, 1.7976931348623157e308}) {
        const double want = std::cbrt(x);
        EXPECT_NEAR(fc::Cbrt(x, "test"), want, 1e-15 * want) << x;
    }
    EXPECT_EQ(fc::Cbrt(27, "test"), 3.0);
    // As Pow(x, 1/3): no real value below zero, none for NaN, none past the largest number.
    for (double x : {-1e-300, -8.0, std::nan(""), HUGE_VAL})
        EXPECT_THROW(fc::Cbrt(x, "test"), EMathError) << x;
}

TEST(TubeSideTest, NusseltIsContinuousAtBothEndsOfTheTransition)
{
    TTubeRegime regime;
    for (double Pr : {0.7, 7.0, 45.0}) {
        SCOPED_TRACE(Pr);
        const double d = 0.0125 / 1.2;
        EXPECT_NEAR(TubeNusselt(2299.999999, Pr, d, regime), TubeNusselt(2300, Pr, d, regime), 1e-5);
        EXPECT_NEAR(TubeNusselt(9999.999999, Pr, d, regime), TubeNusselt(10000, Pr, d, regime), 1e-5);
    }
}

TEST(TubeSideTest, CoefficientOfTheDefaultJobs)
{
    struct Row
    {
        const char* kind;
        TTubeRegime regime;
    };
    // Oil at 0.86 m/s and chilled water at 0.7 m/s are transitional; warm water at 0.7 m/s is
    // turbulent.
    for (const Row& r : {Row{"zmk", TTubeRegime::Transition}, Row{"hwc", TTubeRegime::Turbulent},
                         Row{"cwc", TTubeRegime::Transition}}) {
        SCOPED_TRACE(r.kind);
        auto job = test::BuildJob(test::Defaults(r.kind));
        TLiquidCoil& c = *job->coil;
        ASSERT_EQ(c.Solve(), TSolveStatus::None);
        const TLiquid& l = *job->liquid;
        const TTubeSideGeometry& tube = c.TubeGeom;
        EXPECT_DOUBLE_EQ(tube.PassLength, 1.2);
        const double Re = l.ro * (l.m / l.ro / tube.FlowArea) * tube.ID / l.mu;
        TTubeResult result;
        const double h = TLiquidCoil::TubeCoefficient(tube, l, result);
        EXPECT_NEAR(result.Re, Re, 1e-9 * Re);
        EXPECT_EQ(result.Regime, r.regime);
        TTubeRegime regime;
        EXPECT_NEAR(h, TubeNusselt(Re, l.Pr, tube.ID / 1.2, regime) * l.Ko / tube.ID, 1e-12 * h);
        EXPECT_EQ(c.TubeResult.Regime, r.regime);
        EXPECT_NEAR(c.hi, c.TubeResult.h * c.HiFactor, 1e-12);
    }
}

TEST(TubeSideTest, NonsenseLiquidPropertiesAreArithmeticErrors)
{
    auto job = test::BuildJob(test::Defaults("hwc"));
    TLiquid l = *job->liquid;
    l.mu = -l.mu; // a negative Reynolds number has no Nusselt number
    l.Pr = -l.Pr;
    EXPECT_THROW(TLiquidCoil::TubeCoefficient(job->coil->TubeGeom, l), EMathError);
}

} // namespace
} // namespace zmk
