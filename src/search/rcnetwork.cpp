// A node of the resource search is the instance's network with the arcs that
// the branching added on the way to it. Building it as a network of the
// ordinary kind lets both exact methods solve it unchanged: the base rows are
// copied with each added arc either merged into an entry of its pair (the
// larger lag holds, as for the file's own relations) or appended to its
// owner's row after the base entries. An appended entry stands after every
// base entry in its target's predecessor row, so the base entries keep their
// keys. Everything is written into vectors that keep their capacity from node
// to node, so a search of many nodes allocates only while the first ones grow
// them.
//
// The earliest starts only rise as arcs are added, so they are found from the
// base network's by posting the arcs one at a time and raising the starts
// from each arc's head until nothing rises. Before an arc is posted the
// starts meet every arc posted so far, so whatever rises rises from its
// head: should its own tail rise, a path from the head back to the tail is
// longer than minus the arc's lag, which closes a cycle of positive length
// (two activities each asked to finish before the other starts). That is
// found at once, not after the starts have climbed a long way. A start
// pushed past its latest start under the deadline (those of the instance
// bound every node's) also ends the node.
#include <algorithm>

#include "search/rcsearch.h"

namespace gpr {

namespace {

constexpr long long raisesper = 4; // passes over the network the latest starts may take

// Raises the starts st along arc c (its lag in place) until nothing rises;
// false when a start passes its latest one or c's own tail rises.
bool raisefrom(const network &net, const rcarc &c, rcbuild &w, std::vector<int64_t> *starts) {
    std::vector<int64_t> &st = *starts;
    const int n = net.nract;
    int head = 0, size = 0;
    bool ok = true;
    auto raise = [&](int j, int64_t v) {
        if (v <= st[j]) return;
        st[j] = v;
        if (v > w.late[j] || j == c.from) ok = false;
        if (!w.queued[j]) w.queued[j] = 1, w.queue[(head + size++) % n] = j;
    };
    raise(c.to, st[c.from] + c.lag);
    while (size > 0 && ok) {
        const int i = w.queue[head];
        head = (head + 1) % n, size--;
        w.queued[i] = 0;
        for (int e = net.rowstart[i]; e < net.rowstart[i + 1] && ok; e++)
            if (net.lag[e] != nolag) raise(net.succ[e], st[i] + net.lag[e]);
    }
    while (size > 0) w.queued[w.queue[head]] = 0, head = (head + 1) % n, size--;
    return ok;
}

} // namespace

void nodeprepare(const network &base, int64_t closing, rcbuild *work) {
    const int n = base.nract, end = n - 1;
    rcbuild &w = *work;
    w.queue.assign(n, 0);
    w.queued.assign(n, 0);
    w.late.assign(n, nolate);
    // Arcs by head, to walk them backwards from activity 0.
    std::vector<int> first(n + 1, 0), arcs(base.entries());
    for (int e = 0; e < base.entries(); e++) first[base.succ[e] + 1]++;
    for (int i = 0; i < n; i++) first[i + 1] += first[i];
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (int e = 0; e < base.entries(); e++) arcs[fill[base.succ[e]]++] = e;
    // st_i <= st_j - lag for an arc i -> j; st_0 = 0; st_end <= st_0 - closing.
    std::vector<int> ring{0};
    std::vector<char> in(n, 0);
    in[0] = 1;
    w.late[0] = 0;
    long long budget = raisesper * (long long)(n + base.entries()) * n;
    for (size_t k = 0; k < ring.size() && budget-- > 0; k++) {
        const int j = ring[k];
        in[j] = 0;
        auto lower = [&](int i, int64_t v) {
            if (v >= w.late[i]) return;
            w.late[i] = v;
            if (!in[i]) in[i] = 1, ring.push_back(i);
        };
        for (int x = first[j]; x < first[j + 1]; x++) {
            const int e = arcs[x], i = base.owner[e];
            if (base.lag[e] == nolag || i == j) continue;
            lower(i, w.late[j] - base.lag[e]);
        }
        if (j == 0) lower(end, -closing);
    }
}

outcome extendnetwork(const network &base, const rcarc *arcs, int count, rcbuild *work,
                      network *out) {
    const int n = base.nract;
    rcbuild &w = *work;
    w.extra.assign(n, 0);
    w.newnamed.assign(n, 0);
    w.pairentry.assign(count, -1);
    w.order.resize(count);
    for (int a = 0; a < count; a++) w.order[a] = a;
    std::sort(w.order.begin(), w.order.end(), [arcs](int x, int y) {
        return arcs[x].from != arcs[y].from ? arcs[x].from < arcs[y].from
               : arcs[x].to != arcs[y].to   ? arcs[x].to < arcs[y].to
                                            : x < y;
    });
    // Which pairs the base lists; each new pair takes one entry.
    auto samepair = [arcs](int x, int y) {
        return arcs[x].from == arcs[y].from && arcs[x].to == arcs[y].to;
    };
    for (int k = 0; k < count; k++) {
        const int a = w.order[k];
        if (k > 0 && samepair(a, w.order[k - 1])) continue;
        const rcarc &c = arcs[a];
        for (int e = base.rowstart[c.from]; e < base.rowstart[c.from + 1]; e++)
            if (base.succ[e] == c.to) {
                w.pairentry[a] = base.firstpos[e];
                break;
            }
        if (w.pairentry[a] < 0) w.extra[c.from]++, w.newnamed[c.to]++;
    }

    out->nract = n;
    out->nrres = base.nrres;
    out->capacity = base.capacity;
    out->demand = base.demand;
    out->dur = base.dur;
    out->nrfile = base.nrfile;
    out->firstnumber = base.firstnumber;
    out->endtostart = base.endtostart;
    out->rawlags.clear();
    out->rowstart.resize(n + 1);
    w.shift.resize(n);
    out->rowstart[0] = 0;
    for (int i = 0; i < n; i++) {
        w.shift[i] = out->rowstart[i] - base.rowstart[i];
        out->rowstart[i + 1] =
            out->rowstart[i] + (base.rowstart[i + 1] - base.rowstart[i]) + w.extra[i];
    }
    const int size = out->rowstart[n];
    out->succ.resize(size + 1);
    out->owner.resize(size + 1);
    out->lag.resize(size + 1);
    out->firstpos.resize(size + 1);
    out->predkey.resize(size + 1);
    out->nrpred = base.nrpred;
    for (int i = 0; i < n; i++) {
        const int s = w.shift[i];
        for (int e = base.rowstart[i]; e < base.rowstart[i + 1]; e++) {
            out->succ[e + s] = base.succ[e];
            out->owner[e + s] = i;
            out->lag[e + s] = base.lag[e];
            out->firstpos[e + s] = base.firstpos[e] + s;
            out->predkey[e + s] = base.predkey[e];
        }
    }
    // The new entries after each row's base entries, in (from, to) order,
    // without a lag until their arc is posted below; w.pairentry[a] becomes
    // the first entry of arc a's pair.
    for (int i = 0; i < n; i++) w.extra[i] = base.rowstart[i + 1] + w.shift[i]; // fill cursor
    std::fill(w.newnamed.begin(), w.newnamed.end(), 0);
    int at = -1; // the entry of the pair of the arc before
    for (int k = 0; k < count; k++) {
        const int a = w.order[k];
        const rcarc &c = arcs[a];
        if (k == 0 || !samepair(a, w.order[k - 1])) {
            if (w.pairentry[a] < 0) {
                at = w.extra[c.from]++;
                out->succ[at] = c.to;
                out->owner[at] = c.from;
                out->lag[at] = nolag;
                out->firstpos[at] = at;
                out->predkey[at] = base.nrpred[c.to] + w.newnamed[c.to]++;
                out->nrpred[c.to]++;
            } else {
                at = w.pairentry[a] + w.shift[c.from];
            }
        }
        w.pairentry[a] = at;
    }
    out->succ[size] = 0;
    out->owner[size] = n - 1;
    out->lag[size] = nolag;
    out->firstpos[size] = size;
    out->predkey[size] = lastkey;

    // The arcs posted one by one, in the order given: each raises the
    // earliest starts from its head, and raising its own tail on the way
    // means a cycle of positive length through it (the starts met every arc
    // posted before).
    out->est = base.est;
    std::vector<int64_t> &st = out->est;
    for (int k = 0; k < count; k++) {
        const rcarc &c = arcs[k];
        const int f = w.pairentry[k];
        if (out->lag[f] != nolag && out->lag[f] >= c.lag) continue;
        for (int e = f; e < out->rowstart[c.from + 1]; e++) // every entry of the pair
            if (out->succ[e] == c.to) out->lag[e] = c.lag;
        if (st[c.from] == nostart) continue;
        if (!raisefrom(*out, c, w, &st)) return outcome::infeasible;
    }
    return outcome::solved;
}

} // namespace gpr
