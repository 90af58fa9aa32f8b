// Branch and bound over the ordered pairs of minimal forbidden sets.
//
// A node is a set of added arcs; its bound is the optimum of its network's
// relaxation (the ordinary problem, solved exactly). Where that optimum
// overloads a resource, the earliest overload gives a minimal forbidden set
// F, and every resource-feasible schedule of the node orders some pair of F:
// S_j >= S_i + d_i. The children are made disjoint, so that no schedule is
// searched twice: child k takes the k-th pair and the negation of every
// earlier one, S_j' <= S_i' + d_i' - 1, which is again a start-to-start lag
// (from j' to i', of 1 - d_i'). Together they cover every schedule of the
// node that orders a pair of F, which is every feasible one. A child whose
// arcs close a cycle of positive length or break the deadline is empty, and
// then its negation holds in every later sibling anyway and is left out.
//
// Children are solved as soon as their parent is expanded, so a child whose
// bound cannot beat the best schedule found (the incumbent) is dropped at
// once and the best child is known. The search dives into the best child
// until a dive ends (the node is pruned, infeasible or feasible: a new
// incumbent), then takes the open node of the largest bound: dives find
// schedules early, and the best-first choice between them spends the nodes
// on what can still improve the bound. The bound reported at a limit is the
// largest bound of the open nodes (or the incumbent).
//
// Within a node the pairs are ordered by how far the relaxation's schedule
// must move to meet them (the least overlap first), so the first children are
// the ones nearest the parent's optimum, which are likely the best.
//
// Values are compared with a tolerance of rcgapshare of the cash flows'
// size (each discounted from its earliest finish): it lies above the
// relaxation's own error, and no schedule better by more than it is ever
// cut off, so "solved" and "infeasible" are proofs.
//
// Node memory is freed as soon as no open node lies below it; arcs and pairs
// come from pools whose freed blocks are kept per size and used again.
#include <algorithm>
#include <cmath>
#include <limits>

#include "search/rcsearch.h"
#include "search/solvecycle.h"

namespace gpr {

namespace {

constexpr double progressevery = 0.25;   // seconds between progress reports
constexpr double firstshare = 0.25;      // share of the time limit of each turn of the search for
                                         // a first schedule, and of the branch and bound between
constexpr double diveshare = 0.05;       // share of the time limit the branch and bound dives
                                         // for a first schedule before the search for one
constexpr double divemost = 0.5;         // and at most these seconds (on large networks its
                                         // nodes are slow, and the other search is quick)
constexpr double againshare = 0.1;       // the same once a schedule is known: each turn then
                                         // starts a climb elsewhere
constexpr long long firstnodes = 200000; // its nodes without a time limit
constexpr int improvetries = 32;      // orders drawn without gain before improving stops, at most
constexpr int improveleast = 4;       // and at least
constexpr int improveper = 8;         // activities per such order (small networks draw fewer: the
                                      // branch and bound reaches their schedules itself)
constexpr uint64_t feasstride = 1000; // streams of successive searches for a first schedule
constexpr uint64_t improveseed = 0x9E3779B97F4A7C15ULL; // the improvement's stream, not 0
const char noschedule[] = "no feasible schedule: the resources exclude every schedule that meets "
                          "the relations and the deadline";

struct rcnode {
    int parent = rcnonode; // the node it branched from
    int arcat = 0;         // its own arcs: arcpool[arcat .. arcat + arccount - 1]
    int arccount = 0;
    int pairat = 0; // its forbidden set's ordered pairs, best first: pairpool[pairat ..]
    int paircount = 0;
    int live = 0;       // children not yet freed
    double bound = 0;   // its relaxation's optimum (money)
    bool open = false;  // waiting to be expanded
    bool inuse = false; // the slot holds a node
};

// Blocks of a pool, reused by size.
template <class T>
class pool {
  public:
    int take(int count) {
        if (count < (int)freed.size() && !freed[count].empty()) {
            const int at = freed[count].back();
            freed[count].pop_back();
            return at;
        }
        const int at = (int)items.size();
        items.resize(items.size() + count);
        return at;
    }
    void give(int at, int count) {
        if (count == 0) return;
        if ((int)freed.size() <= count) freed.resize(count + 1);
        freed[count].push_back(at);
    }
    T &operator[](int at) { return items[at]; }
    const T &operator[](int at) const { return items[at]; }

