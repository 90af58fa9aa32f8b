// With x = exp(-interest * start) the max-npv problem is a linear program
// whose bases are spanning trees of binding arcs, and the value of the
// subtree below a tree arc is the multiplier that arc carries. A tree is
// optimal when every subtree hanging below an arc into it (a down arc) has a
// value of at least zero and every subtree hanging from an arc out of it (an
// up arc) a value of at most zero: the first could not gain by moving later,
// the second not by moving earlier. So a tree move takes a subtree of the
// wrong sign, moves it later (or earlier) until the first arc that leaves
// (or enters) it binds, and swaps that arc for the cut one: the primal
// simplex method, with moves in both directions. The classic search moves
// only later; that is not enough for an exact optimum under every pricing.
//
// Subtree values are kept relative to their root's start, sum c_k e^{-r d_k}
// e^{-r (S_k - S_root)}, in long double: a subtree that moves as a whole
// keeps its value, and a move changes only the values on the two paths to
// activity 0 and on the path inside the set that the re-rooting reverses.
// The last are taken at once; the two paths are only marked stale, and
// their values are taken afresh from the children once no activity whose
// value holds is left to move. On a deep tree (a long chain of binding arcs
// in a sparse network) the stale paths of many moves share most of their
// activities, so this costs far less than the depth per move.
//
// A subtree counts as of the wrong sign only when its multiplier's wrong
// sign could cost more than tolerance = gapshare * sum_k |c_k| e^{-r (S_k +
// d_k)} / n: the multiplier times the largest slack its arc can have in x,
// which is the subtree's value grown to the earliest start of the arc's
// earlier end. By LP duality the schedule at the end is then within
// gapshare of that sum of the optimum. Before it ends, every value is
// computed again from scratch and checked once more, so rounding in the
// updates cannot end a solve early. Judged where it stands instead, a
// subtree at the end of a long project worth 1e-12 may hide a gain of a
// thousandth. A value taken from the children passes each child's growth
// e^{-r dt} by the tree arc's factor, e^{-r lag} or e^{r lag}, taken once
// per solve: a move costs multiplications, not exponentials.
//
// Where many arcs bind at once (window networks, dense networks at an
// all-negative start), most tree moves are degenerate: they swap arcs at a
// step of zero. There a round of steepest ascent wins: the best set that can
// move later is a maximum-weight closure of the binding arcs, found by a
// minimum cut, and every improving connected part of it moves by its own
// smallest slack (the same for moving earlier). A part that moves earlier is
// judged, like a subtree, by its value grown to its earliest starts. Rounds
// run first while more than bindingshare arcs per activity bind, and during
// the tree phase after a window of moves that were mostly degenerate. After
// a round the tree is built again from the binding arcs; a part that no
// binding arc joins to activity 0 moves the way its value favours until one
// binds. The cuts are taken by push-relabel over the strong components of
// the binding arcs, in doubles: a cut only chooses the set, and the gain
// that decides whether it moves is summed in long double.
//
// Termination. Every move of positive step and every round that moves
// something raises the npv by more than the rounding of the values it
// moves, and the schedules of integer starts with at least the starting
// value are finitely many, so such steps are finitely many (rounds are also
// capped at maxrounds). A run of degenerate moves ends at the next window's
// round, or, when that round finds nothing (the schedule is then optimal and
// only the tree may still be of the wrong sign), under Bland's rule: the
// wrong-signed tree arc of the smallest arc number moves, and of equal steps the arc of
// the smallest number enters, which never repeats a tree. No bound on the
// number of moves better than the number of trees is known for this rule;
// in practice they are a few per activity.
//
// A set that would move later with no arc leaving it is postponed without
// limit and dropped, but only once no subtree inside it has the wrong sign
// (else a part of it that belongs early would be dropped with it): the
// deepest such subtree moves first.
#include "search/fastsearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "search/recsearch.h"
#include "search/solvecycle.h"
#include "search/treelist.h"

namespace gpr {

namespace {

constexpr long double gapshare = 1e-12L; // share of the cash flows' size an ignored move may gain
constexpr double bindingshare = 1.5;     // binding arcs per activity above which rounds run first
constexpr double degenerateshare = 0.7;  // share of degenerate moves in a window that calls a round
constexpr long long minwindow = 30;      // fewest moves in a window
constexpr long long windowdivisor = 50;  // a window is at least n / this moves
constexpr long long windowgrowth = 64;   // a window grows to this many times its first size
constexpr long long maxrounds = 100000;  // rounds of minimum cuts in one solve, at most
constexpr long double noiseshare = 1e-15L; // share of a part's cash flows that is rounding
constexpr int noarc = -1;                  // no arc / no activity
constexpr int64_t maxtabled = 1024; // growths of differences up to this are tabled (time units)
constexpr int farshift = 56;        // the cache of longer ones: 2^(64 - farshift)
constexpr size_t farslots = (size_t)1 << (64 - farshift); // slots, keyed by a multiplicative hash
constexpr uint64_t farhash = 0x9e3779b97f4a7c15ull;       // of the difference
constexpr int insidearc = -2;     // a binding arc inside one strong component: no flow edge
constexpr int unplaced = -3;      // a binding arc between two: its edge not placed yet
constexpr long long gapwalks = 4; // push-relabel's gap scans cost at most this many graph walks
// Flow capacities are doubles: a cut or flow only chooses which set moves or
// which arcs form a tree; the gains and the tree's values that decide and
// prove every step are summed in long double elsewhere.
using capacity = double;
constexpr capacity infinitecap = std::numeric_limits<capacity>::infinity();

enum class direction { later, earlier };

} // namespace

struct fastwork {
    // The arcs: every listed pair once (its first entry), and the deadline arc.
    int nrarcs = 0;            // arcs, the deadline arc last
    std::vector<int> from, to; // [arc] ends
    std::vector<int64_t> lag;  // [arc] start-to-start lag, time units
    std::vector<int> entry;    // [arc] the entry that stands for it in the tree lists
    std::vector<int> outstart; // [activity 0..n] first slot of its arcs out in outarc
    std::vector<int> outarc;   // [slot] arc
    std::vector<int> instart;  // [activity 0..n] first slot of its arcs in in inarc
    std::vector<int> inarc;    // [slot] arc

    // The tree, rooted at activity 0.
    std::vector<int> parent;      // [activity] tree neighbour towards 0; noarc for 0 and dropped
    std::vector<int> parc;        // [activity] arc to its parent; noarc for 0 and dropped
    std::vector<int> child;       // [activity] first child, noarc if none
    std::vector<int> next, prev;  // [activity] siblings among the parent's children
    std::vector<long double> rv;  // [activity] subtree value relative to its own start (money)
    std::vector<char> stale;      // [activity] 1: rv no longer holds; so for its ancestors
    std::vector<long double> own; // [activity] c * e^{-r d}: value at start 0 (money)
    // Growths of the differences of tree arcs, each taken once per solve:
    // valid where the stamp equals growstamp.
    unsigned growstamp = 0;             // this solve's stamp
    std::vector<long double> lagtable;  // [d + maxtabled] e^{-r d} for |d| <= maxtabled
    std::vector<unsigned> lagstamp;     // [d + maxtabled] stamp of lagtable
    std::vector<int64_t> farkey;        // [slot] a long difference d (time units)
    std::vector<long double> fargrow;   // [slot] e^{-r d} for farkey
    std::vector<unsigned> farstamp;     // [slot] stamp of farkey and fargrow
    std::vector<long double> startgrow; // [activity] e^{-r S} at the start startgrowat holds
    std::vector<int64_t> startgrowat;   // [activity] start startgrow was taken at, or nostart

