#include "units/FieldSpec.h"

#include <cmath>

namespace zmk {

bool ClampToRange(long double& v, long double lo, long double hi)
{
    // A field only ever holds a number it could read; anything else counts as the low end.
    if (std::isnan(v)) {
        v = lo;
        return false;
    }
    if (std::fabs(lo - hi) < 1e-5L || (lo == 0 && hi == 0))
        return true;
    if (v < lo) {
        if (lo != 0 && std::fabs((lo - v) / lo) <= 0.005L)
            return true;
        v = lo;
        return false;
    }
    if (v > hi) {
        if (hi != 0 && std::fabs((v - hi) / hi) <= 0.005L)
            return true;
        v = hi;
        return false;
    }
    return true;
}

} // namespace zmk
