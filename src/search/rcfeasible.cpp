// Finding one resource-feasible schedule is the hard part of the problem
// once maximal time lags are in it (deciding whether one exists is
// NP-complete), and the npv's optimum is a poor guide there: it pushes the
// negative cash flows against the deadline and so spends the slack that
// later conflicts need. This search looks at the earliest schedule instead,
// which keeps every activity as early as its relations allow and leaves the
// slack at the end, as the branch and bound methods for the makespan do.
//
// It is the same branching as the exact search (the ordered pairs of a
// minimal forbidden set, each child with the negations of its earlier
// siblings), searched depth first with
// chronological backtracking, but without any relaxation: a node only raises
// the earliest starts along its arcs, so it costs the raises it makes.
// Starts past the instance's latest starts end a node at once. The arcs of
// the path live on one stack, threaded per activity, so going down and back
// up costs no copy of the network; the earliest starts are kept per depth.
//
// Latest starts are kept per depth as well, lowered against the posted arcs
// from those of the instance under the deadline: an activity whose earliest
// start passes its latest ends the node. Among the pairs of a set, the one
// that leaves the most slack comes first: the latest start of j less the
// earliest finish of i, so that the posted order keeps the most room. Of the
// overloads, the set whose roomiest pair leaves the least slack is resolved
// first: the most constrained decision, where a wrong choice shows soonest
// (among 77 UBO100 instances, 64 schedules in two seconds where the
// earliest overload gave 59). Ties are broken at random, and after a budget of nodes the search
// starts again with another random order, so that one early wrong decision costs only its budget.
#include <algorithm>

#include "search/rcsearch.h"

namespace gpr {

namespace {

constexpr long long restartnodes = 2000; // nodes of a first try before it starts again
constexpr double restartgrowth = 1.5;    // each try may take this many times the nodes
constexpr int depthper = 2;              // depths of the search per activity, at most
constexpr long long maxlevels = 1 << 23; // starts kept over all depths, at most (activities)
constexpr long long mindepth = 4;        // depths allowed however large the network

// A small fast generator for the random tie-breaks (xorshift64*).
struct rng {
    uint64_t state;
    explicit rng(uint64_t seed) : state(seed ? seed : 0x9e3779b97f4a7c15ull) {}
    uint64_t next() {
        state ^= state >> 12, state ^= state << 25, state ^= state >> 27;
        return state * 0x2545f4914f6cdd1dull;
    }
};

class diver {
  public:
    diver(const network &net, const rcmodel &m, const rcbuild &b, rcfeasiblework *w)
        : base(net), model(m), late(b.late), work(*w) {}

    // Searches until a schedule is found, every order failed, or the budget
    // is spent.
    rcfound run(long long budget, uint64_t seed, const std::function<bool()> &stopnow,
                std::vector<int64_t> *found, long long *nodes);

  private:
    const network &base;
    const rcmodel &model;
    const std::vector<int64_t> &late;
    rcfeasiblework &work;