  private:
    std::vector<T> items;
    std::vector<std::vector<int>> freed; // [count] blocks of that size
};

class searcher {
  public:
    searcher(const network &instance, const std::vector<double> &flows, double rate, int64_t due,
             const rclimits &lim)
        : base(instance), cf(flows), interest(rate), deadline(due), limits(lim) {}

    rcresult run();

  private:
    const network &base;
    const std::vector<double> &cf;
    double interest;
    int64_t deadline;
    const rclimits &limits;

    rcmodel model;                // the resources
    rcprofile profile;            // conflict scratch
    rcbuild build;                // node network scratch
    network net;                  // the network of the node being solved
    solver sol;                   // its relaxation
    std::vector<rcarc> path;      // the arcs of the node being expanded
    network parentnet;            // the network of the node being expanded
    int parentof = rcnonode;      // the node parentnet stands for
    std::vector<int> set;         // a forbidden set
    std::vector<int> pairs;       // its ordered pairs, as (i, j) one after the other
    std::vector<int64_t> keys;    // a sort key per pair
    std::vector<int> order;       // pairs by key
    std::vector<rcarc> childarcs; // the arcs of the child being solved, beyond its parent's

    std::vector<rcnode> nodes;  // the node slots
    std::vector<int> freenodes; // free slots
    pool<rcarc> arcpool;
    pool<int> pairpool;
    std::vector<std::pair<double, int>> heap; // open nodes by bound (largest first), lazily
    std::vector<int> stack; // open nodes, the deepest and best last (lazily): the order of
                            // the search while no schedule is known
    std::vector<std::pair<double, int>> children; // the open children of one expansion

    long double tolerance = 0;   // values within this count as equal (money)
    bool hasbest = false;        // an incumbent exists
    double bestnpv = 0;          // its npv
    std::vector<int64_t> bestst; // its schedule
    std::vector<char> bestdrop;  // its dropped activities
    long long solved = 0;        // relaxations solved
    bool stopped = false;        // a limit stopped the search
    double stoppedbound = -std::numeric_limits<double>::infinity(); // bound of work cut short
    std::chrono::steady_clock::time_point started;
    double lastprogress = 0;
    double reportedbound = HUGE_VAL; // the bound the last report told (money)

    double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    bool overlimit();
    void report(bool now, bool final = false);
    double openbound();

    int newnode(int parent);
    void release(int v);
    outcome evaluate(int v, const rcarc *extra, int extracount, double *bound, bool *feasible);
    outcome evaluatefrom(const network &from, const rcarc *extra, int extracount, double *bound,
                         bool *feasible);
    void improve();
    void climb(const std::vector<int64_t> &st, const std::vector<char> &drop);
    // Orders drawn without gain before a climb stops.
    // Whether the search shares its time limit out in turns: not under a
    // node limit, which stops every search at the same place on every
    // machine.
    bool timed() const { return limits.seconds > 0 && limits.maxnodes <= 0; }
    int tries() const { return std::clamp(base.nract / improveper, improveleast, improvetries); }
    void keepconflict(int v);
    void expand(int v, int *dive);
    bool firstschedule(rcresult *r);

