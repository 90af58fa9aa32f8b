// The search for a schedule of maximal net present value under renewable
// resources: shared state of its steps and its entry point.
//
// A schedule is resource-feasible when at every integer time t, for every
// resource k, the activities running at t (S_i <= t < S_i + d_i, d_i > 0)
// need at most the capacity R_k together. Pairwise overlapping intervals
// share a point, so a schedule is feasible exactly when every minimal
// forbidden set (activities that together exceed a capacity, every proper
// subset fitting) holds one ordered pair i, j with S_j >= S_i + d_i. Each
// such pair is a minimal start-to-start lag d_i from i to j: a relation of
// the kind the network already holds. So every node of the search is a
// network of the ordinary problem (the instance's relations and the node's
// added ones), its relaxation is solved exactly by the existing methods, and
// its optimum bounds every schedule below it.
//
// The steps, one file each:
//   rcnetwork.cpp  a node's network: the instance's rows with the node's arcs;
//   rcconflict.cpp where a schedule overloads a resource, and a minimal
//                  forbidden set there;
//   rcfeasible.cpp a first resource-feasible schedule, among earliest ones;
//   rcchain.cpp    a feasible schedule as an order: arcs that keep it
//                  feasible, whose relaxation gives the order's best schedule;
//   rcimprove.cpp  better schedules from other orders of the incumbent;
//   rcbranch.cpp   the branch and bound over the ordered pairs of such sets,
//                  which calls the others.
#ifndef MAXNPV_RCSEARCH_H
#define MAXNPV_RCSEARCH_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "network/common_gpr.h"

