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
// The earliest starts are taken afresh: an added arc can only raise them, and
// a cycle of positive length that the arcs close (two activities each asked
// to finish before the other starts, say) shows as starts that never settle.
#include <algorithm>

#include "network/earlystarts.h"
#include "search/rcsearch.h"

namespace gpr {

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
    // The new entries after each row's base entries, in (from, to) order;
    // the larger lag on the pairs the base lists.
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
                out->lag[at] = c.lag;
                out->firstpos[at] = at;
                out->predkey[at] = base.nrpred[c.to] + w.newnamed[c.to]++;
                out->nrpred[c.to]++;
                continue;
            }
            at = w.pairentry[a] + w.shift[c.from];
        }
        if (out->lag[at] == nolag || out->lag[at] < c.lag) {
            // Every entry of the pair carries the pair's lag.
            for (int e = out->rowstart[c.from]; e < out->rowstart[c.from + 1]; e++)
                if (out->succ[e] == c.to) out->lag[e] = c.lag;
        }
    }
    out->succ[size] = 0;
    out->owner[size] = n - 1;
    out->lag[size] = nolag;
    out->firstpos[size] = size;
    out->predkey[size] = lastkey;
    return earlieststarts(*out, out->lag, &out->est) < 0 ? outcome::solved : outcome::infeasible;
}

} // namespace gpr
