// The check of a certificate of optimality, written apart from the search:
// it builds the start-to-start relations from the network's own entries,
// finds the critical path by its own longest paths, and then checks the
// schedule and the tree against the linear program that x = exp(-interest *
// start) makes of the problem.
//
// The program. Every relation start(j) >= start(i) + lag becomes x(j) <=
// exp(-interest * lag) x(i), the deadline is the relation end dummy ->
// start dummy with lag -deadline, x(start dummy) = 1, and the objective is
// the sum of c(k) exp(-interest * d(k)) x(k). Multipliers y >= 0 of the
// relations prove a feasible x optimal when they are 0 on every relation
// that does not bind and, at every activity k but the start dummy,
//   c(k) exp(-interest * d(k)) = sum of y into k - sum of exp(-interest * lag) y out of k.
// Multiplied by x(k) this reads, with value(a) = y(a) x(to(a)) on a binding
// relation a, discounted(k) = sum of value into k - sum of value out of k:
// the values balance at every activity in present-value money. That form is
// what is checked; it keeps every number near the size of the cash flows,
// where y itself grows with exp(interest * start).
//
// Postponed activities have x = 0: relations into them never bind, and a
// relation out of one into an activity that is not postponed could not hold.
// At x = 0 the condition at a postponed activity k is an inequality, c(k)
// exp(-interest * d(k)) <= sum of y into k - sum of exp(-interest * lag) y
// out of k, over relations between postponed activities only. Multiplied by
// z(k) = exp(-interest * (start(k) - least start of its part)), with the
// starts relative within each part of binding relations, it reads as
// above: discounted(k) <= values into k - values out of k.
//
// What a wrong sign can cost. For any feasible x', weak duality gives
// npv(x') - npv(x) <= sum over a with y(a) < 0 of |y(a)| exp(-interest *
// lag(a)) x'(from(a)) + the balances' residuals, and x'(i) is at most
// exp(-interest * est(i)), est being the earliest start. In the values'
// money that is |value(a)| exp(interest * (start(from) - est(from))): a
// value is judged grown to the earliest start of its relation's tail, not
// where it stands. A +500 activity held at the deadline 100 at rate 0.2 has
// a value of -1e-6 where it stands and of -500 grown to its earliest start,
// which is what moving it there gains. The growth can lie beyond a long
// double, so the comparison is made between logarithms.
//
// Tolerances (long double sums; eps = 2^-52, the spacing of doubles at 1):
//   - a value counts as negative when, grown as above, it lies below
//     -signtol (at an interest rate above 0; without interest every feasible
//     schedule is optimal), where signtol is 1e-5 money units for whole cash
//     flows of at most 500 in magnitude and 1e-5 * (largest magnitude) / 500
//     otherwise (the threshold below which the search itself counts a
//     subtree's value as negative), or 1e-12 times the sum of |discounted
//     cash flow| over the schedule where that is more (a double holds the
//     npv to 2^-53 of that sum, so smaller gains are beyond what a
//     schedule's value can show), and at least 16 * DBL_MIN;
//   - activity k balances within baltol(k) = 2^-40 * (|discounted(k)| *
//     (1 + interest * |start(k) + d(k)|) + sum of |value| at k), far above
//     the rounding of a double (2^-53 relative per value, and the exponential's
//     argument rounded to 2^-53 of interest * time) and far below any error a
//     wrong tree makes, plus 16 * DBL_MIN, where doubles lose their digits;
//     a discounted cash flow that the result states agrees with the one
//     computed here within the same 2^-40 share;
//   - the npv agrees within (n + 8) * eps * sum of |discounted(k)| * (1 +
//     interest * |start(k) + d(k)|) + 16 * DBL_MIN: the rounding bound of a sum
//     of n doubles, each with its exponential's error.
// Starts, lags and the deadline are whole numbers and are compared exactly
// (in 128 bits). Every discounted cash flow must be a finite double: one
// beyond that range (a start long before the project) cannot be a solve's,
// and sums of such would say nothing. A cash flow of 0 is worth exactly 0
// wherever it lies.
//
// The checks are steps over one shared state, each a function that either
// passes or sets the reason: what the result must fit, the network and the
// deadline, the postponed activities, the schedule's feasibility, under
// resources their use at every time, the tree, the money, the signs, the
// balances, the npv, and the postponed parts. The resources come right after
// the relations: an optimum without them that meets them is an optimum under
// them, since they only take schedules away. A schedule without a tree (the
// resource search's) gets the steps that concern the schedule alone.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "maxnpv/maxnpv.h"

