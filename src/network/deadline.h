// The project deadline as a run fixes it from the critical path: the length
// plus a slack, or the length times a factor. Both are network computations
// that the library, the command-line modes and the tests share, so they live
// below all of them.
#ifndef MAXNPV_DEADLINE_H
#define MAXNPV_DEADLINE_H

#include <cstdint>

#include "network/common_gpr.h"

namespace gpr {

// The deadline of an analysed network: its critical path length plus slack,
// held at half the 64-bit range when beyond it.
int64_t deadlineof(const network &net, int64_t slack);

// ceil(factor * criticalpath), computed in long double and with a tolerance
// of 1e-15 of the product (below half a unit), so that a factor written in
// decimal, which a double holds only nearly, gives the deadline of its
// decimal value (1.1 * 10 is 11, not 12); held at half the 64-bit range.
int64_t factordeadline(int64_t criticalpath, double factor);

} // namespace gpr

#endif
