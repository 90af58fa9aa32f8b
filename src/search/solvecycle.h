// The solve of one loaded instance: reset, initial tree, search passes until
// one moves nothing, then the result line.
#ifndef MAXNPV_SOLVECYCLE_H
#define MAXNPV_SOLVECYCLE_H

// Solves without timing or reporting: returns 0 with npv and nrits set, or
// the skip kind of an instance that cannot be solved.
int solveinstance();

// Solves, sets elapsed from starttime and writes the result or skip line.
void solvecycle();

#endif