    // Scratch.
    std::vector<int> members;   // the set being moved; also a walk's stack
    std::vector<int> order;     // a post-order of the tree
    std::vector<unsigned> mark; // [activity] == stamp: in the set being moved
    unsigned stamp = 0;
    std::vector<int> queue;   // activities whose tree arc may have the wrong sign (ring)
    std::vector<char> queued; // [activity] 1 while in the queue
    int qhead = 0, qsize = 0;
    std::vector<int> path;    // a tree path; the flow's augmenting path
    std::vector<int> patharc; // the tree arcs along path

    // Minimum cuts: a flow graph over the strong components of the binding
    // arcs, a source and a sink; each node's edges lie together.
    std::vector<int> gstart;    // [node 0..nodes] first slot of its edges (slots, in order)
    std::vector<int> gto;       // [slot] the node an edge leads to
    std::vector<int> grev;      // [slot] the slot of the same edge the other way
    std::vector<capacity> gcap; // [slot] residual capacity (money)
    std::vector<int> glevel;    // [node] push-relabel height; the cut's side after it
    std::vector<int> giter;     // [node] push-relabel: the slot it scans; a fill cursor
    std::vector<int> gqueue; // [node] queue of the heights' walk; between walks, nodes per height
    bool gplacing = false;   // the second pass of a build: edges are placed
    std::vector<capacity> gexcess; // [node] push-relabel: excess of inflow (money)
    std::vector<char> gactive;     // [node] push-relabel: 1 while in gring
    std::vector<int> gring;        // push-relabel: ring of the active nodes
    std::vector<int> part;         // [activity] connected part of the cut's set, or noarc
    std::vector<int> scc; // [activity] its cycle of binding arcs (strong component), or noarc
    std::vector<int> sccindex, scclow, sccstack, scccall, sccnext; // Tarjan's walk: [activity]
    std::vector<char> sccon;          // [activity] 1 while on Tarjan's stack
    std::vector<long double> sccgain; // [component] what moving it gains (money)
    std::vector<char> inside;         // [activity] 1: in the set a round moves
    std::vector<long long> heap;      // tree building: Dijkstra's heap of cost * n + activity
    std::vector<long long> cost;      // [activity] tree building: cost of its path, -1 unknown
    std::vector<char> done;           // [activity] tree building: joined the tree

    // The tree of an optimal schedule, from a flow of its cash flows.
    std::vector<int> arcedge;   // [arc] its edge's slot in the flow graph, insidearc, or noarc
    std::vector<capacity> flow; // [arc] the flow it carries (money)
    std::vector<int> neededge;  // [activity] its edge from the source or to the sink, or noarc
    std::vector<long double>
        carry; // [activity] inflow less outflow its component must bring (money)
    std::vector<long double>
        subtotal;                 // [activity] routing: what its subtree gives or takes (money)
    std::vector<int> fpar, fparc; // [activity] the flow forest: parent and arc, noarc at roots
    std::vector<int> dsu;         // [activity] union-find over the tree's parts
    std::vector<int> adjstart,
        adj; // the tree's arcs by activity: [activity 0..n] first slot, [slot] arc
    std::vector<int> treearcs; // the tree's arcs, in the order found

