// Root finding for one real equation f(x) = 0 from a single starting point: a secant iteration
// that starts from a numerically estimated slope, so the caller needs neither a bracket nor a
// derivative. The wet-surface temperature of a cooling-coil slice is found this way. A bracketed
// search serves the equations whose root is known to lie between two points.
#pragma once

#include <cstdint>
#include <functional>

namespace zmk {

/// A real function of one real variable, bound to the caller's data.
using TRootFn = std::function<double(double)>;

/// Outcomes of TRoot::Solve.
constexpr std::uint8_t kRootIterating = 0;  ///< still iterating
constexpr std::uint8_t kRootConverged = 4;  ///< abs(f) <= Tol
constexpr std::uint8_t kRootCountOut = 8;   ///< iteration limit reached; the last x is returned
constexpr std::uint8_t kRootZeroSlope = 11; ///< zero slope at the start; x0 is returned
constexpr std::uint8_t kRootStalled = 14;   ///< f stopped changing (abs(change) < 1e-20)

/// Secant root finder. One object per equation; the function sees the caller's data through
/// its binding, which the caller refreshes before each Solve.
class TRoot
{
public:
    /// Stores both functions (DF falls back to the numerical slope); MaxIter 50, Tol 1e-6.
    explicit TRoot(TRootFn F, TRootFn DF = {});
    TRoot(const TRoot&) = delete;
    TRoot& operator=(const TRoot&) = delete;

    TRootFn F;               ///< the function whose root is sought
    TRootFn DF;              ///< its derivative; stored only, Solve uses the numerical slope
    double Fx = 0;           ///< the last value of f computed
    double Tol = 1e-6;       ///< convergence tolerance on abs(f)
    double Step = 0;         ///< the last step taken (in Slope: the difference step)
    int MaxIter = 50;        ///< iteration limit
    int Count = 0;           ///< iterations done in the current solve
    std::uint8_t Status = 0; ///< outcome of the last solve (kRoot...)

    /// Stores both functions, DF falling back to the numerical slope.
    void SetFunctions(TRootFn F, TRootFn DF = {});
    /// Sets MaxIter and Tol.
    void SetLimits(int maxIter, double tol);
    /// Forward-difference slope of f at x with a step of 0.000344·|x| (0.000344 at 0); sets Fx := f(x).
    double Slope(double x);
    /// The root estimate from x0; leaves Status, Count and Fx set. Raises nothing of its own: an
    /// exception of F passes through, and an iterate that leaves the real numbers raises EMathError.
    double Solve(double x0);
};

/// The root of f between a and b, where fa = f(a) and fb = f(b) differ in sign (or one is 0):
/// regula falsi with the Illinois step, which keeps the root bracketed, until the bracket is
/// narrower than tol or 200 steps have run; returns the last point tried. For equations whose
/// function may jump or level off, where a secant from one point could leave the range.
double BracketedRoot(const TRootFn& f, double a, double b, double fa, double fb, double tol);

} // namespace zmk
