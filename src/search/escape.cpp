// When the passes only exchange tree arcs at one schedule and come back to a
// tree they had before, they would repeat forever: the schedule is
// degenerate, many trees of binding arcs fit it, and the walk's fixed orders
// lead around a ring of them. The solve then goes on without trees.
//
// A schedule is optimal exactly when no set of activities can move as one to
// a better value. A set that moves later must take along every activity that
// a binding arc leaves it for (it is closed under binding arcs), must not
// hold activity 0, and improves the value when its discounted cash flows sum
// to less than zero; a set that moves earlier must take along every activity
// with a binding arc into it, and improves the value when its sum is above
// zero. (Every feasible small change of the schedule is a sum of such set
// moves, one per level of the change, so when none of them improves, none
// does.) The best closed set is a maximum-weight closure, which a minimum
// cut finds: the set's activities on the source side, each binding arc an
// edge no cut may take.
//
// So we repeat: find the best set that moves later; if it is worth less than
// the search's tolerance, move the most negative of its connected parts by
// the smallest slack of the arcs that leave it (or drop it when none leaves
// it, as the search does); else the same for moving earlier; else stop. Every
// move makes the value strictly better and starts stay whole numbers within
// their bounds, so this ends. The value is then the sum of the activities'
// discounted cash flows, and a spanning tree of binding arcs is rebuilt for
// those who show it. This only runs after a ring was found; its scratch is
// allocated then.
#include "search/escape.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "search/recsearch.h"
#include "search/treelist.h"

namespace gpr {

namespace {

constexpr double unbounded = std::numeric_limits<double>::infinity(); // an edge no cut takes

// Dinic's maximum flow on a small graph of double capacities.
class flowgraph {
  public:
    explicit flowgraph(int nodes) : head(nodes, -1), level(nodes), next(nodes) {}

    void edge(int from, int to, double cap) {
        arcs.push_back({to, head[from], cap});
        head[from] = (int)arcs.size() - 1;
        arcs.push_back({from, head[to], 0.0});
        head[to] = (int)arcs.size() - 1;
    }

    void maxflow(int s, int t) {
        while (levels(s, t)) {
            next = head;
            augment(s, t);
        }
    }

    // The nodes the source still reaches: the source side of a minimum cut.
    std::vector<char> sourceside(int s) {
        levels(s, -1);
        std::vector<char> side(head.size());
        for (size_t v = 0; v < head.size(); v++) side[v] = level[v] >= 0;
        return side;
    }

  private:
    struct arc {
        int to, next;
        double cap;
    };
    std::vector<arc> arcs;
    std::vector<int> head, level, next;

    static bool open(double cap) { return cap > 0; }

    bool levels(int s, int t) {
        std::fill(level.begin(), level.end(), -1);
        std::vector<int> queue{s};
        level[s] = 0;
        for (size_t k = 0; k < queue.size(); k++)
            for (int a = head[queue[k]]; a >= 0; a = arcs[a].next)
                if (open(arcs[a].cap) && level[arcs[a].to] < 0) {
                    level[arcs[a].to] = level[queue[k]] + 1;
                    queue.push_back(arcs[a].to);
                }
        return t >= 0 && level[t] >= 0;
    }

