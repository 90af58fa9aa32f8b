// The deadline model of the textbooks, where every activity lies between
// the project's start and its end, against the model of the file, where
// only the pairs the file lists are raised to that: the relations that turn
// one into the other, and the activities the file leaves unbounded.
#ifndef MAXNPV_BOUNDALL_H
#define MAXNPV_BOUNDALL_H

#include "input/loadinstance.h"
#include "maxnpv/maxnpv.h"
#include "network/common_gpr.h"

namespace gpr {

// Adds, for every real activity i, a minimal start-to-start lag of 0 from
// the start dummy to i and a minimal finish-to-start lag of 0 from i to the
// end dummy, each only where the file lists no entry on that pair (a listed
// pair is raised to the same bound by the normalisation already). The new
// entries come after the file's in each row.
void addbounds(records *rec);

// The real activities of an analysed network (normalised lags) that the
// deadline does not bound: no chain of arcs from the activity reaches the
// end dummy with a total lag of at least its duration, so it may finish
// after the end dummy starts. -1 when the longest chains do not settle
// (a cycle of positive length that the analysis did not reach).
int notbounded(const network &net);

// The same count for a network of the library, built and analysed as a
// solve builds it without limits; -1 when it cannot be built or analysed.
int notbounded(const maxnpv::network &net);

} // namespace gpr

#endif
