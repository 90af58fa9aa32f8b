// The starting point of the search: earliest starts on the normalised lags,
// a spanning tree of binding arcs rooted at the start dummy, and the
// deadline arc that closes the network.
#ifndef MAXNPV_INITTREE_H
#define MAXNPV_INITTREE_H

// Returns 0 when the tree is built, or the skip kind (infeasible, or not
// connected) after writing the reason to standard error.
int inittree();

#endif