    long double tolerance = 0;    // the least gain a move must promise (money)
    long double logtolerance = 0; // log(tolerance), when tolerance > 0
    bool bland = false;           // Bland's rule in force
    bool lost = false;            // a value left the range of long double (not finite)
    long long rounds = 0;         // rounds of minimum cuts so far
};

namespace {

inline bool binds(const solver &s, const fastwork &w, int a) {
    return s.st[w.to[a]] == s.st[w.from[a]] + w.lag[a];
}

inline int64_t slackof(const solver &s, const fastwork &w, int a) {
    return s.st[w.to[a]] - w.lag[a] - s.st[w.from[a]];
}

inline long double grow(const solver &s, int64_t dt) { // e^{-r dt}
    return std::exp(-(long double)s.interest * (long double)dt);
}

// e^{-r d} for the difference d between two starts joined by a tree arc. A
// tree arc binds, so d is its lag or the lag's negative: a short one is
// looked up by its length, a long one (the deadline's, say) in a small
// cache keyed by it. Either way the exponential is taken about once per
// distinct lag and solve, instead of once per activity on every path a
// move updates.
inline long double treegrow(const solver &s, fastwork &w, int64_t d) {
    if (d >= -maxtabled && d <= maxtabled) {
        const size_t k = (size_t)(d + maxtabled);
        if (w.lagstamp[k] != w.growstamp) w.lagtable[k] = grow(s, d), w.lagstamp[k] = w.growstamp;
        return w.lagtable[k];
    }
    const size_t k = (size_t)(((uint64_t)d * farhash) >> farshift);
    if (w.farstamp[k] != w.growstamp || w.farkey[k] != d)
        w.fargrow[k] = grow(s, d), w.farkey[k] = d, w.farstamp[k] = w.growstamp;
    return w.fargrow[k];
}

// e^{-r S_i} at activity i's start now, taken again only once it moved.
inline long double startgrowth(const solver &s, fastwork &w, int i) {
    if (w.startgrowat[i] != s.st[i]) {
        w.startgrow[i] = grow(s, s.st[i]);
        w.startgrowat[i] = s.st[i];
    }
    return w.startgrow[i];
}

// The value of the subtree of v now, in present-value money.
inline long double valueof(const solver &s, fastwork &w, int v) {
    return w.rv[v] * startgrowth(s, w, v);
}

// ------------------------------------------------------------ the tree ---

void unlink(fastwork &w, int v) {
    const int p = w.parent[v];
    if (w.prev[v] != noarc)
        w.next[w.prev[v]] = w.next[v];
    else if (p != noarc)
        w.child[p] = w.next[v];
    if (w.next[v] != noarc) w.prev[w.next[v]] = w.prev[v];
    w.next[v] = w.prev[v] = noarc;
    w.parent[v] = noarc;
    w.parc[v] = noarc;
}

void link(fastwork &w, int v, int p, int a) {
    w.parent[v] = p;
    w.parc[v] = a;
    w.prev[v] = noarc;
    w.next[v] = w.child[p];
    if (w.child[p] != noarc) w.prev[w.child[p]] = v;
    w.child[p] = v;
}

// Fills w.order with a post-order of the subtree of v (children first).
void postorder(fastwork &w, int v) {
    w.order.clear();
    w.members.clear();
    w.members.push_back(v);
    while (!w.members.empty()) { // pre-order with children reversed, then flipped
        const int u = w.members.back();
        w.members.pop_back();
        w.order.push_back(u);
        for (int c = w.child[u]; c != noarc; c = w.next[c]) w.members.push_back(c);
    }
    std::reverse(w.order.begin(), w.order.end());
}

// The value of u's subtree from its children's values.
inline long double subtreevalue(const solver &s, fastwork &w, int u) {
    long double v = w.own[u];
    for (int c = w.child[u]; c != noarc; c = w.next[c])
        v += w.rv[c] * treegrow(s, w, s.st[c] - s.st[u]);
    return v;
}

// Recomputes every relative subtree value from scratch.
void recompute(const solver &s, fastwork &w) {
    postorder(w, 0);
    for (int u : w.order) w.rv[u] = subtreevalue(s, w, u), w.stale[u] = 0;
}

// How far activity i may move earlier: to its earliest start (time units).
inline int64_t roomof(const solver &s, int i) {
    const int64_t est = s.net->est[i];
    return est == nostart || est >= s.st[i] ? 0 : s.st[i] - est;
}

// Whether an amount of money (at least 0), as it would be room time units
// earlier, exceeds the tolerance. Compared by logarithms: the growth
// e^{r room} may lie far beyond long double where an amount far below double
// sits at the end of a long project.
inline bool beyondtolerance(const solver &s, const fastwork &w, long double amount, int64_t room) {
    if (!(amount > 0)) return false;
    if (!(w.tolerance > 0) || amount > w.tolerance) return true; // growth is at least 1
    // log(amount) lies in [e ln 2, (e + 1) ln 2) for the binary exponent e;
    // the logarithm itself is taken only where that leaves the answer open.
    const long double grown = (long double)s.interest * (long double)room;
    const long double e = (long double)std::ilogb(amount);
    constexpr long double ln2 = 0.693147180559945309417232121458176568L;
    if (e * ln2 + grown > w.logtolerance) return true;
    if ((e + 1) * ln2 + grown <= w.logtolerance) return false;
    return std::log(amount) + grown > w.logtolerance;
}

// The direction in which the subtree of v gains by moving, if any.
bool wrongsign(const solver &s, fastwork &w, int v, direction *dir) {
    if (v == 0 || w.parc[v] == noarc || s.interest <= 0) return false;
    const long double value = valueof(s, w, v);
    if (!std::isfinite(value)) {
        w.lost = true; // the values say nothing more; the caller solves another way
        return false;
    }
    // With x = e^{-r S}, the subtree's value is the multiplier of its tree
    // arc times x; a multiplier of the wrong sign may cost it times the
    // arc's slack in x, which is at most x of the arc's earlier end at its
    // earliest start. So the value is judged grown to there: below a down
    // arc a trifle whose cut would free its parent's subtree to move far
    // earlier, above an up arc the subtree's own move.
    const bool down = w.to[w.parc[v]] == v;
    const int early = down ? w.parent[v] : v; // the arc's earlier end
    if (!beyondtolerance(s, w, down ? -value : value, roomof(s, early))) return false;
    if (down) { // the subtree may move later
        *dir = direction::later;
        return true;
    }
    // An up arc: the subtree may move earlier.
    *dir = direction::earlier;
    return true;
}

// The queue is a ring of n slots; an activity stands in it at most once.
void enqueue(fastwork &w, int v) {
    if (w.queued[v]) return;
    w.queued[v] = 1;
    const int n = (int)w.queued.size();
    int slot = w.qhead + w.qsize++;
    if (slot >= n) slot -= n;
    w.queue[slot] = v;
}

int dequeue(fastwork &w) {
    const int n = (int)w.queued.size();
    const int v = w.queue[w.qhead];
    if (++w.qhead == n) w.qhead = 0;
    w.qsize--;
    w.queued[v] = 0;
    return v;
}

// A move changes the values of every ancestor of the places it leaves and
// joins. They are marked stale from p up to the first ancestor that is stale
// already, so the stale activities are always the ancestors of some places:
// a subtree whose root holds its value holds all of them.
void markstale(fastwork &w, int p) {
    for (int u = p; u != noarc && !w.stale[u]; u = w.parent[u]) w.stale[u] = 1;
}

// Takes every stale value afresh, children first, and queues those
// activities, parents first. Returns false when nothing was stale.
bool freshen(const solver &s, fastwork &w) {
    if (!w.stale[0]) return false; // activity 0 is an ancestor of every stale one
    w.order.clear();
    w.members.assign(1, 0);
    while (!w.members.empty()) { // the stale part, pre-order with children reversed
        const int u = w.members.back();
        w.members.pop_back();
        w.order.push_back(u);
        for (int c = w.child[u]; c != noarc; c = w.next[c])
            if (w.stale[c]) w.members.push_back(c);
    }
    for (size_t k = w.order.size(); k-- > 0;) { // children first
        const int u = w.order[k];
        w.rv[u] = subtreevalue(s, w, u);
        w.stale[u] = 0;
    }
    for (int u : w.order) enqueue(w, u);
    return true;
}

// Marks the subtree of v as the set being moved.
void gather(solver *s, fastwork &w, int v) {
    if (++w.stamp == 0) {
        std::fill(w.mark.begin(), w.mark.end(), 0);
        w.stamp = 1;
    }
    (void)s;
    w.members.clear();
    w.members.push_back(v);
    w.mark[v] = w.stamp;
    for (size_t k = 0; k < w.members.size(); k++)
        for (int c = w.child[w.members[k]]; c != noarc; c = w.next[c]) {
            w.mark[c] = w.stamp;
            w.members.push_back(c);
        }
}

// The arc that blocks the set first when it moves dir, and its slack; noarc
// when nothing blocks it. Ties go to the smallest arc number.
int blocking(const solver &s, const fastwork &w, direction dir, int64_t *step) {
    int best = noarc;
    int64_t least = 0;
    for (int i : w.members) {
        const bool later = dir == direction::later;
        const int first = later ? w.outstart[i] : w.instart[i];
        const int last = later ? w.outstart[i + 1] : w.instart[i + 1];
        for (int x = first; x < last; x++) {
            const int a = later ? w.outarc[x] : w.inarc[x];
            const int other = later ? w.to[a] : w.from[a];
            if (w.mark[other] == w.stamp || s.dropped[other]) continue;
            const int64_t sl = slackof(s, w, a);
            if (best == noarc || sl < least || (sl == least && a < best)) best = a, least = sl;
        }
    }
    *step = least;
    return best;
}

// The deepest subtree inside the subtree of v (v itself excluded) whose
// tree arc has the wrong sign, or noarc.
int deepestwrong(const solver &s, fastwork &w, int v, direction *dir) {
    postorder(w, v);
    for (int u : w.order)
        if (u != v && wrongsign(s, w, u, dir)) return u;
    return noarc;
}

// Drops the subtree of v: postponed without limit.
void dropsubtree(solver *s, fastwork &w, int v) {
    const int p = w.parent[v];
    markstale(w, p);
    unlink(w, v);
    gather(s, w, v);
    for (int i : w.members) {
        s->st[i] += noshift;
        s->dropped[i] = 1;
        w.parent[i] = w.parc[i] = noarc;
    }
}

// Moves the subtree of v (marked, in w.members) dir by step, the slack of
// its blocking arc a, and hangs it from a.
void treemove(solver *s, fastwork &w, int v, direction dir, int a, int64_t step) {
    const int p = w.parent[v];
    markstale(w, p); // its old ancestors lose its value
    unlink(w, v);
    const int64_t shift = dir == direction::later ? step : -step;
    for (int i : w.members) s->st[i] += shift;
    // Re-root the set at the end q of a inside it: the path q = u0, u1, ...,
    // uk = v turns round, each ui+1 hanging from ui by ui's old arc. Each
    // value loses the part below that becomes its parent and gains its old
    // parent's new value; computed from v down, old values still at hand.
    const int q = w.mark[w.from[a]] == w.stamp ? w.from[a] : w.to[a];
    const int outside = q == w.from[a] ? w.to[a] : w.from[a];
    w.path.clear();
    w.patharc.clear();
    for (int u = q; u != v; u = w.parent[u]) w.path.push_back(u), w.patharc.push_back(w.parc[u]);
    w.path.push_back(v);
    const int k = (int)w.path.size() - 1;
    for (int i = k; i >= 0; i--) {
        const int u = w.path[i];
        long double value = w.rv[u];
        if (i > 0) value -= w.rv[w.path[i - 1]] * treegrow(*s, w, s->st[w.path[i - 1]] - s->st[u]);
        if (i < k) value += w.rv[w.path[i + 1]] * treegrow(*s, w, s->st[w.path[i + 1]] - s->st[u]);
        w.rv[u] = value;
    }
    for (int i = 0; i < k; i++) unlink(w, w.path[i]);
    for (int i = 0; i < k; i++) link(w, w.path[i + 1], w.path[i], w.patharc[i]);
    link(w, q, outside, a);
    for (int u : w.path) enqueue(w, u);
    markstale(w, outside); // its new ancestors gain it
}

// ------------------------------------------------------ minimum cuts ---

// The flow graph is built in two passes over the same edges: the first
// counts each node's edges, the second places them, so that a node's edges
// lie together and the scans of push-relabel walk memory in order. edges()
// makes every gedge call of the graph, the same in both passes.
template <class emit>
void gbuild(fastwork &w, int nodes, emit edges) {
    std::fill(w.gstart.begin(), w.gstart.begin() + nodes + 1, 0);
    w.gplacing = false;
    edges();
    for (int v = 0; v < nodes; v++) w.gstart[v + 1] += w.gstart[v];
    std::copy(w.gstart.begin(), w.gstart.begin() + nodes, w.giter.begin());
    w.gplacing = true;
    edges();
}

// An edge from a to b of capacity cap, and its way back of none. Returns its
// slot in the second pass (unplaced in the first).
int gedge(fastwork &w, int a, int b, capacity cap) {
    if (!w.gplacing) {
        w.gstart[a + 1]++, w.gstart[b + 1]++;
        return unplaced;
    }
    const int e = w.giter[a]++, r = w.giter[b]++;
    w.gto[e] = b, w.gcap[e] = cap, w.grev[e] = r;
    w.gto[r] = a, w.gcap[r] = 0, w.grev[r] = e;
    return e;
}

// Heights for push-relabel: each node's distance to the sink over residual
// edges, nodes for one that cannot reach it.
void gsinkdistances(fastwork &w, int nodes, int snk) {
    const int *start = w.gstart.data(), *to = w.gto.data(), *rev = w.grev.data();
    const capacity *cap = w.gcap.data();
    int *level = w.glevel.data(), *queue = w.gqueue.data();
    std::fill(level, level + nodes, nodes);
    int first = 0, last = 0;
    queue[last++] = snk;
    level[snk] = 0;
    while (first < last) {
        const int u = queue[first++];
        const int up = level[u] + 1;
        for (int e = start[u]; e < start[u + 1]; e++) {
            const int v = to[e];
            if (level[v] == nodes && cap[rev[e]] > 0) level[v] = up, queue[last++] = v;
        }
    }
}

// Push-relabel towards target: every node with excess (but the target and
// the node held, whose height stays nodes) pushes it along residual edges
// that go one step down in height, taken first in first out. Heights are
// made exact again by a walk back from the target after every nodes
// relabels, and where a relabel empties a height (a gap), every node above
// it can no longer reach the target and goes to nodes at once. A node that
// cannot reach the target keeps its excess. Pushes move min(excess,
// capacity), so an excess or a capacity that runs out is exactly zero, and
// the heights, bounded by nodes, bound the work as they do for exact
// numbers.
void gpush(fastwork &w, int nodes, int target, int held) {
    const int *start = w.gstart.data(), *to = w.gto.data(), *rev = w.grev.data();
    capacity *cap = w.gcap.data(), *excess = w.gexcess.data();
    int *h = w.glevel.data(), *iter = w.giter.data(), *ring = w.gring.data();
    // [height 0..nodes-1] nodes at that height: they share the walk's queue,
    // for they are counted afresh after every walk.
    int *count = w.gqueue.data();
    auto exact = [&]() {
        gsinkdistances(w, nodes, target);
        h[held] = nodes;
        std::fill(count, count + nodes, 0);
        for (int v = 0; v < nodes; v++)
            if (h[v] < nodes) count[h[v]]++;
        std::copy(start, start + nodes, iter);
    };
    exact();
    std::vector<char> &active = w.gactive;
    std::fill_n(active.begin(), nodes, 0);
    int head = 0, size = 0;
    auto activate = [&](int v) {
        if (v == target || v == held || active[v]) return;
        active[v] = 1;
        int slot = head + size++;
        if (slot >= nodes) slot -= nodes;
        ring[slot] = v;
    };
    for (int v = 0; v < nodes; v++)
        if (excess[v] > 0) activate(v);
    int relabels = 0;
    // Each gap costs a scan of the nodes; they are taken while that stays
    // within a few walks over the graph, so that a graph whose every relabel
    // leaves a gap does not cost nodes scans per relabel.
    const long long gapbudget = gapwalks * ((long long)start[nodes] + nodes);
    long long gapwork = 0;
    while (size > 0) {
        const int u = ring[head];
        if (++head == nodes) head = 0;
        size--;
        active[u] = 0;
        while (excess[u] > 0 && h[u] < nodes) {
            int e = iter[u];
            const int end = start[u + 1], below = h[u] - 1;
            while (e < end && !(cap[e] > 0 && h[to[e]] == below)) e++;
            if (e == end) { // relabel
                int least = nodes;
                for (int x = start[u]; x < end; x++)
                    if (cap[x] > 0) least = std::min(least, h[to[x]]);
                const int old = h[u];
                h[u] = std::min(nodes, least + 1);
                iter[u] = start[u];
                if (h[u] < nodes) count[h[u]]++;
                if (--count[old] == 0 && gapwork < gapbudget) { // a gap
                    gapwork += nodes;
                    for (int v = 0; v < nodes; v++)
                        if (h[v] > old && h[v] < nodes) count[h[v]]--, h[v] = nodes;
                }
                if (++relabels >= nodes) relabels = 0, exact();
                continue;
            }
            iter[u] = e;
            const int v = to[e];
            const capacity d = std::min(excess[u], cap[e]);
            cap[e] -= d, cap[rev[e]] += d;
            excess[u] -= d, excess[v] += d;
            activate(v);
        }
    }
}

// A maximum preflow from src: every edge out of src saturated, the excess
// pushed towards snk as far as it can go.
void gpreflow(fastwork &w, int nodes, int src, int snk) {
    std::fill(w.gexcess.begin(), w.gexcess.begin() + nodes, 0.0);
    for (int e = w.gstart[src]; e < w.gstart[src + 1]; e++) {
        const capacity f = w.gcap[e];
        if (!(f > 0)) continue;
        w.gcap[e] = 0, w.gcap[w.grev[e]] += f;
        w.gexcess[w.gto[e]] += f;
    }
    gpush(w, nodes, snk, src);
}

// A minimum cut: after a maximum preflow, the nodes that cannot reach the
// sink form the source side, left in glevel as 0 (the rest -1).
void gmincut(fastwork &w, int nodes, int src, int snk) {
    gpreflow(w, nodes, src, snk);
    gsinkdistances(w, nodes, snk);
    for (int v = 0; v < nodes; v++) w.glevel[v] = w.glevel[v] == nodes ? 0 : -1;
}

// A maximum flow: the excess a maximum preflow leaves goes back to src,
// along the residual edges it came by.
void gmaxflow(fastwork &w, int nodes, int src, int snk) {
    gpreflow(w, nodes, src, snk);
    gpush(w, nodes, src, snk);
}

// The strong components of the binding arcs (Tarjan's method, walked with
// explicit stacks) into w.scc; returns their number. The activities of one
// component move together in every set a round can move, so the round's
// cut is taken over the components: on dense networks, where minimal and
// maximal lags bind in pairs, a few dozen of them stand for hundreds of
// activities.
int bindingcomponents(const solver &s, fastwork &w) {
    const int n = s.net->nract;
    std::fill(w.sccindex.begin(), w.sccindex.end(), noarc);
    std::fill(w.scc.begin(), w.scc.end(), noarc);
    int counter = 0, comps = 0, sp = 0, cp = 0;
    auto enter = [&](int v) {
        w.sccindex[v] = w.scclow[v] = counter++;
        w.sccstack[sp++] = v;
        w.sccon[v] = 1;
        w.sccnext[v] = w.outstart[v];
        w.scccall[cp++] = v;
    };
    for (int r = 0; r < n; r++) {
        if (s.dropped[r] || w.sccindex[r] != noarc) continue;
        enter(r);
        while (cp > 0) {
            const int u = w.scccall[cp - 1];
            if (w.sccnext[u] < w.outstart[u + 1]) {
                const int a = w.outarc[w.sccnext[u]++], v = w.to[a];
                if (s.dropped[v] || !binds(s, w, a)) continue;
                if (w.sccindex[v] == noarc)
                    enter(v);
                else if (w.sccon[v])
                    w.scclow[u] = std::min(w.scclow[u], w.sccindex[v]);
                continue;
            }
            cp--;
            if (cp > 0)
                w.scclow[w.scccall[cp - 1]] = std::min(w.scclow[w.scccall[cp - 1]], w.scclow[u]);
            if (w.scclow[u] != w.sccindex[u]) continue;
            int x;
            do {
                x = w.sccstack[--sp];
                w.sccon[x] = 0;
                w.scc[x] = comps;
            } while (x != u);
            comps++;
        }
    }
    return comps;
}

// Whether a connected part of a round's set, of value gain now (money, the
// gain per unit of e^{-r dt}), is worth moving. Moving later it gains at
// most gain. Moving earlier its value grows with e^{r dt}, up to dt = room
// (time units) where its first activity reaches its earliest start: a part
// worth a trifle now may be worth much there, so it is judged by that value,
// which bounds what this move and the moves it opens can gain. Gains within
// the rounding of the part's own values never count.
bool worthmoving(const solver &s, const fastwork &w, bool later, long double gain, long double size,
                 int64_t room) {
    if (!(gain > noiseshare * size)) return false;
    return later ? gain > w.tolerance : beyondtolerance(s, w, gain, room);
}

// One round of steepest ascent in direction dir: the best closed set of the
// binding arcs by a minimum cut, and every improving connected part of it
// moved by its own smallest slack. Returns true when something moved.
bool round(solver *s, fastwork &w, direction dir) {
    const int n = s->net->nract;
    const bool later = dir == direction::later;
    const int comps = bindingcomponents(*s, w), src = comps, snk = comps + 1;
    std::fill(w.sccgain.begin(), w.sccgain.begin() + comps, 0.0L);
    for (int i = 1; i < n; i++) {
        if (s->dropped[i]) continue;
        const long double d = (long double)s->dcf[i];
        w.sccgain[w.scc[i]] += later ? -d : d;
    }
    for (int a = 0; a < w.nrarcs; a++) {
        const int i = w.from[a], k = w.to[a];
        const bool between =
            !s->dropped[i] && !s->dropped[k] && w.scc[i] != w.scc[k] && binds(*s, w, a);
        w.arcedge[a] = between ? unplaced : noarc;
    }
    gbuild(w, comps + 2, [&] {
        for (int a = 0; a < w.nrarcs; a++) {
            if (w.arcedge[a] != unplaced) continue;
            // Moving later, i's set takes k along; moving earlier, k's takes i.
            const int i = w.scc[w.from[a]], k = w.scc[w.to[a]];
            w.arcedge[a] = later ? gedge(w, i, k, infinitecap) : gedge(w, k, i, infinitecap);
        }
        for (int c = 0; c < comps; c++) {
            if (w.sccgain[c] > 0) gedge(w, src, c, (capacity)w.sccgain[c]);
            if (w.sccgain[c] < 0) gedge(w, c, snk, (capacity)-w.sccgain[c]);
        }
        gedge(w, w.scc[0], snk, infinitecap); // activity 0 never moves
    });
    gmincut(w, comps + 2, src, snk); // the source side of the cut: level >= 0
    for (int i = 0; i < n; i++) w.inside[i] = !s->dropped[i] && w.glevel[w.scc[i]] >= 0;

    bool moved = false;
    std::fill(w.part.begin(), w.part.end(), noarc);
    for (int root = 1; root < n; root++) {
        if (!w.inside[root] || w.part[root] != noarc) continue;
        // The connected part of root over binding arcs inside the set.
        if (++w.stamp == 0) std::fill(w.mark.begin(), w.mark.end(), 0), w.stamp = 1;
        w.members.clear();
        w.members.push_back(root);
        w.part[root] = root;
        long double gain = 0, size = 0;
        int64_t room = std::numeric_limits<int64_t>::max(); // how far the part may move earlier
        for (size_t x = 0; x < w.members.size(); x++) {
            const int u = w.members[x];
            w.mark[u] = w.stamp;
            gain += later ? -(long double)s->dcf[u] : (long double)s->dcf[u];
            size += std::fabs((long double)s->dcf[u]);
            room = std::min(room, roomof(*s, u));
            for (int y = w.outstart[u]; y < w.outstart[u + 1]; y++) {
                const int a = w.outarc[y], b = w.to[a];
                if (w.inside[b] && w.part[b] == noarc && !s->dropped[b] && binds(*s, w, a))
                    w.part[b] = root, w.members.push_back(b);
            }
            for (int y = w.instart[u]; y < w.instart[u + 1]; y++) {
                const int a = w.inarc[y], b = w.from[a];
                if (w.inside[b] && w.part[b] == noarc && !s->dropped[b] && binds(*s, w, a))
                    w.part[b] = root, w.members.push_back(b);
            }
        }
        if (!worthmoving(*s, w, later, gain, size, room)) continue;
        int64_t step;
        const int a = blocking(*s, w, dir, &step);
        if (a == noarc) { // later, and nothing bounds it: postponed without limit
            for (int i : w.members) s->st[i] += noshift, s->dropped[i] = 1;
        } else {
            if (step <= 0) continue; // cannot happen for a closed set; stay safe
            for (int i : w.members) s->st[i] += later ? step : -step;
        }
        for (int i : w.members) s->dcf[i] = discount(*s, i);
        moved = true;
    }
    return moved;
}

// ------------------------------------------------- the optimal tree ---

// When a round finds no closed set of binding arcs that gains by moving
// either way, the schedule is optimal: every feasible direction of change
// is a sum of such set moves. What is left is a tree whose subtree values
// have the right signs, and tree moves get there only through many
// degenerate swaps. It is found directly instead. Optimality means, by the
// max-flow min-cut theorem, that the discounted cash flows can be carried
// along the binding arcs (in their direction, any amount) so that every
// activity but 0 balances: inflow minus outflow equals its discounted cash
// flow. One maximum flow finds such a flow; cancelling it round each cycle
// of its arcs leaves a forest, and binding arcs without flow complete it to
// a spanning tree. Below every arc of that tree the subtree's value is the
// flow the arc carries, so it has the right sign.

int findpart(fastwork &w, int v) {
    while (w.dsu[v] != v) v = w.dsu[v] = w.dsu[w.dsu[v]];
    return v;
}

int forestroot(const fastwork &w, int v) {
    while (w.fpar[v] != noarc) v = w.fpar[v];
    return v;
}

// Makes v the root of its forest tree, turning round the path above it.
void evert(fastwork &w, int v) {
    int prev = noarc, prevarc = noarc;
    while (v != noarc) {
        const int up = w.fpar[v], uparc = w.fparc[v];
        w.fpar[v] = prev, w.fparc[v] = prevarc;
        prev = v, prevarc = uparc, v = up;
    }
}

// Adds arc a, of positive flow, to the forest; where it closes a cycle, the
// flow round the cycle is cancelled until an arc of it runs dry, which
// leaves the forest.
void addflowarc(fastwork &w, int a) {
    const int u = w.from[a], v = w.to[a];
    if (forestroot(w, u) != forestroot(w, v)) {
        evert(w, u);
        w.fpar[u] = v, w.fparc[u] = a;
        return;
    }
    // The cycle: a from u to v, then the path from v up to the common
    // ancestor and down to u. Flow pushed against that sense lowers a and
    // every tree arc that the walk takes along its direction.
    if (++w.stamp == 0) std::fill(w.mark.begin(), w.mark.end(), 0), w.stamp = 1;
    for (int x = u; x != noarc; x = w.fpar[x]) w.mark[x] = w.stamp;
    int top = v;
    while (w.mark[top] != w.stamp) top = w.fpar[top];
    capacity least = w.flow[a];
    int dry = noarc; // the child end of the tree arc that runs dry; noarc: a itself
    for (int x = v; x != top; x = w.fpar[x]) // walked upwards
        if (w.from[w.fparc[x]] == x && w.flow[w.fparc[x]] < least)
            least = w.flow[w.fparc[x]], dry = x;
    for (int x = u; x != top; x = w.fpar[x]) // walked downwards
        if (w.to[w.fparc[x]] == x && w.flow[w.fparc[x]] < least)
            least = w.flow[w.fparc[x]], dry = x;
    w.flow[a] -= least;
    for (int x = v; x != top; x = w.fpar[x])
        w.flow[w.fparc[x]] += w.from[w.fparc[x]] == x ? -least : least;
    for (int x = u; x != top; x = w.fpar[x])
        w.flow[w.fparc[x]] += w.to[w.fparc[x]] == x ? -least : least;
    if (dry == noarc) return; // a ran dry and stays out
    w.flow[w.fparc[dry]] = 0;
    w.fpar[dry] = w.fparc[dry] = noarc; // u and v now lie in different trees
    evert(w, u);
    w.fpar[u] = v, w.fparc[u] = a;
}

// Routes the flow inside every strong component of the binding arcs: each
// activity's share (w.carry, inflow minus outflow that its component's
// other arcs must bring it) runs along shortest paths of binding arcs inside
// the component, from the activities that give to its first activity (a
// tree into it) and from there to those that take (a tree out of it). The
// arcs carry any amount, so this balances every activity of the component.
void routeinside(const solver &s, fastwork &w) {
    const int n = s.net->nract;
    if (++w.stamp == 0) std::fill(w.mark.begin(), w.mark.end(), 0), w.stamp = 1;
    for (int root = 0; root < n; root++) {
        if (s.dropped[root] || w.mark[root] == w.stamp) continue;
        const int c = w.scc[root];
        for (const bool out : {true, false}) { // the tree out of root, then the one into it
            w.members.assign(1, root);
            w.fparc[root] = noarc;
            w.mark[root] = w.stamp;
            for (size_t x = 0; x < w.members.size(); x++) {
                const int u = w.members[x];
                const int first = out ? w.outstart[u] : w.instart[u];
                const int last = out ? w.outstart[u + 1] : w.instart[u + 1];
                for (int y = first; y < last; y++) {
                    const int a = out ? w.outarc[y] : w.inarc[y];
                    const int b = out ? w.to[a] : w.from[a];
                    if (w.arcedge[a] != insidearc || w.scc[b] != c || w.mark[b] == w.stamp)
                        continue;
                    w.mark[b] = w.stamp;
                    w.fparc[b] = a;
                    w.members.push_back(b);
                }
            }
            // Farthest first: what a subtree takes (or gives) passes its tree arc.
            for (size_t x = w.members.size(); x-- > 1;) {
                const int u = w.members[x];
                const long double share =
                    out ? std::max(w.carry[u], 0.0L) : std::max(-w.carry[u], 0.0L);
                w.subtotal[u] += share;
                const int a = w.fparc[u], up = out ? w.from[a] : w.to[a];
                w.flow[a] += (capacity)w.subtotal[u];
                w.subtotal[up] += w.subtotal[u];
                w.subtotal[u] = 0;
            }
            w.subtotal[root] = 0;
            if (out) { // the second walk marks afresh
                for (int u : w.members) w.mark[u] = 0;
            }
        }
        for (int u : w.members) w.fparc[u] = noarc;
    }
}

// Builds the tree of an optimal schedule as described above. The flow is
// found over the strong components of the binding arcs and routed inside
// each afterwards. Returns false when the cash flows cannot be carried
// within the tolerance (the schedule is then not optimal after all); the
// tree is left as it was.
bool dualtree(solver *s, fastwork &w) {
    const int n = s->net->nract;
    const int comps = bindingcomponents(*s, w), src = comps, snk = comps + 1;
    long double rest = 0;
    for (int i = 1; i < n; i++) rest += s->dropped[i] ? 0 : (long double)discount(*s, i);
    for (int i = 0; i < n; i++) {
        w.neededge[i] = noarc;
        if (s->dropped[i]) continue;
        // What i must take in, net: its discounted cash flow; activity 0
        // takes what the others leave.
        const long double need = i == 0 ? -rest : (long double)discount(*s, i);
        w.carry[i] = need;
        w.subtotal[i] = 0;
    }
    for (int a = 0; a < w.nrarcs; a++) {
        w.arcedge[a] = noarc;
        w.flow[a] = 0;
        if (s->dropped[w.from[a]] || s->dropped[w.to[a]] || !binds(*s, w, a)) continue;
        w.arcedge[a] = w.scc[w.from[a]] == w.scc[w.to[a]] ? insidearc : unplaced;
    }
    gbuild(w, comps + 2, [&] {
        for (int i = 0; i < n; i++) {
            const long double need = w.carry[i];
            if (s->dropped[i]) continue;
            if (need > 0) w.neededge[i] = gedge(w, w.scc[i], snk, (capacity)need);
            if (need < 0) w.neededge[i] = gedge(w, src, w.scc[i], (capacity)-need);
        }
        for (int a = 0; a < w.nrarcs; a++)
            if (w.arcedge[a] == unplaced)
                w.arcedge[a] = gedge(w, w.scc[w.from[a]], w.scc[w.to[a]], infinitecap);
    });
    gmaxflow(w, comps + 2, src, snk);
    long double short_ = 0; // what the source could not send
    for (int i = 0; i < n; i++)
        if (w.neededge[i] != noarc && w.carry[i] < 0) short_ += w.gcap[w.neededge[i]];
    if (!(short_ <= w.tolerance * n)) return false;

    // What each activity's arcs inside its component must bring it: its
    // need as far as the flow met it, less what arcs between components
    // brought.
    for (int i = 0; i < n; i++)
        if (w.neededge[i] != noarc) {
            const long double met = w.gcap[w.grev[w.neededge[i]]];
            w.carry[i] = w.carry[i] > 0 ? met : -met;
        }
    for (int a = 0; a < w.nrarcs; a++) {
        if (w.arcedge[a] < 0) continue;
        w.flow[a] = w.gcap[w.grev[w.arcedge[a]]];
        w.carry[w.to[a]] -= w.flow[a];
        w.carry[w.from[a]] += w.flow[a];
    }
    routeinside(*s, w);

    for (int i = 0; i < n; i++) w.fpar[i] = w.fparc[i] = noarc, w.dsu[i] = i;
    for (int a = 0; a < w.nrarcs; a++)
        if (w.arcedge[a] != noarc && w.flow[a] > 0) addflowarc(w, a);
    // The forest's arcs, then binding arcs without flow that join its trees.
    w.treearcs.clear();
    for (int i = 0; i < n; i++)
        if (w.fparc[i] != noarc) {
            w.treearcs.push_back(w.fparc[i]);
            w.dsu[findpart(w, i)] = findpart(w, w.fpar[i]);
        }
    for (int a = 0; a < w.nrarcs; a++) {
        if (w.arcedge[a] == noarc) continue;
        const int pu = findpart(w, w.from[a]), pv = findpart(w, w.to[a]);
        if (pu != pv) w.dsu[pu] = pv, w.treearcs.push_back(a);
    }
    int active = 0;
    for (int i = 0; i < n; i++) active += !s->dropped[i];
    if ((int)w.treearcs.size() != active - 1)
        return false; // not spanning: cannot happen after connect

    // Hang the tree from activity 0.
    std::fill(w.adjstart.begin(), w.adjstart.end(), 0);
    for (int a : w.treearcs) w.adjstart[w.from[a] + 2]++, w.adjstart[w.to[a] + 2]++;
    for (int i = 0; i < n; i++) w.adjstart[i + 2] += w.adjstart[i + 1];
    for (int a : w.treearcs)
        w.adj[w.adjstart[w.from[a] + 1]++] = a, w.adj[w.adjstart[w.to[a] + 1]++] = a;
    for (int i = 0; i < n; i++)
        w.parent[i] = w.parc[i] = w.child[i] = w.next[i] = w.prev[i] = noarc;
    w.members.assign(1, 0);
    for (size_t k = 0; k < w.members.size(); k++) {
        const int u = w.members[k];
        for (int y = w.adjstart[u]; y < w.adjstart[u + 1]; y++) {
            const int a = w.adj[y], b = w.from[a] == u ? w.to[a] : w.from[a];
            if (b == 0 || w.parc[b] != noarc) continue;
            link(w, b, u, a);
            w.members.push_back(b);
        }
    }
    return true;
}

// ------------------------------------------------------ tree building ---

// A spanning tree of binding arcs from activity 0 over the activities not
// dropped: shortest paths where an arc along its direction costs forward and
// one against it backward, which keeps large subtrees off maximal lags.
// Returns the first activity it cannot reach, or noarc.
int buildfast(solver *s, fastwork &w) {
    constexpr long long forward = 1, backward = 8;
    const int n = s->net->nract;
    for (int i = 0; i < n; i++) {
        w.parent[i] = w.parc[i] = w.child[i] = w.next[i] = w.prev[i] = noarc;
        w.cost[i] = -1;
    }
    // The heap holds cost * n + activity; costs stay below n * backward.
    std::vector<long long> &h = w.heap;
    h.clear();
    w.cost[0] = 0;
    h.push_back(0);
    std::vector<char> &done = w.done;
    std::fill(done.begin(), done.end(), 0);
    while (!h.empty()) {
        std::pop_heap(h.begin(), h.end(), std::greater<long long>());
        const long long code = h.back();
        h.pop_back();
        const int u = (int)(code % n);
        if (done[u]) continue;
        done[u] = 1;
        if (u != 0) link(w, u, w.parent[u] == noarc ? 0 : w.parent[u], w.parc[u]);
        auto relax = [&](int b, int a, long long c) {
            if (s->dropped[b] || done[b] || !binds(*s, w, a)) return;
            const long long nc = w.cost[u] + c;
            if (w.cost[b] >= 0 && w.cost[b] <= nc) return;
            w.cost[b] = nc;
            w.parent[b] = u;
            w.parc[b] = a;
            h.push_back(nc * n + b);
            std::push_heap(h.begin(), h.end(), std::greater<long long>());
        };
        for (int y = w.outstart[u]; y < w.outstart[u + 1]; y++)
            relax(w.to[w.outarc[y]], w.outarc[y], forward);
        for (int y = w.instart[u]; y < w.instart[u + 1]; y++)
            relax(w.from[w.inarc[y]], w.inarc[y], backward);
    }
    for (int i = 0; i < n; i++)
        if (!s->dropped[i] && !done[i]) return i;
    return noarc;
}

// Builds the tree; where a part of the schedule is joined to activity 0 by
// no binding arc, moves that part the way its value favours (earlier when
// nothing bounds it later) until an arc binds, and builds again.
void connect(solver *s, fastwork &w) {
    for (int x; (x = buildfast(s, w)) != noarc;) {
        if (++w.stamp == 0) std::fill(w.mark.begin(), w.mark.end(), 0), w.stamp = 1;
        w.members.assign(1, x);
        w.mark[x] = w.stamp;
        long double value = 0;
        for (size_t k = 0; k < w.members.size(); k++) {
            const int u = w.members[k];
            value += (long double)discount(*s, u);
            auto take = [&](int b, int a) {
                if (w.mark[b] == w.stamp || s->dropped[b] || !binds(*s, w, a)) return;
                w.mark[b] = w.stamp;
                w.members.push_back(b);
            };
            for (int y = w.outstart[u]; y < w.outstart[u + 1]; y++)
                take(w.to[w.outarc[y]], w.outarc[y]);
            for (int y = w.instart[u]; y < w.instart[u + 1]; y++)
                take(w.from[w.inarc[y]], w.inarc[y]);
        }
        direction dir = value < 0 ? direction::later : direction::earlier;
        int64_t step = 0;
        int a = blocking(*s, w, dir, &step);
        if (a == noarc) dir = direction::earlier, a = blocking(*s, w, dir, &step);
        GPR_ASSERT(a != noarc); // every activity was reached by some arc from activity 0
        for (int i : w.members) s->st[i] += dir == direction::later ? step : -step;
        s->nrits++;
    }
}

// The tolerance for the current schedule: gapshare of its cash flows' size
// per activity. Taken at the schedule, not at the earliest starts, where an
// activity that may start long before the project has a value out of scale.
void settolerance(const solver &s, fastwork &w) {
    long double size = 0;
    for (int i = 0; i < s.net->nract; i++)
        if (!s.dropped[i] && w.own[i] != 0) size += std::fabs(w.own[i]) * startgrowth(s, w, i);
    w.tolerance = gapshare * size / s.net->nract;
    w.logtolerance = w.tolerance > 0 ? std::log(w.tolerance) : 0;
}

// Every activity whose tree arc may have the wrong sign, deepest first.
void queueall(fastwork &w) {
    postorder(w, 0);
    for (int u : w.order) enqueue(w, u);
}

} // namespace

void fastprepare(solver *s) {
    const network &net = *s->net;
    const int n = net.nract, end = net.end();
    auto w = std::make_shared<fastwork>();
    int arcs = 1; // the deadline arc, and every listed pair once
    for (int e = 0; e < net.entries(); e++) {
        const int i = net.owner[e], k = net.succ[e];
        arcs += !(net.lag[e] == nolag || net.firstpos[e] != e || i == k || (i == end && k == 0));
    }
    w->from.reserve(arcs), w->to.reserve(arcs), w->lag.reserve(arcs), w->entry.reserve(arcs);
    for (int e = 0; e < net.entries(); e++) {
        const int i = net.owner[e], k = net.succ[e];
        if (net.lag[e] == nolag || net.firstpos[e] != e || i == k || (i == end && k == 0)) continue;
        w->from.push_back(i);
        w->to.push_back(k);
        w->lag.push_back(net.lag[e]);
        w->entry.push_back(e);
    }
    w->from.push_back(end); // the deadline arc; its lag is set for each solve
    w->to.push_back(0);
    w->lag.push_back(0);
    w->entry.push_back(net.deadlinearc());
    w->nrarcs = (int)w->from.size();
    const int m = w->nrarcs;
    w->outstart.assign(n + 1, 0);
    w->instart.assign(n + 1, 0);
    for (int a = 0; a < m; a++) w->outstart[w->from[a] + 1]++, w->instart[w->to[a] + 1]++;
    for (int i = 0; i < n; i++)
        w->outstart[i + 1] += w->outstart[i], w->instart[i + 1] += w->instart[i];
    w->outarc.resize(m);
    w->inarc.resize(m);
    {
        std::vector<int> o(w->outstart.begin(), w->outstart.end() - 1);
        std::vector<int> in(w->instart.begin(), w->instart.end() - 1);
        for (int a = 0; a < m; a++) w->outarc[o[w->from[a]]++] = a, w->inarc[in[w->to[a]]++] = a;
    }
    for (auto *v : {&w->parent, &w->parc, &w->child, &w->next, &w->prev, &w->queue, &w->part,
                    &w->scc, &w->sccindex, &w->scclow, &w->sccstack, &w->scccall, &w->sccnext})
        v->assign(n, noarc);
    w->sccon.assign(n, 0);
    w->sccgain.assign(n, 0);
    w->inside.assign(n, 0);
    w->rv.assign(n, 0);
    w->stale.assign(n, 0);
    w->own.assign(n, 0);
    w->lagtable.assign(2 * maxtabled + 1, 0);
    w->lagstamp.assign(2 * maxtabled + 1, 0);
    w->farkey.assign(farslots, 0);
    w->fargrow.assign(farslots, 0);
    w->farstamp.assign(farslots, 0);
    w->startgrow.assign(n, 0);
    w->startgrowat.assign(n, nostart);
    w->members.reserve(n);
    w->order.reserve(n);
    w->mark.assign(n, 0);
    w->queued.assign(n, 0);
    w->path.reserve(n + 2);
    w->patharc.reserve(n);
    const int nodes = n + 2, edges = 2 * (m + n + 1);
    w->gstart.assign(nodes + 1, 0);
    w->glevel.assign(nodes, -1);
    w->giter.assign(nodes, -1);
    w->gqueue.assign(nodes, 0);
    w->gexcess.assign(nodes, 0);
    w->gactive.assign(nodes, 0);
    w->gring.assign(nodes, 0);
    w->grev.assign(edges, 0);

    w->gto.assign(edges, 0);
    w->gcap.assign(edges, 0);
    w->heap.reserve(2 * (size_t)m + n);
    w->cost.assign(n, -1);
    w->done.assign(n, 0);
    w->arcedge.assign(m, noarc);
    w->flow.assign(m, 0);
    w->neededge.assign(n, noarc);
    w->carry.assign(n, 0);
    w->subtotal.assign(n, 0);
    w->fpar.assign(n, noarc);
    w->fparc.assign(n, noarc);
    w->dsu.assign(n, 0);
    w->adjstart.assign(n + 2, 0);
    w->adj.assign(2 * (size_t)n, 0);
    w->treearcs.reserve(n);
    s->fast = w;
}

fastend fastsolve(solver *s) {
    fastwork &w = *s->fast;
    const network &net = *s->net;
    const int n = net.nract;
    w.lag[w.nrarcs - 1] = s->closing;
    // Each solve takes its growths afresh: the rate or the deadline may be new.
    if (++w.growstamp == 0) {
        std::fill(w.lagstamp.begin(), w.lagstamp.end(), 0);
        std::fill(w.farstamp.begin(), w.farstamp.end(), 0);
        w.growstamp = 1;
    }
    std::fill(w.startgrowat.begin(), w.startgrowat.end(), nostart);
    for (int i = 0; i < n; i++) // without a cash flow 0, also where the growth is beyond range
        w.own[i] = s->cf[i] == 0 ? 0 : (long double)s->cf[i] * grow(*s, net.dur[i]);
    settolerance(*s, w);
    w.bland = false;
    w.lost = false;
    w.rounds = 0;
    w.qhead = w.qsize = 0;
    std::fill(w.queued.begin(), w.queued.end(), 0);
    s->nrits = 0;
    bool limited = false;
    bool optimal = false;   // a round found nothing to move: the schedule is optimal
    bool dualtried = false; // the tree of the optimal schedule was built from a flow
    bool treeready = false; // that tree stands already: the tree phase starts from it

    if (s->interest > 0) {
        // Rounds first while many arcs bind.
        long long binding = 0;
        for (int a = 0; a < w.nrarcs; a++) binding += binds(*s, w, a);
        if ((double)binding > bindingshare * n) {
            bool earlytried = false;
            for (; w.rounds < maxrounds && !limited; w.rounds++) {
                s->nrits++;
                if (round(s, w, direction::later)) {
                    limited = overlimit(s);
                    continue;
                }
                // Nothing gains by moving later, and mostly nothing gains
                // earlier either: then the flow of the optimal tree exists.
                // Tried once before the cut that moves earlier, it saves that
                // cut.
                if (!earlytried) {
                    earlytried = true;
                    connect(s, w);
                    for (int i = 0; i < n; i++) s->dcf[i] = s->dropped[i] ? 0 : discount(*s, i);
                    if (dualtree(s, w)) {
                        dualtried = treeready = true;
                        break;
                    }
                }
                if (!round(s, w, direction::earlier)) {
                    optimal = true;
                    break;
                }
                limited = overlimit(s);
            }
        }
    }
    // The window doubles after every round that moved something, so that a
    // network whose tree moves are often degenerate but not stuck does not
    // pay for a cut every few dozen moves.
    const long long firstwindow = std::max(minwindow, (long long)n / windowdivisor);
    long long window = firstwindow;
    while (!limited && s->interest > 0) {
        if (!treeready) connect(s, w);
        treeready = false;
        // Once only: a second stall after it falls back on Bland's rule.
        if (optimal && !dualtried) {
            dualtried = true;
            for (int i = 0; i < n; i++) s->dcf[i] = s->dropped[i] ? 0 : discount(*s, i);
            if (!dualtree(s, w)) connect(s, w);
        }
        optimal = false;
        recompute(*s, w);
        queueall(w);
        long long moves = 0, degenerate = 0;
        bool rebuild = false;
        for (;;) {
            int v = noarc;
            direction dir = direction::later;
            if (w.bland) {
                freshen(*s, w);
                int bestarc = noarc;
                for (int u = 1; u < n; u++) {
                    direction d;
                    if (!s->dropped[u] && wrongsign(*s, w, u, &d) &&
                        (bestarc == noarc || w.parc[u] < bestarc))
                        bestarc = w.parc[u], v = u, dir = d;
                }
            } else {
                while (w.qsize > 0 && v == noarc) {
                    const int u = dequeue(w);
                    if (!s->dropped[u] && !w.stale[u] && wrongsign(*s, w, u, &dir)) v = u;
                }
            }
            if (v == noarc && !w.bland && freshen(*s, w)) continue;
            if (v == noarc) {
                // Nothing left to move: check every value afresh, with the
                // tolerance of the schedule reached.
                recompute(*s, w);
                settolerance(*s, w);
                for (int u = 1; u < n; u++) {
                    direction d;
                    if (!s->dropped[u] && wrongsign(*s, w, u, &d)) enqueue(w, u);
                }
                // Every multiplier, computed afresh, has its sign: optimal.
                if (w.qsize == 0) break;
                if (w.bland) w.qhead = w.qsize = 0, std::fill(w.queued.begin(), w.queued.end(), 0);
                continue;
            }
            gather(s, w, v);
            int64_t step = 0;
            int a = blocking(*s, w, dir, &step);
            while (a == noarc) {
                // Nothing bounds the set later: move a wrong part inside it
                // first, or drop it.
                direction d;
                const int u = deepestwrong(*s, w, v, &d);
                if (u == noarc) break;
                v = u, dir = d;
                gather(s, w, v);
                a = blocking(*s, w, dir, &step);
            }
            s->nrits++;
            if (a == noarc) {
                dropsubtree(s, w, v);
            } else {
                treemove(s, w, v, dir, a, step);
                moves++;
                degenerate += step == 0;
            }
            if ((limited = overlimit(s))) break;
            if (moves < window) continue;
            const bool stalled = (double)degenerate > degenerateshare * (double)moves;
            moves = degenerate = 0;
            if (!stalled || w.bland) continue;
            if (w.rounds < maxrounds) {
                w.rounds++;
                s->nrits++;
                for (int i = 0; i < n; i++) s->dcf[i] = s->dropped[i] ? 0 : discount(*s, i);
                if (round(s, w, direction::later) || round(s, w, direction::earlier)) {
                    rebuild = true;
                    window = std::min(2 * window, windowgrowth * firstwindow);
                    break;
                }
                if (!dualtried) { // optimal: build its tree from a flow
                    optimal = rebuild = true;
                    break;
                }
            }
            w.bland = true;
        }
        if (!rebuild) break;
    }
    if (limited || s->interest <= 0) connect(s, w);

    // The tree lists and the values that the results show.
    treeclear(s);
    double npv = 0;
    for (int i = 0; i < n; i++) {
        s->dcf[i] = s->dropped[i] ? 0 : discount(*s, i);
        if (!s->dropped[i]) npv += s->dcf[i];
        if (i != 0 && !s->dropped[i] && w.parc[i] != noarc) treeadd(s, w.entry[w.parc[i]]);
    }
    s->npv = npv;
    if (w.lost) return fastend::lost;
    return limited ? fastend::limited : fastend::solved;
}

} // namespace gpr
