// The starting point of the search: a spanning tree of arcs that are binding
// in the earliest schedule, rooted at the start dummy.
#ifndef MAXNPV_INITTREE_H
#define MAXNPV_INITTREE_H

#include "network/common_gpr.h"

namespace gpr {

// Prepares the tree building's scratch for s's network. Allocates.
void treeprepare(solver *s);

// Builds the tree from s->st, which must hold the earliest starts with every
// activity reached.
void buildtree(solver *s);

} // namespace gpr

#endif
