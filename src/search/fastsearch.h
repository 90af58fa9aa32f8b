// The fast method: tree moves in both directions over a spanning tree of
// binding arcs, with rounds of set moves by minimum cuts where the tree moves
// go degenerate.
#ifndef MAXNPV_FASTSEARCH_H
#define MAXNPV_FASTSEARCH_H

#include "network/common_gpr.h"

namespace gpr {

// Sizes the fast method's state for s's prepared network. Allocates.
void fastprepare(solver *s);

// How a fast solve ended.
enum class fastend {
    solved,  // an optimal schedule
    limited, // a limit of s->limits ended it first; the schedule is feasible
    lost,    // starts so far apart that a subtree's value left the range of long
             // double; the schedule is feasible but proves nothing
};

// Solves a prepared instance from the schedule in s->st (the earliest
// starts, or any schedule that meets every arc and the deadline): sets s->st,
// s->dropped, s->dcf, s->npv, s->nrits (the moves made) and the final tree
// lists.
fastend fastsolve(solver *s);

} // namespace gpr

#endif
