// One search pass: walks the spanning tree from activity 0 and either finds
// the net present value of the current schedule, or moves the first subtree
// of negative value and ends the pass.
#ifndef MAXNPV_RECSEARCH_H
#define MAXNPV_RECSEARCH_H

#include <cmath>

#include "network/common_gpr.h"

namespace gpr {

// Prepares the search's state for s's network. Allocates.
void searchprepare(solver *s);

// Forgets every remembered subtree value (a new tree was built).
void searchreset(solver *s);

// One pass. Returns true when it moved a subtree (the pass must be run
// again), false when it found none to move; s->npv then holds the value.
bool searchpass(solver *s);

// True once the passes exchange tree arcs without moving anything and have
// come back to a tree they had before: from then on they would repeat
// forever.
bool searchcycling(const solver *s);

// cf discounted continuously from the completion of activity a at its
// current start: cf * exp(-interest * (st + dur)). An activity without a
// cash flow contributes exactly its 0 wherever it lies: long before the
// project its growth is beyond a double, and 0 * inf would be NaN.
inline double discount(const solver &s, int a) {
    if (s.cf[a] == 0) return s.cf[a];
    return s.cf[a] * std::exp(-s.interest * (double)(s.st[a] + s.net->dur[a]));
}

} // namespace gpr

#endif
