#include "engine/FloatChecks.h"

#include <climits>

namespace zmk::fc {

void Fail(const char* where, const char* what)
{
    throw EMathError(where, what);
}

double Pow(double base, double exponent, const char* where)
{
    if (std::isnan(base) || std::isnan(exponent))
        Fail(where, kInvalidOp);
    if (exponent == 0)
        return 1.0;
    if (base == 0 && exponent > 0)
        return 0.0;
    if (std::trunc(exponent) == exponent && std::fabs(exponent) <= INT_MAX) {
        // An integral power multiplies out, so a negative base is allowed; 0 to a negative
        // power is a division by zero.
        if (base == 0)
            Fail(where, kZeroDivide);
        return Finite(std::pow(base, exponent), where);
    }
    return Exp(exponent * Ln(base, where), where);
}

} // namespace zmk::fc
