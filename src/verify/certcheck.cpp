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
// Tolerances (long double sums; eps = 2^-52, the spacing of doubles at 1):
//   - a multiplier counts as negative below -signtol (at an interest rate
//     above 0; without interest every feasible schedule is optimal), where signtol is
//     1e-5 money units for whole cash flows of at most 500 in magnitude and
//     1e-5 * (largest magnitude) / 500 otherwise (the threshold below which
//     the search itself counts a subtree's value as negative), or 1e-12 times
//     the sum of |discounted cash flow| over the schedule where that is more
//     (a double holds the npv to 2^-53 of that sum, so smaller gains are
//     beyond what a schedule's value can show);
//   - activity k balances within baltol(k) = 2^-40 * (|discounted(k)| *
//     (1 + interest * |start(k) + d(k)|) + sum of |value| at k), far above
//     the rounding of a double (2^-53 relative per value, and the exponential's
//     argument rounded to 2^-53 of interest * time) and far below any error a
//     wrong tree makes, plus 16 * DBL_MIN, where doubles lose their digits;
//   - the npv agrees within (n + 8) * eps * sum of |discounted(k)| * (1 +
//     interest * |start(k) + d(k)|) + 16 * DBL_MIN: the rounding bound of a sum
//     of n doubles, each with its exponential's error.
// Starts, lags and the deadline are whole numbers and are compared exactly
// (in 128 bits).
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

constexpr int minimal = 1, maximal = 2;                  // bound types of an entry
constexpr int ss = 1, sf = 2, fs = 3, ff = 4;            // relation types of an entry
constexpr double searchtol = 1e-5;                       // the search's negative threshold
constexpr double drawnlargest = 500;                     // largest drawn cash flow magnitude
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

// Earliest starts by longest paths from the start dummy (label correcting);
// false when a cycle of positive length is reachable. Unreached: reached 0.
bool earliest(int n, const std::vector<relation> &rel, std::vector<wide> *est,
              std::vector<char> *reached) {
    std::vector<std::vector<int>> out(n);
    for (int k = 0; k < (int)rel.size(); k++) out[rel[k].from].push_back(k);
    est->assign(n, 0);
    reached->assign(n, 0);
    std::vector<int> count(n, 0); // times an activity entered the queue
    std::vector<char> queued(n, 0);
    std::deque<int> work{0};
    (*reached)[0] = queued[0] = 1;
    while (!work.empty()) {
        const int i = work.front();
        work.pop_front();
        queued[i] = 0;
        for (int k : out[i]) {
            const int j = rel[k].to;
            const wide v = (*est)[i] + rel[k].lag;
            if ((*reached)[j] && v <= (*est)[j]) continue;
            (*est)[j] = v, (*reached)[j] = 1;
            if (queued[j]) continue;
            if (++count[j] > n) return false;
            queued[j] = 1, work.push_back(j);
        }
    }
    return true;
}

std::string num(wide v) {
    return std::to_string((long long)v);
}

std::string money(long double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17Lg", v);
    return text;
}

} // namespace

