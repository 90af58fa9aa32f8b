// Consistency checks of a solved instance, for the fuzz target and its
// regression test: after solvecycle,
//   - every arc i -> j into an activity that was not dropped holds:
//     st[j] >= st[i] + lag (the deadline arc from the end dummy to activity 0
//     included); listed pairs without a relation are no arcs;
//   - every arc of the spanning tree is listed, has a relation and is
//     binding, and no tree arc touches a dropped activity;
//   - the tree joins every activity that was not dropped to activity 0;
//   - npv is the sum of the discounted cash flows of the activities that
//     were not dropped (checked when every term is finite).
// A shift moves a set by the smallest slack of its leaving arcs, so a
// schedule that breaks an arc, or a tree arc that is not binding, means the
// search went wrong. checkfastmethod then solves the instance again by the
// fast method, which must pass the same checks and, being exact, reach at
// least the classic search's value: that schedule is feasible, so the
// optimum is no lower, and the fast method stops within a trillionth of the
// cash flows' size of the optimum.
#ifndef MAXNPV_SOLVECHECK_H
#define MAXNPV_SOLVECHECK_H

#include <cmath>
#include <string>
#include <vector>

#include "network/common_gpr.h"
#include "search/solvecycle.h"

// Returns "" when the solved state is consistent, else the first defect.
inline std::string checksolution(const gpr::solver &s) {
    const gpr::network &net = *s.net;
    const int n = net.nract;
    auto arc = [](int i, int j) { return std::to_string(i) + "->" + std::to_string(j); };
    for (int e = 0; e <= net.entries(); e++) {
        const int i = net.owner[e], j = net.succ[e];
        if (e < net.entries() && (net.lag[e] == gpr::nolag || (i == net.end() && j == 0))) continue;
        if (s.dropped[j] || s.dropped[i]) continue;
        if (s.st[j] < s.st[i] + s.lagof(e))
            return "arc " + arc(i, j) + " of length " + std::to_string(s.lagof(e)) +
                   " is broken: starts " + std::to_string(s.st[i]) + " and " +
                   std::to_string(s.st[j]);
    }
    std::vector<std::vector<int>> adj(n);
    for (int a = 0; a < n; a++) {
        for (int x = 0; x < s.tsucclen[a]; x++) {
            const int e = s.tsucc[s.tsuccat[a] + x], b = net.succ[e];
            if (net.owner[e] != a || (e < net.entries() && net.lag[e] == gpr::nolag))
                return "tree arc " + arc(a, b) + " has no relation";
            if (s.dropped[a] != s.dropped[b])
                return "tree arc " + arc(a, b) + " leaves a dropped set";
            if (s.st[a] + s.lagof(e) != s.st[b])
                return "tree arc " + arc(a, b) + " is not binding: starts " +
                       std::to_string(s.st[a]) + " and " + std::to_string(s.st[b]);
            adj[a].push_back(b);
            adj[b].push_back(a);
        }
    }
    std::vector<char> seen(n, 0);
    std::vector<int> todo{0};
    seen[0] = 1;
    while (!todo.empty()) {
        int a = todo.back();
        todo.pop_back();
        for (int b : adj[a])
            if (!seen[b]) seen[b] = 1, todo.push_back(b);
    }
    double sum = 0.0, size = 0.0;
    bool finite = true;
    for (int a = 0; a < n; a++) {
        if (seen[a] == s.dropped[a])
            return "activity " + std::to_string(a) +
                   (s.dropped[a] ? " was dropped but is in the tree"
                                 : " is neither in the tree "
                                   "nor dropped");
        if (s.dropped[a]) continue;
        double term = s.cf[a] * std::exp(-s.interest * (double)(s.st[a] + net.dur[a]));
        finite = finite && std::isfinite(term);
        sum += term;
        size += std::fabs(term);
    }
    if (finite && std::fabs(s.npv - sum) > 1e-9 * size + 1e-9)
        return "npv " + std::to_string(s.npv) + " differs from the sum " + std::to_string(sum) +
               " of the activities in the tree";
    return "";
}

// After a classic solve of s that passed checksolution: "" when the fast
// method's solve of the same instance is consistent and no worse, else the
// first defect.
inline std::string checkfastmethod(gpr::solver *s) {
    const double classic = s->npv;
    if (!gpr::solvewith(s, gpr::searchmethod::fast)) return ""; // a limit stopped it
    const std::string defect = checksolution(*s);
    if (!defect.empty()) return "fast method: " + defect;
    // The size of the cash flows, each at its earliest completion.
    const gpr::network &net = *s->net;
    double size = 0.0;
    for (int a = 0; a < net.nract; a++)
        size += std::fabs(s->cf[a]) * std::exp(-s->interest * (double)(net.est[a] + net.dur[a]));
    constexpr double share = 1e-9; // of the size, by which the fast value may fall short
    if (std::isfinite(classic) && std::isfinite(s->npv) && std::isfinite(size) &&
        s->npv < classic - share * size)
        return "the fast method's npv " + std::to_string(s->npv) + " is below the classic " +
               std::to_string(classic);
    return "";
}

#endif
