// The max-npv problem under renewable resources as a time-indexed integer
// program, solved by GLPK's branch and bound, to check a resource-constrained
// solver with a method that shares nothing with it. Steps 1 to 5 (the file,
// the cash flows, the arcs, the earliest starts ES, the deadline, the latest
// starts LS) are those of lpnetwork.cpp, which the LP uses too; then:
//
// 6. Every activity needs a latest start: an activity from which no chain of
//    arcs leads back to activity 0 (through the end dummy and the deadline,
//    or a maximal lag) may start at any time after the deadline, and
//    whether putting it off pays depends on the resources at times that no
//    window covers. Closing its window at the deadline would solve another
//    problem, so such an instance is refused (lpnotbounded) unless
//    bound-all bounds every activity. An activity that needs more of a
//    resource than there is, for a positive duration, makes the instance
//    infeasible at once (the reason names it).
// 7. The model. Starts are whole numbers (lags and deadline are, so an
//    optimum with whole starts exists). x_it = 1 iff activity i starts at
//    time t, for t in [ES_i, LS_i], and sum_t x_it = 1. An arc i->j of lag l
//    is stated in the strong, disaggregated form: for every t, "i starts at
//    t or later" excludes "j starts before t + l",
//        sum_{s >= t} x_is + sum_{s < t+l} x_js <= 1,
//    whose LP relaxation is much tighter than the aggregated
//    sum_t t x_jt - sum_t t x_it >= l. Resource k at time t:
//        sum_i r_ik sum_{t-d_i < s <= t} x_is <= R_k.
//    GLPK is given the same program in the cumulative variables
//    y_it = sum_{s <= t} x_is = [start_i <= t] (x_it = y_it - y_i,t-1, a
//    unimodular change of variables, so the relaxation and the integer
//    points are the same): y_it <= y_i,t+1; the arc becomes
//    y_j,t+l-1 <= y_i,t-1, two entries instead of a whole window; and the
//    resource row holds y_it - y_i,t-d_i per activity. The sparse rows make
//    every node's LP several times faster than the x-form's dense ones (on
//    the UBO10 instances, 2-4 ms against 20-40 ms per node). y is 0 before
//    ES_i and 1 from LS_i on; those values are constants, not columns. An
//    arc row is stated for the t at which both sides can be 1
//    (ES_j <= t+l-1 < LS_j and t-1 < LS_i; the windows come from longest
//    paths, so the others hold anyway), a resource row only where the
//    activities that can run at t could need more than R_k. Activities of
//    duration 0 or less use nothing.
// 8. The objective is the npv, sum_t c_it x_it with
//    c_it = cf_i exp(-r (t + d_i)), in y: sum_{t<LS_i} y_it (c_it - c_i,t+1)
//    plus the constant c_i,LS_i (GLPK's objective constant), where c_it - c_i,t+1 = c_it (1 -
//    exp(-r)) is taken without cancellation. It is divided by the largest term at the earliest
//    starts, so that its coefficients lie in [-1, 1] and GLPK's absolute tolerances mean the same
//    on every instance. The search runs with a relative gap of 0 and an objective tolerance of
//    `objtolerance` (GLPK prunes a node whose bound lies within objtolerance * (1 + |incumbent|) of
//    the incumbent), so the optimum it returns is within about (n + 1) * objtolerance of the
//    largest term: far below 1e-9 of the npv's scale. GLPK's presolver and its clique cuts are on
//    (together the fastest of GLPK's choices on the UBO10 instances); its other cuts and heuristics
//    cost more than they save there.
// 9. The schedule is read off the solution (start_i is the first t with
//    y_it = 1, or LS_i), checked against every arc, every window and every
//    resource at every time in the model's own terms, and its npv is
//    computed in long double. GLPK's numbers are thus used only to find the
//    schedule; the value reported is that of the schedule.
// A time limit or a node limit stops the branch and bound; the best
// schedule found (if any) and GLPK's bound (the best bound of the open
// nodes, or the root's LP value, unscaled) are reported. The model's size is checked while it is
// built (`maxcolumns`, `maxentries`), so an instance too large for it is refused instead of
// exhausting memory.
#include <glpk.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lpmodel.h"
#include "lpnetwork.h"

