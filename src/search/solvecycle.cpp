// Passes repeat until one returns a value instead of the restart signal.
// Between passes only the schedule and the tree carry over; every pass
// starts with nothing visited at depth 0. Each restarting pass has made
// exactly one shift, so nrits is one more than the number of shifts.
#include "search/solvecycle.h"

#include "driver/reports.h"
#include "network/bitrow.h"
#include "network/common_gpr.h"
#include "platform/platform.h"
#include "search/inittree.h"
#include "search/recsearch.h"

int solveinstance() {
    resetsolve();
    int kind = inittree();
    if (kind != 0) return kind;
    do {
        level = 0;
        rowclear(visited);
        nrits++;
        npv = recsearch(0);
    } while (npv == restartsig);
    return 0;
}

void solvecycle() {
    int kind = solveinstance();
    if (kind != 0) {
        reportskip(kind);
        return;
    }
    elapsed = (float)((mstime() - starttime) / 1000.0);
    reportresult();
}
