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
// breaking p->a, so it is gathered into a's set whatever its value. The
// tolerance negtol keeps rounding noise from moving a set of value zero.
//
// A start changes only in the shift step, so each activity's discounted
// cash flow is kept in dcf and recomputed only for the members of a moved
// set, not for every activity of every pass.
//
// The orders are fixed, because the number of passes is reported: the
// successor walk and the predecessor walk take their rows in list order; the
// shift step visits the members of the set from the highest index down and
// each successor row from its last entry, and a slack replaces the best one
// only when strictly smaller, so ties go to the first arc found.
//
// bestshift starts at noshift. A set with no leaving arc at all moves by
// noshift and, with no arc joining it to the tree any more, is dropped: its
// value is negative and nothing bounds it from above, so postponing it
// without limit approaches the optimum, and its cash flows leave the npv.
// An arc into a dropped activity is never a leaving arc later on: taking it
// would hang the moved set below a part that no pass reaches, and its cash
// flows would vanish too. A leaving arc is taken even when its slack is
// noshift or more: such a set is still bound (by the deadline, say) and must
// move only as far as its arcs allow and stay in the tree. Listed pairs that
// no relation gave a lag are no arcs and never leave a set.
#include "search/recsearch.h"

#include <cmath>

#include "network/bitrow.h"
#include "network/common_gpr.h"

void discount(int a) {
    dcf[a] = cf[a] * std::exp(-interest * (double)(st[a] + dur[a]));
}

void shiftset(int a, int j, const uint32_t *set) {
    bitremove(treesucc[a], j);
    bestshift = noshift;
    bestfrom = -1;
    bestto = -1;
    rowforeach(set, [set](int i) {
        for (int r = nrsucc[i] - 1; r >= 0; r--) {
            int k = succ[i][r];
            if (bittest(set, k) || dropped[k] || !acts(i, k)) continue;
            int64_t slack = st[k] - lag[i][k] - st[i];
            if (slack < bestshift || bestfrom < 0) {
                bestshift = slack;
                bestfrom = i;
                bestto = k;
            }
        }
    });
    if (bestfrom >= 0) bitadd(treesucc[bestfrom], bestto);
    const bool drop = bestfrom < 0;
    rowforeach(set, [drop](int i) {
        st[i] += bestshift;
        discount(i);
        if (drop) dropped[i] = true;
    });
}

// Words of levelset[d] outside lowword[d]..highword[d] are zero, so a
// child's set is merged over its own range of words only: a leaf merges one
// word instead of nrbin. The rows keep exactly the gathered sets.
static int lowword[maxtab + 1];
static int highword[maxtab + 1];

// Merges the set of the call that just returned at depth level+1 into the
// set at depth level.
static void gather() {
    const int low = lowword[level + 1], high = highword[level + 1];
    rowmergewords(levelset[level], levelset[level + 1], low, high);
    if (low < lowword[level]) lowword[level] = low;
    if (high > highword[level]) highword[level] = high;
}

double recsearch(int a) {
    level++;
    rowsingle(levelset[level], a);
    lowword[level] = highword[level] = a >> 5;
    double value = dcf[a];
    bitadd(visited, a);

    for (int q = 0; q < nrsucc[a]; q++) {
        int j = succ[a][q];
        if (!bittest(treesucc[a], j) || bittest(visited, j)) continue;
        double v = recsearch(j);
        if (v < negtol) {
            if (v == restartsig) return restartsig;
            // level still holds the depth of j's call, whose row is the subtree.
            shiftset(a, j, levelset[level]);
            return restartsig;
        }
        value += v;
        level--;
        gather();
    }

    for (int q = 0; q < nrpred[a]; q++) {
        int p = pred[a][q];
        if (!bittest(treesucc[p], a) || bittest(visited, p)) continue;
        double v = recsearch(p);
        if (v == restartsig) return restartsig;
        value += v;
        level--;
        gather();
    }
    return value;
}
