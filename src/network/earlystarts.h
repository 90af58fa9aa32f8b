// Temporal analysis of a loaded instance: earliest starts over the listed
// arcs, and the normalisation of the lags that leave the start dummy and
// enter the end dummy.
#ifndef MAXNPV_EARLYSTARTS_H
#define MAXNPV_EARLYSTARTS_H

// Raises st over every listed arc in sweeps until a sweep changes nothing.
// Returns -1 when the starts have settled; otherwise the cycle test fired and
// the result is an activity whose start a sweep beyond the nract-th still
// raised, which proves a cycle of positive length.
int relaxsweeps();

// Earliest starts from 0 for activity 0 and nostart for all others. Returns
// relaxsweeps()'s verdict.
int earlystarts();

// Raises lag[0][i] to at least 0 and lag[i][end] to at least dur[i].
void normalise();

#endif
