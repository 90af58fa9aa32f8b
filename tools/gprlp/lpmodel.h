// An independent model of the max-npv problem of one .gpr instance, solved as
// a linear program with GLPK, to check what maxnpv reports. It shares no code
// with maxnpv (see the top of lpmodel.cpp).
//
// With x_i = exp(-r s_i) for start times s_i, the problem is linear
// (Grinold's transformation): maximise sum cf_i exp(-r dur_i) x_i subject to
// x_j <= exp(-r l) x_i for every arc i->j of length l, with activity 0 fixed
// at time 0. The interest rate r must be positive and finite: with r = 0
// every schedule has the same value and the transformation says nothing.
#ifndef MAXNPV_LPMODEL_H
#define MAXNPV_LPMODEL_H

#include <climits>
#include <optional>
#include <string>
#include <vector>

// What becomes of an instance, in the order in which the model finds out.
enum lpkind {
    lpunreadable, // the file cannot be read as an instance, or the parameters make no sense
    lpinfeasible, // a cycle of positive length, or the end dummy cannot meet the deadline
    lpunlinked,   // some activity (perhaps the end dummy) is reached by no chain of arcs
    lpsolved,     // the LP was solved: npv holds the optimum
    lpfailed,     // GLPK found no certified optimum
};

// How to model an instance. The defaults are maxnpv's dialogue answers
// 50 / 10 / 0.01.
struct lpoptions {
    // Cash flows: one per activity, both dummies included, in file order.
    // When empty they are drawn as maxnpv draws them, pctneg percent negative
    // and the dummies 0.
    std::vector<double> cashflows;
    int pctneg = 50;
    // The deadline: an absolute time for the end dummy, or else the earliest
    // start of the end dummy plus slack (kept within +-2147483647).
    std::optional<long long> deadline;
    long long slack = 10;
    double interest = 0.01; // continuous discount rate per time unit, > 0
};

struct lpresult {
    lpkind kind = lpunreadable;
    double npv = 0;         // the optimal net present value (lpsolved only)
    int nract = 0;          // activities read, both dummies included
    long long deadline = 0; // the absolute deadline (0 before it is known)
    // The optimal schedule (lpsolved only): a start per activity, or
    // lpunbounded for an activity that is put off without end because that
    // pays (x = 0 in the LP's terms: it adds nothing to npv).
    std::vector<long long> schedule;
    // Times in seconds of wall clock. readseconds: reading the file and the
    // cash flows; pathseconds: the longest paths that decide the outcome;
    // seconds: building the LPs and solving them in floating point (GLPK's
    // simplex), over all rounds; exactseconds: GLPK's exact simplex that
    // confirms the last one.
    double readseconds = 0, pathseconds = 0, seconds = 0, exactseconds = 0;
    int rounds = 0;         // trust-region LPs solved (see lpmodel.cpp, step 9)
    int rows = 0, cols = 0; // size of the last LP handed to GLPK
    std::string reason;     // why, for every kind but lpsolved
};

constexpr long long lpunbounded = LLONG_MAX;

// Reads a whole file into *text; false with the system's reason otherwise.
bool lpreadfile(const std::string &path, std::string *text, std::string *reason);

// Short text of a kind, as maxnpv words its outcome where it has one:
// "solved", "infeasible", "not connected", "unreadable", "LP failed".
const char *lpkindname(lpkind kind);

// Models and solves the instance in the file at path.
lpresult lpsolve(const std::string &path, const lpoptions &options);

// The same with maxnpv's dialogue answers: percentage of negative cash flows,
// deadline slack above the critical path, interest rate.
lpresult lpsolve(const std::string &path, int pctneg, int dlextra, double interest);

#endif