    rcfeasiblework feas;          // the search for a first schedule
    rcchainwork chainwork;        // chaining scratch
    std::vector<rcarc> chain;     // the arcs of a chained schedule
    std::vector<int64_t> found;   // a schedule found by the first search
    uint64_t noise = improveseed; // the improvement's random stream
    double improvedfrom = 0;      // the incumbent's npv when it was last improved
    long long nextimprove = 0;    // the node count at which to improve it again
    std::vector<int64_t> climbst; // the schedule a climb has reached
    std::vector<char> climbdrop;  // its dropped activities
    double climbnpv = 0;          // its npv
    uint64_t feasseed = 1;        // the stream of the next search for a first schedule
    double nextfeasible = 0;      // seconds: when that search takes its next turn
};

// A first schedule, from the search among earliest schedules, chained and
// solved for the best schedule of its order: the incumbent the branch and
// bound starts from. True when that search proved that there is none (*r
// then says so).
//
// Within a time limit the search for it takes turns with the branch and
// bound, each a share of the limit, each turn of it with a stream of its
// own: the two find schedules of different instances (on UBO100 at a
// quarter above the best makespans, some only the one, some only the
// other), and a search among earliest schedules that is stuck in one order
// of its decisions is often quick in another (before the first turn, the
// branch and bound dives for a twentieth of the limit, half a second at
// most). Once a schedule is known,
// the turns go on, shorter: each schedule found starts a climb of its own
// (its order's best schedule, then drawn orders), which reaches other
// schedules than the climb from the incumbent (on 40 UBO100 instances at
// 5 s, a better npv on 19 and a worse one on 2). Without a time limit, or
// under a node limit, it takes a number of nodes once, at the start, so
// that a search goes the same way on every machine.
bool searcher::firstschedule(rcresult *r) {
    const double share = hasbest ? againshare : firstshare;
    const double seconds =
        timed() ? std::min(share * limits.seconds, limits.seconds - elapsed()) : 0;
    const long long most = timed() ? 0 : firstnodes;
    long long tried = 0;
    const rcfound got = findfeasible(
        base, model, build, &feas, seconds, most, [this]() { return overlimit(); }, feasseed,
        &found, &tried);
    feasseed += feasstride;
    nextfeasible = elapsed() + firstshare * limits.seconds;
    if (got == rcfound::infeasible) {
        r->end = rcend::infeasible;
        r->nodes = solved;
        r->reason = noschedule;
        return true;
    }
    if (got != rcfound::schedule) return false;
    climb(found, feas.nodrop);
    return false;
}

// Draws orders of the incumbent while they pay (rcimprove.cpp), and sets
// when to try again: once the branch and bound has solved as many
// relaxations again, or at once when it finds a new incumbent.
void searcher::improve() {
    if (!hasbest) return;
    climb(bestst, bestdrop);
    improvedfrom = bestnpv;
    nextimprove = 2 * solved + tries();
}

// Climbs from the resource-feasible schedule st: its order's best schedule,
// then drawn orders of the best so far while they pay. Every schedule it
// meets competes for the incumbent.
void searcher::climb(const std::vector<int64_t> &st, const std::vector<char> &drop) {
    bool reached = false;
    const rcsolvechain solve = [this, &reached](const std::vector<rcarc> &arcs) {
        double bound = 0;
        bool feasible = false;
        if (evaluatefrom(base, arcs.data(), (int)arcs.size(), &bound, &feasible) !=
                outcome::solved ||
            !feasible)
            return false;
        if (reached && (long double)bound <= (long double)climbnpv + tolerance) return false;
        reached = true;
        climbst = sol.st;
        climbdrop = sol.dropped;
        climbnpv = bound;
        return true;
    };
    chainschedule(model, st, drop, &chainwork, &chain);
    if (!solve(chain)) return;
    improveschedule(
        model, climbst, climbdrop, tries(), [this]() { return stopped || overlimit(); }, solve,
        &chainwork, &chain, &noise);
}

bool searcher::overlimit() {
    if (limits.maxnodes > 0 && solved >= limits.maxnodes) return true;
    if (limits.stop && limits.stop()) return true;
    const double t = elapsed();
    if (limits.seconds > 0 && t >= limits.seconds) return true;
    return false;
}

double searcher::openbound() {
    double b = stoppedbound;
    for (const auto &h : heap)
        if (nodes[h.second].open) b = std::max(b, h.first);
    return b;
}

void searcher::report(bool now, bool final) {
    if (!limits.progress) return;
    const double t = elapsed();
    if (!now && t - lastprogress < progressevery) return;
    lastprogress = t;
    const double npv = hasbest ? bestnpv : std::numeric_limits<double>::quiet_NaN();
    double b = std::max(openbound(), hasbest ? bestnpv : -HUGE_VAL);
    // A bound that moved by less than the tolerance is told as it was, so
    // that a progress file does not get a row per change in the last digits;
    // the final report tells it exactly.
    if (!final && b >= reportedbound - (double)tolerance) b = reportedbound;
    reportedbound = b;
    limits.progress(solved, npv, b);
}

int searcher::newnode(int parent) {
    int v;
    if (!freenodes.empty()) {
        v = freenodes.back();
        freenodes.pop_back();
        nodes[v] = rcnode();
    } else {
        v = (int)nodes.size();
        nodes.emplace_back();
    }
    nodes[v].parent = parent;
    nodes[v].inuse = true;
    if (parent != rcnonode) nodes[parent].live++;
    return v;
}

// Frees v once it is closed and nothing lives below it, and so on upwards.
void searcher::release(int v) {
    while (v != rcnonode && !nodes[v].open && nodes[v].live == 0) {
        rcnode &x = nodes[v];
        if (parentof == v) parentof = rcnonode; // its slot may stand for another node next
        arcpool.give(x.arcat, x.arccount);
        pairpool.give(x.pairat, x.paircount);
        x.paircount = x.arccount = 0;
        x.inuse = false;
        freenodes.push_back(v);
        const int p = x.parent;
        if (p != rcnonode) nodes[p].live--;
        v = p;
    }
}

// Solves the relaxation of node v's arcs (its ancestors' and its own) plus
// the extra ones. *bound gets its optimum, *feasible whether that schedule
// meets the resources (and then it is compared with the incumbent).
outcome searcher::evaluate(int v, const rcarc *extra, int extracount, double *bound,
                           bool *feasible) {
    // The network of v once per expansion; each child adds its own arcs.
    if (parentof != v) {
        path.clear();
        for (int u = v; u != rcnonode; u = nodes[u].parent)
            for (int a = 0; a < nodes[u].arccount; a++) path.push_back(arcpool[nodes[u].arcat + a]);
        if (extendnetwork(base, path.data(), (int)path.size(), &build, &parentnet) !=
            outcome::solved)
            return outcome::infeasible; // cannot be: v was solved
        parentof = v;
    }
    return evaluatefrom(parentnet, extra, extracount, bound, feasible);
}

// The same for the network from with the extra arcs.
outcome searcher::evaluatefrom(const network &from, const rcarc *extra, int extracount,
                               double *bound, bool *feasible) {
    if (extendnetwork(from, extra, extracount, &build, &net) != outcome::solved)
        return outcome::infeasible;
    std::string why;
    const outcome kind = prepare(&sol, net, cf, interest, deadline, &why);
    if (kind != outcome::solved) return kind;
    sol.limits.maxmoves = 0;
    sol.limits.seconds = 0;
    if (limits.seconds > 0) sol.limits.seconds = std::max(1e-3, limits.seconds - elapsed());
    solved++;
    if (!solvewith(&sol, searchmethod::fast)) {
        // The relaxation was cut short: its value bounds nothing.
        stopped = true;
        return outcome::invalid;
    }
    *bound = sol.npv;
    int64_t when;
    *feasible = findconflict(model, sol.st, sol.dropped, &profile, &set, &when) == 0;
    if (*feasible && (!hasbest || sol.npv > bestnpv)) {
        hasbest = true;
        bestnpv = sol.npv;
        bestst = sol.st;
        bestdrop = sol.dropped;
        report(true);
    }
    return outcome::solved;
}

// Keeps the ordered pairs of the conflict just found (in set, at sol's
// schedule) with node v, the pairs whose arcs the schedule misses least
// first.
void searcher::keepconflict(int v) {
    pairs.clear();
    keys.clear();
    for (int i : set)
        for (int j : set) {
            if (i == j) continue;
            pairs.push_back(i), pairs.push_back(j);
            // How far j must move later (or i earlier) to follow i.
            keys.push_back(std::max<int64_t>(0, sol.st[i] + net.dur[i] - sol.st[j]));
        }
    const int count = (int)keys.size();
    order.resize(count);
    for (int p = 0; p < count; p++) order[p] = p;
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        if (keys[a] != keys[b]) return keys[a] < keys[b];
        return cf[pairs[2 * a + 1]] < cf[pairs[2 * b + 1]]; // delaying a payment first
    });
    rcnode &x = nodes[v];
    x.paircount = 2 * count;
    x.pairat = pairpool.take(x.paircount);
    for (int p = 0; p < count; p++) {
        pairpool[x.pairat + 2 * p] = pairs[2 * order[p]];
        pairpool[x.pairat + 2 * p + 1] = pairs[2 * order[p] + 1];
    }
}

