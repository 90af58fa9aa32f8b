// An activity i is bounded by the deadline when some chain of arcs leads
// from it to the end dummy with a total lag of at least its duration: then
// start(end) >= start(i) + duration(i) in every schedule, and the end dummy
// starts by the deadline. The longest chains into the end dummy are found
// as the earliest starts are, by longest paths over the reversed arcs from
// the end dummy, strong component by strong component. Should that give up,
// label correcting does it (a queue of the activities whose distance grew);
// without a cycle of positive length every distance settles after at most
// nract raises of one activity, so a raise beyond that stops the count
// instead of looping. Where the earliest starts are known they turn it into
// Dijkstra's method, which stays fast on networks of many thousands of
// activities.
//
// addbounds adds its entries to the records before the network is built,
// so every later step (the normalisation, the critical path, the deadline,
// the search) sees them as if the file had listed them.
#include "input/boundall.h"

#include <deque>
#include <queue>
#include <utility>

#include "format/gprformat.h"
#include "network/earlystarts.h"

namespace gpr {

void addbounds(records *rec) {
    const int n = rec->nract, end = n - 1;
    if (n < 3) return;
    std::vector<char> fromstart(n, 0), toend(n, 0);
    for (int e = rec->rowstart[0]; e < rec->rowstart[1]; e++) fromstart[rec->entries[e].named] = 1;
    for (const fileentry &f : rec->entries)
        if (f.named == end) toend[f.owner] = 1;
    const int minimal = gprcode(gprbound::minimal);
    std::vector<fileentry> out;
    out.reserve(rec->entries.size() + 2 * (size_t)n);
    std::vector<int> rowstart(1, 0);
    for (int i = 0; i < n; i++) {
        for (int e = rec->rowstart[i]; e < rec->rowstart[i + 1]; e++)
            out.push_back(rec->entries[e]);
        if (i == 0)
            for (int s = 1; s < end; s++)
                if (!fromstart[s]) out.push_back({0, s, minimal, gprcode(gprrel::ss), 0});
        if (i > 0 && i < end && !toend[i]) out.push_back({i, end, minimal, gprcode(gprrel::fs), 0});
        rowstart.push_back((int)out.size());
    }
    rec->entries = std::move(out);
    rec->rowstart = std::move(rowstart);
}

namespace {

constexpr int64_t farchain = INT64_MAX / 4; // a reduced chain length beyond every bound

// The count by Dijkstra's method, when the earliest starts are a potential of
// every arc: with the reduced length w = est(j) - est(i) - lag >= 0 of an arc
// i -> j, a chain's lag is est(end) - est(i) minus its reduced length, so the
// longest chains to the end dummy are the shortest in reduced lengths. Returns
// -1 when some earliest start or arc does not fit that view.
int boundedbypotential(const network &net, const std::vector<int> &at,
                       const std::vector<int> &into) {
    const int n = net.nract, end = n - 1;
    for (int i = 0; i < n; i++)
        if (net.est[i] == nostart) return -1;
    for (int e : into)
        if ((int64_t)net.est[net.succ[e]] - net.est[net.owner[e]] - net.lag[e] < 0) return -1;
    std::vector<int64_t> reduced(n, farchain);
    std::priority_queue<std::pair<int64_t, int>, std::vector<std::pair<int64_t, int>>,
                        std::greater<std::pair<int64_t, int>>>
        heap;
    reduced[end] = 0;
    heap.push({0, end});
    while (!heap.empty()) {
        const auto [d, j] = heap.top();
        heap.pop();
        if (d != reduced[j]) continue;
        for (int x = at[j]; x < at[j + 1]; x++) {
            const int e = into[x], i = net.owner[e];
            const int64_t w = net.est[j] - net.est[i] - net.lag[e];
            const int64_t nd = w >= farchain - d ? farchain : d + w;
            if (nd < reduced[i]) reduced[i] = nd, heap.push({nd, i});
        }
    }
    int count = 0;
    for (int i = 1; i < end; i++) {
        // longest chain = est(end) - est(i) - reduced(i) < dur(i), without overflow
        const bool chain = reduced[i] < farchain;
        count += !chain || net.est[end] - net.est[i] - net.dur[i] < reduced[i];
    }
    return count;
}

} // namespace

int notbounded(const network &net) {
    const int n = net.nract, end = n - 1, m = net.entries();
    // The reversed arcs: for each activity the entries that name it.
    std::vector<int> at(n + 1, 0), into(m);
    for (int e = 0; e < m; e++)
        if (net.lag[e] != nolag) at[net.succ[e] + 1]++;
    for (int j = 0; j < n; j++) at[j + 1] += at[j];
    std::vector<int> fill(at.begin(), at.end() - 1);
    for (int e = 0; e < m; e++)
        if (net.lag[e] != nolag) into[fill[net.succ[e]]++] = e;
    into.resize(at[n]);
    {
        // Longest chains over the arcs turned round, from the end dummy;
        // the end dummy's own arcs lead nowhere here.
        std::vector<int> head(at[n]), lag(at[n]);
        for (int x = 0; x < at[n]; x++) {
            head[x] = net.owner[into[x]];
            lag[x] = head[x] == end ? nolag : net.lag[into[x]];
        }
        std::vector<int64_t> chain;
        if (longestpaths(n, end, at.data(), head.data(), lag.data(), true, &chain)) {
            int count = 0;
            for (int i = 1; i < end; i++) count += chain[i] == nostart || chain[i] < net.dur[i];
            return count;
        }
    }
    if ((int)net.est.size() == n) {
        const int fast = boundedbypotential(net, at, into);
        if (fast >= 0) return fast;
    }

    std::vector<int64_t> dist(n, nostart); // longest chain to the end dummy
    std::vector<int> raises(n, 0);
    std::vector<char> queued(n, 0);
    std::deque<int> work{end};
    dist[end] = 0;
    queued[end] = 1;
    while (!work.empty()) {
        const int j = work.front();
        work.pop_front();
        queued[j] = 0;
        for (int x = at[j]; x < at[j + 1]; x++) {
            const int e = into[x], i = net.owner[e];
            const int64_t d = dist[j] + net.lag[e];
            if (i == end || d <= dist[i]) continue;
            dist[i] = d;
            if (++raises[i] > n) return -1;
            if (!queued[i]) queued[i] = 1, work.push_back(i);
        }
    }
    int count = 0;
    for (int i = 1; i < end; i++) count += dist[i] == nostart || dist[i] < net.dur[i];
    return count;
}

int notbounded(const maxnpv::network &net) {
    records rec;
    rec.nract = (int)net.durations.size();
    rec.dur = net.durations;
    rec.rowstart.assign(1, 0);
    for (int i = 0; i < rec.nract; i++) {
        if (i < (int)net.entries.size())
            for (const maxnpv::entry &e : net.entries[i])
                rec.entries.push_back({i, e.successor - 1, e.bound, e.type, e.lag});
        rec.rowstart.push_back((int)rec.entries.size());
    }
    network built;
    std::string why;
    const runlimits none = runlimits::none();
    if (checkrecords(rec, none, &why) != outcome::solved ||
        buildnetwork(rec, none, &built, &why) != outcome::solved ||
        analyse(&built, &why) != outcome::solved)
        return -1;
    return notbounded(built);
}

} // namespace gpr
