// maxnpv: schedules of maximal net present value for project networks with
// generalized precedence relations (minimal and maximal start-to-start,
// start-to-finish, finish-to-start and finish-to-finish time lags) and a
// deadline, solved exactly by a search over spanning trees of binding
// relations.
//
// A network holds the activities as a .gpr instance file holds them: the
// first is the start dummy, the last the end dummy, and each has a duration
// and successor entries, and the renewable resources: a capacity per
// resource type and each activity's demand of each type while it runs (at
// every integer time t, the activities with start <= t < start + duration
// use their demands; activities of duration 0 use nothing). The solve does
// not take the resources into account; they are carried for the caller and
// the reports. Read one from a file (.gpr, or the ProGen/max .sch
// format of the public benchmark sets) or fill the struct yourself; then
// solve it for a set of cash flows, a deadline and an interest rate:
//
//     maxnpv::network net;
//     std::string why;
//     if (maxnpv::readnetwork("D1.gpr", &net, &why) != maxnpv::status::solved) ...
//     maxnpv::options opt;
//     opt.interest = 0.01;
//     opt.slack = 10; // deadline: critical path length plus 10
//     maxnpv::result r = maxnpv::solver().solve(net, maxnpv::randomcashflows(net, 50), opt);
//     if (r.status == maxnpv::status::solved) use r.npv, r.start, ...
//
// Cash flows are discounted continuously from each activity's completion:
// cashflow * exp(-interest * (start + duration)).
//
// Nothing here prints, exits or throws on bad input: every failure is a
// status with its reason, the same reasons the command line gives. Memory
// that runs out is a status too: invalid, with the reason "cannot allocate
// memory for N activities". A null network pointer is invalid with a
// reason; a null reason pointer only means the reason is not wanted. A
// moved-from solver solves like a new one.
//
// Threads: a solver object keeps the state of its solves and must be used by
// one thread at a time; different solver objects (and the free functions)
// may be used from different threads at once.
#ifndef MAXNPV_MAXNPV_H
#define MAXNPV_MAXNPV_H

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace maxnpv {

// What became of an instance.
enum class status {
    solved,       // an optimal schedule was found (or, for a read, the network was read)
    notfound,     // the file cannot be opened
    toomany,      // more activities than the limit in force
    invalid,      // malformed, or values that cannot be represented
    infeasible,   // no schedule meets the relations and the deadline
    notconnected, // some activity is not tied to the project by any chain of relations
    limit,        // a time or move limit, or the stop hook, ended the solve: the schedule
                  // is feasible, the best found so far, but not proven optimal
};

// "solved", "not found", "too many activities", "invalid", "infeasible",
// "not connected", "limit reached"; "unknown" for a value outside the enum.
const char *statusname(status s);

// How a solve searches. Both are exact and give the same optimum.
enum class method {
    fast,    // tree moves in both directions, with set moves by minimum cuts where tree moves
             // stall; the default of the library and of maxnpv solve
    classic, // the batch run's search: one subtree moved later per pass, passes counted as
             // the dialogue reports them
};

// "fast", "classic"; "unknown" for a value outside the enum.
const char *methodname(method m);

// The formats an instance file can have. automatic chooses by the file
// name's extension, in any case: .sch (ProGen/max), .sm (PSPLIB single
// mode), .rcp (Patterson), anything else .gpr.
enum class format { automatic, gpr, sch, sm, rcp };

// One successor entry, as in the file: from the owning activity to
// `successor` (numbered from 1), bound 1 (minimal) or 2 (maximal time lag),
// type 1 start-to-start, 2 start-to-finish, 3 finish-to-start, 4
// finish-to-finish, and the lag in time units. Entries with other bound or
// type codes are kept in the lists but imply no relation.
struct entry {
    int successor = 0;
    int bound = 1;
    int type = 1;
    int lag = 0;
};

struct network {
    std::vector<int> durations;              // per activity; [0] start dummy, back() end dummy
    std::vector<std::vector<entry>> entries; // per activity, its successor entries in order;
                                             // at most one row per activity (more is invalid),
                                             // activities without a row have no entries
    int firstnumber = 1;         // the number reasons give the start dummy, 0 or 1: 0 for a network
                                 // read from a .sch file, which numbers its activities from 0
    std::vector<int> capacities; // per resource type, units; empty: no resources
    std::vector<std::vector<int>> demands; // per activity (as durations), one value per resource
                                           // type; empty: no demands (all 0). Fewer rows than
                                           // activities leave the rest at 0, and so does an
                                           // empty row; more rows, a row of another length
                                           // and a negative value or capacity are invalid
};

// Reads a network from a file in format fmt; automatic chooses by the
// extension (see format). The capacities and demands of the file's renewable
// resources come with it (a .sm file's non-renewable and doubly constrained
// resources are left out); a network without resources has both empty, one
// with resources a row of demands per activity. A file that is invalid in its format but reads in
// another gets a reason that says so ("...; this looks like a ProGen/max .sch
// file: name it .sch or give --format sch"). Every precedence of .sm and .rcp
// files is a finish-to-start minimal lag of 0. maxactivities limits the
// activity count (0: no limit).
status readnetwork(const std::string &path, network *net, std::string *reason,
                   int maxactivities = 0, format fmt = format::automatic);

// The same from the text of a file (the standard input, say); automatic is
// .gpr here.
status parsenetwork(const std::string &text, network *net, std::string *reason,
                    int maxactivities = 0, format fmt = format::automatic);

// Reads a network from the text of a .gpr file.
status parsegpr(const std::string &text, network *net, std::string *reason, int maxactivities = 0);

// The cash flows that maxnpv's batch run draws for an instance of this
// size: a fixed random sequence restarted for every instance, magnitudes
// 1..500, negative with probability pctneg percent, 0 for both dummies.
std::vector<double> randomcashflows(const network &net, int pctneg);

// Cash flows drawn independently per instance: the same distribution as
// randomcashflows, from a generator seeded by seed and the instance's name
// (its file name without folder and extension).
std::vector<double> seededcashflows(const network &net, int pctneg, unsigned long long seed,
                                    const std::string &name);

struct options {
    double interest = 0.01;    // continuous discount rate per time unit; finite and >= 0
    bool absolute = false;     // true: deadline is absolute; false: critical path plus slack
    long long deadline = 0;    // the absolute deadline, time units (when absolute)
    long long slack = 0;       // time units above the critical path length (otherwise)
    int maxactivities = 0;     // most activities accepted; 0: no limit
    double deadlinefactor = 0; // above 0: the deadline is ceil(factor * critical path),
                               // in place of slack and absolute
    bool boundall = false;     // solve as if every activity also had a minimal SS lag of 0
                               // from the start dummy and a minimal FS lag of 0 to the end
                               // dummy (the textbook deadline model)
    maxnpv::method method = maxnpv::method::fast; // how to search
    double timelimit = 0;    // seconds of solving before the solve stops with status::limit;
                             // 0: no limit
    long long maxpasses = 0; // moves (passes of classic) before it stops; 0: no limit
    bool resources = false;  // respect the renewable resources of the network: no schedule
                             // uses more of a resource at any time than its capacity. The
                             // status is then solved (proven optimal), infeasible (proven;
                             // the reason says whether the relations and the deadline or
                             // the resources exclude every schedule) or limit (timelimit,
                             // maxnodes or stop ended the search: the best schedule found,
                             // if any, with bound and gap; the reason "a limit on the
                             // search's time or nodes was reached" or "the search was
                             // stopped"). The time limit covers the relaxation and the search.
    long long maxnodes = 0;  // under resources: relaxations solved before the search stops
                             // with status::limit; 0: no limit
    // Told now and then (about once a second after the first two seconds)
    // during a long solve: the moves made and the current npv. Empty: none.
    std::function<void(long long moves, double npv)> progress;
    // Asked now and then while solving, at least every 20 ms or so (about
    // every 10 ms of searching, and by a sweep before its first point and
    // between points at the same rate; one step of the search on a very
    // large network can take longer): true ends the solve with status::limit
    // and the reason "the solve was stopped", keeping the best schedule found
    // so far, and leaves the solver as the solve found it (see solver). For
    // Ctrl-C, or a caller's own deadline. It is called on the thread that
    // solves and must not throw. Empty: never asked.
    std::function<bool()> stop;
    // Under resources: told a few times a second while the search runs and
    // at every better schedule it finds: the nodes so far, the best npv (NaN
    // before the first schedule) and the best bound known. Called on the
    // thread that solves; must not throw. Empty: none.
    std::function<void(long long nodes, double npv, double bound)> searchprogress;
};

struct result {
    maxnpv::status status = maxnpv::status::invalid;
    std::string reason;                           // why, when not solved
    double npv = 0;                               // the optimal net present value
    maxnpv::method method = maxnpv::method::fast; // the method that solved it
    bool hasschedule = false;       // whether start holds a schedule: always when solved;
                                    // under resources a limit may come before the first
    double bound = 0;               // an upper bound on the optimum: npv when solved; under
                                    // resources with status::limit the best bound known, NaN
                                    // when a limit cut the relaxation itself short or when
                                    // the status is infeasible
    double gap = 0;                 // (bound - npv) / max(|bound|, |npv|); 0 when both are 0,
                                    // NaN without a schedule
    long long nodes = 0;            // under resources: relaxations solved by the search
    long long passes = 0;           // moves of the method: for classic the search passes,
                                    // the last one included; for fast every tree move,
                                    // set move and round of minimum cuts. Where the final
                                    // tree does not prove the schedule, the fast method
                                    // solves it again, uncounted
    bool hasdeadline = false;       // whether deadline is known
    long long deadline = 0;         // the absolute deadline, time units
    long long criticalpath = 0;     // the end dummy's earliest start, when known
    std::vector<long long> start;   // per activity, time units (when solved)
    std::vector<bool> unbounded;    // per activity: postponed without limit; its cash
                                    // flow is left out of the npv and its start means nothing
    std::vector<double> discounted; // per activity, its share of the npv
    std::vector<std::pair<int, int>> tree; // binding relations of the final spanning tree,
                                           // (from, to) numbered from 1; (last, 1) is the
                                           // deadline arc
    std::vector<long long> treelag;        // per tree arc, its start-to-start lag (time units)
    std::vector<double> multiplier;        // per tree arc, the value it carries: the dual
                                           // multiplier of its relation in present-value money
                                           // (>= 0); with them the activities balance
    // The multipliers inside the postponed activities, which prove that
    // putting them off is best: relations between two postponed activities
    // that bind at their starts (here start means a start relative to the
    // others of its part), (from, to) numbered from 1, with their lags and
    // values. A value is the multiplier times exp(-interest * (start(to) -
    // least start)), the least start taken over the part of to, the postponed
    // activities linked to it by these relations. Every postponed activity's
    // discounted cash flow, so measured, is at most the values into it less
    // those out of it.
    std::vector<std::pair<int, int>> postponedtree;
    std::vector<long long> postponedlag; // per postponedtree arc, its start-to-start lag
    std::vector<double> postponedvalue;  // per postponedtree arc, its value (>= 0)
};

// The outcome of checking a result's certificate of optimality, or its
// schedule alone.
enum class verdict {
    optimal,  // every check passed: the schedule is feasible and optimal
    rejected, // a check failed, or the result does not fit the network; the reason says which
    feasible, // the schedule meets every relation, the deadline and, when asked, every
              // resource, and its npv is its value; optimality is not proven
};

// Checks, without the search, that r is an optimal schedule of net for these
// cash flows, opt.interest, opt.boundall and the deadline of opt (absolute,
// or the critical path plus opt.slack, or opt.deadlinefactor times it, the
// critical path found here from the relations). It uses r.status (solved),
// r.npv, r.start, r.unbounded, r.discounted (when not empty), r.tree with
// r.treelag and r.multiplier, the postponed activities' r.postponedtree,
// r.postponedlag and r.postponedvalue, and, when r.hasdeadline, r.deadline
// and r.criticalpath, which must agree. The checks, in order, each with a
// tolerance that the README states:
//   - every activity is reached from the start dummy by a chain of
//     relations (else the instance is not connected);
//   - the start dummy starts at 0; no postponed activity is bounded by a
//     relation to one that is not, and neither dummy is postponed;
//   - every relation between activities that are not postponed, and the
//     deadline, hold;
//   - with opt.resources: the capacities and demands have the form that
//     network states, and at every integer time the activities running then
//     (start <= t < start + duration, not postponed) need at most the
//     capacity of every resource; a postponed activity uses nothing, but
//     may need no more than a capacity alone. An optimum without the
//     resources that meets them is the optimum under them, so a result of
//     solve with opt.resources that keeps its tree verifies here;
//   - every tree arc is a relation of the network with its lag, and binds;
//   - every discounted cash flow is a finite double, and r.discounted holds
//     them (0 for a postponed activity);
//   - no multiplier (present-value money: r.multiplier) is below 0 by more
//     than the tolerance once grown to the earliest start of its relation's
//     tail, exp(interest * (start - earliest start)) times: the most its
//     wrong sign can cost;
//   - at every activity other than the start dummy that is not postponed,
//     its discounted cash flow equals the multipliers of the tree arcs into
//     it less those out of it;
//   - r.npv equals the value of the schedule;
//   - inside the postponed activities, the relations of r.postponedtree
//     bind at r.start, carry r.postponedvalue >= 0, and no postponed
//     activity's discounted cash flow (from the least start of its part)
//     exceeds the values into it less those out of it.
// The first failure is the reason, one line that names the relation or the
// activity by number, counting from firstnumber (1 for .gpr files, 0 for
// .sch files), and a resource by number from 1 ("resource 2 is overloaded at
// time 14: the running activities 3, 7, 9 need 12 of its capacity 10").
// Returns optimal or rejected. Never throws.
verdict verify(const network &net, const std::vector<double> &cashflows, const options &opt,
               const result &r, std::string *reason, int firstnumber = 1);

// Checks the schedule of r alone, for a result without a certificate (the
// resource search's, or one that a limit stopped): the steps of verify that
// concern the schedule, in its order and with its tolerances and reasons.
// r.status must be solved, or limit with r.hasschedule; then the network's
// connection, the deadline and critical path, the postponed activities, the
// relations and the deadline, with opt.resources the resources, every
// discounted cash flow (r.discounted when not empty) and r.npv as the
// schedule's value. The tree and the multipliers are not looked at. Returns
// feasible or rejected. Never throws.
verdict checkschedule(const network &net, const std::vector<double> &cashflows, const options &opt,
                      const result &r, std::string *reason, int firstnumber = 1);

class solver {
  public:
    solver();
    ~solver();
    solver(solver &&) noexcept;
    solver &operator=(solver &&) noexcept;

    // Solves net for one cash flow per activity (dummies included). Never
    // throws for bad input: result.status and result.reason tell. A solve
    // that opt.stop ends returns its best schedule but leaves the solver as
    // it was before: a later resolve() starts from the solve before it, and
    // notbounded() counts for that one, as if the stopped solve had never
    // run.
    result solve(const network &net, const std::vector<double> &cashflows, const options &opt);

    // Solves the network of the last solve again, starting from its final
    // schedule where that schedule is still feasible: for changes of the
    // deadline, the interest rate or the cash flows. The result is that of
    // a fresh solve (opt.method included); only the moves differ. Without
    // an earlier solve it returns status::invalid.
    result resolve(const std::vector<double> &cashflows, const options &opt);

    // How many activities of the last solve's network no chain of relations
    // to the end dummy bounds by the deadline (no chain covers their
    // duration), as the network was solved: 0 under opt.boundall. -1 before
    // a solve, or when the last one stopped before its network was analysed
    // (unreadable, or without a feasible schedule).
    int notbounded() const;

  private:
    struct state;
    std::unique_ptr<state> self;
    // solve() once the state exists, allowed to throw std::bad_alloc.
    result solvein(const network &net, const std::vector<double> &cashflows, const options &opt);
};

// The points of a sweep: every deadline with every interest rate.
struct sweepgrid {
    std::vector<long long> deadlines; // slacks above the critical path, time units, or
                                      // absolute deadlines when absolute; at least one
    bool absolute = false;            // whether deadlines are absolute
    std::vector<double> interests;    // interest rates, each finite and >= 0; at least one
};

// One solved point of a sweep.
struct sweeppoint {
    long long deadline = 0; // the deadline as given in the grid (a slack unless absolute);
                            // the absolute one is outcome.deadline
    double interest = 0;    // the interest rate
    double seconds = 0;     // wall time of this point's solve, seconds
    result outcome;         // the solve's result, as solver::solve gives it
};

// Solves net with the same cash flows at every point of the grid, each
// point warm-started by solver::resolve from a neighbouring one: the
// deadlines are walked up for the first rate, down for the next, and so on,
// so every solve starts from the point one deadline or one rate away. Each
// result equals that of a fresh solve of its point. opt gives the method,
// limits, boundall and maxactivities; its deadline, slack, absolute,
// deadlinefactor and interest are replaced by the point's. The points come
// back rate by rate in the grid's order, and within a rate deadline by
// deadline in the grid's order. An empty grid gives no points; a point that
// cannot be solved carries its status and reason. When opt.stop answers
// true, the point being solved ends as a stopped solve does, and every
// point not yet solved gets status::limit with the reason "the solve was
// stopped" and no schedule (start empty, hasdeadline false).
//
// It is the same as this loop, written with a serpentine order:
//     maxnpv::solver s;
//     for each rate r, for each deadline d:
//         opt.interest = r; opt.absolute = grid.absolute;
//         (opt.absolute ? opt.deadline : opt.slack) = d;
//         result x = first ? s.solve(net, cashflows, opt) : s.resolve(cashflows, opt);
std::vector<sweeppoint> sweep(const network &net, const std::vector<double> &cashflows,
                              const options &opt, const sweepgrid &grid);

} // namespace maxnpv

#endif
