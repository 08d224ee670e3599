// The secant root finder: convergence, a start on the root, a flat function, no real root, and
// errors of the function passing through; the bracketed search on smooth, jumping and flat
// functions.
#include "engine/Root.h"

#include "base/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zmk {
namespace {

TEST(RootTest, Outcomes)
{
    struct Case
    {
        const char* name;
        TRootFn f;
        double x0;
        int status;
        int count;
        double root; // NaN: not checked
    };
    const double any = std::nan("");
    const Case cases[] = {
        {"x^2 - 2", [](double x) { return x * x - 2; }, 1, kRootConverged, 5, 1.4142136},
        {"x at its root", [](double x) { return x; }, 0, kRootConverged, 0, 0},
        {"constant", [](double) { return 5.0; }, 3, kRootZeroSlope, 0, 3},
        {"x^2 + 1", [](double x) { return x * x + 1; }, 1, kRootCountOut, 51, any},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRoot root(c.f);
        const double x = root.Solve(c.x0);
        EXPECT_EQ(root.Status, c.status);
        EXPECT_EQ(root.Count, c.count);
        if (!std::isnan(c.root)) {
            EXPECT_NEAR(x, c.root, 1e-7);
        }
        EXPECT_TRUE(std::isfinite(x));
    }
}

TEST(RootTest, SlopeAndLimits)
{
    int calls = 0;
    TRoot root([&](double x) {
        ++calls;
        return x * x - 2;
    });
    EXPECT_EQ(root.MaxIter, 50);
    EXPECT_DOUBLE_EQ(root.Tol, 1e-6);
    // The step at 0 is 0.000344; elsewhere 0.000344·|x|, exactly representable.
    EXPECT_NEAR(root.Slope(0), 0.000344, 1e-12);
    EXPECT_DOUBLE_EQ(root.Step, 0.000344);
    EXPECT_NEAR(root.Slope(10), 20, 1e-2);
    EXPECT_DOUBLE_EQ(root.Fx, 98);
    EXPECT_DOUBLE_EQ(root.DF(10), root.Slope(10));

    calls = 0;
    root.SetLimits(3, 1e-12);
    root.Solve(1);
    EXPECT_EQ(root.Status, kRootCountOut);
    EXPECT_EQ(root.Count, 4);
    EXPECT_EQ(calls, 2 + 4);

    // A new solve resets the count and the status.
    root.SetLimits(50, 1e-6);
    root.Solve(1.4142135623730951);
    EXPECT_EQ(root.Status, kRootConverged);
    EXPECT_EQ(root.Count, 0);
}

TEST(RootTest, StalledAndErrors)
{
    // A function that stops changing after the first step.
    TRoot flat([](double x) { return x < 0.5 ? 1 - x : 0.25; });
    flat.Solve(0);
    EXPECT_EQ(flat.Status, kRootStalled);

    TRoot throwing([](double x) -> double {
        if (x > 2)
            throw std::runtime_error("outside");
        return x - 3;
    });
    EXPECT_THROW(throwing.Solve(0), std::runtime_error);

    // A value that leaves the real numbers is an arithmetic error, not a result.
    TRoot blowUp([](double x) { return x > 1 ? HUGE_VAL : x - 2; });
    EXPECT_THROW(blowUp.Solve(0), EMathError);
}

TEST(RootTest, BracketedRootKeepsItsBracket)
{
    struct Case
    {
        const char* name;
        TRootFn f;
        double a, b;
        double root;
    };
    const Case cases[] = {
        {"cube", [](double x) { return x * x * x - 2; }, 0, 2, std::cbrt(2.0)},
        // Regula falsi alone would creep in from one side of this convex function.
        {"steep exponential", [](double x) { return std::exp(20 * x) - 2; }, -1, 1, std::log(2.0) / 20},
        // A jump across zero: the search closes in on the jump.
        {"step", [](double x) { return x < 0.3 ? -1.0 : 2.0; }, 0, 1, 0.3},
        {"decreasing", [](double x) { return 1 - x; }, 3, -2, 1},
        {"root at an end", [](double x) { return x - 4; }, 4, 9, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        const TRootFn counted = [&](double x) {
            ++calls;
            EXPECT_GE(x, std::min(c.a, c.b));
            EXPECT_LE(x, std::max(c.a, c.b));
            return c.f(x);
        };
        const double x = BracketedRoot(counted, c.a, c.b, c.f(c.a), c.f(c.b), 1e-12);
        EXPECT_NEAR(x, c.root, 1e-9);
        EXPECT_LT(calls, 100);
    }
}

} // namespace
} // namespace zmk
