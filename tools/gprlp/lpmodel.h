// Independent models of the max-npv problem of one .gpr instance, solved with
// GLPK, to check what maxnpv reports. They share no code with maxnpv (see the
// top of lpnetwork.cpp).
//
// lpsolve: without resources. With x_i = exp(-r s_i) for start times s_i,
// the problem is linear (Grinold's transformation): maximise
// sum cf_i exp(-r dur_i) x_i subject to x_j <= exp(-r l) x_i for every arc
// i->j of length l, with activity 0 fixed at time 0. The interest rate r must
// be positive and finite: with r = 0 every schedule has the same value and
// the transformation says nothing.
//
// rcsolve: under the file's renewable resources, as a time-indexed integer
// program (x_it = 1 iff activity i starts at time t) solved by GLPK's branch
// and bound (see the top of rcmodel.cpp). The interest rate may be 0 there.
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
    lpfailed,     // GLPK found no certified optimum, or the model is too large for it
    lplimit,      // rcsolve: the time or node limit ended the search (see lpresult::bound)
    lpnotbounded, // rcsolve: some activity has no latest start (nothing bounds it)
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
    double interest = 0.01; // continuous discount rate per time unit, > 0 (rcsolve: >= 0)
    // Every activity starts no earlier than the start dummy and finishes no
    // later than the end dummy starts, whether the file lists the pair or not
    // (maxnpv solve --bound-all).
    bool boundall = false;
    double timelimit = 0;    // rcsolve: seconds of GLPK's search, 0 for none
    long long nodelimit = 0; // rcsolve: branch-and-bound nodes GLPK may create, 0 for no limit
};

struct lpresult {
    lpkind kind = lpunreadable;
    double npv = 0;         // the optimal net present value (lpsolved only)
    int nract = 0;          // activities read, both dummies included
    long long deadline = 0; // the absolute deadline (0 before it is known)
    // The optimal schedule (lpsolved only): a start per activity, or
    // lpunbounded for an activity that is put off without end because that
    // pays (x = 0 in the LP's terms: it adds nothing to npv). rcsolve: also
    // the best schedule found when the time limit ended the search (empty
    // when none was found); it puts nothing off.
    std::vector<long long> schedule;
    // rcsolve, lpinfeasible: true when the relations and the deadline admit
    // schedules but none of them fits the resources.
    bool byresources = false;
    // rcsolve, lplimit: npv holds the best schedule's value (when there is
    // one) and bound GLPK's bound on the optimum (when it has one).
    bool hasbound = false;
    double bound = 0;
    long long nodes = 0; // rcsolve: branch-and-bound nodes GLPK created
    // Times in seconds of wall clock. readseconds: reading the file and the
    // cash flows; pathseconds: the longest paths that decide the outcome;
    // seconds: building the LPs and solving them in floating point (GLPK's
    // simplex), over all rounds; exactseconds: GLPK's exact simplex that
    // confirms the last one.
    double readseconds = 0, pathseconds = 0, seconds = 0, exactseconds = 0;
    int rounds = 0;         // trust-region LPs solved (see lpmodel.cpp, step 9)
    int rows = 0, cols = 0; // size of the last LP (rcsolve: the MIP) handed to GLPK
    std::string reason;     // why, for every kind but lpsolved
};

constexpr long long lpunbounded = LLONG_MAX;

// Reads a whole file into *text; false with the system's reason otherwise.
bool lpreadfile(const std::string &path, std::string *text, std::string *reason);

// Short text of a kind, as maxnpv words its outcome where it has one:
// "solved", "infeasible", "not connected", "unreadable", "LP failed",
// "limit", "not bounded".
const char *lpkindname(lpkind kind);

// Models and solves the instance in the file at path.
lpresult lpsolve(const std::string &path, const lpoptions &options);

// Models and solves the instance in the file at path under its renewable
// resources: every activity i needs demand[i][k] units of resource k at every
// integer time t with start_i <= t < start_i + dur_i, and the activities
// running at t together need at most the capacity of k. Refuses (lpnotbounded)
// an instance in which some activity has no latest start, unless
// options.boundall bounds them all.
lpresult rcsolve(const std::string &path, const lpoptions &options);

// The same with maxnpv's dialogue answers: percentage of negative cash flows,
// deadline slack above the critical path, interest rate.
lpresult lpsolve(const std::string &path, int pctneg, int dlextra, double interest);

#endif