verdict verify(const network &net, const std::vector<double> &cashflows, const options &opt,
               const result &r, std::string *reason, int firstnumber) {
    std::string why;
    auto reject = [&](const std::string &text) {
        if (reason) *reason = text;
        return verdict::rejected;
    };
    const int n = (int)net.durations.size(), end = n - 1;
    auto act = [&](int i) { return "activity " + std::to_string(i + firstnumber); };
    auto arcname = [&](int i, int j, wide lag) {
        return std::to_string(i + firstnumber) + "->" + std::to_string(j + firstnumber) +
               " (start(" + std::to_string(j + firstnumber) + ") >= start(" +
               std::to_string(i + firstnumber) + ") + " + num(lag) + ")";
    };
    if (r.status != status::solved)
        return reject(std::string("the result's status is '") + statusname(r.status) +
                      "', not solved");
    if (n < 2) return reject("the network has fewer than two activities");
    if ((int)net.entries.size() > n) return reject("the network has entries beyond its activities");
    for (int i = 0; i < (int)net.entries.size(); i++)
        for (const entry &e : net.entries[i])
            if (e.successor < 1 || e.successor > n)
                return reject(act(i) + " names activity " +
                              std::to_string(e.successor - 1 + firstnumber) +
                              ", which the network does not have");
    if ((int)cashflows.size() != n || (int)r.start.size() != n || (int)r.unbounded.size() != n)
        return reject(std::to_string(n) + " activities, but " + std::to_string(cashflows.size()) +
                      " cash flows, " + std::to_string(r.start.size()) + " starts and " +
                      std::to_string(r.unbounded.size()) + " postponement flags");
    if (r.tree.size() != r.treelag.size() || r.tree.size() != r.multiplier.size())
        return reject("the tree has " + std::to_string(r.tree.size()) + " arcs, " +
                      std::to_string(r.treelag.size()) + " lags and " +
                      std::to_string(r.multiplier.size()) + " multipliers");
    const long double rate = opt.interest;
    if (!(opt.interest >= 0) || !std::isfinite(opt.interest))
        return reject("the interest rate is not a finite number of at least 0");
    for (int i = 0; i < n; i++)
        if (!std::isfinite(cashflows[i]))
            return reject("the cash flow of " + act(i) + " is not finite");

    const std::vector<relation> rel = relationsof(net, opt.boundall);
    std::vector<wide> est;
    std::vector<char> reached;
    if (!earliest(n, rel, &est, &reached))
        return reject("no schedule meets the relations: a cycle of positive length");
    if (!reached[end]) return reject("no chain of relations leads to the end dummy");
    const wide cp = est[end];
    wide deadline;
    if (opt.deadlinefactor > 0) {
        if (!r.hasdeadline) return reject("the result states no deadline");
        deadline = r.deadline;
        const long double least = (long double)opt.deadlinefactor * (long double)cp;
        if ((long double)deadline < least * (1 - eps) - eps || (long double)deadline >= least + 1)
            return reject("the deadline " + num(deadline) + " is not " +
                          std::to_string(opt.deadlinefactor) + " times the critical path " +
                          num(cp) + ", rounded up");
    } else {
        deadline = opt.absolute ? (wide)opt.deadline : cp + opt.slack;
    }
    if (r.hasdeadline && r.deadline != deadline)
        return reject("the result's deadline " + num(r.deadline) + " is not the deadline " +
                      num(deadline));
    if (r.hasdeadline && r.criticalpath != cp)
        return reject("the result's critical path " + num(r.criticalpath) + " is not " + num(cp));

    // Postponed activities.
    auto out = [&](int i) { return (bool)r.unbounded[i]; };
    if (out(0)) return reject("the start dummy (" + act(0) + ") is postponed");
    if (out(end))
        return reject("the end dummy (" + act(end) + ") is postponed, but the deadline bounds it");
    std::unordered_map<uint64_t, wide> lagof; // the largest lag of each pair
    for (const relation &a : rel) {
        if (out(a.from) && !out(a.to))
            return reject(act(a.from) + " is postponed without limit, but the relation " +
                          arcname(a.from, a.to, a.lag) + " bounds it");
        auto [at, fresh] = lagof.emplace(pairkey(a.from, a.to), a.lag);
        if (!fresh) at->second = std::max(at->second, (wide)a.lag);
    }
    {
        auto [at, fresh] = lagof.emplace(pairkey(end, 0), -deadline);
        if (!fresh) at->second = std::max(at->second, -deadline);
    }

    // Primal feasibility.
    auto st = [&](int i) { return (wide)r.start[i]; };
    if (st(0) != 0)
        return reject("the start dummy (" + act(0) + ") starts at " + num(st(0)) + ", not 0");
    for (const relation &a : rel)
        if (!out(a.from) && !out(a.to) && st(a.to) < st(a.from) + a.lag)
            return reject("the relation " + arcname(a.from, a.to, a.lag) +
                          " does not hold: start(" + std::to_string(a.to + firstnumber) +
                          ") = " + num(st(a.to)) + ", start(" +
                          std::to_string(a.from + firstnumber) + ") = " + num(st(a.from)));
    if (st(end) - st(0) > deadline)
        return reject("the deadline " + num(deadline) + " does not hold: the end dummy (" +
                      act(end) + ") starts at " + num(st(end)));

    // The tree: relations of the network, binding.
    for (size_t k = 0; k < r.tree.size(); k++) {
        const int i = r.tree[k].first - 1, j = r.tree[k].second - 1;
        if (i < 0 || i >= n || j < 0 || j >= n)
            return reject("tree arc " + std::to_string(k + 1) +
                          " names an activity the network "
                          "does not have");
        const wide lag = r.treelag[k];
        auto at = lagof.find(pairkey(i, j));
        if (at == lagof.end())
            return reject("tree arc " + std::to_string(i + firstnumber) + "->" +
                          std::to_string(j + firstnumber) + " is no relation of the network");
        if (at->second != lag)
            return reject("tree arc " + std::to_string(i + firstnumber) + "->" +
                          std::to_string(j + firstnumber) + " has lag " + num(lag) +
                          ", but the relation's lag is " + num(at->second));
        if (out(i) || out(j))
            return reject("tree arc " + arcname(i, j, lag) + " touches a postponed activity");
        if (st(j) != st(i) + lag)
            return reject("tree arc " + arcname(i, j, lag) + " does not bind: start(" +
                          std::to_string(j + firstnumber) + ") = " + num(st(j)) + ", start(" +
                          std::to_string(i + firstnumber) + ") = " + num(st(i)));
    }

    // Dual feasibility: signs, then the balance at every activity.
    double largest = 0;
    bool drawnlike = true;
    for (double c : cashflows) {
        largest = std::max(largest, std::fabs(c));
        drawnlike = drawnlike && c == std::floor(c);
    }
    long double scale = 0; // the schedule's money: the sum of |discounted cash flow|
    for (int i = 0; i < n; i++)
        if (!out(i))
            scale += std::fabs((long double)cashflows[i] *
                               std::exp(-rate * (long double)(st(i) + net.durations[i])));
    const long double signtol = std::max((long double)(drawnlike && largest <= drawnlargest
                                                           ? searchtol
                                                           : searchtol * largest / drawnlargest),
                                         signshare * scale);
    // Without interest every feasible schedule is worth the same, so no sign
    // is asked for; nor can putting activities off gain anything.
    for (int i = 0; i < n && rate == 0; i++)
        if (out(i))
            return reject(act(i) + " is postponed, but without interest no start is worth more "
                                   "than another");
    for (size_t k = 0; k < r.tree.size(); k++)
        if (!std::isfinite(r.multiplier[k]) || (rate > 0 && r.multiplier[k] < -signtol))
            return reject("tree arc " +
                          arcname(r.tree[k].first - 1, r.tree[k].second - 1, r.treelag[k]) +
                          " carries the multiplier " + money(r.multiplier[k]) +
                          ", below 0: moving the part of the tree it holds would gain");
    std::vector<long double> disc(n, 0), bal(n, 0), size(n, 0);
    long double value = 0, total = 0;
    for (int i = 0; i < n; i++) {
        if (out(i)) continue;
        const long double t = (long double)(st(i) + net.durations[i]);
        disc[i] = (long double)cashflows[i] * std::exp(-rate * t);
        bal[i] = disc[i];
        size[i] = std::fabs(disc[i]) * (1 + rate * std::fabs(t));
        value += disc[i];
        total += size[i]; // |discounted| * (1 + interest * |time|), before the tree adds to it
    }
    for (size_t k = 0; k < r.tree.size(); k++) {
        const int i = r.tree[k].first - 1, j = r.tree[k].second - 1;
        const long double f = r.multiplier[k];
        bal[j] -= f, bal[i] += f;
        size[j] += std::fabs(f), size[i] += std::fabs(f);
    }
    for (int i = 1; i < n; i++)
        if (!out(i) && std::fabs(bal[i]) > balshare * size[i] + tiny)
            return reject(act(i) + " does not balance: its discounted cash flow " + money(disc[i]) +
                          " differs from the multipliers into it less those "
                          "out of it by " +
                          money(bal[i]));
    if (!std::isfinite(r.npv) || std::fabs(value - r.npv) > (n + npvslack) * eps * total + tiny)
        return reject("the npv " + money(r.npv) + " is not the schedule's value " + money(value));

    // Inside the postponed activities: relations that bind at their starts,
    // each part measured from its least start, values of at least 0, and at
    // every postponed activity a discounted cash flow of at most the values
    // into it less those out of it.
    const size_t m = r.postponedtree.size();
    if (r.postponedlag.size() != m || r.postponedvalue.size() != m)
        return reject("the postponed set has " + std::to_string(m) + " relations, " +
                      std::to_string(r.postponedlag.size()) + " lags and " +
                      std::to_string(r.postponedvalue.size()) + " values");
    std::vector<int> part(n);
    for (int i = 0; i < n; i++) part[i] = i;
    auto root = [&](int i) {
        while (part[i] != i) i = part[i] = part[part[i]];
        return i;
    };
    for (size_t k = 0; k < m; k++) {
        const int i = r.postponedtree[k].first - 1, j = r.postponedtree[k].second - 1;
        if (i < 0 || i >= n || j < 0 || j >= n || !out(i) || !out(j))
            return reject("postponed relation " + std::to_string(k + 1) +
                          " does not join two postponed activities");
        const wide lag = r.postponedlag[k];
        auto at = lagof.find(pairkey(i, j));
        if (at == lagof.end() || at->second != lag)
            return reject("postponed relation " + arcname(i, j, lag) +
                          " is no relation of the network with that lag");
        if (st(j) != st(i) + lag)
            return reject("postponed relation " + arcname(i, j, lag) + " does not bind: start(" +
                          std::to_string(j + firstnumber) + ") = " + num(st(j)) + ", start(" +
                          std::to_string(i + firstnumber) + ") = " + num(st(i)));
        part[root(i)] = root(j);
    }
    std::vector<wide> least(n, 0);
    std::vector<char> seen(n, 0);
    for (int i = 0; i < n; i++) {
        if (!out(i)) continue;
        const int p = root(i);
        if (!seen[p] || st(i) < least[p]) least[p] = st(i);
        seen[p] = 1;
    }
    long double later = 0; // the postponed activities' money, each part from its least start
    for (int i = 0; i < n; i++) {
        if (!out(i)) continue;
        const long double t = (long double)(st(i) - least[root(i)] + net.durations[i]);
        disc[i] = (long double)cashflows[i] * std::exp(-rate * t);
        bal[i] = disc[i];
        size[i] = std::fabs(disc[i]) * (1 + rate * std::fabs(t));
        later += std::fabs(disc[i]);
    }
    const long double latertol = std::max(signtol, signshare * later);
    for (size_t k = 0; k < m; k++) {
        const int i = r.postponedtree[k].first - 1, j = r.postponedtree[k].second - 1;
        const long double g = r.postponedvalue[k];
        if (!std::isfinite(r.postponedvalue[k]) || g < -latertol)
            return reject("postponed relation " + arcname(i, j, r.postponedlag[k]) +
                          " carries the value " + money(g) + ", below 0");
        bal[j] -= g, bal[i] += g;
        size[j] += std::fabs(g), size[i] += std::fabs(g);
    }
    for (int i = 0; i < n; i++)
        if (out(i) && bal[i] > balshare * size[i] + tiny)
            return reject(act(i) + " is postponed, but its discounted cash flow " + money(disc[i]) +
                          " exceeds the values into it less those out of it by " + money(bal[i]) +
                          ": it gains by staying");
    if (reason) reason->clear();
    return verdict::optimal;
}

} // namespace maxnpv
