// Improving a resource-feasible schedule by drawing other orders of it.
//
// A resource-feasible schedule S, chained (rcchain.cpp), is a network whose
// max-npv optimum is the best schedule of that order, and S itself meets it.
// But S meets many orders: activities that start together can hand units on
// in any sequence, and an activity may take its units from any holder that
// finished in time. Each of them is another network with S inside, so its
// optimum is resource-feasible and worth at least as much as S; where one
// frees what held a valuable activity back, the optimum moves past S. Taking
// the better schedule as the next S and drawing again climbs as long as
// draws keep paying. On large networks, where the branch and bound cannot
// reach schedules far below its root, this is what makes the npv improve
// with time; on small ones it gives the branch and bound a better incumbent
// to prune with. The draws come from a seeded stream, so a search without a
// time limit goes the same way on every machine.
#include "search/rcsearch.h"

namespace gpr {

int improveschedule(const rcmodel &m, const std::vector<int64_t> &best,
                    const std::vector<char> &bestdrop, int tries,
                    const std::function<bool()> &stopnow, const rcsolvechain &solve, rcchainwork *w,
                    std::vector<rcarc> *arcs, uint64_t *noise) {
    int improved = 0;
    for (int failed = 0; failed < tries && !stopnow();) {
        chainschedule(m, best, bestdrop, w, arcs, noise);
        if (solve(*arcs)) {
            improved++;
            failed = 0;
        } else {
            failed++;
        }
    }
    return improved;
}

} // namespace gpr