namespace {

using namespace lpnet;

constexpr long long maxcolumns = 2000000;  // binaries the model may have
constexpr long long maxentries = 10000000; // matrix entries the model may have
constexpr double objtolerance = 1e-11;     // GLPK's tol_obj, relative to the largest term
constexpr double chosen = 0.5;             // y above this: the activity has started

// What GLPK's callback records while it searches, and the node limit it
// applies.
struct searchlog {
    bool hasbound = false;   // a bound was seen
    double bound = 0;        // the best bound of the open nodes at the last selection (scaled)
    bool hasroot = false;    // the root's LP was solved
    double root = 0;         // the root's LP value, a bound before any selection (scaled)
    long long nodes = 0;     // nodes created so far
    long long nodelimit = 0; // stop once this many nodes exist (0: no limit)
    bool stopped = false;    // the node limit stopped the search
};

void callback(glp_tree *tree, void *info) {
    searchlog *log = static_cast<searchlog *>(info);
    int active, current, total;
    glp_ios_tree_size(tree, &active, &current, &total);
    log->nodes = total;
    if (log->nodelimit > 0 && total >= log->nodelimit && !log->stopped) {
        log->stopped = true;
        glp_ios_terminate(tree);
    }
    const int reason = glp_ios_reason(tree);
    if (reason == GLP_ISELECT) {
        int best = glp_ios_best_node(tree);
        if (best == 0) return;
        log->hasbound = true;
        log->bound = glp_ios_node_bound(tree, best);
        return;
    }
    // Where the root's LP relaxation is solved, its value bounds the optimum
    // (cuts only lower it).
    int node = glp_ios_curr_node(tree);
    glp_prob *lp = glp_ios_get_prob(tree);
    if ((reason == GLP_IROWGEN || reason == GLP_ICUTGEN || reason == GLP_IBRANCH) && node != 0 &&
        glp_ios_up_node(tree, node) == 0 && glp_get_status(lp) == GLP_OPT) {
        log->hasroot = true;
        log->root = glp_get_obj_val(lp);
    }
}

// The integer program in GLPK's terms, as it is built: rows of "sum <= upper"
// in triplet form (indices from 1, as GLPK reads them).
class program {
  public:
    explicit program(const temporal &t) : net(t), first(t.in.n) {
        ia.push_back(0), ja.push_back(0), ar.push_back(0);
    }

    // Numbers the columns y_it, t in es_i..ls_i-1; false if too many.
    bool number() {
        for (int i = 0; i < net.in.n; i++) {
            first[i] = columns + 1;
            columns += net.ls[i] - net.es[i];
            if (columns > maxcolumns) return false;
        }
        return true;
    }

    // y_it as a column (*col, returns -1) or a constant (0 or 1).
    int y(int i, int64_t t, long long *col) const {
        if (t < net.es[i]) return 0;
        if (t >= net.ls[i]) return 1;
        *col = first[i] + (t - net.es[i]);
        return -1;
    }

    // Adds the row sum coef * y(i, t) over terms <= upper, the constants
    // moved to the right. A row without a column is left out when the
    // constants meet it, and otherwise makes the program infeasible (then
    // `broken` is set). False once the matrix is too large.
    struct term {
        int i;
        int64_t t;
        double coef;
    };
    bool row(const std::vector<term> &terms, double upper) {
        size_t before = ar.size();
        for (const term &x : terms) {
            long long col;
            int constant = y(x.i, x.t, &col);
            if (constant >= 0) {
                upper -= x.coef * constant;
            } else {
                ia.push_back(rows + 1);
                ja.push_back((int)col);
                ar.push_back(x.coef);
            }
        }
        if (ar.size() == before) {
            broken = broken || upper < 0; // the coefficients are whole numbers
            return true;
        }
        rows++;
        bounds.push_back(upper);
        return (long long)ar.size() <= maxentries;
    }

