// The search needs a schedule that meets every arc and a spanning tree in
// which every arc has slack 0. The earliest starts, computed when the
// instance was loaded, give the first: they are the smallest schedule that
// meets the arcs. In that schedule every activity other than 0 was last
// raised through an arc that is still binding, and following those arcs back
// leads to activity 0, so passes that join an activity through a binding arc
// from one already in the tree reach every activity that has a start.
// Passes take activities in increasing order and each successor row from its
// last entry; of two binding arcs into an activity, the first examined from a
// source already in the tree wins.
//
// Two things can still make the instance unsolvable, and each is reported
// instead of searching from a schedule that breaks a relation: the end dummy
// cannot start early enough for the deadline; or some activity has no start
// at all (no chain of relations from activity 0 reaches it, so nothing ties
// it to the project).
//
// The deadline arc from the end dummy back to activity 0, of length minus
// the deadline, is appended last: it takes no part in the passes.
// The end dummy keeps its other listed successors and activity 0 its other
// listed predecessors, so no relation of the file is dropped; a listed
// relation from the end dummy to activity 0 is merged with the deadline by
// the max rule.
#include "search/inittree.h"

#include "driver/reports.h"
#include "network/bitrow.h"
#include "network/common_gpr.h"
#include "search/recsearch.h"

// Length of the deadline arc end -> 0: minus the deadline, or the file's own
// relation from the end dummy to activity 0 when that is tighter.
static int deadlinelag() {
    int end = nract - 1;
    int length = -deadline;
    for (int k = 0; k < nrsucc[end]; k++)
        if (succ[end][k] == 0 && lag[end][0] > length) length = lag[end][0];
    return length;
}

// Builds the tree in passes; returns the first activity (0-based) that no
// pass can join, or -1 when the tree spans all activities.
static int buildtree() {
    bool intree[maxtab];
    for (int i = 0; i < nract; i++) intree[i] = false;
    intree[0] = true;
    int outside = nract - 1;
    while (outside > 0) {
        int joined = 0;
        for (int i = 0; i < nract; i++) {
            for (int k = nrsucc[i] - 1; k >= 0; k--) {
                int j = succ[i][k];
                if (intree[i] && !intree[j] && acts(i, j) && st[i] + lag[i][j] == st[j]) {
                    intree[j] = true;
                    bitadd(treesucc[i], j);
                    joined++;
                }
            }
        }
        outside -= joined;
        if (joined == 0) {
            for (int i = 1; i < nract; i++)
                if (!intree[i]) return i;
        }
    }
    return -1;
}

// Replaces every entry equal to `drop` in a list row by one entry `add`
// appended after the others. The reader left room for it.
static void closerow(int *row, int *count, int drop, int add) {
    int kept = 0;
    for (int k = 0; k < *count; k++)
        if (row[k] != drop) row[kept++] = row[k];
    row[kept++] = add;
    *count = kept;
}

int inittree() {
    int end = nract - 1;
    int closing = deadlinelag();
    if (st[end] - st[0] > -(int64_t)closing) {
        reportreason("no feasible schedule: the end dummy (activity %d) starts at %lld at the "
                     "earliest, but the deadline requires it to start by %lld",
                     end + 1, (long long)st[end], (long long)(st[0] - closing));
        return skipinfeasible;
    }
    for (int i = 1; i < nract; i++) {
        if (st[i] != nostart) continue;
        reportreason("activities not connected: no chain of relations leads from the start "
                     "dummy to activity %d",
                     i + 1);
        return skipunlinked;
    }
    int lost = buildtree();
    GPR_ASSERT(lost < 0); // every activity with a start joins through a binding arc

    closerow(succ[end], &nrsucc[end], 0, 0);
    closerow(pred[0], &nrpred[0], end, end);
    lag[end][0] = closing;
    for (int i = 0; i < nract; i++) discount(i);
    return 0;
}
