// The job rated with each air-side method, side by side (zemtor solve --compare-methods).
#pragma once

#include <iosfwd>

namespace zmk {
class TProjectSession;
}

namespace zmk::cli {

/// Rates the session's job with the standard and the published air-side method and prints the
/// two side by side (or, with json, one object holding both records). The job keeps the method
/// it had. Returns 0 when both solved, else 2.
int PrintMethodComparison(TProjectSession& session, bool json, std::ostream& out);

} // namespace zmk::cli
