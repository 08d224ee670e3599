// The Darcy friction factor: regime dispatch, the figures of each regime, the iteration
// limits, and the equations the iterations solve.
#include "properties/Friction.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmk {
namespace {

constexpr double kLiquidF0 = 0.015;
constexpr double kRoughness = 1.5e-6;

TEST(Friction, RegimeFigures)
{
    const struct
    {
        bool colebrookOnly;
        double f0, roughness, diameter, Re, f, tol;
        int regime;
    } table[] = {
        {false, kLiquidF0, kRoughness, 0.0125222, 1000, 0.064, 1e-15, kFrictionLaminar},
        {false, kLiquidF0, kRoughness, 0.0125222, 50, 0.02, 0, kFrictionLaminar},
        {false, kLiquidF0, kRoughness, 0.0125222, 0, kLiquidF0, 0, kFrictionInvalid},
        {false, kLiquidF0, kRoughness, 0.0125222, -500, kLiquidF0, 0, kFrictionInvalid},
        {false, kLiquidF0, 0, 0.0125222, 2300, 0.04729, 5e-6, kFrictionSmooth},
        {false, kLiquidF0, kRoughness, 0.0125222, 10000, 0.03107, 5e-6, kFrictionColebrook},
        {false, kLiquidF0, 0.001, 1, 1e8, 1 / (7.14 * 7.14), 1e-15, kFrictionRough},
        {false, 0, 0.001, 1, 1e8, 1 / (7.14 * 7.14), 1e-15, kFrictionRough},
        {false, 2.0, kRoughness, 0.0125222, -1, 0.02, 0, kFrictionInvalid}, // fallback when f0 > 1
        {true, kLiquidF0, kRoughness, 0.0125222, 10, kLiquidF0, 0, kFrictionInvalid},
        {true, kLiquidF0, kRoughness, 0.0125222, 1000, 0, -1, kFrictionColebrook}, // Colebrook even laminar
    };
    for (const auto& r : table) {
        SCOPED_TRACE(testing::Message() << "Re " << r.Re << " roughness " << r.roughness << " f0 " << r.f0);
        int regime = 99;
        const double f = FrictionFactor(regime, r.colebrookOnly, r.f0, r.roughness, r.diameter, r.Re);
        EXPECT_EQ(regime, r.regime);
        if (r.tol >= 0) {
            EXPECT_NEAR(f, r.f, r.tol);
        } else {
            EXPECT_GT(f, 0);
        }
    }
}

TEST(Friction, IterationsAndTheirEquations)
{
    // The liquid coils' case converges in 3 secant steps.
    int its = 0;
    const double e = kRoughness / 0.0125222;
    const double f = ColebrookFriction(kLiquidF0, e, 10000, its);
    EXPECT_EQ(its, 3);
    EXPECT_NEAR(f, 0.03107, 5e-6);
    // Both iterations solve their equations, within 21 steps.
    for (double Re : {2300.0, 1e4, 1e5, 1e6, 1e7})
        for (double rel : {1e-6, 1e-4, 1e-3, 1e-2}) {
            const double fc = ColebrookFriction(0.02, rel, Re, its);
            EXPECT_LE(its, 21);
            const double x = 1 / std::sqrt(fc);
            EXPECT_NEAR(x, -2 * std::log10(rel / 3.7 + 2.51 * x / Re), 1e-5) << Re << " " << rel;
            const double fs = SmoothFriction(0.015, Re, its);
            EXPECT_LE(its, 21);
            const double xs = 1 / std::sqrt(fs);
            EXPECT_NEAR(xs, 2 * std::log10(Re / xs) - 0.8, 1e-5) << Re;
        }
    // The smooth iteration's start of 7 when f0 = 0.
    EXPECT_NEAR(SmoothFriction(0, 2300, its), 0.04729, 5e-6);
    // A hopeless start stops after 21 iterations without failing.
    SmoothFriction(1e-300, 1e5, its);
    EXPECT_LE(its, 21);
}

TEST(Friction, InvalidWallsAndGuessesFallBack)
{
    int regime = 0;
    // No diameter: no relative roughness, so the rough regimes cannot be chosen.
    EXPECT_EQ(FrictionFactor(regime, false, kLiquidF0, kRoughness, 0, 1e5), kLiquidF0);
    EXPECT_EQ(regime, kFrictionInvalid);
    EXPECT_EQ(FrictionFactor(regime, true, kLiquidF0, kRoughness, -1, 1e5), kLiquidF0);
    EXPECT_EQ(regime, kFrictionInvalid);
    EXPECT_EQ(FrictionFactor(regime, false, kLiquidF0, kRoughness, 0.01, std::nan("")), kLiquidF0);
    EXPECT_EQ(regime, kFrictionInvalid);
    // Colebrook only, with f0 = 0: starts from a usable guess instead of 1/√0.
    const double f = FrictionFactor(regime, true, 0, kRoughness, 0.0125222, 1e4);
    EXPECT_EQ(regime, kFrictionColebrook);
    EXPECT_NEAR(f, 0.03107, 5e-5);
    // Smooth wall with no diameter is still smooth: the diameter is not needed.
    EXPECT_NEAR(FrictionFactor(regime, false, kLiquidF0, 0, 0, 2300), 0.04729, 5e-6);
    EXPECT_EQ(regime, kFrictionSmooth);
    // Laminar helpers.
    EXPECT_EQ(LaminarFriction(64), 1.0);
    EXPECT_EQ(LaminarFriction(63), 0.02);
    EXPECT_NEAR(FullyRoughFriction(0.001), 1 / (7.14 * 7.14), 1e-15);
}

} // namespace
} // namespace zmk