    const temporal &net;
    std::vector<long long> first; // [activity] column of y at es, from 1
    long long columns = 0;
    int rows = 0;
    std::vector<int> ia, ja;    // [entry] row and column
    std::vector<double> ar;     // [entry] coefficient
    std::vector<double> bounds; // [row - 1] upper bound
    bool broken = false;        // a row of constants alone fails: no schedule at all
    std::string why;            // which one, in words
};

// The resource rows of resource k: one per time at which the activities
// that can run then could need more than the capacity. A sweep over the
// times at which some activity can run keeps the work to the times that
// matter. False once the matrix is too large.
bool resourcerows(const temporal &net, size_t k, program *p) {
    const instance &in = net.in;
    struct span {
        int64_t from, to; // times at which the activity can run
        int i;
    };
    std::vector<span> spans;
    for (int i = 0; i < in.n; i++)
        if (in.dur[i] > 0 && in.demand[i][k] > 0)
            spans.push_back({net.es[i], net.ls[i] + in.dur[i] - 1, i});
    std::sort(spans.begin(), spans.end(),
              [](const span &a, const span &b) { return a.from < b.from; });
    std::vector<span> running;
    std::vector<program::term> terms;
    size_t next = 0;
    int64_t t = INT64_MIN; // the time of the row; raised to the first span at once
    while (next < spans.size() || !running.empty()) {
        if (running.empty()) t = std::max(t, spans[next].from);
        while (next < spans.size() && spans[next].from <= t) running.push_back(spans[next++]);
        running.erase(
            std::remove_if(running.begin(), running.end(), [t](const span &s) { return s.to < t; }),
            running.end());
        if (running.empty()) continue;
        int64_t most = 0;
        for (const span &s : running) most += in.demand[s.i][k];
        if (most > in.capacity[k]) {
            // running at t: started by t, and not by t - d
            terms.clear();
            for (const span &s : running) {
                double units = (double)in.demand[s.i][k];
                terms.push_back({s.i, t, units});
                terms.push_back({s.i, t - in.dur[s.i], -units});
            }
            bool before = p->broken;
            if (!p->row(terms, (double)in.capacity[k])) return false;
            if (p->broken && !before) {
                int64_t units = 0; // all of them run at t whatever the schedule
                for (const span &s : running) units += in.demand[s.i][k];
                p->why = format("the activities whose windows hold them at time %lld need %lld "
                                "units of resource %zu there, which has %lld",
                                (long long)t, (long long)units, k + 1, (long long)in.capacity[k]);
            }
        }
        t++;
    }
    return true;
}

// Checks schedule s against the arcs, the windows and every resource at
// every time; "" or the first rule it breaks.
std::string breaks(const temporal &net, const std::vector<int64_t> &s) {
    const instance &in = net.in;
    for (int i = 0; i < in.n; i++)
        if (s[i] < net.es[i] || s[i] > net.ls[i])
            return format("activity %d starts at %lld, outside its window %lld..%lld", i + 1,
                          (long long)s[i], (long long)net.es[i], (long long)net.ls[i]);
    for (const arc &a : net.arcs)
        if (s[a.to] < s[a.from] + a.len)
            return format("activity %d starts at %lld, before activity %d (at %lld) plus the "
                          "lag %lld",
                          a.to + 1, (long long)s[a.to], a.from + 1, (long long)s[a.from],
                          (long long)a.len);
    // The use of a resource rises only where an activity starts, so checking
    // it at every start checks it at every time.
    for (size_t k = 0; k < in.capacity.size(); k++) {
        for (int j = 0; j < in.n; j++) {
            if (in.dur[j] <= 0 || in.demand[j][k] == 0) continue;
            int64_t used = 0;
            for (int i = 0; i < in.n; i++)
                if (in.dur[i] > 0 && s[i] <= s[j] && s[j] < s[i] + in.dur[i])
                    used += in.demand[i][k];
            if (used > in.capacity[k])
                return format("resource %zu is used %lld at time %lld, more than its capacity "
                              "%lld",
                              k + 1, (long long)used, (long long)s[j], (long long)in.capacity[k]);
        }
    }
    return "";
}

} // namespace

