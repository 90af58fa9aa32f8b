// Temporal analysis of a loaded instance: the normalisation of the lags that
// leave the start dummy and enter the end dummy, and the earliest starts over
// the arcs.
#ifndef MAXNPV_EARLYSTARTS_H
#define MAXNPV_EARLYSTARTS_H

// Earliest starts in st: 0 for activity 0, nostart for every activity that
// no chain of arcs from activity 0 reaches. Returns -1 when the starts have
// settled; otherwise the relaxation still raised a start in a sweep beyond
// the nract-th, which proves a cycle of positive length, and the result is
// the last activity so raised.
int earlystarts();

// Raises lag[0][i] to at least 0 and lag[i][end] to at least dur[i]; a cell
// with no relation takes that value, so a listed pair from the start dummy or
// into the end dummy always acts afterwards.
void normalise();

#endif