namespace maxnpv {

namespace {

using wide = __int128;

constexpr int minimal = 1, maximal = 2;   // bound types of an entry
constexpr int ss = 1, fs = 3, ff = 4;     // relation types of an entry (2: start-to-finish)
constexpr long double searchtol = 1e-5L;  // the search's negative threshold
constexpr long double drawnlargest = 500; // largest drawn cash flow magnitude
constexpr long double balshare = 1.0L / (1LL << 40);     // baltol's share (2^-40)
constexpr long double signshare = 1e-12L;                // signtol's share of the money
constexpr long double eps = 2.220446049250313080847e-16; // 2^-52
constexpr int npvslack = 8;                              // extra terms in the npv's bound
constexpr long double tiny = 16 * (long double)DBL_MIN;  // below this a double has lost digits

struct relation {
    int from = 0, to = 0; // 0-based activities: start(to) >= start(from) + lag
    int64_t lag = 0;      // time units
};

// The relations of net with their lags, the normalisation of the pairs from
// the start dummy and into the end dummy, and with boundall the bounds of
// every real activity; not the deadline.
std::vector<relation> relationsof(const network &net, bool boundall) {
    const int n = (int)net.durations.size(), end = n - 1;
    std::vector<relation> rel;
    std::vector<char> fromstart(n, 0), intoend(n, 0); // listed pairs 0 -> j, i -> end
    auto dur = [&](int i) { return (int64_t)net.durations[i]; };
    for (int i = 0; i < n && i < (int)net.entries.size(); i++)
        for (const entry &e : net.entries[i]) {
            const int s = e.successor - 1;
            if (i == 0) fromstart[s] = 1;
            if (s == end) intoend[i] = 1;
            if ((e.bound != minimal && e.bound != maximal) || e.type < ss || e.type > ff) continue;
            // point(s) >= point(i) + v (minimal) or <= (maximal), the points
            // being starts or finishes as the type names them.
            const int64_t from = e.type >= fs ? dur(i) : 0, to = e.type % 2 == 0 ? dur(s) : 0;
            const int64_t lag = (int64_t)e.lag + from - to;
            if (e.bound == minimal) {
                rel.push_back({i, s, lag});
            } else {
                rel.push_back({s, i, -lag});
                if (s == 0) fromstart[i] = 1;
                if (i == end) intoend[s] = 1;
            }
        }
    for (int j = 1; j < n; j++)
        if (fromstart[j] || (boundall && j < end)) rel.push_back({0, j, 0});
    for (int i = 0; i < end; i++)
        if (intoend[i] || (boundall && i > 0)) rel.push_back({i, end, dur(i)});
    return rel;
}

uint64_t pairkey(int from, int to) {
    return (uint64_t)(uint32_t)from << 32 | (uint32_t)to;
}

// Earliest starts by longest paths from the start dummy; false when a
// cycle of positive length is reachable. Unreached: reached 0. The strong
// components of the relations reached from the start dummy are taken in
// topological order (Tarjan's walk, with its own stacks), and inside each
// the starts are corrected until they hold (at most as many rounds per
// activity as the component has activities, else a cycle of positive
// length lies in it). A network whose maximal lags close only short cycles
// so costs little more than one pass over its relations.
bool earliest(int n, const std::vector<relation> &rel, std::vector<wide> *est,
              std::vector<char> *reached) {
    std::vector<int> first(n + 1, 0), arcs(rel.size()); // relations out of each activity
    for (const relation &a : rel) first[a.from + 1]++;
    for (int i = 0; i < n; i++) first[i + 1] += first[i];
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (int k = 0; k < (int)rel.size(); k++) arcs[fill[rel[k].from]++] = k;

    // Tarjan's walk from the start dummy: comp[i] numbers i's component, the
    // components in reverse topological order.
    constexpr int unseen = -1;
    std::vector<int> index(n, unseen), low(n, 0), comp(n, unseen), next(n, 0);
    std::vector<int> stack, call, members; // the walk's stack, its path, by component
    std::vector<int> compstart;            // [component] first slot of its members
    int counter = 0;
    auto enter = [&](int v) {
        index[v] = low[v] = counter++;
        next[v] = first[v];
        stack.push_back(v);
        call.push_back(v);
    };
    enter(0);
    while (!call.empty()) {
        const int u = call.back();
        if (next[u] < first[u + 1]) {
            const int v = rel[arcs[next[u]++]].to;
            if (index[v] == unseen)
                enter(v);
            else if (comp[v] == unseen)
                low[u] = std::min(low[u], index[v]);
            continue;
        }
        call.pop_back();
        if (!call.empty()) low[call.back()] = std::min(low[call.back()], low[u]);
        if (low[u] != index[u]) continue;
        compstart.push_back((int)members.size());
        int x;
        do {
            x = stack.back();
            stack.pop_back();
            comp[x] = (int)compstart.size() - 1;
            members.push_back(x);
        } while (x != u);
    }
    compstart.push_back((int)members.size());

    est->assign(n, 0);
    reached->assign(n, 0);
    (*reached)[0] = 1;
    std::vector<int> count(n, 0); // corrections of an activity inside its component
    std::vector<char> queued(n, 0);
    std::deque<int> work;
    for (int c = (int)compstart.size() - 2; c >= 0; c--) { // topological order
        const int size = compstart[c + 1] - compstart[c];
        for (int x = compstart[c]; x < compstart[c + 1]; x++)
            if ((*reached)[members[x]]) work.push_back(members[x]), queued[members[x]] = 1;
        while (!work.empty()) {
            const int i = work.front();
            work.pop_front();
            queued[i] = 0;
            for (int y = first[i]; y < first[i + 1]; y++) {
                const relation &a = rel[arcs[y]];
                const wide v = (*est)[i] + a.lag;
                if ((*reached)[a.to] && v <= (*est)[a.to]) continue;
                (*est)[a.to] = v, (*reached)[a.to] = 1;
                if (comp[a.to] != c || queued[a.to]) continue; // later components wait
                if (++count[a.to] > size) return false;
                queued[a.to] = 1, work.push_back(a.to);
            }
        }
    }
    return true;
}

// A whole number of 128 bits in decimal.
std::string num(wide v) {
    unsigned __int128 rest = v < 0 ? -(unsigned __int128)v : (unsigned __int128)v;
    std::string text;
    do {
        text.insert(text.begin(), (char)('0' + (int)(rest % 10)));
        rest /= 10;
    } while (rest != 0);
    return v < 0 ? "-" + text : text;
}

std::string money(long double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17Lg", v);
    return text;
}

// cf discounted from time t: exactly 0 for a cash flow of 0 wherever t
// lies (its growth may be beyond any range), else cf * exp(-rate * t),
// which is infinite when it leaves the range of long double.
long double discounted(double cf, long double rate, wide t) {
    if (cf == 0) return 0;
    return (long double)cf * std::exp(-rate * (long double)t);
}

// What the steps share: the inputs, what the network's analysis found, and
// the money of the schedule as the steps compute it.
struct checking {
    const network &net;
    const std::vector<double> &cf; // [activity] cash flows, money units
    const options &opt;
    const result &r;
    const int firstnumber; // the number the reasons give activity 0
    const int n, end;      // activities; the end dummy's index
    long double rate = 0;  // opt.interest

