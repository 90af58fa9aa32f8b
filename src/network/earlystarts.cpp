// Earliest starts are the smallest start vector that is 0 for the start dummy
// and meets st[j] >= st[i] + lag[i][j] for every arc whose source has a start
// at all. An activity that no chain of arcs from the start dummy reaches has
// no start: it raises nothing and ends at nostart. The vector does not
// depend on the order in which arcs are relaxed, so we relax in sweeps: each
// sweep visits every arc once, activities in increasing order and each
// successor row from its last entry, and later arcs of a sweep already see
// the values raised earlier in it.
//
// A longest path without repeated activities has at most nract-1 arcs, so
// without a cycle of positive length the nract-th sweep changes nothing. We
// allow one sweep more: if sweep nract+1 still raises a start, a cycle of
// positive length is reachable and no schedule exists. Times are 64-bit here,
// so the at most nract+1 sweeps cannot overflow even on a cycle.
//
// The normalisation runs before the earliest starts: every activity starts
// no earlier than the project and finishes no later than the end dummy
// starts, and the critical path that fixes the deadline is the one of the
// network with these requirements.
#include "network/earlystarts.h"

#include "network/common_gpr.h"

int earlystarts() {
    for (int i = 0; i < nract; i++) st[i] = nostart;
    st[0] = 0;
    for (int sweep = 1; sweep <= nract + 1; sweep++) {
        int raised = -1;
        for (int i = 0; i < nract; i++) {
            if (st[i] == nostart) continue;
            for (int k = nrsucc[i] - 1; k >= 0; k--) {
                int j = succ[i][k];
                if (!acts(i, j)) continue;
                int64_t v = st[i] + lag[i][j];
                if (v > st[j]) {
                    st[j] = v;
                    raised = j;
                }
            }
        }
        if (raised < 0) return -1;
        if (sweep == nract + 1) return raised;
    }
    return -1;
}

void normalise() {
    int end = nract - 1;
    for (int i = end; i >= 1; i--)
        if (lag[0][i] < 0) lag[0][i] = 0;
    for (int i = end - 1; i >= 0; i--)
        if (lag[i][end] < dur[i]) lag[i][end] = dur[i];
}
