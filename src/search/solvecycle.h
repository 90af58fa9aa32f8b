// The solve of one instance: prepare the solver for a network, cash flows,
// interest rate and deadline; then build the tree and repeat search passes
// until one moves nothing.
#ifndef MAXNPV_SOLVECYCLE_H
#define MAXNPV_SOLVECYCLE_H

#include <string>
#include <vector>

#include "network/common_gpr.h"

namespace gpr {

// The tolerance below which a subtree counts as negative for cash flows that
// the caller gave: the drawn cash flows' negtol for whole amounts within the
// drawn range, else negtol scaled with the largest magnitude, so that the
// search does the same in any unit of money.
double scaledtolerance(const std::vector<double> &cf);

// Prepares s to solve net (read and analysed) with the given cash flows (one
// per activity), interest rate (finite, >= 0) and absolute deadline. Returns
// outcome::solved when the solve can run, else why not (invalid: the values
// leave the range of a double; infeasible: the end dummy cannot meet the
// deadline; unlinked: an activity has no start) with *reason. Allocates
// everything the solve needs.
outcome prepare(solver *s, const network &net, const std::vector<double> &cf, double interest,
                int64_t deadline, std::string *reason);

// Solves a prepared instance: sets s->st, s->nrits, s->npv and the final
// tree. Can be run again; each run starts from the earliest starts. Returns
// false when a limit of s->limits stopped it: the schedule is then feasible
// and s->npv its value, but it is not proven optimal.
bool solvecycle(solver *s);

// Solves a prepared instance with the given method, from the earliest
// starts, or (warm) from the schedule s->st holds when that one meets every
// arc and the deadline. Returns false when a limit stopped it.
bool solvewith(solver *s, searchmethod method, bool warm = false);

// True when the running solve has reached a limit of s->limits or its stop
// hook answered true (then s->stopped is set); tells the progress callback
// now and then. Called after every move: the clock is read only every so
// many calls, and the hook asked only every stopevery seconds.
bool overlimit(solver *s);

// The value of the current schedule: the discounted cash flows of every
// activity not dropped.
double schedulevalue(const solver &s);

} // namespace gpr

#endif
