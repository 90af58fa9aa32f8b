// The deadline of a sum or a product that leaves the 64-bit range is held at
// half of it: starts stay far inside 64 bits (the reader bounds every lag and
// duration), so such a deadline bounds nothing, and half the range leaves
// room for the sums the search forms with it.
#include "network/deadline.h"

#include <algorithm>
#include <cmath>

namespace gpr {

int64_t deadlineof(const network &net, int64_t slack) {
    // Only the slack can take the sum out of range.
    int64_t absolute;
    if (!__builtin_add_overflow(net.est[net.end()], slack, &absolute)) return absolute;
    return slack > 0 ? INT64_MAX / 2 : INT64_MIN / 2;
}

int64_t factordeadline(int64_t criticalpath, double factor) {
    // A decimal factor is held in a double within 2^-53 of its value, so the
    // product is off by at most that share of it: taking off 1e-15 of it,
    // but never half a time unit or more, gives the ceiling of the decimal
    // product without ever losing a whole unit.
    constexpr long double tolerance = 1e-15L;       // relative
    constexpr long double mostoff = 0.5L;           // time units
    constexpr long double farthest = INT64_MAX / 2; // as deadlineof holds a sum out of range
    const long double product = (long double)factor * (long double)criticalpath;
    const long double d = std::ceil(product - std::min(mostoff, tolerance * std::fabs(product)));
    if (!(d > -farthest)) return -(int64_t)farthest;
    return d < farthest ? (int64_t)d : (int64_t)farthest;
}

} // namespace gpr