lpresult rcsolve(const std::string &path, const lpoptions &opt) {
    lpresult res;
    const double r = opt.interest;
    if (!(r >= 0) || !std::isfinite(r)) {
        res.reason = format("the interest rate %g is not a number of 0 or more", r);
        return res;
    }
    temporal net;
    if (!analyse(path, opt, true, &net, &res)) return res;
    const instance &in = net.in;
    const int n = in.n;
    const std::vector<int64_t> &es = net.es, &ls = net.ls;
    auto started = clock_type::now();

    for (int i = 0; i < n; i++) {
        if (ls[i] != noend) continue;
        res.kind = lpnotbounded;
        res.reason = format("activity %d has no latest start: no chain of relations leads from it "
                            "to the end dummy or back to activity 1, so it may start at any time "
                            "after the deadline (--bound-all bounds every activity)",
                            i + 1);
        return res;
    }
    for (size_t k = 0; k < in.capacity.size(); k++)
        for (int i = 0; i < n; i++) {
            if (in.dur[i] <= 0 || in.demand[i][k] <= in.capacity[k]) continue;
            res.kind = lpinfeasible;
            res.byresources = true;
            res.reason =
                format("activity %d needs %lld units of resource %zu, which has %lld", i + 1,
                       (long long)in.demand[i][k], k + 1, (long long)in.capacity[k]);
            return res;
        }

    // The rows: y rises once; the arcs; the resources.
    program p(net);
    bool fits = p.number();
    for (int i = 0; fits && i < n; i++)
        for (int64_t t = es[i] + 1; fits && t < ls[i]; t++)
            fits = p.row({{i, t - 1, 1}, {i, t, -1}}, 0);
    for (const arc &a : net.arcs) {
        const int i = a.from, j = a.to;
        // j not started by u = t+l-1 unless i started by u - l = t-1
        int64_t last = std::min(ls[j] - 1, ls[i] + a.len - 1);
        for (int64_t u = es[j]; fits && u <= last; u++)
            fits = p.row({{j, u, 1}, {i, u - a.len, -1}}, 0);
    }
    for (size_t k = 0; fits && k < in.capacity.size(); k++) fits = resourcerows(net, k, &p);
    if (!fits) {
        res.kind = lpfailed;
        res.reason = p.columns > maxcolumns
                         ? format("the time-indexed model needs more than %lld variables (the "
                                  "windows are too wide)",
                                  maxcolumns)
                         : format("the time-indexed model needs more than %lld matrix entries "
                                  "(the windows are too wide)",
                                  maxentries);
        return res;
    }

    if (p.broken) {
        // Activities whose windows fix them where they overlap beyond a
        // capacity. (An arc row of constants holds by the windows: one that
        // fails would be a fault of the longest paths.)
        res.kind = p.why.empty() ? lpfailed : lpinfeasible;
        res.byresources = !p.why.empty();
        res.reason = p.why.empty() ? "the windows break a relation" : p.why;
        res.seconds = since(started);
        return res;
    }

    // The objective, divided by the largest term at the earliest starts.
    double top = -HUGE_VAL;
    for (int i = 0; i < n; i++)
        if (net.cf[i] != 0)
            top = std::max(top, std::log(std::fabs(net.cf[i])) - r * (double)(es[i] + in.dur[i]));
    if (!std::isfinite(top)) top = 0;    // no cash flow at all
    const double step = -std::expm1(-r); // 1 - exp(-r): c_it - c_i,t+1 = c_it * step

    glp_prob *lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MAX);
    if (p.columns > 0) glp_add_cols(lp, (int)p.columns);
    double constant = 0; // the terms at the latest starts
    for (int i = 0; i < n; i++) {
        double logcf = net.cf[i] == 0 ? 0 : std::log(std::fabs(net.cf[i]));
        if (net.cf[i] != 0)
            constant +=
                (net.cf[i] > 0 ? 1 : -1) * std::exp(logcf - r * (double)(ls[i] + in.dur[i]) - top);
        for (int64_t t = es[i]; t < ls[i]; t++) {
            int c = (int)(p.first[i] + (t - es[i]));
            glp_set_col_kind(lp, c, GLP_BV);
            if (net.cf[i] == 0) continue;
            double w = std::exp(logcf - r * (double)(t + in.dur[i]) - top) * step;
            glp_set_obj_coef(lp, c, net.cf[i] > 0 ? w : -w);
        }
    }
    glp_set_obj_coef(lp, 0, constant);
    if (p.rows > 0) glp_add_rows(lp, p.rows);
    for (int row = 1; row <= p.rows; row++)
        glp_set_row_bnds(lp, row, GLP_UP, 0.0, p.bounds[row - 1]);
    glp_load_matrix(lp, (int)p.ar.size() - 1, p.ia.data(), p.ja.data(), p.ar.data());
    res.rows = p.rows;
    res.cols = (int)p.columns;

    searchlog log;
    log.nodelimit = opt.nodelimit;
    glp_iocp parm;
    glp_init_iocp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.presolve = GLP_ON;
    parm.mip_gap = 0;
    parm.tol_obj = objtolerance;
    parm.clq_cuts = GLP_ON;
    parm.cb_func = callback;
    parm.cb_info = &log;
    if (opt.timelimit > 0)
        parm.tm_lim = (int)std::min(std::ceil(opt.timelimit * 1000), (double)INT_MAX);
    // The clique cuts announce their conflict graph whatever msg_lev says.
    int printing = glp_term_out(GLP_OFF);
    int code = glp_intopt(lp, &parm);
    glp_term_out(printing);
    int status = glp_mip_status(lp);
    res.nodes = log.nodes;

    std::vector<int64_t> s(n, 0);
    // A limit ends the search with the best schedule found, if any.
    const bool limit = code == GLP_ETMLIM || (code == GLP_ESTOP && log.stopped);
    bool schedule = (code == 0 && status == GLP_OPT) || (limit && status == GLP_FEAS);
    for (int i = 0; schedule && i < n; i++) {
        s[i] = ls[i];
        for (int64_t t = ls[i] - 1; t >= es[i]; t--)
            if (glp_mip_col_val(lp, (int)(p.first[i] + (t - es[i]))) > chosen) s[i] = t;
    }
    double bestscaled = glp_mip_obj_val(lp);
    glp_delete_prob(lp);
    res.seconds = since(started);

    if (code == GLP_ENOPFS || (code == 0 && status == GLP_NOFEAS)) {
        res.kind = lpinfeasible;
        res.byresources = true;
        res.reason = "GLPK's branch and bound finds no schedule within the capacities";
        return res;
    }
    if (!schedule && !limit) {
        res.kind = lpfailed;
        res.reason =
            format("GLPK's branch and bound found no optimum (code %d, status %d)", code, status);
        return res;
    }
    if (schedule) {
        std::string broken = breaks(net, s);
        if (!broken.empty()) {
            res.kind = lpfailed;
            res.reason = "GLPK's schedule breaks a rule: " + broken;
            return res;
        }
        long double npv = 0;
        for (int i = 0; i < n; i++)
            if (net.cf[i] != 0)
                npv += (long double)net.cf[i] * std::exp(-(long double)r * (s[i] + in.dur[i]));
        res.npv = (double)npv;
        res.schedule.assign(s.begin(), s.end());
    }
    if (limit) {
        res.kind = lplimit;
        res.reason = code == GLP_ETMLIM
                         ? format("the time limit of %g s ended the search", opt.timelimit)
                         : format("the node limit of %lld ended the search", opt.nodelimit);
        // The optimum lies below the best open node's bound (or the root's
        // LP value before any node was chosen), or within the tolerance of
        // the best schedule where the open nodes promise less.
        bool known = log.hasbound || log.hasroot || schedule;
        double bound = log.hasbound ? log.bound : log.hasroot ? log.root : bestscaled;
        if (schedule) bound = std::max(bound, bestscaled);
        res.bound = bound * std::exp(top);
        res.hasbound = known && std::isfinite(res.bound);
        return res;
    }
    res.kind = lpsolved;
    return res;
}
