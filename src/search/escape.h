// The way out of a ring of degenerate passes: improving moves of whole sets
// of activities found by minimum cuts, until no set can move to a better
// value.
#ifndef MAXNPV_ESCAPE_H
#define MAXNPV_ESCAPE_H

#include "network/common_gpr.h"

namespace gpr {

// Finishes the solve of s from its current schedule once the passes went
// round in a ring: sets s->st, s->dropped, s->npv, adds its rounds to
// s->nrits and leaves a spanning tree of binding arcs.
void escape(solver *s);

} // namespace gpr

#endif
