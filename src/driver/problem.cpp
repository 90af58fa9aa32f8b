// The steps of a problem in the order in which they find out what is wrong,
// so every problem with several faults gets the same reason: the file (read
// as far as its first defect), the activity limit, the relations' cycles, the
// end dummy's link to the project, the range of the values, the deadline, the
// links of the other activities.
#include "driver/problem.h"

#include <algorithm>
#include <cmath>

#include "input/boundall.h"
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

int64_t factordeadline(int64_t criticalpath, double factor) {
    // A decimal factor is held in a double within 2^-53 of its value, so the
    // product is off by at most that share of it: taking off 1e-15 of it,
    // but never half a time unit or more, gives the ceiling of the decimal
    // product without ever losing a whole unit.
    constexpr long double tolerance = 1e-15L;       // relative
    constexpr long double mostoff = 0.5L;           // time units
    constexpr long double farthest = INT64_MAX / 2; // as deadlineof holds a sum out of range
    const long double product = (long double)factor * (long double)criticalpath;
    const long double d = std::ceil(product - std::min(mostoff, tolerance * std::fabs(product)));
    if (!(d > -farthest)) return -(int64_t)farthest;
    return d < farthest ? (int64_t)d : (int64_t)farthest;
}

outcome setupproblem(problem *p, const char *data, size_t size, const problemparams &params,
                     instformat fmt) {
    p->reason.clear();
    p->cf.clear();
    p->hasdeadline = false;
    p->notbounded = 0;
    int reached;
    records rec;
    outcome kind = scaninstance(data, size, fmt, params.limits, &rec, &p->reason, &reached);
    p->net.nract = rec.nract;
    if (kind == outcome::solved) {
        const int listed = (int)rec.entries.size();
        if (params.boundall) addbounds(&rec);
        kind = buildnetwork(rec, params.limits, &p->net, &p->reason);
        p->net.nrfile = listed;
    }
    if (kind == outcome::toomany) return kind;
    // The cash flows depend on the activity count of the header only, so
    // they are drawn whatever the records hold; a rejected file gets those
    // of the activities its reading reached.
    if (p->own) {
        if (kind == outcome::solved && !p->ownwhy.empty()) p->reason = p->ownwhy;
        if (kind == outcome::solved && p->ownwhy.empty() && (int)p->owncf.size() != p->net.nract)
            p->reason = "the cash flow file holds " + std::to_string(p->owncf.size()) +
                        " cash flows for " + std::to_string(p->net.nract) +
                        " activities (one per activity, dummies included)";
        if (kind == outcome::solved && !p->reason.empty()) return outcome::invalid;
    } else if (params.seeded) {
        std::vector<int> all = seededcf(p->net.nract, params.pctneg, params.seed, p->name);
        p->cf.assign(all.begin(),
                     all.begin() + std::max(0, std::min(reached + 1, (int)all.size())));
    } else {
        lcg g(0);
        for (int i = 0; i <= reached; i++)
            p->cf.push_back(drawcf(&g, i, p->net.nract, params.pctneg));
    }
    if (kind != outcome::solved) return kind;
    kind = analyse(&p->net, &p->reason);
    if (kind != outcome::solved) return kind;
    p->criticalpath = p->net.est[p->net.end()];
    if (params.absolute)
        p->deadline = params.deadline;
    else if (params.deadlinefactor > 0)
        p->deadline = factordeadline(p->criticalpath, params.deadlinefactor);
    else
        p->deadline = deadlineof(p->net, params.slack);
    p->hasdeadline = true;
    if (params.countbounds && !params.boundall) p->notbounded = notbounded(p->net);
    std::vector<double> cf(p->cf.begin(), p->cf.end());
    if (p->own) cf = p->owncf;
    return prepare(&p->sol, p->net, cf, params.interest, p->deadline, &p->reason);
}

} // namespace gpr