// Solves every child of v; the open ones wait in the heap, the best of them
// in *dive.
void searcher::expand(int v, int *dive) {
    *dive = rcnonode;
    double divebound = 0;
    children.clear();
    nodes[v].open = false;
    const int count = nodes[v].paircount / 2;
    // The arcs of a child: its pair, then the negations of the earlier
    // pairs whose children were not empty.
    std::vector<rcarc> &arcs = childarcs;
    arcs.clear();
    for (int p = 0; p < count; p++) {
        const int i = pairpool[nodes[v].pairat + 2 * p], j = pairpool[nodes[v].pairat + 2 * p + 1];
        const rcarc pair{i, j, base.dur[i]};
        const rcarc negation{j, i, 1 - base.dur[i]};
        arcs.insert(arcs.begin(), pair);
        double bound = 0;
        bool feasible = false;
        const outcome kind = evaluate(v, arcs.data(), (int)arcs.size(), &bound, &feasible);
        if (kind != outcome::solved) {
            arcs.erase(arcs.begin());
            if (stopped) {
                // The rest of v's schedules are not searched: its bound stays.
                stoppedbound = std::max(stoppedbound, nodes[v].bound);
                return;
            }
            continue;
        }
        const bool worthless = (long double)bound <= (long double)bestnpv + tolerance && hasbest;
        if (!feasible && !worthless) {
            const int c = newnode(v);
            rcnode &x = nodes[c];
            x.arccount = (int)arcs.size();
            x.arcat = arcpool.take(x.arccount);
            for (int a = 0; a < x.arccount; a++) arcpool[x.arcat + a] = arcs[a];
            x.bound = bound;
            x.open = true;
            keepconflict(c);
            heap.push_back({bound, c});
            std::push_heap(heap.begin(), heap.end());
            children.push_back({bound, c});
            if (*dive == rcnonode || bound > divebound) *dive = c, divebound = bound;
        }
        arcs[0] = negation;
    }
    std::sort(children.begin(), children.end());
    for (const auto &c : children) stack.push_back(c.second);
}

