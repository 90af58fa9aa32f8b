// An independent model of the max-npv problem of one .gpr instance, solved as
// a linear program with GLPK. It shares no code with maxnpv: it reads the file
// itself, draws the cash flows with its own copy of the generator, converts
// the relations, runs its own longest-path analysis and predicts which
// outcome maxnpv reports. For an instance that maxnpv solves, the optimum of
// the LP is the largest net present value of any schedule that meets the
// relations and the deadline, so it checks maxnpv's result.
//
// With x_i = exp(-r s_i) for start times s_i, the problem is linear
// (Grinold's transformation): maximise sum cf_i exp(-r dur_i) x_i subject to
// x_j <= exp(-r l) x_i for every arc i->j of length l, with x_0 fixed. The
// interest rate r must be positive: with r = 0 every schedule has the same
// value and the transformation says nothing.
#ifndef MAXNPV_LPMODEL_H
#define MAXNPV_LPMODEL_H

#include <string>

// What maxnpv does with an instance, in the order in which it finds out.
enum lpkind {
    lpunreadable,     // the file cannot be read as an instance, or the interest is not positive
    lpinfeasibleload, // the relations as read hold a cycle of positive length
    lpinfeasible,     // a positive cycle after the normalisation, or the deadline is unreachable
    lpunlinked,       // some activity is not tied to activity 0 by a chain of binding arcs
    lpsolved,         // the LP was solved: npv holds the optimum
    lpfailed,         // GLPK found no optimum, or the instance lies beyond the range of doubles
};

struct lpresult {
    lpkind kind = lpunreadable;
    double npv = 0;          // the optimal net present value (lpsolved only)
    double seconds = 0;      // wall time of GLPK loading the LP and solving it in floating point
    double exactseconds = 0; // wall time of GLPK's exact check of the optimal basis
    int nract = 0;           // activities read, both dummies included
    long long deadline = 0;  // the absolute deadline (0 before it is known)
    int rows = 0, cols = 0;  // size of the LP handed to GLPK
    std::string reason;      // why, for every kind but lpsolved
};

// Short text of a kind, as maxnpv words its outcome where it has one:
// "solved", "infeasible", "not connected", "unreadable", "LP failed".
const char *lpkindname(lpkind kind);

// Models and solves the instance in the file at path with the run parameters
// of maxnpv's dialogue: percentage of negative cash flows, deadline slack
// above the critical path, and the interest rate per time unit (> 0).
lpresult lpsolve(const std::string &path, int pctneg, int dlextra, double interest);

#endif
