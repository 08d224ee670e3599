// Arithmetic checks of the coil models: the one place where a division by zero, an overflow or an
// invalid operation inside a solve is detected and turned into zmk::EMathError.
//
// The coil solvers are written so that every operation that can leave the real numbers goes
// through one of these helpers: a division whose divisor may be 0, an exponential that may
// overflow, a logarithm, square root or power whose argument may leave its domain. Each helper
// returns the exact IEEE result when that result is finite and throws otherwise, so no infinity
// or NaN ever reaches a result field. The helpers follow the Pascal run-time library's semantics:
// x/0 is "Floating point division by zero", 0/0 and the logarithm or square root of a negative
// number are "Invalid floating point operation", a result too large to hold is "Floating point
// overflow". An underflow gives 0 and is not an error.
//
// Power follows Math.Power: x^0 = 1, 0^y = 0 for y > 0, an integral exponent multiplies out
// (so a negative base is allowed), any other exponent is exp(y·ln x).
//
// After a solve the coils also pass every result field through Finite (see
// TCustomHeatExchanger::CheckResults), the last guard against a value that slipped past.
#pragma once

#include "base/Errors.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace zmk::fc {

inline constexpr const char* kZeroDivide = "Floating point division by zero";
inline constexpr const char* kOverflow = "Floating point overflow";
inline constexpr const char* kInvalidOp = "Invalid floating point operation";

/// Throws EMathError(where, what).
[[noreturn]] void Fail(const char* where, const char* what);

/// x itself when it is finite; EMathError otherwise.
inline double Finite(double x, const char* where)
{
    if (!std::isfinite(x))
        Fail(where, std::isnan(x) ? kInvalidOp : kOverflow);
    return x;
}

/// a / b, or EMathError for a zero divisor or a result that is not finite.
inline double Div(double a, double b, const char* where)
{
    if (b == 0)
        Fail(where, a == 0 || std::isnan(a) ? kInvalidOp : kZeroDivide);
    const double r = a / b;
    if (!std::isfinite(r))
        Fail(where, std::isnan(r) ? kInvalidOp : kOverflow);
    return r;
}

/// exp(x), or EMathError when it overflows (or x is NaN).
inline double Exp(double x, const char* where)
{
    const double r = std::exp(x);
    if (!std::isfinite(r))
        Fail(where, std::isnan(r) ? kInvalidOp : kOverflow);
    return r;
}

/// ln(x), or EMathError for x <= 0.
inline double Ln(double x, const char* where)
{
    if (!(x > 0))
        Fail(where, x == 0 ? kZeroDivide : kInvalidOp);
    return Finite(std::log(x), where);
}

/// √x, or EMathError for x < 0.
inline double Sqrt(double x, const char* where)
{
    if (!(x >= 0))
        Fail(where, kInvalidOp);
    return Finite(std::sqrt(x), where);
}

/// base^exponent with Math.Power's rules, or EMathError when the result is not a real number.
double Pow(double base, double exponent, const char* where);

/// Pow(x, 1/3) to rounding, by the cube root: 0 for 0, EMathError for x < 0, NaN or infinity.
inline double Cbrt(double x, const char* where)
{
    if (!(x >= 0))
        Fail(where, kInvalidOp);
    // Near the ends of the range (where the steps' cubes would overflow) the library's.
    if (!(x >= DBL_MIN) || !(x <= 1e300))
        return Finite(std::cbrt(x), where);
    // A first guess within a few per cent from the exponent's bits, then Halley's steps, each of
    // which triples the correct digits: to rounding after three.
    double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) / 3 + 0x2A9F7893782DA1CEull);
    for (int i = 0; i < 3; ++i) {
        const double y3 = y * y * y;
        y *= (y3 + 2 * x) / (2 * y3 + x);
    }
    return y;
}

} // namespace zmk::fc
