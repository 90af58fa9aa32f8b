// The search needs a schedule that meets every arc and a spanning tree in
// which every arc has slack 0. The earliest starts give the first: they are
// the smallest schedule that meets the arcs. In it every activity other than
// 0 was last raised through an arc that is still binding, and following
// those arcs back leads to activity 0, so joining activities through binding
// arcs from activities already in the tree reaches every activity.
//
// The tree is the one that passes over the rows would build: each pass takes
// the activities in increasing order and each row from its last entry, and an
// activity joins through the first binding arc from an activity of the tree
// that a pass meets. A row can join anything only at its first scan after
// its activity joined: that scan joins every binding target still outside.
// So we scan each row exactly once, at that moment: in the pass in which its
// activity joined when it comes later in that pass, else in the next pass. A
// heap holds the rows of the running pass in increasing order, a list those
// of the next. The work is one scan of every row instead of one per pass.
//
// The deadline arc from the end dummy back to activity 0 is not part of the
// starting tree; the shift step may make it a tree arc later.
#include "search/inittree.h"

#include <algorithm>
#include <functional>

#include "search/treelist.h"

namespace gpr {

struct treework {
    std::vector<int> now;     // heap of the rows of the running pass (smallest on top)
    std::vector<int> later;   // rows of the next pass
    std::vector<char> joined; // [activity] 1 once in the tree
};

void treesize(solver *s) {
    const network &net = *s->net;
    const int n = net.nract;
    s->tsuccat.assign(n, 0);
    s->tpredat.assign(n, 0);
    s->tsucclen.assign(n, 0);
    s->tpredlen.assign(n, 0);
    int succslots = 0, predslots = 0;
    for (int i = 0; i < n; i++) {
        s->tsuccat[i] = succslots;
        succslots += net.rowstart[i + 1] - net.rowstart[i] + (i == net.end());
        s->tpredat[i] = predslots;
        predslots += net.nrpred[i] + (i == 0);
    }
    s->tsucc.assign(succslots, 0);
    s->tpred.assign(predslots, 0);
}

void treeclear(solver *s) {
    std::fill(s->tsucclen.begin(), s->tsucclen.end(), 0);
    std::fill(s->tpredlen.begin(), s->tpredlen.end(), 0);
}

void treeprepare(solver *s) {
    const int n = s->net->nract;
    auto w = std::make_shared<treework>();
    w->now.reserve(n);
    w->later.reserve(n);
    w->joined.assign(n, 0);
    s->tree = w;
    treesize(s);
}

void buildtree(solver *s) {
    const network &net = *s->net;
    treework &w = *s->tree;
    GPR_ASSERT(s->st[0] != nostart);
    treeclear(s);
    std::fill(w.joined.begin(), w.joined.end(), 0);
    w.joined[0] = 1;
    w.now.assign(1, 0);
    w.later.clear();
    const auto first = std::greater<int>();
    int members = 1;
    while (!w.now.empty()) {
        std::pop_heap(w.now.begin(), w.now.end(), first);
        const int i = w.now.back();
        w.now.pop_back();
        for (int e = net.rowstart[i + 1] - 1; e >= net.rowstart[i]; e--) {
            const int j = net.succ[e];
            if (w.joined[j] || net.lag[e] == nolag || s->st[i] + net.lag[e] != s->st[j]) continue;
            w.joined[j] = 1;
            members++;
            treeadd(s, net.firstpos[e]);
            if (j > i) {
                w.now.push_back(j);
                std::push_heap(w.now.begin(), w.now.end(), first);
            } else {
                w.later.push_back(j);
            }
        }
        if (w.now.empty()) {
            std::swap(w.now, w.later);
            std::make_heap(w.now.begin(), w.now.end(), first);
        }
    }
    GPR_ASSERT(members == net.nract); // every activity with a start joins
}

} // namespace gpr
