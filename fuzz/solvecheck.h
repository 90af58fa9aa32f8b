// Consistency checks of a solved instance, for the fuzz target and its
// regression test: after solveinstance() returned 0,
//   - every arc i -> j into an activity that was not dropped holds:
//     st[j] >= st[i] + lag[i][j] (the deadline arc from the end dummy to
//     activity 0 included); listed pairs without a relation are no arcs;
//   - the last pass visited exactly the activities that were not dropped;
//   - every arc of the spanning tree is a listed arc and binding;
//   - npv is the sum of the discounted cash flows of the activities the last
//     pass visited (checked when every term is finite).
// A shift moves a set by the smallest slack of its leaving arcs, so a
// schedule that breaks an arc, or a tree arc that is not binding, means the
// search went wrong.
#ifndef MAXNPV_SOLVECHECK_H
#define MAXNPV_SOLVECHECK_H

#include <cmath>
#include <string>

#include "network/bitrow.h"
#include "network/common_gpr.h"

// Returns "" when the solved state is consistent, else the first defect.
inline std::string checksolution() {
    for (int i = 0; i < nract; i++) {
        for (int k = 0; k < nrsucc[i]; k++) {
            int j = succ[i][k];
            if (!acts(i, j) || dropped[j]) continue;
            if (st[j] < st[i] + lag[i][j])
                return "arc " + std::to_string(i) + "->" + std::to_string(j) + " of length " +
                       std::to_string(lag[i][j]) + " is broken: starts " + std::to_string(st[i]) +
                       " and " + std::to_string(st[j]);
        }
        for (int j = 0; j < nract; j++) {
            if (!bittest(treesucc[i], j)) continue;
            bool listed = false;
            for (int k = 0; k < nrsucc[i]; k++) listed = listed || succ[i][k] == j;
            if (!listed)
                return "tree arc " + std::to_string(i) + "->" + std::to_string(j) +
                       " is not listed";
            if (st[i] + lag[i][j] != st[j])
                return "tree arc " + std::to_string(i) + "->" + std::to_string(j) +
                       " is not binding: starts " + std::to_string(st[i]) + " and " +
                       std::to_string(st[j]) + ", length " + std::to_string(lag[i][j]);
        }
    }
    double sum = 0.0, size = 0.0;
    for (int a = 0; a < nract; a++) {
        if (bittest(visited, a) == dropped[a])
            return "activity " + std::to_string(a) +
                   (dropped[a] ? " was dropped but visited" : " was not visited nor dropped");
        if (!bittest(visited, a)) continue;
        double term = cf[a] * std::exp(-interest * (double)(st[a] + dur[a]));
        if (!std::isfinite(term)) return "";
        sum += term;
        size += std::fabs(term);
    }
    if (std::fabs(npv - sum) > 1e-9 * size + 1e-9)
        return "npv " + std::to_string(npv) + " differs from the sum " + std::to_string(sum) +
               " of the visited activities";
    return "";
}

#endif