    bool post(const rcarc &a, int level);
    void unpost(int mark);
};

// Adds arc a to the stack, raises the earliest starts of the level along it
// and lowers its latest starts against it; false when an activity's earliest
// start passes its latest. The earliest starts met every other arc, so all
// that rises rises from a.to; should it reach a.from, a path from a.to back
// to a.from is longer than minus a's lag: a cycle of positive length, found
// at once instead of after the starts have climbed to the latest ones.
bool diver::post(const rcarc &a, int level) {
    rcfeasiblework &w = work;
    const int n = base.nract;
    const int x0 = (int)w.arcs.size();
    w.arcs.push_back(a);
    w.nextarc.push_back(w.firstarc[a.from]);
    w.firstarc[a.from] = x0;
    w.previn.push_back(w.lastin[a.to]);
    w.lastin[a.to] = x0;
    int64_t *st = &w.starts[(size_t)level * n];
    int64_t *lt = &w.lates[(size_t)level * n];
    int head = 0, size = 0;
    bool ok = true;
    auto push = [&](int j) {
        if (!w.queued[j]) w.queued[j] = 1, w.queue[(head + size++) % n] = j;
    };
    auto raise = [&](int j, int64_t v) {
        if (v <= st[j]) return;
        st[j] = v;
        // Raising the arc's own tail closes a cycle of positive length.
        if (v > lt[j] || j == a.from) ok = false;
        push(j);
    };
    if (st[a.from] != nostart) raise(a.to, st[a.from] + a.lag);
    while (size > 0 && ok) {
        const int i = w.queue[head];
        head = (head + 1) % n, size--;
        w.queued[i] = 0;
        if (st[i] == nostart) continue;
        for (int e = base.rowstart[i]; e < base.rowstart[i + 1] && ok; e++)
            if (base.lag[e] != nolag) raise(base.succ[e], st[i] + base.lag[e]);
        for (int x = w.firstarc[i]; x >= 0 && ok; x = w.nextarc[x])
            raise(w.arcs[x].to, st[i] + w.arcs[x].lag);
    }
    auto lower = [&](int i, int64_t v) {
        if (v >= lt[i]) return;
        lt[i] = v;
        if (v < st[i]) ok = false;
        push(i);
    };
    if (ok) push(a.to);
    while (size > 0 && ok) {
        const int j = w.queue[head];
        head = (head + 1) % n, size--;
        w.queued[j] = 0;
        if (lt[j] == nolate) continue;
        for (int y = w.infirst[j]; y < w.infirst[j + 1] && ok; y++) {
            const int e = w.inentry[y];
            if (base.lag[e] != nolag) lower(base.owner[e], lt[j] - base.lag[e]);
        }
        for (int x = w.lastin[j]; x >= 0 && ok; x = w.previn[x])
            lower(w.arcs[x].from, lt[j] - w.arcs[x].lag);
    }
    while (size > 0) w.queued[w.queue[head]] = 0, head = (head + 1) % n, size--;
    return ok;
}

// Takes the arcs above mark off the stack.
void diver::unpost(int mark) {
    rcfeasiblework &w = work;
    while ((int)w.arcs.size() > mark) {
        const int x = (int)w.arcs.size() - 1;
        w.firstarc[w.arcs[x].from] = w.nextarc[x];
        w.lastin[w.arcs[x].to] = w.previn[x];
        w.arcs.pop_back();
        w.nextarc.pop_back();
        w.previn.pop_back();
    }
}

rcfound diver::run(long long budget, uint64_t seed, const std::function<bool()> &stopnow,
                   std::vector<int64_t> *found, long long *nodes) {
    rcfeasiblework &w = work;
    const int n = base.nract;
    rng random(seed);
    std::fill(w.firstarc.begin(), w.firstarc.end(), -1);
    std::fill(w.lastin.begin(), w.lastin.end(), -1);
    w.arcs.clear();
    w.nextarc.clear();
    w.previn.clear();
    std::copy(base.est.begin(), base.est.end(), w.starts.begin());
    std::copy(late.begin(), late.end(), w.lates.begin());
    std::vector<int> &set = w.set;
    std::vector<rcfeasiblework::frame> &frames = w.frames;
    frames.clear();
    w.pairs.clear();
    long long spent = 0;
    bool cut = false; // a branch was cut at the greatest depth: failing proves nothing
    // The node at depth d has its starts in starts[d * n ..]; its frame
    // holds the pairs of its conflict and the child to try next.
    int depth = 0;
    for (;;) {
        const int64_t *st = &w.starts[(size_t)depth * n];
        std::vector<int64_t> &view = w.view;
        view.assign(st, st + n);
        int64_t when;
        const int64_t *ltd = &w.lates[(size_t)depth * n];
        // The most constrained set: the one whose roomiest pair leaves the
        // least slack.
        const rcscore score = [&](const std::vector<int> &x) {
            int64_t most = INT64_MIN;
            for (int i : x)
                for (int j : x)
                    if (i != j)
                        most = std::max(most, ltd[j] == nolate ? INT64_MAX / 4
                                                               : ltd[j] - st[i] - model.dur[i]);
            return most;
        };
        const int size = findconflict(model, view, w.nodrop, &w.profile, &set, &when, &score);
        if (size == 0) {
            *found = view;
            *nodes += spent;
            return rcfound::schedule;
        }
        // The pairs of the set, the most slack first.
        rcfeasiblework::frame f;
        f.pairat = (int)w.pairs.size();
        f.arcmark = (int)w.arcs.size();
        for (int i : set)
            for (int j : set)
                if (i != j) w.pairs.push_back({i, j});
        f.paircount = (int)w.pairs.size() - f.pairat;
        f.next = 0;
        w.keys.resize(f.paircount);
        for (int p = 0; p < f.paircount; p++) {
            const auto [i, j] = w.pairs[f.pairat + p];
            const int64_t *lt = &w.lates[(size_t)depth * n];
            const int64_t slack = lt[j] == nolate ? INT64_MAX / 4 : lt[j] - st[i] - model.dur[i];
            w.keys[p] = {slack, (int64_t)(random.next() >> 1), p};
        }
        std::sort(w.keys.begin(), w.keys.end(), [](const auto &a, const auto &b) {
            return std::get<0>(a) != std::get<0>(b) ? std::get<0>(a) > std::get<0>(b)
                                                    : std::get<1>(a) < std::get<1>(b);
        });
        w.order.resize(f.paircount);
        for (int p = 0; p < f.paircount; p++)
            w.order[p] = w.pairs[f.pairat + std::get<2>(w.keys[p])];
        std::copy(w.order.begin(), w.order.end(), w.pairs.begin() + f.pairat);
        frames.push_back(f);
        // Down into the first child that is not empty; up where none is left.
        // A node's own level takes the negation of each child once that child
        // is done (a child that was empty needs none), so the next child only
        // adds its pair.
        for (;;) {
            if (frames.empty()) {
                *nodes += spent;
                return cut ? rcfound::unknown : rcfound::infeasible; // every order failed
            }
            rcfeasiblework::frame &top = frames.back();
            const int d = (int)frames.size() - 1;
            unpost(top.arcmark);
            bool ok = true;
            if (top.pending >= 0) {
                const auto [i, j] = w.pairs[top.pairat + top.pending];
                top.pending = -1;
                ok = post({j, i, 1 - model.dur[i]}, d);
                top.arcmark = (int)w.arcs.size();
            }
            if (!ok || top.next >= top.paircount) {
                w.pairs.resize(top.pairat);
                unpost(top.arcmark);
                frames.pop_back();
                continue;
            }
            const int k = top.next++;
            const auto [i, j] = w.pairs[top.pairat + k];
            if (++spent > budget || (stopnow && (spent & 63) == 0 && stopnow())) {
                *nodes += spent;
                return rcfound::unknown;
            }
            if (d + 1 >= w.maxdepth) {
                cut = true;
                continue;
            }
            std::copy(&w.starts[(size_t)d * n], &w.starts[(size_t)(d + 1) * n],
                      &w.starts[(size_t)(d + 1) * n]);
            std::copy(&w.lates[(size_t)d * n], &w.lates[(size_t)(d + 1) * n],
                      &w.lates[(size_t)(d + 1) * n]);
            if (!post({i, j, model.dur[i]}, d + 1)) continue;
            top.pending = k;
            depth = d + 1;
            break;
        }
    }
}

} // namespace

void feasibleprepare(const network &net, const rcmodel &m, rcfeasiblework *w) {
    const int n = net.nract;
    w->firstarc.assign(n, -1);
    w->lastin.assign(n, -1);
    w->infirst.assign(n + 1, 0);
    w->inentry.resize(net.entries());
    for (int e = 0; e < net.entries(); e++) w->infirst[net.succ[e] + 1]++;
    for (int i = 0; i < n; i++) w->infirst[i + 1] += w->infirst[i];
    std::vector<int> fill(w->infirst.begin(), w->infirst.end() - 1);
    for (int e = 0; e < net.entries(); e++) w->inentry[fill[net.succ[e]]++] = e;
    w->queue.assign(n, 0);
    w->queued.assign(n, 0);
    w->nodrop.assign(n, 0);
    w->view.reserve(n);
    profileprepare(m, &w->profile);
}

rcfound findfeasible(const network &net, const rcmodel &m, const rcbuild &b, rcfeasiblework *w,
                     double seconds, long long maxnodes, const std::function<bool()> &stopnow,
                     uint64_t seed, std::vector<int64_t> *found, long long *nodes) {
    const auto began = std::chrono::steady_clock::now();
    diver d(net, m, b, w);
    double budget = restartnodes;
    w->maxdepth = (int)std::max<long long>(
        mindepth, std::min<long long>(depthper * (long long)net.nract + 2, maxlevels / net.nract));
    w->starts.resize((size_t)(w->maxdepth + 1) * net.nract);
    w->lates.resize((size_t)(w->maxdepth + 1) * net.nract);
    const long long first = *nodes;
    // The caller's stop, or the end of the seconds given: asked within a try
    // too, so that a long try cannot overrun them.
    const std::function<bool()> over = [&stopnow, began, seconds]() {
        if (stopnow && stopnow()) return true;
        return seconds > 0 &&
               std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count() >=
                   seconds;
    };
    for (int attempt = 0;; attempt++) {
        if (maxnodes > 0) budget = std::min(budget, (double)(maxnodes - (*nodes - first)));
        if (budget < 1) return rcfound::unknown;
        const rcfound got = d.run((long long)budget, seed + attempt, over, found, nodes);
        if (got != rcfound::unknown) return got;
        if (over()) return rcfound::unknown;
        budget *= restartgrowth;
    }
}

} // namespace gpr
