// Earliest starts are the smallest start vector that is at least the initial
// values (0 for the start dummy, nostart for every other activity) and meets
// st[j] >= st[i] + lag[i][j] for every listed pair. That vector does not
// depend on the order in which arcs are relaxed, so we relax in sweeps: each
// sweep visits every listed arc once, activities in increasing order and each
// successor row from its last entry, and later arcs of a sweep already see
// the values raised earlier in it.
//
// A longest path without repeated activities has at most nract-1 arcs, so
// without a cycle of positive length the nract-th sweep changes nothing. We
// allow one sweep more: if sweep nract+1 still raises a start, the listed
// arcs hold a cycle of positive length and no schedule exists. Times are
// 64-bit here, so the at most nract+1 sweeps cannot overflow even on a cycle.
//
// The sentinels nostart and nolag take part as ordinary numbers, exactly as
// in the original tool: an arc from an unreached activity relaxes from
// nostart, and a listed pair without a relation relaxes with nolag.
#include "network/earlystarts.h"

#include "network/common_gpr.h"

int relaxsweeps() {
    for (int sweep = 1; sweep <= nract + 1; sweep++) {
        int raised = -1;
        for (int i = 0; i < nract; i++) {
            for (int k = nrsucc[i] - 1; k >= 0; k--) {
                int j = succ[i][k];
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

int earlystarts() {
    for (int i = 0; i < nract; i++) st[i] = nostart;
    st[0] = 0;
    return relaxsweeps();
}

void normalise() {
    int end = nract - 1;
    for (int i = end; i >= 1; i--)
        if (lag[0][i] < 0) lag[0][i] = 0;
    for (int i = end - 1; i >= 0; i--)
        if (lag[i][end] < dur[i]) lag[i][end] = dur[i];
}
