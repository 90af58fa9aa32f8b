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

// Longest paths from source in *dist over the arcs of a graph of n
// activities: the arcs out of activity i are e = first[i] .. first[i+1]-1,
// each to head[e] with lag[e] (nolag: no arc); nostart where no chain from
// source reaches. The strong components are taken in topological order,
// each swept as the earliest starts are, in increasing activity order, or in
// decreasing order when descending (for arcs turned round). Returns false,
// *dist then meaning nothing, when a cycle of positive length is reachable
// or the work passes a few passes over the graph.
bool longestpaths(int n, int source, const int *first, const int *head, const int *lag,
                  bool descending, std::vector<int64_t> *dist);

} // namespace gpr

#endif