    // Augments along shortest paths of the level graph until none is left,
    // keeping the path on a stack of its own (a path may be as long as the
    // network).
    void augment(int s, int t) {
        std::vector<int> path; // arcs from s
        int v = s;
        for (;;) {
            if (v == t) {
                double flow = unbounded;
                for (int a : path) flow = std::min(flow, arcs[a].cap);
                for (int a : path) arcs[a].cap -= flow, arcs[a ^ 1].cap += flow;
                path.clear();
                v = s;
                continue;
            }
            int &a = next[v];
            while (a >= 0 && (!open(arcs[a].cap) || level[arcs[a].to] != level[v] + 1))
                a = arcs[a].next;
            if (a >= 0) {
                path.push_back(a);
                v = arcs[a].to;
                continue;
            }
            if (v == s) return;
            level[v] = -1; // a dead end
            path.pop_back();
            v = path.empty() ? s : arcs[path.back()].to;
        }
    }
};

// An arc of the schedule: from, to, lag; the end dummy's own relations to
// activity 0 give way to the deadline arc, and arcs touching a dropped
// activity bind nothing.
template <typename Visit>
void forarcs(const solver &s, Visit visit) {
    const network &net = *s.net;
    for (int i = 0; i < net.nract; i++) {
        if (s.dropped[i]) continue;
        for (int e = net.rowstart[i]; e < net.rowstart[i + 1]; e++) {
            const int k = net.succ[e];
            if (net.lag[e] == nolag || s.dropped[k] || (i == net.end() && k == 0)) continue;
            visit(i, k, (int64_t)net.lag[e], e);
        }
    }
    visit(net.end(), 0, (int64_t)s.closing, net.deadlinearc());
}

// The most improving connected set that can move later (later) or earlier,
// or an empty one.
std::vector<int> bestset(const solver &s, bool later) {
    const int n = s.net->nract, source = n, sink = n + 1;
    flowgraph g(n + 2);
    std::vector<std::vector<int>> tight(n); // binding arcs, both ways, for the parts
    forarcs(s, [&](int i, int k, int64_t lag, int) {
        if (s.st[k] != s.st[i] + lag) return;
        tight[i].push_back(k);
        tight[k].push_back(i);
        // Moving later, i's set takes k along; moving earlier, k's takes i.
        if (later)
            g.edge(i, k, unbounded);
        else
            g.edge(k, i, unbounded);
    });
    for (int i = 0; i < n; i++) {
        if (s.dropped[i]) continue;
        const double gain = later ? -s.dcf[i] : s.dcf[i];
        if (gain > 0) g.edge(source, i, gain);
        if (gain < 0) g.edge(i, sink, -gain);
    }
    g.edge(0, sink, unbounded); // activity 0 never moves
    g.maxflow(source, sink);
    std::vector<char> side = g.sourceside(source);

    // The connected parts of the set and the best of them.
    std::vector<int> part(n, -1), best, members;
    double bestgain = -s.negtol;
    for (int start = 0; start < n; start++) {
        if (!side[start] || part[start] >= 0 || s.dropped[start]) continue;
        members.assign(1, start);
        part[start] = start;
        double gain = 0;
        for (size_t x = 0; x < members.size(); x++) {
            const int a = members[x];
            gain += later ? -s.dcf[a] : s.dcf[a];
            for (int b : tight[a])
                if (side[b] && part[b] < 0) part[b] = start, members.push_back(b);
        }
        if (gain > bestgain) bestgain = gain, best = members;
    }
    return best;
}

// Moves the set later (or earlier) by the smallest slack of the arcs that
// leave it (enter it); a set that moves later without any arc leaving it is
// dropped.
void moveset(solver *s, const std::vector<int> &set, bool later) {
    const int n = s->net->nract;
    std::vector<char> in(n, 0);
    for (int a : set) in[a] = 1;
    bool bounded = false;
    int64_t shift = 0;
    forarcs(*s, [&](int i, int k, int64_t lag, int) {
        if (later ? !(in[i] && !in[k]) : !(in[k] && !in[i])) return;
        const int64_t slack = s->st[k] - lag - s->st[i];
        if (!bounded || slack < shift) shift = slack;
        bounded = true;
    });
    for (int a : set) {
        if (!later)
            s->st[a] -= shift;
        else if (bounded)
            s->st[a] += shift;
        else
            s->st[a] += noshift, s->dropped[a] = 1;
        s->dcf[a] = discount(*s, a);
    }
}

// A spanning tree of binding arcs over the activities that were not dropped,
// grown from activity 0, for those who show the final tree.
void rebuildtree(solver *s) {
    const network &net = *s->net;
    const int n = net.nract;
    std::vector<std::vector<std::pair<int, int>>> adj(n); // (neighbour, first entry of the arc)
    forarcs(*s, [&](int i, int k, int64_t lag, int e) {
        if (s->st[k] != s->st[i] + lag || i == k) return;
        const int f = e == net.deadlinearc() ? e : net.firstpos[e];
        adj[i].push_back({k, f});
        adj[k].push_back({i, f});
    });
    treeclear(s);
    std::vector<char> seen(n, 0);
    std::vector<int> queue{0};
    seen[0] = 1;
    for (size_t x = 0; x < queue.size(); x++)
        for (auto [b, f] : adj[queue[x]])
            if (!seen[b]) seen[b] = 1, treeadd(s, f), queue.push_back(b);
}

} // namespace

void escape(solver *s) {
    // Without interest every schedule is worth the same: nothing to improve.
    for (; s->interest > 0;) {
        s->nrits++;
        std::vector<int> set = bestset(*s, true);
        if (!set.empty()) {
            moveset(s, set, true);
            continue;
        }
        set = bestset(*s, false);
        if (set.empty()) break;
        moveset(s, set, false);
    }
    double npv = 0;
    for (int i = 0; i < s->net->nract; i++)
        if (!s->dropped[i]) npv += s->dcf[i];
    s->npv = npv;
    rebuildtree(s);
}

} // namespace gpr
