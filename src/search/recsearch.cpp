// The search is a steepest-ascent walk over spanning trees of binding arcs.
// Substituting x = exp(-interest * start) turns the max-npv problem into a
// linear program whose bases are such trees: a tree fixes every start time
// relative to activity 0, and the value of a subtree is exactly the change
// in net present value per unit of discount when that subtree moves as one.
// A subtree hanging below a successor arc a->j whose value is negative is
// worth delaying, so it moves later until one of its leaving arcs becomes
// binding; that arc replaces a->j in the tree and the pass starts again.
// When no such subtree is left, no feasible move improves the schedule and
// it is optimal.
//
// A subtree hanging below a predecessor arc p->a cannot be delayed without
// breaking p->a, so it is gathered into a's value whatever its value. The
// tolerance negtol keeps rounding noise from moving a set of value zero.
//
// The orders are fixed, because the number of passes is reported: a walk
// takes an activity's tree arcs out of it in the order of its successor row,
// then those into it in the order of its predecessor row, and adds each
// subtree's value to the activity's own in that order. The shift step takes
// the leaving arc of smallest slack; of equal slacks the one whose source has
// the highest number, and of those the one latest in the source's row.
//
// A pass only needs to walk what changed. A subtree whose activities, start
// times and tree arcs are those of the last time its walk finished has the
// same value, computed by the same additions in the same order, and it held
// no subtree to move then, so it holds none now. Each activity therefore
// keeps the value of its subtree from the walk that last finished it; a shift
// forgets it along the two paths to activity 0 that changed (from the cut
// and from the new arc's end outside the set) and inside the moved set. The
// next pass walks those paths and the set, and takes every other subtree's
// remembered value as it is. The walk keeps its own stack, so a tree that is
// one long chain needs no deep recursion.
//
// A set with no leaving arc at all moves by noshift and, with no arc joining
// it to the tree any more, is dropped: its value is negative and nothing
// bounds it from above, so postponing it without limit approaches the
// optimum, and its cash flows leave the npv. An arc into a dropped activity
// is never a leaving arc later on: taking it would hang the moved set below a
// part that no pass reaches, and its cash flows would vanish too. A leaving
// arc is taken even when its slack is noshift or more: such a set is still
// bound (by the deadline, say) and moves only as far as its arcs allow.
#include "search/recsearch.h"

#include <algorithm>
#include <cstdint>

#include "search/treelist.h"

