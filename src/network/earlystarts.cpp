// Earliest starts are the smallest start vector that is 0 for the start dummy
// and meets st[j] >= st[i] + lag for every arc i -> j whose source has a start
// at all. An activity that no chain of arcs from the start dummy reaches has
// no start: it raises nothing and ends at nostart. The vector does not depend
// on the order in which arcs are relaxed.
//
// The order does decide which activity a reason names when a cycle of
// positive length keeps raising starts. That reason names the activity that
// sweeps over every row (activities in increasing order, each row from its
// last entry, later arcs of a sweep seeing the values raised earlier in it)
// raise last in sweep nract+1: without such a cycle sweep nract changes
// nothing, since a longest path has at most nract-1 arcs. We run exactly
// those sweeps, but relax only the rows whose activity was raised since the
// row was last relaxed: any other row cannot raise anything, so the raises,
// their order and the sweep count are the same. An activity raised by a row
// with a lower number is relaxed later in the same sweep, otherwise in the
// next one; a heap keeps the rows of a sweep in increasing order. So the work
// follows the raises, not the sweeps.
//
// Above exactcycles activities a reachable positive cycle could take the full
// sweeps a time quadratic in the network; there the graph of the last raises
// is searched for a cycle now and then, and the reason names an activity on
// it.
//
// Most networks have no such cycle, and then the order does not matter:
// the starts are found first by longest paths over the strong components of
// the arcs in topological order, each component swept as above over its
// raised activities, in time close to the size of the network. Only when that finds a cycle, or
// spends more than a few passes over the network, do the sweeps run.
//
// The normalisation runs first: every activity starts no earlier than the
// project and finishes no later than the end dummy starts. The critical path
// that fixes the deadline is the one of the network with these requirements.
#include "network/earlystarts.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <queue>

