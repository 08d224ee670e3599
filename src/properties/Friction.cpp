// Darcy friction factor of tube flow.
#include "properties/Friction.h"

#include <cmath>

namespace zmk {

namespace {
constexpr int kMaxIterations = 21;
constexpr double kTwoOverLn10 = 0.868588963;
} // namespace

double LaminarFriction(double Re)
{
    const double f = 64 / Re;
    return f > 1 ? 0.02 : f;
}

double FullyRoughFriction(double e)
{
    const double d = 1.14 - 2 * std::log10(e);
    return 1 / (d * d);
}

double SmoothFriction(double f0, double Re, int& iterations)
{
    iterations = 0;
    double x = f0 == 0 ? 7.0 : 1 / std::sqrt(f0);
    for (;;) {
        const double xOld = x;
        x = 2 * std::log10(Re / xOld) - 0.8;
        ++iterations;
        if (iterations >= kMaxIterations || std::abs(x - xOld) <= 1e-6)
            break;
    }
    return 1 / (x * x);
}

double ColebrookFriction(double f0, double e, double Re, int& iterations)
{
    iterations = 0;
    const double A = e / 3.7, B = 2.51 / Re;
    auto g = [&](double x) { return x + 2 * std::log10(A + B * x); };
    double x = 1 / std::sqrt(f0);
    double s = (A + B * x) / (A + B * x + kTwoOverLn10 * B); // 1/g'(x)
    double g0 = g(x);
    for (;;) {
        const double dx = -s * g0;
        x += dx;
        const double g1 = g(x);
        const double dg = g1 - g0;
        double t = dx * s * dg;
        if (std::abs(t) < 1e-12)
            t = t < 0 ? -1e-12 : 1e-12;
        s -= s * (t - dx * dx) / t;
        g0 = g1;
        ++iterations;
        if (iterations >= kMaxIterations || std::abs(g1) <= 1e-6)
            break;
    }
    return 1 / (x * x);
}

double FrictionFactor(int& regime, bool colebrookOnly, double f0, double roughness, double diameter,
                      double Re)
{
    const double fallback = f0 >= 0 && f0 <= 1 ? f0 : 0.02;
    auto invalid = [&] {
        regime = kFrictionInvalid;
        return fallback;
    };
    // A result the formulas cannot give (no real root from a hopeless start) is invalid input too.
    auto checked = [&](double f, int code) {
        if (!std::isfinite(f))
            return invalid();
        regime = code;
        return f;
    };
    if (!std::isfinite(Re))
        return invalid();
    // The relative roughness needs a positive diameter and a roughness of at least 0.
    const bool wallKnown =
        diameter > 0 && roughness >= 0 && std::isfinite(diameter) && std::isfinite(roughness);
    const double e = wallKnown ? roughness / diameter : 0;
    int iterations = 0;
    if (colebrookOnly) {
        if (!(Re > 10) || !wallKnown)
            return invalid();
        // The iteration starts from 1/√f0, so it needs f0 > 0.
        return checked(ColebrookFriction(f0 > 0         ? f0
                                         : fallback > 0 ? fallback
                                                        : 0.02,
                                         e, Re, iterations),
                       kFrictionColebrook);
    }
    if (Re < 2300) {
        if (Re > 0)
            return checked(LaminarFriction(Re), kFrictionLaminar);
        return invalid();
    }
    if (roughness == 0)
        return checked(SmoothFriction(f0 < 0 ? 0 : f0, Re, iterations), kFrictionSmooth);
    if (!wallKnown)
        return invalid();
    if (f0 == 0)
        f0 = FullyRoughFriction(e);
    if (std::sqrt(f0) * Re * e > 200)
        return checked(FullyRoughFriction(e), kFrictionRough);
    return checked(ColebrookFriction(f0 > 0         ? f0
                                     : fallback > 0 ? fallback
                                                    : 0.02,
                                     e, Re, iterations),
                   kFrictionColebrook);
}

} // namespace zmk
