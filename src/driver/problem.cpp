// The steps of a problem in the order in which they find out what is wrong,
// so every problem with several faults gets the same reason: the file (read
// as far as its first defect), the activity limit, the relations' cycles, the
// end dummy's link to the project, the range of the values, the deadline, the
// links of the other activities.
#include "driver/problem.h"

#include <algorithm>

#include "input/cashflow.h"
#include "input/loadinstance.h"
#include "network/earlystarts.h"
#include "search/solvecycle.h"

namespace gpr {

int64_t deadlineof(const network &net, int64_t slack) {
    // Starts stay far inside 64 bits (the reader bounds every lag and
    // duration), so only the slack can take the sum out of range.
    int64_t absolute;
    if (!__builtin_add_overflow(net.est[net.end()], slack, &absolute)) return absolute;
    return slack > 0 ? INT64_MAX / 2 : INT64_MIN / 2;
}

outcome setupproblem(problem *p, const char *data, size_t size, const problemparams &params,
                     instformat fmt) {
    p->reason.clear();
    p->cf.clear();
    int reached;
    outcome kind = readinstance(data, size, fmt, params.limits, &p->net, &p->reason, &reached);
    if (kind == outcome::toomany) return kind;
    // The cash flows depend on the activity count of the header only, so
    // they are drawn whatever the records hold; a rejected file gets those
    // of the activities its reading reached.
    lcg g(0);
    for (int i = 0; i <= reached; i++) p->cf.push_back(drawcf(&g, i, p->net.nract, params.pctneg));
    if (kind != outcome::solved) return kind;
    kind = analyse(&p->net, &p->reason);
    if (kind != outcome::solved) return kind;
    p->deadline = deadlineof(p->net, params.slack);
    std::vector<double> cf(p->cf.begin(), p->cf.end());
    return prepare(&p->sol, p->net, cf, params.interest, p->deadline, &p->reason);
}

} // namespace gpr