    std::vector<relation> rel;                // the network's relations, not the deadline
    std::vector<wide> est;                    // [activity] earliest start, time units
    std::unordered_map<uint64_t, wide> lagof; // [pair] its largest lag, the deadline's included
    wide deadline = 0;                        // absolute, time units
    wide cp = 0;                              // the end dummy's earliest start, time units

    std::vector<long double> disc; // [activity] discounted cash flow (money); a postponed
                                   // one's from the least start of its part
    std::vector<long double> bal;  // [activity] disc less the values in plus those out
    std::vector<long double> size; // [activity] the money at it that rounding can touch
    long double total = 0;         // sum of size over activities not postponed, before values
    long double value = 0;         // the schedule's value: sum of disc not postponed
    long double signtol = 0;       // see the opening comment (money)
    std::vector<int> part;         // [activity] union-find over the postponed parts
    std::vector<wide> least;       // [part's root] its least start, time units

    std::string why; // the reason of the step that failed

    checking(const network &net_, const std::vector<double> &cf_, const options &opt_,
             const result &r_, int firstnumber_)
        : net(net_), cf(cf_), opt(opt_), r(r_), firstnumber(firstnumber_),
          n((int)net_.durations.size()), end(n - 1) {}

    bool fail(const std::string &text) {
        why = text;
        return false;
    }
    bool out(int i) const { return r.unbounded[i]; }
    wide st(int i) const { return r.start[i]; }
    std::string number(int i) const { return std::to_string(i + firstnumber); }
    std::string act(int i) const { return "activity " + number(i); }
    std::string arcname(int i, int j, wide lag) const {
        return number(i) + "->" + number(j) + " (start(" + number(j) + ") >= start(" + number(i) +
               ") + " + num(lag) + ")";
    }
    int root(int i) {
        while (part[i] != i) i = part[i] = part[part[i]];
        return i;
    }
    // Whether a value on a relation out of i, grown from i's time at (its
    // start, or its offset in a postponed part) to its earliest start, lies
    // below -tol: log(|value|) + rate * (at - est(i)) > log(tol).
    bool costly(long double v, wide at, int i, long double tol) const {
        if (!(v < 0) || rate == 0) return false;
        return std::log(-v) + rate * (long double)(at - est[i]) > std::log(tol);
    }
};

// The result fits the network: sizes, numbers, finite values. anyschedule:
// a schedule that a limit stopped at will do as well as a solved one.
bool fits(checking &c, bool anyschedule) {
    const result &r = c.r;
    const bool limited = r.status == status::limit && r.hasschedule;
    if (anyschedule && r.status != status::solved && !limited)
        return c.fail(std::string("the result's status is '") + statusname(r.status) +
                      "' and holds no schedule");
    if (!anyschedule && r.status != status::solved)
        return c.fail(std::string("the result's status is '") + statusname(r.status) +
                      "', not solved");
    if (c.n < 2) return c.fail("the network has fewer than two activities");
    if ((int)c.net.entries.size() > c.n)
        return c.fail("the network has entries beyond its activities");
    for (int i = 0; i < (int)c.net.entries.size(); i++)
        for (const entry &e : c.net.entries[i])
            if (e.successor < 1 || e.successor > c.n)
                return c.fail(c.act(i) + " names activity " +
                              std::to_string((long long)e.successor - 1 + c.firstnumber) +
                              ", which the network does not have");
    if ((int)c.cf.size() != c.n || (int)r.start.size() != c.n || (int)r.unbounded.size() != c.n)
        return c.fail(std::to_string(c.n) + " activities, but " + std::to_string(c.cf.size()) +
                      " cash flows, " + std::to_string(r.start.size()) + " starts and " +
                      std::to_string(r.unbounded.size()) + " postponement flags");
    if (!r.discounted.empty() && (int)r.discounted.size() != c.n)
        return c.fail(std::to_string(c.n) + " activities, but " +
                      std::to_string(r.discounted.size()) + " discounted cash flows");
    if (r.tree.size() != r.treelag.size() || r.tree.size() != r.multiplier.size())
        return c.fail("the tree has " + std::to_string(r.tree.size()) + " arcs, " +
                      std::to_string(r.treelag.size()) + " lags and " +
                      std::to_string(r.multiplier.size()) + " multipliers");
    const size_t m = r.postponedtree.size();
    if (r.postponedlag.size() != m || r.postponedvalue.size() != m)
        return c.fail("the postponed set has " + std::to_string(m) + " relations, " +
                      std::to_string(r.postponedlag.size()) + " lags and " +
                      std::to_string(r.postponedvalue.size()) + " values");
    if (!(c.opt.interest >= 0) || !std::isfinite(c.opt.interest))
        return c.fail("the interest rate is not a finite number of at least 0");
    if (!(c.opt.deadlinefactor >= 0) || !std::isfinite(c.opt.deadlinefactor))
        return c.fail("the deadline factor is not a finite number of at least 0");
    for (int i = 0; i < c.n; i++)
        if (!std::isfinite(c.cf[i]))
            return c.fail("the cash flow of " + c.act(i) + " is not finite");
    if (!std::isfinite(r.npv)) return c.fail("the npv " + money(r.npv) + " is not finite");
    c.rate = c.opt.interest;
    return true;
}

// The network: its relations, its earliest starts, every activity reached
// from the start dummy (else the npv has no bound), the critical path and
// the deadline.
bool analysis(checking &c) {
    c.rel = relationsof(c.net, c.opt.boundall);
    std::vector<char> reached;
    if (!earliest(c.n, c.rel, &c.est, &reached))
        return c.fail("no schedule meets the relations: a cycle of positive length");
    for (int i = 1; i < c.n; i++)
        if (!reached[i])
            return c.fail("activities not connected: no chain of relations leads from the start "
                          "dummy to " +
                          c.act(i));
    c.cp = c.est[c.end];
    const result &r = c.r;
    if (c.opt.deadlinefactor > 0) {
        if (!r.hasdeadline) return c.fail("the result states no deadline");
        c.deadline = r.deadline;
        const long double least = (long double)c.opt.deadlinefactor * (long double)c.cp;
        if ((long double)c.deadline < least * (1 - eps) - eps ||
            (long double)c.deadline >= least + 1)
            return c.fail("the deadline " + num(c.deadline) + " is not " +
                          std::to_string(c.opt.deadlinefactor) + " times the critical path " +
                          num(c.cp) + ", rounded up");
    } else {
        c.deadline = c.opt.absolute ? (wide)c.opt.deadline : c.cp + c.opt.slack;
    }
    if (r.hasdeadline && r.deadline != c.deadline)
        return c.fail("the result's deadline " + num(r.deadline) + " is not the deadline " +
                      num(c.deadline));
    if (r.hasdeadline && r.criticalpath != c.cp)
        return c.fail("the result's critical path " + num(r.criticalpath) + " is not " + num(c.cp));
    return true;
}

// Postponed activities: neither dummy, none bounded by a relation to an
// activity that is not; and the largest lag of every pair.
bool postponement(checking &c) {
    c.lagof.reserve(c.rel.size() + 1);
    if (c.out(0)) return c.fail("the start dummy (" + c.act(0) + ") is postponed");
    if (c.out(c.end))
        return c.fail("the end dummy (" + c.act(c.end) +
                      ") is postponed, but the deadline bounds it");
    for (const relation &a : c.rel) {
        if (c.out(a.from) && !c.out(a.to))
            return c.fail(c.act(a.from) + " is postponed without limit, but the relation " +
                          c.arcname(a.from, a.to, a.lag) + " bounds it");
        auto [at, fresh] = c.lagof.emplace(pairkey(a.from, a.to), a.lag);
        if (!fresh) at->second = std::max(at->second, (wide)a.lag);
    }
    auto [at, fresh] = c.lagof.emplace(pairkey(c.end, 0), -c.deadline);
    if (!fresh) at->second = std::max(at->second, -c.deadline);
    return true;
}

// Primal feasibility: the start dummy at 0, every relation between
// activities that are not postponed, and the deadline.
bool feasibility(checking &c) {
    if (c.st(0) != 0)
        return c.fail("the start dummy (" + c.act(0) + ") starts at " + num(c.st(0)) + ", not 0");
    for (const relation &a : c.rel)
        if (!c.out(a.from) && !c.out(a.to) && c.st(a.to) < c.st(a.from) + a.lag)
            return c.fail("the relation " + c.arcname(a.from, a.to, a.lag) +
                          " does not hold: start(" + c.number(a.to) + ") = " + num(c.st(a.to)) +
                          ", start(" + c.number(a.from) + ") = " + num(c.st(a.from)));
    if (c.st(c.end) - c.st(0) > c.deadline)
        return c.fail("the deadline " + num(c.deadline) + " does not hold: the end dummy (" +
                      c.act(c.end) + ") starts at " + num(c.st(c.end)));
    return true;
}

// The renewable resources, when asked for: capacities and demands of the
// network's form, and at every time no more use of a resource than its
// capacity. Use changes only where an activity starts or finishes, so the
// starts and finishes of the activities that use something (not postponed,
// a duration above 0, a demand above 0) are swept in time order, finishes
// before starts at equal times (an activity runs over [start, start +
// duration), so one that finishes at t and one that starts at t never meet),
// and the use of every resource is compared with its capacity once all the
// events of a time are in: O(n log n + n K) however long the horizon, where a
// walk over the time units would cost the deadline itself. The first time
// with an overload, its lowest resource, is the reason. Postponed activities
// run beyond every time of the schedule and use nothing in it; each must fit
// the capacities alone, though, or no schedule could ever run it.
bool resources(checking &c) {
    const network &net = c.net;
    const size_t nrres = net.capacities.size();
    if (net.demands.size() > (size_t)c.n)
        return c.fail("the network has " + std::to_string(net.demands.size()) +
                      " rows of demands for " + std::to_string(c.n) + " activities");
    auto resource = [](size_t k) { return "resource " + std::to_string(k + 1); };
    for (size_t k = 0; k < nrres; k++)
        if (net.capacities[k] < 0)
            return c.fail("the capacity of " + resource(k) + " is " +
                          std::to_string(net.capacities[k]) + ", below 0");
    for (size_t i = 0; i < net.demands.size(); i++) {
        const std::vector<int> &row = net.demands[i];
        if (!row.empty() && row.size() != nrres)
            return c.fail("the demands of " + c.act((int)i) + " hold " +
                          std::to_string(row.size()) + " values for " + std::to_string(nrres) +
                          " resources");
        for (size_t k = 0; k < row.size(); k++)
            if (row[k] < 0)
                return c.fail("the demand of " + c.act((int)i) + " for " + resource(k) + " is " +
                              std::to_string(row[k]) + ", below 0");
    }
    auto need = [&](int i, size_t k) -> int64_t {
        const bool has = (size_t)i < net.demands.size() && !net.demands[i].empty();
        return has ? net.demands[i][k] : 0;
    };

    struct event {
        wide at;    // time units
        int i;      // the activity
        bool start; // false: its finish
    };
    std::vector<event> events;
    for (int i = 0; i < c.n; i++) {
        if (net.durations[i] <= 0) continue;
        bool uses = false;
        for (size_t k = 0; k < nrres; k++) {
            uses = uses || need(i, k) > 0;
            if (c.out(i) && need(i, k) > net.capacities[k])
                return c.fail(c.act(i) + " is postponed, but needs " + std::to_string(need(i, k)) +
                              " of " + resource(k) + ", more than its capacity " +
                              std::to_string(net.capacities[k]) + ": no schedule can run it");
        }
        if (!uses || c.out(i)) continue;
        events.push_back({c.st(i), i, true});
        events.push_back({c.st(i) + net.durations[i], i, false});
    }
    std::sort(events.begin(), events.end(), [](const event &a, const event &b) {
        return a.at != b.at ? a.at < b.at : a.start < b.start;
    });
    std::vector<int64_t> use(nrres, 0); // [resource] units, at most n * INT_MAX
    for (size_t e = 0; e < events.size();) {
        const wide at = events[e].at;
        bool started = false;
        for (; e < events.size() && events[e].at == at; e++) {
            const int i = events[e].i;
            started = started || events[e].start;
            for (size_t k = 0; k < nrres; k++) use[k] += events[e].start ? need(i, k) : -need(i, k);
        }
        for (size_t k = 0; k < nrres && started; k++) {
            if (use[k] <= net.capacities[k]) continue;
            std::string running;
            int count = 0;
            for (int i = 0; i < c.n; i++)
                if (!c.out(i) && need(i, k) > 0 && c.st(i) <= at &&
                    at < c.st(i) + net.durations[i]) {
                    running += (count++ == 0 ? " " : ", ") + c.number(i);
                }
            return c.fail(resource(k) + " is overloaded at time " + num(at) + ": the running " +
                          (count == 1 ? "activity" : "activities") + running +
                          (count == 1 ? " needs " : " need ") + std::to_string(use[k]) +
                          " of its capacity " + std::to_string(net.capacities[k]));
        }
    }
    return true;
}

// The tree: relations of the network with their lags, between activities
// that are not postponed, binding.
bool tree(checking &c) {
    const result &r = c.r;
    for (size_t k = 0; k < r.tree.size(); k++) {
        const int i = r.tree[k].first - 1, j = r.tree[k].second - 1;
        if (i < 0 || i >= c.n || j < 0 || j >= c.n)
            return c.fail("tree arc " + std::to_string(k + 1) +
                          " names an activity the network does not have");
        const wide lag = r.treelag[k];
        auto at = c.lagof.find(pairkey(i, j));
        if (at == c.lagof.end())
            return c.fail("tree arc " + c.number(i) + "->" + c.number(j) +
                          " is no relation of the network");
        if (at->second != lag)
            return c.fail("tree arc " + c.number(i) + "->" + c.number(j) + " has lag " + num(lag) +
                          ", but the relation's lag is " + num(at->second));
        if (c.out(i) || c.out(j))
            return c.fail("tree arc " + c.arcname(i, j, lag) + " touches a postponed activity");
        if (c.st(j) != c.st(i) + lag)
            return c.fail("tree arc " + c.arcname(i, j, lag) + " does not bind: start(" +
                          c.number(j) + ") = " + num(c.st(j)) + ", start(" + c.number(i) +
                          ") = " + num(c.st(i)));
    }
    return true;
}

// The schedule's money: every discounted cash flow a finite double, the
// discounted cash flows the result states among them, and the tolerance of
// the signs.
bool money(checking &c) {
    const result &r = c.r;
    c.disc.assign(c.n, 0);
    c.bal.assign(c.n, 0);
    c.size.assign(c.n, 0);
    long double scale = 0; // the schedule's money: the sum of |discounted cash flow|
    for (int i = 0; i < c.n; i++) {
        if (c.out(i)) {
            if (!r.discounted.empty() && r.discounted[i] != 0)
                return c.fail(c.act(i) + " is postponed, but its discounted cash flow is " +
                              money(r.discounted[i]) + ", not 0");
            continue;
        }
        const wide t = c.st(i) + c.net.durations[i];
        const long double d = discounted(c.cf[i], c.rate, t);
        if (!(std::fabs(d) <= DBL_MAX))
            return c.fail("the discounted cash flow of " + c.act(i) + ", finishing at " + num(t) +
                          ", is beyond the range of a double");
        c.disc[i] = c.bal[i] = d;
        c.size[i] = std::fabs(d) * (1 + c.rate * std::fabs((long double)t));
        if (!r.discounted.empty() &&
            !(std::fabs(r.discounted[i] - d) <= balshare * c.size[i] + tiny))
            return c.fail(c.act(i) + " has the discounted cash flow " + money(r.discounted[i]) +
                          ", but its cash flow discounted from its finish " + num(t) + " is " +
                          money(d));
        c.value += d;
        c.total += c.size[i]; // |discounted| * (1 + interest * |time|), before the tree adds
        scale += std::fabs(d);
    }
    long double largest = 0;
    bool drawnlike = true;
    for (double f : c.cf) {
        largest = std::max(largest, (long double)std::fabs(f));
        drawnlike = drawnlike && f == std::floor(f);
    }
    const long double search =
        drawnlike && largest <= drawnlargest ? searchtol : searchtol * largest / drawnlargest;
    c.signtol = std::max({search, signshare * scale, tiny});
    return true;
}

// Dual feasibility of the tree: every value, grown to the earliest start of
// its relation's tail, at least -signtol. Without interest every feasible
// schedule is worth the same, so no sign is asked for; nor can putting
// activities off gain anything.
bool signs(checking &c) {
    const result &r = c.r;
    for (int i = 0; i < c.n && c.rate == 0; i++)
        if (c.out(i))
            return c.fail(c.act(i) +
                          " is postponed, but without interest no start is worth more than "
                          "another");
    for (size_t k = 0; k < r.tree.size(); k++) {
        const int i = r.tree[k].first - 1, j = r.tree[k].second - 1;
        if (!std::isfinite(r.multiplier[k]))
            return c.fail("tree arc " + c.arcname(i, j, r.treelag[k]) + " carries the value " +
                          money(r.multiplier[k]) + ", not a finite number");
        if (c.costly(r.multiplier[k], c.st(i), i, c.signtol))
            return c.fail("tree arc " + c.arcname(i, j, r.treelag[k]) + " carries the multiplier " +
                          money(r.multiplier[k]) +
                          ", below 0: moving the part of the tree it holds would gain");
    }
    return true;
}

// The values balance the discounted cash flow at every activity but the
// start dummy that is not postponed.
bool balances(checking &c) {
    const result &r = c.r;
    for (size_t k = 0; k < r.tree.size(); k++) {
        const int i = r.tree[k].first - 1, j = r.tree[k].second - 1;
        const long double f = r.multiplier[k];
        c.bal[j] -= f, c.bal[i] += f;
        c.size[j] += std::fabs(f), c.size[i] += std::fabs(f);
    }
    for (int i = 1; i < c.n; i++)
        if (!c.out(i) && std::fabs(c.bal[i]) > balshare * c.size[i] + tiny)
            return c.fail(
                c.act(i) + " does not balance: its discounted cash flow " + money(c.disc[i]) +
                " differs from the multipliers into it less those out of it by " + money(c.bal[i]));
    return true;
}

// The npv is the schedule's value.
bool npv(checking &c) {
    if (std::fabs(c.value - c.r.npv) > (c.n + npvslack) * eps * c.total + tiny)
        return c.fail("the npv " + money(c.r.npv) + " is not the schedule's value " +
                      money(c.value));
    return true;
}

// Inside the postponed activities: relations that bind at their starts,
// each part measured from its least start, values of at least 0 (grown as
// the tree's are), and at every postponed activity a discounted cash flow of
// at most the values into it less those out of it.
bool postponedparts(checking &c) {
    const result &r = c.r;
    const size_t m = r.postponedtree.size();
    c.part.resize(c.n);
    for (int i = 0; i < c.n; i++) c.part[i] = i;
    for (size_t k = 0; k < m; k++) {
        const int i = r.postponedtree[k].first - 1, j = r.postponedtree[k].second - 1;
        if (i < 0 || i >= c.n || j < 0 || j >= c.n || !c.out(i) || !c.out(j))
            return c.fail("postponed relation " + std::to_string(k + 1) +
                          " does not join two postponed activities");
        const wide lag = r.postponedlag[k];
        auto at = c.lagof.find(pairkey(i, j));
        if (at == c.lagof.end() || at->second != lag)
            return c.fail("postponed relation " + c.arcname(i, j, lag) +
                          " is no relation of the network with that lag");
        if (c.st(j) != c.st(i) + lag)
            return c.fail("postponed relation " + c.arcname(i, j, lag) + " does not bind: start(" +
                          c.number(j) + ") = " + num(c.st(j)) + ", start(" + c.number(i) +
                          ") = " + num(c.st(i)));
        c.part[c.root(i)] = c.root(j);
    }
    c.least.assign(c.n, 0);
    std::vector<char> seen(c.n, 0);
    for (int i = 0; i < c.n; i++) {
        if (!c.out(i)) continue;
        const int p = c.root(i);
        if (!seen[p] || c.st(i) < c.least[p]) c.least[p] = c.st(i);
        seen[p] = 1;
    }
    long double later = 0; // the postponed activities' money, each part from its least start
    for (int i = 0; i < c.n; i++) {
        if (!c.out(i)) continue;
        const wide t = c.st(i) - c.least[c.root(i)] + c.net.durations[i];
        const long double d = discounted(c.cf[i], c.rate, t);
        if (!(std::fabs(d) <= DBL_MAX))
            return c.fail("the discounted cash flow of the postponed " + c.act(i) +
                          ", finishing at " + num(t) +
                          " after the least start of its part, is beyond the range of a double");
        c.disc[i] = c.bal[i] = d;
        c.size[i] = std::fabs(d) * (1 + c.rate * std::fabs((long double)t));
        later += std::fabs(d);
    }
    const long double latertol = std::max(c.signtol, signshare * later);
    for (size_t k = 0; k < m; k++) {
        const int i = r.postponedtree[k].first - 1, j = r.postponedtree[k].second - 1;
        const long double g = r.postponedvalue[k];
        if (!std::isfinite(r.postponedvalue[k]) ||
            c.costly(g, c.st(i) - c.least[c.root(i)], i, latertol))
            return c.fail("postponed relation " + c.arcname(i, j, r.postponedlag[k]) +
                          " carries the value " + money(g) + ", below 0");
        c.bal[j] -= g, c.bal[i] += g;
        c.size[j] += std::fabs(g), c.size[i] += std::fabs(g);
    }
    for (int i = 0; i < c.n; i++)
        if (c.out(i) && c.bal[i] > balshare * c.size[i] + tiny)
            return c.fail(c.act(i) + " is postponed, but its discounted cash flow " +
                          money(c.disc[i]) +
                          " exceeds the values into it less those out of it by " + money(c.bal[i]) +
                          ": it gains by staying");
    return true;
}

} // namespace

verdict verify(const network &net, const std::vector<double> &cashflows, const options &opt,
               const result &r, std::string *reason, int firstnumber) {
    checking c(net, cashflows, opt, r, firstnumber);
    const bool passed = fits(c, false) && analysis(c) && postponement(c) && feasibility(c) &&
                        (!opt.resources || resources(c)) && tree(c) && money(c) && signs(c) &&
                        balances(c) && npv(c) && postponedparts(c);
    if (reason) *reason = passed ? std::string() : c.why;
    return passed ? verdict::optimal : verdict::rejected;
}

verdict checkschedule(const network &net, const std::vector<double> &cashflows, const options &opt,
                      const result &r, std::string *reason, int firstnumber) {
    checking c(net, cashflows, opt, r, firstnumber);
    const bool passed = fits(c, true) && analysis(c) && postponement(c) && feasibility(c) &&
                        (!opt.resources || resources(c)) && money(c) && npv(c);
    if (reason) *reason = passed ? std::string() : c.why;
    return passed ? verdict::feasible : verdict::rejected;
}

} // namespace maxnpv