namespace gpr {

// ------------------------------------------------------------- limits ---

constexpr long double rcgapshare = 1e-11L; // share of the cash flows' size below which two
                                           // values count as equal (above the relaxation's
                                           // own error of 1e-12 of that size)
constexpr int rcnonode = -1;               // no node
constexpr int rcmaxset = 64;               // activities of a forbidden set that is branched on

// ------------------------------------------------------------ one arc ---

// A relation the search adds: S[to] >= S[from] + lag.
struct rcarc {
    int from = 0; // activity, 0..nract-1
    int to = 0;   // activity, 0..nract-1
    int lag = 0;  // time units
};

// ---------------------------------------------------------- node networks ---

// Scratch of the building of node networks, sized by the instance.
struct rcbuild {
    std::vector<int> extra;     // [activity] arcs the node adds to its row
    std::vector<int> shift;     // [activity] where its base row moves to, less where it was
    std::vector<int> newnamed;  // [activity] added arcs naming it
    std::vector<int> pairentry; // [arc] the base entry of its pair, or -1 for a new entry
    std::vector<int> order;     // arcs sorted by (from, to)
    std::vector<int> queue;     // activities whose rows may raise a start (a ring)
    std::vector<char> queued;   // [activity] 1 while in the queue
    std::vector<int64_t> late;  // [activity] latest start of the instance under the deadline,
                                // time units; nolate where nothing bounds it
};

constexpr int64_t nolate = INT64_MAX; // a latest start that nothing bounds

// Fills work->late with the latest starts of the analysed network base under
// the deadline arc of lag closing (end dummy -> activity 0), and sizes the
// scratch. Every network that adds arcs to base has latest starts no later.
void nodeprepare(const network &base, int64_t closing, rcbuild *work);

// Builds into *out the analysed network base with the arcs added (a pair the
// base lists keeps its entries and takes the larger lag; a new pair gets one
// entry at the end of its row), with out->est its earliest starts. Returns
// outcome::solved, or outcome::infeasible when the arcs close a cycle of
// positive length or push a start past its latest start (nodeprepare must
// have run).
outcome extendnetwork(const network &base, const rcarc *arcs, int count, rcbuild *work,
                      network *out);

// ---------------------------------------------------------- conflicts ---

// Scratch of the conflict search, sized by the instance.
struct rcprofile {
    std::vector<int> users;     // activities that use a resource: duration > 0, a demand > 0
    std::vector<int> byst;      // users by start, then by finish (for the sweep)
    std::vector<int> byfin;     // users by finish
    std::vector<int64_t> use;   // [resource] units in use at the time swept
    std::vector<int> running;   // activities running at the conflict's time
    std::vector<int> candidate; // a forbidden set being shrunk
    std::vector<int> trial;     // a forbidden set of one resource
    std::vector<int> chosen;    // the smallest forbidden set of one time
};

// A score of a forbidden set (smaller is more urgent).
using rcscore = std::function<int64_t(const std::vector<int> &set)>;

// The resource model of an instance.
struct rcmodel {
    int nract = 0;                 // activities, both dummies included
    int nrres = 0;                 // resource types
    const int *dur = nullptr;      // [activity] duration, time units
    const int *capacity = nullptr; // [resource] capacity, units
    const int *demand = nullptr;   // [activity * nrres + resource] demand, units
    int64_t demandof(int i, int k) const { return demand[(size_t)i * nrres + k]; }
};

// Looks for the earliest time at which the schedule st overloads a resource,
// the activities that are not dropped in their own time and the dropped ones
// among themselves (they move together, without limit). Writes a minimal
// forbidden set of the activities running then into *set (the smallest such
// set over the overloaded resources) and returns its size, or 0 when the
// schedule is resource-feasible. *when gets the time. With a score, every
// time where an activity starts into an overload is looked at, and the set
// of the least score is taken (the earliest among equals).
int findconflict(const rcmodel &m, const std::vector<int64_t> &st, const std::vector<char> &dropped,
                 rcprofile *work, std::vector<int> *set, int64_t *when,
                 const rcscore *score = nullptr);

// Sizes the conflict scratch for the model.
void profileprepare(const rcmodel &m, rcprofile *work);

// --------------------------------------------------- a first schedule ---

// State of the search for a first resource-feasible schedule, sized by the
// instance.
struct rcfeasiblework {
    struct frame {
        int pairat = 0; // its pairs: pairs[pairat .. pairat + paircount - 1], best first
        int paircount = 0;
        int next = 0;     // the child to try next
        int pending = -1; // the child whose negation the node takes next, or -1
        int arcmark = 0;  // arcs of the path to the node and of the negations it took
    };
    std::vector<rcarc> arcs;     // the arcs of the path, a stack
    std::vector<int> nextarc;    // [arc] the arc before it out of the same activity, or -1
    std::vector<int> firstarc;   // [activity] its last arc on the stack, or -1
    std::vector<int> previn;     // [arc] the arc before it into the same activity, or -1
    std::vector<int> lastin;     // [activity] its last arc in on the stack, or -1
    std::vector<int> infirst;    // [activity 0..nract] first slot of its entries in inentry
    std::vector<int> inentry;    // [slot] the instance's entries by the activity they name
    std::vector<int64_t> starts; // [depth * nract + activity] earliest starts, time units
    std::vector<int64_t> lates;  // [depth * nract + activity] latest starts, or nolate
    int maxdepth = 0;            // depths the search may reach
    std::vector<int> queue;      // activities whose arcs may raise a start (a ring)
    std::vector<char> queued;    // [activity] 1 while in the queue
    std::vector<char> nodrop;    // [activity] 0: nothing is dropped in an earliest schedule
    std::vector<int64_t> view;   // the starts of the node being looked at
    rcprofile profile;           // conflict scratch
    std::vector<int> set;        // a forbidden set
    std::vector<std::pair<int, int>> pairs;              // the pairs of every frame, a stack
    std::vector<frame> frames;                           // the nodes of the path
    std::vector<std::tuple<int64_t, int64_t, int>> keys; // sort keys of one frame's pairs
    std::vector<std::pair<int, int>> order;              // one frame's pairs in order
};

// Sizes the state for an instance.
void feasibleprepare(const network &net, const rcmodel &m, rcfeasiblework *w);

// Looks for a resource-feasible schedule of net (analysed; b holds its latest
// starts from nodeprepare) among earliest schedules, depth first with
// restarts, for at most the seconds and nodes given (0: no such limit; with
// neither, until stopnow, found or proven absent), with the schedule in
// *found. *nodes counts the nodes tried.
// How the search for a first schedule ended.
enum class rcfound {
    schedule,   // a resource-feasible schedule
    infeasible, // a try searched every order: there is none
    unknown,    // the time or the stop hook ended it first
};

rcfound findfeasible(const network &net, const rcmodel &m, const rcbuild &b, rcfeasiblework *w,
                     double seconds, long long maxnodes, const std::function<bool()> &stopnow,
                     uint64_t seed, std::vector<int64_t> *found, long long *nodes);

// ------------------------------------------------------------- chaining ---

// Scratch of the chaining, sized by the instance.
struct rcchainwork {
    std::vector<int> users;                    // one resource's users by start
    std::vector<std::pair<int, int64_t>> held; // (activity, units it can still pass on)
    std::vector<uint64_t> tie;                 // [activity] its place among equal starts
};

// Arcs j -> i of lag d_j (deduplicated, by from and to) that pass each
// resource's units along the resource-feasible schedule st: every schedule
// that meets them meets the capacities. The dropped activities are chained
// among themselves. With noise (a random stream's state), equal starts are
// taken in a random order and units come from random holders: another order
// that st meets.
void chainschedule(const rcmodel &m, const std::vector<int64_t> &st,
                   const std::vector<char> &dropped, rcchainwork *w, std::vector<rcarc> *arcs,
                   uint64_t *noise = nullptr);

// ---------------------------------------------------------- improving ---

// What the improvement step asks of the search: the relaxation of the
// instance with the arcs added, solved, and true when its schedule became
// the new incumbent.
using rcsolvechain = std::function<bool(const std::vector<rcarc> &arcs)>;

// Draws orders of the incumbent (best, with its dropped activities) and
// solves each: every order's optimum is resource-feasible and at least as
// good, and the better ones replace the incumbent (solve does that). Ends
// after tries drawn orders without an improvement, or when stopnow says so.
// Returns the improvements.
int improveschedule(const rcmodel &m, const std::vector<int64_t> &best,
                    const std::vector<char> &bestdrop, int tries,
                    const std::function<bool()> &stopnow, const rcsolvechain &solve, rcchainwork *w,
                    std::vector<rcarc> *arcs, uint64_t *noise);

// ------------------------------------------------------------ the search ---

// What the caller asks of a search.
struct rclimits {
    long long maxnodes = 0;     // relaxations solved, at most; 0: no limit
    double seconds = 0;         // seconds of searching; 0: no limit
    std::function<bool()> stop; // asked now and then: true stops the search
    // Told now and then (a few times a second) and at every new schedule:
    // nodes, the best npv (NaN without a schedule) and the bound.
    std::function<void(long long nodes, double npv, double bound)> progress;
};

// How a search ended.
enum class rcend {
    solved,     // optimal: the schedule is proven best
    infeasible, // proven: no schedule meets the relations, the deadline and the resources
    limited,    // a limit or the stop hook ended it: best schedule (if any) and a bound
    failed,     // the relaxation of the instance itself cannot be solved (reason)
};

struct rcresult {
    rcend end = rcend::failed;
    outcome kind = outcome::invalid; // the relaxation's outcome when failed
    std::string reason;              // why infeasible or failed
    bool hasschedule = false;        // whether st holds a resource-feasible schedule
    double npv = 0;                  // its net present value (money)
    double bound = 0;                // an upper bound on the optimum (money)
    long long nodes = 0;             // relaxations solved
    std::vector<int64_t> st;         // [activity] start, time units (hasschedule)
    std::vector<char> dropped;       // [activity] 1: postponed without limit (hasschedule)
    std::vector<double> dcf;         // [activity] discounted cash flow, 0 when dropped
    bool relaxed = false;            // the schedule is the relaxation's own optimum
};

// Solves the resource-constrained problem of the analysed network net (with
// its capacities and demands) for cash flows cf, the interest rate and the
// absolute deadline. Never throws but std::bad_alloc.
rcresult rcsolve(const network &net, const std::vector<double> &cf, double interest,
                 int64_t deadline, const rclimits &limits);

} // namespace gpr

#endif
