// One search pass: recsearch(0) walks the spanning tree from activity 0 and
// returns the net present value of the current schedule, or moves the first
// subtree of negative value and returns the restart signal.
#ifndef MAXNPV_RECSEARCH_H
#define MAXNPV_RECSEARCH_H

#include <cstdint>

double recsearch(int a);

// Sets dcf[a], the cash flow of a discounted continuously from its
// completion: cf[a] * exp(-interest * (st[a] + dur[a])).
void discount(int a);

// Moves the set S gathered below the tree arc a->j later by the smallest
// slack of the arcs that leave it, and makes the arc with that slack a tree
// arc in place of a->j.
void shiftset(int a, int j, const uint32_t *set);

#endif