namespace gpr {

namespace {

// One activity of the walk: its subtree is being summed.
struct frame {
    int node;     // the activity
    int from;     // the tree neighbour the walk came from (-1 for activity 0)
    int phase;    // 0 while taking arcs out of it, 1 while taking arcs into it
    int next;     // next position in the list of the phase
    double value; // its discounted cash flow plus the subtrees summed so far
};

} // namespace

struct searchwork {
    std::vector<double> value;    // [activity] its subtree's value when its walk last finished
    std::vector<char> known;      // [activity] 1 while that value still holds
    std::vector<int> parent;      // [activity] its tree neighbour towards activity 0 (while known)
    std::vector<int> onstack;     // [activity] its frame's index + 1 while on the stack, else 0
    std::vector<frame> frames;    // the walk's stack, activity 0 at the bottom; [0, top)
    int top = 0;                  // frames in use
    std::vector<int> members;     // the set being moved
    std::vector<unsigned> mark;   // [activity] == stamp: a member of the set being moved
    unsigned stamp = 0;           // the current set's mark
    uint64_t tree[2] = {0, 0};    // hash of the current tree's arcs (two independent halves)
    uint64_t saved[2] = {0, 0};   // the tree hash remembered by the cycle check
    long long power = 1, lam = 0; // the cycle check's window and the shifts into it
    bool cycling = false;         // the shifts without a move came back to a tree seen before
};

void searchprepare(solver *s) {
    const int n = s->net->nract;
    auto w = std::make_shared<searchwork>();
    w->value.assign(n, 0.0);
    w->known.assign(n, 0);
    w->parent.assign(n, -1);
    w->onstack.assign(n, 0);
    w->frames.resize(n);
    w->members.reserve(n);
    w->mark.assign(n, 0);
    s->search = w;
}

namespace {

// Half k (0 or 1) of the hash of tree arc f: a splitmix64 mix of the entry.
uint64_t archash(int f, int k) {
    uint64_t z = (uint64_t)f * 2 + (uint64_t)k + 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

void toggle(searchwork &w, int f) {
    w.tree[0] ^= archash(f, 0);
    w.tree[1] ^= archash(f, 1);
}

// Starts the cycle check afresh from the current tree.
void newwindow(searchwork &w) {
    w.saved[0] = w.tree[0];
    w.saved[1] = w.tree[1];
    w.power = 1;
    w.lam = 0;
}

} // namespace

void searchreset(solver *s) {
    searchwork &w = *s->search;
    std::fill(w.known.begin(), w.known.end(), 0);
    for (int f = 0; f < w.top; f++) w.onstack[w.frames[f].node] = 0;
    w.top = 0;
    w.tree[0] = w.tree[1] = 0;
    for (int a = 0; a < s->net->nract; a++)
        for (int x = 0; x < s->tsucclen[a]; x++) toggle(w, s->tsucc[s->tsuccat[a] + x]);
    newwindow(w);
    w.cycling = false;
}

bool searchcycling(const solver *s) {
    return s->search->cycling;
}

namespace {

void push(searchwork &w, const solver &s, int node, int from) {
    w.frames[w.top++] = {node, from, 0, 0, s.dcf[node]};
    w.onstack[node] = w.top;
    w.parent[node] = from;
}

// Gathers the set below the (already removed) tree arc to j: the part of the
// tree that j still reaches.
void gather(solver *s, int j) {
    searchwork &w = *s->search;
    const network &net = *s->net;
    if (++w.stamp == 0) { // after 2^32 sets the marks start over
        std::fill(w.mark.begin(), w.mark.end(), 0);
        w.stamp = 1;
    }
    w.members.clear();
    w.members.push_back(j);
    w.mark[j] = w.stamp;
    for (size_t k = 0; k < w.members.size(); k++) {
        const int a = w.members[k];
        for (int x = s->tsuccat[a], last = x + s->tsucclen[a]; x < last; x++) {
            const int b = net.succ[s->tsucc[x]];
            if (w.mark[b] != w.stamp) w.mark[b] = w.stamp, w.members.push_back(b);
        }
        for (int x = s->tpredat[a], last = x + s->tpredlen[a]; x < last; x++) {
            const int b = net.owner[s->tpred[x]];
            if (w.mark[b] != w.stamp) w.mark[b] = w.stamp, w.members.push_back(b);
        }
    }
}

// Where child c stands among the tree arcs of z: 0 and its position in the
// arcs out of z, or 1 and its position in the arcs into z.
std::pair<int, int> position(const solver &s, int z, int c) {
    const network &net = *s.net;
    for (int x = 0; x < s.tsucclen[z]; x++)
        if (net.succ[s.tsucc[s.tsuccat[z] + x]] == c) return {0, x};
    for (int x = 0; x < s.tpredlen[z]; x++)
        if (net.owner[s.tpred[s.tpredat[z] + x]] == c) return {1, x};
    return {2, 0};
}

// The walk goes on after a shift where a new walk from activity 0 would be
// at that moment. Every frame's sum holds the subtrees its walk finished;
// such a sum still holds unless it took in the subtree that now carries the
// moved set. Then that frame starts its sum again: the frames above it go,
// and its arcs are taken again from the first (the finished subtrees among
// them by their remembered values).
//
// Which subtree that is follows from one fact: an activity that is neither
// remembered nor on the stack has not been walked since the walk last
// passed its place. So the path from bestto towards activity 0 is followed
// while its activities are remembered (their parents still hold); it ends
// at the first one that is not, x, with c the activity before it. If x is on
// the stack and its walk has passed c, x starts again; if x is off the stack
// the whole path lies ahead of the walk.
void resume(solver *s, int bestto, int newarc, int c, int x) {
    searchwork &w = *s->search;
    const network &net = *s->net;
    frame &cut = w.frames[w.top - 1];
    cut.next--; // the cut arc stood just before the position reached
    if (newarc < 0 || !w.onstack[x]) return;
    const int f = w.onstack[x] - 1;
    const frame &z = w.frames[f];
    const int reached = f < w.top - 1 ? z.next - 1 : z.next; // positions passed
    bool again;
    if (c < 0) {
        // bestto is on the stack: the set hangs below it through an arc
        // into it, which must not come before the arc its walk is in.
        again = z.phase == 1 && position(*s, bestto, net.owner[newarc]).second <= reached;
    } else {
        const std::pair<int, int> at = position(*s, x, c);
        again = at.first < z.phase || (at.first == z.phase && at.second < reached);
    }
    if (!again) return;
    while (w.top > f + 1) w.onstack[w.frames[--w.top].node] = 0;
    frame &restart = w.frames[f];
    restart.phase = 0;
    restart.next = 0;
    restart.value = s->dcf[restart.node];
}

// The shift step for the subtree below the tree arc a -> j.
void shiftset(solver *s, int a, int j) {
    searchwork &w = *s->search;
    const network &net = *s->net;
    const int end = net.end();
    toggle(w, treeremove(s, a, j));
    gather(s, j);

    // The leaving arc of smallest slack; ties as described above.
    bool found = false;
    int64_t best = 0;
    int bestfrom = -1, bestpos = -1, bestentry = -1;
    auto consider = [&](int i, int pos, int e, int64_t slack) {
        if (found &&
            (slack > best || (slack == best && (i < bestfrom || (i == bestfrom && pos < bestpos)))))
            return;
        found = true;
        best = slack;
        bestfrom = i;
        bestpos = pos;
        bestentry = e;
    };
    for (int i : w.members) {
        if (i == end) // the deadline arc stands last in the end dummy's row
            consider(i, lastkey, net.deadlinearc(), s->st[0] - s->closing - s->st[end]);
        for (int e = net.rowstart[i + 1] - 1; e >= net.rowstart[i]; e--) {
            const int k = net.succ[e];
            if (w.mark[k] == w.stamp || s->dropped[k] || net.lag[e] == nolag) continue;
            if (i == end && k == 0) continue; // replaced by the deadline arc
            consider(i, e, e, s->st[k] - net.lag[e] - s->st[i]);
        }
    }

    const int64_t shift = found ? best : noshift;
    for (int i : w.members) {
        s->st[i] += shift;
        s->dcf[i] = discount(*s, i);
        s->dropped[i] = !found;
        w.known[i] = 0;
    }
    if (!found) {
        newwindow(w);
        resume(s, -1, -1, -1, -1);
        return;
    }
    const int newarc = net.firstpos[bestentry], bestto = net.succ[bestentry];
    treeadd(s, newarc);
    toggle(w, newarc);
    if (shift != 0) {
        newwindow(w);
    } else if (w.tree[0] == w.saved[0] && w.tree[1] == w.saved[1]) {
        w.cycling = true; // the same tree at the same schedule: the shifts repeat forever
    } else if (++w.lam == w.power) {
        w.saved[0] = w.tree[0];
        w.saved[1] = w.tree[1];
        w.power *= 2;
        w.lam = 0;
    }
    // bestto now carries the set: its remembered value and those on its path
    // to activity 0 no longer hold.
    int c = -1, x = bestto;
    while (w.known[x]) {
        w.known[x] = 0;
        c = x;
        x = w.parent[x];
    }
    resume(s, bestto, newarc, c, x);
}

} // namespace

bool searchpass(solver *s) {
    searchwork &w = *s->search;
    const network &net = *s->net;
    if (w.top == 0) push(w, *s, 0, -1);
    for (;;) {
        frame &f = w.frames[w.top - 1];
        int child = -1;
        while (f.phase == 0 && f.next < s->tsucclen[f.node]) {
            const int c = net.succ[s->tsucc[s->tsuccat[f.node] + f.next++]];
            if (c != f.from) {
                child = c;
                break;
            }
        }
        if (child < 0 && f.phase == 0) f.phase = 1, f.next = 0;
        while (child < 0 && f.next < s->tpredlen[f.node]) {
            const int c = net.owner[s->tpred[s->tpredat[f.node] + f.next++]];
            if (c != f.from) child = c;
        }
        int done; // the activity whose subtree value v is now known
        double v;
        if (child < 0) { // every subtree of f.node is summed
            done = f.node;
            v = f.value;
            w.value[done] = v;
            w.known[done] = 1;
            w.onstack[done] = 0;
            if (--w.top == 0) {
                s->npv = v;
                return false;
            }
        } else if (w.known[child]) {
            done = child;
            v = w.value[child];
        } else {
            push(w, *s, child, f.node);
            continue;
        }
        frame &p = w.frames[w.top - 1]; // the activity done hangs below
        // Without interest no move changes the value: nothing is worth moving.
        if (p.phase == 0 && v < s->negtol && s->interest > 0) {
            shiftset(s, p.node, done);
            return true;
        }
        p.value += v;
    }
}

} // namespace gpr
