// Temporal analysis of a loaded network: the normalisation of the lags that
// leave the start dummy and enter the end dummy, and the earliest starts.
#ifndef MAXNPV_EARLYSTARTS_H
#define MAXNPV_EARLYSTARTS_H

#include <string>
#include <vector>

#include "network/common_gpr.h"

namespace gpr {

// Normalises the lags and fills net->est. Returns outcome::solved, or
// outcome::infeasible (a cycle of positive length is reachable) or
// outcome::unlinked (nothing leads to the end dummy) with *reason.
outcome analyse(network *net, std::string *reason);

// Earliest starts in *st over the arcs of net with the lags given per entry:
// 0 for activity 0, nostart for every activity that no chain of arcs from
// activity 0 reaches. Returns -1 when the starts have settled; otherwise a
// cycle of positive length is reachable, and the result is the activity that
// the relaxation sweeps still raised last in their nract+1-st sweep.
int earlieststarts(const network &net, const std::vector<int> &lag, std::vector<int64_t> *st);

} // namespace gpr

#endif
