#include "engine/Root.h"

#include "engine/FloatChecks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zmk {

TRoot::TRoot(TRootFn f, TRootFn df)
{
    SetFunctions(std::move(f), std::move(df));
    MaxIter = 50;
    Tol = 1e-6;
}

void TRoot::SetFunctions(TRootFn f, TRootFn df)
{
    F = std::move(f);
    if (df)
        DF = std::move(df);
    else
        DF = [this](double x) { return Slope(x); };
}

void TRoot::SetLimits(int maxIter, double tol)
{
    MaxIter = maxIter;
    Tol = tol;
}

double TRoot::Slope(double x)
{
    double h = std::fabs(x) * 0.000344;
    if (h == 0)
        h = 0.000344;
    // The step actually taken, so that the difference quotient uses an exact divisor.
    const double x2 = x + h;
    h = x2 - x;
    Step = h;
    Fx = F(x);
    const double f2 = F(x2);
    return fc::Div(f2 - Fx, h, "TRoot.Slope");
}

double TRoot::Solve(double x0)
{
    Count = 0;
    const double s = Slope(x0);
    fc::Finite(Fx, "TRoot.Solve");
    if (std::fabs(Fx) <= Tol) {
        Status = kRootConverged;
        return x0;
    }
    if (s == 0) {
        Status = kRootZeroSlope;
        return x0;
    }
    double a = 1 / s; // inverse slope; s is finite and not 0
    double x = x0;
    Status = kRootIterating;
    while (Status == kRootIterating) {
        const double fOld = Fx;
        Step = fc::Finite(-a * fOld, "TRoot.Solve");
        x = fc::Finite(x + Step, "TRoot.Solve");
        Fx = fc::Finite(F(x), "TRoot.Solve");
        const double d = Fx - fOld;
        if (std::fabs(d) < 1e-20) {
            Status = kRootStalled;
            break;
        }
        // The secant inverse slope through the last two points.
        a = fc::Finite(a + (Step - a * d) / d, "TRoot.Solve");
        if (std::fabs(Fx) <= Tol)
            Status = kRootConverged;
        if (Count >= MaxIter)
            Status = kRootCountOut;
        ++Count;
    }
    return x;
}

double BracketedRoot(const TRootFn& f, double a, double b, double fa, double fb, double tol)
{
    if (fa == 0)
        return a;
    if (fb == 0)
        return b;
    double c = a;
    int kept = 0; // the end the last step kept: -1 a, +1 b
    for (int k = 0; k < 200 && std::fabs(b - a) > tol; ++k) {
        c = (a * fb - b * fa) / (fb - fa);
        if (!(c > std::min(a, b) && c < std::max(a, b)))
            c = (a + b) / 2;
        const double fc = f(c);
        if (fc == 0)
            return c;
        // The end kept twice running has its value halved, so that both ends close in.
        if ((fc > 0) == (fb > 0)) {
            b = c;
            fb = fc;
            if (kept == -1)
                fa /= 2;
            kept = -1;
        } else {
            a = c;
            fa = fc;
            if (kept == +1)
                fb /= 2;
            kept = +1;
        }
    }
    return c;
}

} // namespace zmk
