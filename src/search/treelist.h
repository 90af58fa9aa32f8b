// The arcs of the spanning tree, kept per activity in the orders in which the
// search walks them: the arcs out of an activity in the order of its
// successor row (by the first entry that names the other end), the arcs into
// it in the order of its predecessor row. The tree building adds arcs, the
// shift step removes one and adds one; each list is a sorted slice of a
// preallocated array, so neither ever allocates.
#ifndef MAXNPV_TREELIST_H
#define MAXNPV_TREELIST_H

#include <cstring>

#include "network/common_gpr.h"

namespace gpr {

// Sizes the lists of s for its network: every activity can have a tree arc
// to each activity its row names and from each one that names it (the
// deadline arc adds one to the end dummy and to activity 0). Allocates.
void treesize(solver *s);

// Empties every list.
void treeclear(solver *s);

// Adds the tree arc of entry f, the first entry of its owner's row that names
// its target (or the deadline arc).
inline void treeadd(solver *s, int f) {
    const network &net = *s->net;
    const int u = net.owner[f], v = net.succ[f];
    int *list = &s->tsucc[s->tsuccat[u]];
    int at = s->tsucclen[u]++;
    while (at > 0 && list[at - 1] > f) list[at] = list[at - 1], at--;
    list[at] = f;
    list = &s->tpred[s->tpredat[v]];
    at = s->tpredlen[v]++;
    const int key = net.predkey[f];
    while (at > 0 && net.predkey[list[at - 1]] > key) list[at] = list[at - 1], at--;
    list[at] = f;
}

// Removes the tree arc u -> v; returns its entry.
inline int treeremove(solver *s, int u, int v) {
    const network &net = *s->net;
    int *list = &s->tsucc[s->tsuccat[u]], len = s->tsucclen[u]--;
    int at = 0;
    while (net.succ[list[at]] != v) at++;
    const int f = list[at];
    std::memmove(list + at, list + at + 1, sizeof(int) * (len - at - 1));
    list = &s->tpred[s->tpredat[v]];
    len = s->tpredlen[v]--;
    at = 0;
    while (net.owner[list[at]] != u) at++;
    std::memmove(list + at, list + at + 1, sizeof(int) * (len - at - 1));
    return f;
}

} // namespace gpr

#endif
