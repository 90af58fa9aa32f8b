// The steps of a problem in the order in which they find out what is wrong,
// so every problem with several faults gets the same reason: the file (read
// as far as its first defect), the activity limit, the relations' cycles, the
// end dummy's link to the project, the range of the values, the deadline, the
// links of the other activities.
#include "driver/problem.h"

#include <algorithm>

#include "input/boundall.h"
#include "input/cashflow.h"
#include "input/loadinstance.h"
#include "network/deadline.h"
#include "network/earlystarts.h"
#include "search/solvecycle.h"

namespace gpr {

outcome setupproblem(problem *p, const char *data, size_t size, const problemparams &params,
                     instformat fmt) {
    p->reason.clear();
    p->cf.clear();
    p->hasdeadline = false;
    p->notbounded = 0;
    // Reasons and results number the activities as the file does: a .sch
    // file from 0, the other formats from 1.
    p->net.firstnumber = fmt == instformat::sch ? 0 : 1;
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