namespace gpr {

namespace {

constexpr int firstcheck = 64; // sweep after which a large network's raises are first searched
constexpr long long maxcyclework = 100000000; // raises spent on naming a cycle, at most
constexpr size_t cyclenamed = 10;             // activities of a cycle a reason names, at most
constexpr long long longestpasses = 8;        // passes over the network the longest paths may take

// An activity on a cycle of the graph that links each activity to the one
// whose row raised it last, or -1. Such a cycle only arises from a cycle of
// positive length.
int raisecycle(const std::vector<int> &raisedby) {
    const int n = (int)raisedby.size();
    std::vector<int> seen(n, -1); // the walk that first met the activity
    for (int start = 0; start < n; start++) {
        int a = start;
        while (a >= 0 && seen[a] < 0) seen[a] = start, a = raisedby[a];
        if (a >= 0 && seen[a] == start) return a;
    }
    return -1;
}

// The activities of a cycle of positive length reached from the start dummy
// (0-based, along its arcs, the smallest first) and its length; empty when
// none is found within the work allowed. Label correcting from the start
// dummy, each activity linked to the entry that raised it last: once the
// links close a cycle, that cycle has positive length (each of its arcs held
// when it was linked, and the starts have grown since), and there always is
// one after enough raises, since only a cycle of positive length keeps
// raising starts.
std::vector<int> positivecycle(const network &net, const std::vector<int> &lag, int64_t *length) {
    const int n = net.nract;
    std::vector<int64_t> st(n, nostart);
    std::vector<int> by(n, -1), from(n, -1); // [activity] the entry, and its owner, that raised it
    std::vector<char> queued(n, 0);
    std::deque<int> work{0};
    st[0] = 0;
    queued[0] = 1;
    long long raises = 0, check = n;
    std::vector<int> seen(n, -1), cycle;
    while (!work.empty() && raises < maxcyclework) {
        const int i = work.front();
        work.pop_front();
        queued[i] = 0;
        for (int e = net.rowstart[i]; e < net.rowstart[i + 1]; e++) {
            if (lag[e] == nolag) continue;
            const int j = net.succ[e];
            if (st[i] + lag[e] <= st[j]) continue;
            st[j] = st[i] + lag[e];
            by[j] = e, from[j] = i;
            if (!queued[j]) queued[j] = 1, work.push_back(j);
            if (++raises < check) continue;
            check += n;
            std::fill(seen.begin(), seen.end(), -1);
            for (int start = 0; start < n && cycle.empty(); start++) {
                int a = start;
                while (a >= 0 && seen[a] < 0) seen[a] = start, a = from[a];
                if (a < 0 || seen[a] != start) continue;
                for (int b = a;;) { // walked against the arcs
                    cycle.push_back(b);
                    b = from[b];
                    if (b == a) break;
                }
            }
            if (!cycle.empty()) {
                std::reverse(cycle.begin(), cycle.end());
                *length = 0;
                for (int b : cycle) *length += lag[by[b]];
                std::rotate(cycle.begin(), std::min_element(cycle.begin(), cycle.end()),
                            cycle.end());
                return cycle;
            }
        }
    }
    return cycle;
}

// "; the cycle: 2 -> 11 -> 2 (length 6)": the cycle named, the first
// cyclenamed activities of a long one and their count.
std::string cycletext(const network &net, const std::vector<int> &lag) {
    int64_t length = 0;
    const std::vector<int> cycle = positivecycle(net, lag, &length);
    if (cycle.empty()) return "";
    std::string text = "; the cycle: ";
    const size_t shown = std::min(cycle.size(), cyclenamed);
    for (size_t k = 0; k < shown; k++) text += std::to_string(cycle[k] + net.firstnumber) + " -> ";
    if (shown < cycle.size())
        text += "... (" + std::to_string(cycle.size()) + " activities in all) -> ";
    text += std::to_string(cycle[0] + net.firstnumber) + " (length " + std::to_string(length) + ")";
    return text;
}

} // namespace

bool longestpaths(int n, int source, const int *first, const int *head, const int *lag,
                  bool descending, std::vector<int64_t> *dist) {
    const long long budget = longestpasses * ((long long)first[n] + n);
    std::vector<int> index(n, -1), low(n, 0), comp(n, -1), stack, order, call, next(n, 0);
    std::vector<char> onstack(n, 0);
    stack.reserve(n), order.reserve(n), call.reserve(n);
    std::vector<int> compstart{0}; // components, sinks first: [start, next start) in order
    int counter = 0;
    for (int r = 0; r < n; r++) {
        if (index[r] >= 0) continue;
        auto enter = [&](int v) {
            index[v] = low[v] = counter++;
            stack.push_back(v), onstack[v] = 1;
            next[v] = first[v];
            call.push_back(v);
        };
        enter(r);
        while (!call.empty()) {
            const int u = call.back();
            if (next[u] < first[u + 1]) {
                const int e = next[u]++;
                if (lag[e] == nolag) continue;
                const int v = head[e];
                if (index[v] < 0)
                    enter(v);
                else if (onstack[v])
                    low[u] = std::min(low[u], index[v]);
                continue;
            }
            call.pop_back();
            if (!call.empty()) low[call.back()] = std::min(low[call.back()], low[u]);
            if (low[u] != index[u]) continue;
            const int c = (int)compstart.size() - 1;
            int x;
            do {
                x = stack.back();
                stack.pop_back();
                onstack[x] = 0;
                comp[x] = c;
                order.push_back(x);
            } while (x != u);
            compstart.push_back((int)order.size());
        }
    }

    dist->assign(n, nostart);
    (*dist)[source] = 0;
    // Inside a component, sweeps in the sweep order over the raised
    // activities only: an activity raised by one before it in that order
    // later in the same sweep, else in the next one.
    auto key = [&](int i) { return descending ? n - 1 - i : i; };      // its own inverse
    std::priority_queue<int, std::vector<int>, std::greater<int>> now; // keys
    std::vector<int> later;
    std::vector<char> innow(n, 0), inlater(n, 0);
    long long work = 0;
    for (int c = (int)compstart.size() - 2; c >= 0; c--) { // sources first
        const int size = compstart[c + 1] - compstart[c];
        for (int k = compstart[c]; k < compstart[c + 1]; k++)
            if ((*dist)[order[k]] != nostart) now.push(key(order[k])), innow[order[k]] = 1;
        for (int sweep = 1; !now.empty(); sweep++) {
            if (sweep > size + 1) return false; // only a cycle of positive length goes on
            while (!now.empty()) {
                const int i = key(now.top());
                now.pop();
                innow[i] = 0;
                work += first[i + 1] - first[i] + 1;
                if (work > budget) return false;
                for (int e = first[i]; e < first[i + 1]; e++) {
                    if (lag[e] == nolag) continue;
                    const int j = head[e];
                    const int64_t v = (*dist)[i] + lag[e];
                    if ((*dist)[j] != nostart && v <= (*dist)[j]) continue;
                    (*dist)[j] = v;
                    if (comp[j] != c) continue; // a later component: its turn comes
                    if (key(j) > key(i)) {
                        if (!innow[j]) innow[j] = 1, now.push(key(j));
                    } else if (!inlater[j]) {
                        inlater[j] = 1;
                        later.push_back(j);
                    }
                }
            }
            for (int j : later) inlater[j] = 0, innow[j] = 1, now.push(key(j));
            later.clear();
        }
    }
    return true;
}

int earlieststarts(const network &net, const std::vector<int> &lag, std::vector<int64_t> *st) {
    if (longestpaths(net.nract, 0, net.rowstart.data(), net.succ.data(), lag.data(), false, st))
        return -1;
    const int n = net.nract;
    st->assign(n, nostart);
    (*st)[0] = 0;
    std::priority_queue<int, std::vector<int>, std::greater<int>> now; // rows of this sweep
    std::vector<int> later;                                            // rows of the next sweep
    std::vector<char> innow(n, 0), inlater(n, 0);                      // flags of both
    std::vector<int> raisedby(n > exactcycles ? n : 0, -1);
    now.push(0);
    innow[0] = 1;
    long long check = firstcheck;
    for (long long sweep = 1;; sweep++) {
        int raised = -1;
        while (!now.empty()) {
            const int i = now.top();
            now.pop();
            innow[i] = 0;
            for (int e = net.rowstart[i + 1] - 1; e >= net.rowstart[i]; e--) {
                if (lag[e] == nolag) continue;
                const int j = net.succ[e];
                const int64_t v = (*st)[i] + lag[e];
                if (v <= (*st)[j]) continue;
                (*st)[j] = v;
                raised = j;
                if (!raisedby.empty()) raisedby[j] = i;
                if (j > i) {
                    if (!innow[j]) innow[j] = 1, now.push(j);
                } else if (!inlater[j]) {
                    inlater[j] = 1;
                    later.push_back(j);
                }
            }
        }
        if (raised < 0) return -1;
        if (sweep == (long long)n + 1) return raised;
        if (!raisedby.empty() && sweep >= check) {
            check *= 2;
            int a = raisecycle(raisedby);
            if (a >= 0) return a;
        }
        for (int j : later) inlater[j] = 0, innow[j] = 1, now.push(j);
        later.clear();
    }
}

outcome analyse(network *net, std::string *reason) {
    const int n = net->nract, end = n - 1;
    std::vector<int> &lag = net->lag;
    net->rawlags.clear();
    auto raise = [&](int e, int least) {
        if (lag[e] >= least) return;
        net->rawlags.push_back({e, lag[e]}); // the pair 0 -> end may come twice
        lag[e] = least;
    };
    for (int e = net->rowstart[0]; e < net->rowstart[1]; e++)
        if (net->succ[e] != 0) raise(e, 0);
    for (int i = 0; i < end; i++)
        for (int e = net->rowstart[i]; e < net->rowstart[i + 1]; e++)
            if (net->succ[e] == end) raise(e, net->dur[i]);

    int cycle = earlieststarts(*net, lag, &net->est);
    if (cycle >= 0) {
        std::vector<int> raw(lag);
        for (auto r = net->rawlags.rbegin(); r != net->rawlags.rend(); ++r)
            raw[r->first] = r->second;
        std::vector<int64_t> st;
        int rawcycle = earlieststarts(*net, raw, &st);
        char text[320];
        if (rawcycle >= 0) {
            std::snprintf(text, sizeof text,
                          "no feasible schedule: a cycle of positive length in the relations "
                          "keeps raising the start of activity %d",
                          rawcycle + net->firstnumber);
            *reason = text + cycletext(*net, raw);
        } else {
            std::snprintf(text, sizeof text,
                          "no feasible schedule: a cycle of positive length keeps raising the "
                          "start of activity %d; it involves the requirement that every "
                          "activity start after the project start and finish by the project end",
                          cycle + net->firstnumber);
            *reason = text + cycletext(*net, lag);
        }
        return outcome::infeasible;
    }
    if (net->est[end] == nostart) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "activities not connected: no chain of relations leads from the start "
                      "dummy to the end dummy (activity %d), so there is no critical path",
                      end + net->firstnumber);
        *reason = text;
        return outcome::unlinked;
    }
    return outcome::solved;
}

} // namespace gpr