rcresult searcher::run() {
    rcresult r;
    started = std::chrono::steady_clock::now();
    const int n = base.nract;
    model.nract = n;
    model.nrres = base.nrres;
    model.dur = base.dur.data();
    model.capacity = base.capacity.data();
    model.demand = base.demand.data();
    profileprepare(model, &profile);
    int64_t closing = -deadline;
    if (base.endtostart != nolag && base.endtostart > closing) closing = base.endtostart;
    nodeprepare(base, closing, &build);
    set.reserve(n);
    // An activity that alone needs more than a capacity fits no schedule.
    for (int i = 0; i < n; i++) {
        if (base.dur[i] <= 0) continue;
        for (int k = 0; k < base.nrres; k++) {
            if (model.demandof(i, k) <= base.capacity[k]) continue;
            r.end = rcend::infeasible;
            r.reason = "no feasible schedule: activity " + std::to_string(i + base.firstnumber) +
                       " needs " + std::to_string(model.demandof(i, k)) + " units of resource " +
                       std::to_string(k + 1) + ", whose capacity is " +
                       std::to_string(base.capacity[k]);
            return r;
        }
    }
    // The size of the cash flows, each discounted from its earliest finish.
    long double size = 0;
    for (int i = 0; i < n; i++)
        if (base.est[i] != nostart)
            size += std::fabs((long double)cf[i]) *
                    std::exp(-(long double)interest * (long double)(base.est[i] + base.dur[i]));
    tolerance = rcgapshare * size;

    const int root = newnode(rcnonode);
    double bound = 0;
    bool feasible = false;
    std::string why;
    const outcome kind = evaluate(root, nullptr, 0, &bound, &feasible);
    if (kind != outcome::solved) {
        if (stopped) {
            r.end = rcend::limited;
            r.nodes = solved;
            r.bound = HUGE_VAL;
            return r;
        }
        // The relaxation itself has no schedule: let the caller tell why.
        r.end = rcend::failed;
        r.kind = kind;
        return r;
    }
    nodes[root].bound = bound;
    if (feasible) {
        r.relaxed = true;
    } else {
        nodes[root].open = true;
        keepconflict(root);
        heap.push_back({bound, root});
        stack.push_back(root);
        report(true); // the root's bound, before the search for a first schedule
        feasibleprepare(base, model, &feas);
        // Within a time limit the branch and bound dives first, for a
        // small share of it: where its dive reaches a schedule, it does so
        // in a few hundred nodes.
        if (timed())
            nextfeasible = std::min(diveshare * limits.seconds, divemost);
        else if (firstschedule(&r))
            return r;
    }
    int dive = feasible ? rcnonode : root;
    while (!feasible) {
        if (overlimit()) {
            stopped = true;
            break;
        }
        report(false);
        if (timed() && elapsed() >= nextfeasible) {
            if (firstschedule(&r)) return r;
            dive = rcnonode;
            if (overlimit()) {
                stopped = true;
                break;
            }
        }
        if (hasbest && (bestnpv != improvedfrom || solved >= nextimprove)) {
            improve();
            if (stopped) break;
        }
        int v = dive;
        if (v == rcnonode && !hasbest) {
            // Depth first until a schedule is known: the deepest open node.
            while (!stack.empty() && !nodes[stack.back()].open) stack.pop_back();
            if (!stack.empty()) v = stack.back();
        }
        if (v == rcnonode) {
            while (!heap.empty() && !nodes[heap.front().second].open) {
                std::pop_heap(heap.begin(), heap.end());
                heap.pop_back();
            }
            if (heap.empty()) break;
            v = heap.front().second;
        }
        if (hasbest && (long double)nodes[v].bound <= (long double)bestnpv + tolerance) {
            nodes[v].open = false;
            release(v);
            dive = rcnonode;
            continue;
        }
        expand(v, &dive);
        release(v);
        if (stopped) break;
    }
    r.nodes = solved;
    r.hasschedule = hasbest;
    if (hasbest) {
        r.npv = bestnpv;
        r.st = bestst;
        r.dropped = bestdrop;
        r.dcf.assign(n, 0.0);
        for (int i = 0; i < n; i++)
            if (!bestdrop[i])
                r.dcf[i] = cf[i] == 0
                               ? 0.0
                               : cf[i] * std::exp(-interest * (double)(bestst[i] + base.dur[i]));
    }
    if (stopped) {
        r.end = rcend::limited;
        r.bound = std::max(openbound(), hasbest ? bestnpv : -HUGE_VAL);
        if (!(r.bound > -HUGE_VAL)) r.bound = hasbest ? bestnpv : bound;
        report(true, true);
        return r;
    }
    r.bound = hasbest ? bestnpv : 0;
    r.end = hasbest ? rcend::solved : rcend::infeasible;
    if (!hasbest) r.reason = noschedule;
    report(true, true);
    return r;
}

} // namespace

rcresult rcsolve(const network &net, const std::vector<double> &cf, double interest,
                 int64_t deadline, const rclimits &limits) {
    searcher s(net, cf, interest, deadline, limits);
    return s.run();
}

} // namespace gpr
