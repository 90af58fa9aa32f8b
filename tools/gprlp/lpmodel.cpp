// The LP of the max-npv problem, solved by GLPK. Steps 1 to 5 (reading the
// file, the cash flows, the arcs, the earliest and latest starts) are those of
// lpnetwork.cpp, shared with the MIP of rcmodel.cpp; from there:
//
// 5. (continued) An activity without a latest start is dropped when that
//    pays (its x tends to 0 and it adds nothing to the npv).
// 6. The LP, numerically. With y_i = exp(-r (s_i - R_i)) measured against a
//    feasible reference schedule R, an arc i->j of length l reads
//    y_j <= exp(r (R_j - R_i - l)) y_i, a coefficient of at least 1, and the
//    objective weight of i is cf_i exp(-r (dur_i + R_i)). Over a whole
//    project these numbers span far more than a double holds: an activity
//    that may start anywhere in a window of W time units gives coefficients
//    up to exp(r W), beyond the range of a double once r W exceeds about 700
//    and ill-conditioned long before. So the model solves a sequence of
//    trust-region LPs: in a round each activity may move at most
//    `reach` / r time units from R (within its earliest and latest start).
//    An arc that such moves cannot break gets its coefficient capped, which
//    states it with a longer lag that the windows imply anyway; so every
//    coefficient lies between 1 and exp(4 reach) and every bound within
//    exp(+-2 reach). One GLPK problem serves all rounds; its rows are the
//    arcs that can bind at all (L_i + l >= E_j), and a round changes only
//    bounds, weights and coefficients, so GLPK starts from the last basis.
// 7. What cannot matter. A term is at most its value at the activity's
//    earliest start. Activities whose terms are negligible even there
//    (together below 1e-16 of the optimum's size) and from which no arc
//    leads to the rest (but to activity 0, which bounds them from above
//    only) are left out of the LP: every schedule of the rest extends to
//    them, each as early as the rest allows. Of the others, weights whose
//    terms are that small are set to 0 while together they stay below 1e-14
//    of the objective's size. (Small where it stands is not enough for a
//    negative term: left out, it would cost nothing to move earlier.)
// 8. Certificate. By LP duality (every row has right-hand side 0), no
//    solution of the LP without the trust region beats this one by more
//    than the sum, over the columns that a trust bound holds, of the reduced
//    cost times how far the column could still move (to its earliest start
//    when it wants to start earlier, to x = 0 when it wants to start later),
//    plus the most the weights left out could add. The optimum is certified
//    when that is at most 1e-12 of the objective's size (the sum of the
//    magnitudes of its terms); rounds continue until it is.
// 9. Rounds. The first reference is the earliest schedule; GLPK's simplex
//    solves each round in floating point and its vertex becomes the next
//    reference. When a round looks certified, the LP is stated again in the
//    same windows around the vertex itself: the basis stays, every tight
//    arc has coefficient 1 and every bound that holds a column is 1, which
//    keeps the fractions of GLPK's exact simplex short; the exact simplex
//    then confirms the basis in rational arithmetic (or pivots on) and the
//    certificate is taken from its reduced costs. Between rounds, whole
//    sets of tight arcs move as far as pays (a shift of a set changes its
//    value by a factor, so it pays all the way or not at all): sets that
//    nothing stops from moving later, which go so far that their value
//    vanishes (the schedule shows them as put off without end), and sets
//    whose terms lie below GLPK's tolerances, which floating point cannot
//    weigh although such a set, far after the start of the project, may
//    gain much by moving far. What floating point still misses the exact
//    simplex sees; from then on the rounds stay exact and any set may move.
// 10. The schedule of the vertex is read off the basis in whole time units
//    (a column at a bound sits there; a row at its bound is a tight arc) and
//    checked against every arc and window; the LP's objective must agree
//    with the value of that schedule. Its net present value, over the
//    activities not put off without end, is the result.
#include "lpmodel.h"
#include "lpnetwork.h"

#include <glpk.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

using namespace lpnet;

constexpr double reach = 5;          // r times the trust region's half width
constexpr double vanish = 70;        // exp(-70): a set moved this far adds nothing measurable
constexpr double negligible = 1e-14; // most that the weights set to 0 may add, relative
constexpr double certified = 1e-12;  // most that anything may add to a certified optimum
constexpr int maxrounds = 1000;

// The activities reported as put off without end: the largest set of
// activities without a latest start that is closed under successors and in
// which every activity's term is negligible and lies after its earliest
// start.
std::vector<char> dropped(const std::vector<arc> &arcs, const std::vector<int64_t> &s,
                          const std::vector<int64_t> &dur, const std::vector<double> &cf,
                          const std::vector<int64_t> &es, const std::vector<int64_t> &ls,
                          double r) {
    const int n = (int)s.size();
    std::vector<double> logterm(n, -std::numeric_limits<double>::infinity());
    double size = 0, most = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; i++) {
        if (cf[i] != 0) logterm[i] = std::log(std::fabs(cf[i])) - r * (double)(s[i] + dur[i]);
        most = std::max(most, logterm[i]);
    }
    for (int i = 0; i < n; i++) size += std::exp(logterm[i] - most);
    double limit = most + std::log(size) + std::log(1e-20);
    std::vector<char> gone(n, 0);
    for (int i = 0; i < n; i++)
        gone[i] = ls[i] == noend && s[i] > es[i] && (cf[i] == 0 || logterm[i] < limit);
    for (bool changed = true; changed;) {
        changed = false;
        for (const arc &a : arcs)
            if (gone[a.from] && !gone[a.to]) gone[a.from] = 0, changed = true;
    }
    return gone;
}

// The activities that cannot matter to the optimum, left out of the LP:
// those whose term is negligible even at their earliest start (together
// below 1e-16 of the optimum's size, which is at least any term at its
// latest start), and of them only a set from which no arc leads to another
// activity but activity 0. Such an arc bounds the activity from above,
// within its latest start; and since no arc leads from the set to the rest,
// every schedule of the rest within the windows extends to the set, each of
// its activities as early as the rest allows. *outside gets the log of the
// most the set could add to the objective.
std::vector<char> settled(const std::vector<arc> &arcs, const std::vector<int64_t> &dur,
                          const std::vector<double> &cf, const std::vector<int64_t> &es,
                          const std::vector<int64_t> &ls, double r, double *outside) {
    const int n = (int)dur.size();
    auto logterm = [&](int i, int64_t start) {
        return std::log(std::fabs(cf[i])) - r * (double)(start + dur[i]);
    };
    double least = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; i++)
        if (cf[i] != 0 && ls[i] != noend) least = std::max(least, logterm(i, ls[i]));
    double limit = least + std::log(1e-16) - std::log((double)n);
    std::vector<char> out(n, 0);
    for (int i = 1; i < n; i++) out[i] = cf[i] == 0 || logterm(i, es[i]) < limit;
    digraph back(n, arcs, true);
    std::vector<int> work;
    auto keep = [&](int v) {
        if (out[v]) out[v] = 0, work.push_back(v);
    };
    for (const arc &a : arcs)
        if (a.to != 0 && !out[a.to]) keep(a.from);
    while (!work.empty()) { // what leads to a kept activity is kept
        int v = work.back();
        work.pop_back();
        for (int k = back.first[v]; k < back.first[v + 1]; k++) keep(back.head[k]);
    }
    double sum = 0;
    for (int i = 0; i < n; i++)
        if (out[i] && cf[i] != 0) sum += std::exp(logterm(i, es[i]) - least);
    *outside = sum > 0 ? least + std::log(sum) : -std::numeric_limits<double>::infinity();
    return out;
}

// True if schedule s keeps every arc and every window. The reason names
// activity i as ids[i] + 1 (the number in the file).
bool feasible(const std::vector<arc> &arcs, const std::vector<int64_t> &s,
              const std::vector<int64_t> &es, const std::vector<int64_t> &ls,
              const std::vector<int> &ids, std::string *reason) {
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] < es[i] || (ls[i] != noend && s[i] > ls[i])) {
            *reason = format("the LP puts activity %d at %lld, outside its window", ids[i] + 1,
                             (long long)s[i]);
            return false;
        }
    }
    for (const arc &a : arcs) {
        if (s[a.to] >= s[a.from] + a.len) continue;
        *reason = format("the LP's schedule breaks the arc %d->%d of length %lld", ids[a.from] + 1,
                         ids[a.to] + 1, (long long)a.len);
        return false;
    }
    return true;
}

// ------------------------------------------------------------- the LPs ---

// The trust-region LPs of steps 6 to 10 for one solvable instance. One GLPK
// problem serves every round: its rows are the arcs that can bind at all
// (L_i + l >= E_j; the others follow from the earliest and latest starts),
// and a round changes only bounds, weights and coefficients, so that GLPK
// starts from the previous round's basis.
class npvmodel {
  public:
    // The activities (ids: their numbers in the file, from 0), their
    // durations, cash flows, earliest and latest starts, the arcs among them,
    // and `outside`, the log of the most that activities left out of the
    // model could add to the objective.
    npvmodel(std::vector<int> ids, std::vector<arc> arcs, std::vector<int64_t> dur,
             std::vector<double> cf, std::vector<int64_t> es, std::vector<int64_t> ls, double r,
             double outside);
    ~npvmodel() { glp_delete_prob(lp); }
    npvmodel(const npvmodel &) = delete;
    npvmodel &operator=(const npvmodel &) = delete;

    // Finds a certified optimal schedule s; false with res->reason if none.
    bool solve(lpresult *res, std::vector<int64_t> &s);

  private:
    int n;
    double r;
    int64_t trust; // half width of the trust region, time units
    std::vector<int> ids;
    std::vector<arc> arcs;
    std::vector<int64_t> dur;
    std::vector<double> cf;
    std::vector<int64_t> es, ls;
    double outside;
    std::vector<double> logcf; // log |cf|, -inf for 0
    std::vector<int> rowarc;   // the arc of each row
    std::vector<std::vector<int>> colrows;
    glp_prob *lp = glp_create_prob();

    // The current round: reference schedule, windows, weights.
    std::vector<int64_t> ref, lo, hi;
    std::vector<int64_t> rowlen;       // length of each row's arc as the LP states it (see scale)
    std::vector<double> weight;        // objective coefficients, the largest of magnitude 1
    double top = 0;                    // log of the scale: the largest term at ref
    double zeroedgain = 0;             // most that the weights set to 0 could add (relative)
    double lastlogsize = std::nan(""); // log of the objective's size in the last round

    double logterm(int i, int64_t start) const { return logcf[i] - r * (double)(start + dur[i]); }
    void setwindows(const std::vector<int64_t> &R);
    void scale(const std::vector<int64_t> &R);
    bool solvefloat(std::string *reason);
    bool solveexact(std::string *reason);
    bool vertex(std::vector<int64_t> &s, std::string *reason) const;
    bool feasible(const std::vector<int64_t> &s, std::string *reason) const;
    bool certificate(const std::vector<int64_t> &s, double tolerance, double *size);
    double objectiveat(const std::vector<int64_t> &s) const;
    enum class moves { all, unseen, drops };
    bool shiftsets(std::vector<int64_t> &s, moves which, double threshold) const;
};

npvmodel::npvmodel(std::vector<int> idsin, std::vector<arc> arcsin, std::vector<int64_t> durin,
                   std::vector<double> cfin, std::vector<int64_t> esin, std::vector<int64_t> lsin,
                   double rate, double outsidegain)
    : n((int)durin.size()), r(rate), ids(std::move(idsin)), arcs(std::move(arcsin)),
      dur(std::move(durin)), cf(std::move(cfin)), es(std::move(esin)), ls(std::move(lsin)),
      outside(outsidegain), logcf(n), colrows(n) {
    double t = std::floor(reach / rate);
    trust = t < 1 ? 1 : t > (double)farthest / 4 ? farthest / 4 : (int64_t)t;
    for (int i = 0; i < n; i++)
        logcf[i] =
            cf[i] == 0 ? -std::numeric_limits<double>::infinity() : std::log(std::fabs(cf[i]));
    for (int k = 0; k < (int)arcs.size(); k++) {
        const arc &a = arcs[k];
        if (a.from == a.to ||
            (this->ls[a.from] != noend && this->ls[a.from] + a.len < this->es[a.to]))
            continue;
        colrows[a.from].push_back((int)rowarc.size());
        colrows[a.to].push_back((int)rowarc.size());
        rowarc.push_back(k);
    }
    glp_set_obj_dir(lp, GLP_MAX);
    glp_add_cols(lp, n);
    if (!rowarc.empty()) glp_add_rows(lp, (int)rowarc.size());
    for (int k = 0; k < (int)rowarc.size(); k++) glp_set_row_bnds(lp, k + 1, GLP_UP, 0.0, 0.0);
    rowlen.resize(rowarc.size());
}

// The windows of a round around the feasible schedule R: half width
// `trust`, within the earliest and latest starts.
void npvmodel::setwindows(const std::vector<int64_t> &R) {
    lo.resize(n);
    hi.resize(n);
    for (int i = 0; i < n; i++) {
        lo[i] = std::max(es[i], R[i] - trust);
        hi[i] = ls[i] == noend ? R[i] + trust : std::min(ls[i], R[i] + trust);
    }
}

// States the LP with y measured against the feasible schedule R, which lies
// in the windows: bounds, weights, and for each row the arc's coefficient.
// An arc whose slack at R exceeds what moves within the windows can take up
// (room) cannot be broken there; its coefficient is capped at a slack of
// room + 1, which states the arc with a larger lag (rowlen) that the windows
// imply as well, and that they keep from ever being tight: so the row stays
// basic, its dual 0, and it holds no column in place of a trust bound, which
// the certificate would not see. Every coefficient lies between 1 and
// exp(r (room + 1)), room being at most the width of two windows.
void npvmodel::scale(const std::vector<int64_t> &R) {
    ref = R;
    top = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; i++) top = std::max(top, logterm(i, R[i]));
    if (!std::isfinite(top)) top = 0; // no cash flow at all
    // A term is at most its value at the activity's earliest start in any
    // schedule. The smallest of these are left out of the objective while
    // together they stay within `negligible` of the objective's size (as of
    // the last round), so that no solution of the LP can be off by more; the
    // certificate counts them. (A negative term must be small at the
    // earliest start too, not merely where it is: left out, it would cost
    // nothing to move earlier.)
    std::vector<std::pair<double, int>> gains;
    for (int i = 0; i < n; i++)
        if (cf[i] != 0) gains.push_back({logterm(i, es[i]) - top, i});
    std::sort(gains.begin(), gains.end());
    weight.assign(n, 0);
    for (auto [loggain, i] : gains)
        weight[i] = (cf[i] > 0 ? 1 : -1) * std::exp(logterm(i, R[i]) - top);
    double budget = negligible * (std::isnan(lastlogsize) ? 1.0 : std::exp(lastlogsize - top));
    zeroedgain = std::exp(outside - top);
    for (auto [loggain, i] : gains) {
        double gain = std::exp(loggain);
        if (zeroedgain + gain > budget) break;
        zeroedgain += gain;
        weight[i] = 0;
    }
    for (int i = 0; i < n; i++) {
        glp_set_obj_coef(lp, i + 1, weight[i]);
        if (lo[i] == hi[i]) {
            glp_set_col_bnds(lp, i + 1, GLP_FX, 1.0, 1.0);
        } else {
            double ylo = std::exp(-r * (double)(hi[i] - R[i]));
            double yhi = std::exp(r * (double)(R[i] - lo[i]));
            glp_set_col_bnds(lp, i + 1, GLP_DB, ylo, yhi);
        }
    }
    for (int k = 0; k < (int)rowarc.size(); k++) {
        const arc &a = arcs[rowarc[k]];
        int64_t room = (hi[a.from] - R[a.from]) + (R[a.to] - lo[a.to]);
        int64_t slack = std::min(R[a.to] - R[a.from] - a.len, room + 1);
        rowlen[k] = R[a.to] - R[a.from] - slack;
        int ind[3] = {0, a.to + 1, a.from + 1};
        double val[3] = {0.0, 1.0, -std::exp(r * (double)slack)};
        glp_set_mat_row(lp, k + 1, 2, ind, val);
    }
}

bool npvmodel::solvefloat(std::string *reason) {
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_DUALP;
    parm.presolve = GLP_OFF;
    parm.tol_dj = 1e-15; // the exact simplex has less to do after a closer look
    int code = glp_simplex(lp, &parm);
    if (code != 0 || glp_get_status(lp) != GLP_OPT) { // once more from scratch
        glp_std_basis(lp);
        code = glp_simplex(lp, &parm);
    }
    if (code != 0 || glp_get_status(lp) != GLP_OPT) {
        *reason = format("GLPK's simplex found no optimum (code %d, status %d)", code,
                         glp_get_status(lp));
        return false;
    }
    return true;
}

bool npvmodel::solveexact(std::string *reason) {
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    int code = glp_exact(lp, &parm);
    if (code != 0 || glp_get_status(lp) != GLP_OPT) {
        *reason = format("GLPK's exact simplex found no optimum (code %d, status %d)", code,
                         glp_get_status(lp));
        return false;
    }
    return true;
}

// The schedule of the basic solution: a column at a bound starts at the
// matching end of its window, a row at its bound is a tight arc, and tight
// arcs carry the starts to the basic columns.
bool npvmodel::vertex(std::vector<int64_t> &s, std::string *reason) const {
    std::vector<char> known(n, 0);
    std::vector<int> queue;
    for (int i = 0; i < n; i++) {
        int stat = glp_get_col_stat(lp, i + 1);
        if (stat == GLP_NS || stat == GLP_NU)
            s[i] = lo[i];
        else if (stat == GLP_NL)
            s[i] = hi[i];
        else
            continue;
        known[i] = 1;
        queue.push_back(i);
    }
    for (size_t h = 0; h < queue.size(); h++) {
        int i = queue[h];
        for (int k : colrows[i]) {
            if (glp_get_row_stat(lp, k + 1) == GLP_BS) continue;
            const arc &a = arcs[rowarc[k]];
            int other = a.from == i ? a.to : a.from;
            if (known[other]) continue;
            s[other] = a.from == i ? s[i] + rowlen[k] : s[i] - rowlen[k];
            known[other] = 1;
            queue.push_back(other);
        }
    }
    for (int i = 0; i < n; i++) {
        if (known[i] && s[i] >= lo[i] && s[i] <= hi[i]) continue;
        *reason = known[i]
                      ? format("the LP's vertex puts activity %d outside its window", ids[i] + 1)
                      : format("no tight arc ties activity %d of the LP's vertex", ids[i] + 1);
        return false;
    }
    return true;
}

bool npvmodel::feasible(const std::vector<int64_t> &s, std::string *reason) const {
    return ::feasible(arcs, s, es, ls, ids, reason);
}

// The LP's objective at schedule s.
double npvmodel::objectiveat(const std::vector<int64_t> &s) const {
    double sum = 0;
    for (int i = 0; i < n; i++)
        if (weight[i] != 0) sum += weight[i] * std::exp(-r * (double)(s[i] - ref[i]));
    return sum;
}

// True when, by the reduced costs, nothing beyond the trust region could
// raise the objective by more than `certified` of its size (step 8).
// Reduced costs within tolerance of 0 count as 0 (the floating-point rounds
// allow for GLPK's tolerance, the exact one for nothing). *size gets the
// objective's size.
bool npvmodel::certificate(const std::vector<int64_t> &s, double tolerance, double *size) {
    *size = 0;
    for (int i = 0; i < n; i++)
        *size += std::fabs(weight[i]) * std::exp(-r * (double)(s[i] - ref[i]));
    if (*size > 0) lastlogsize = std::log(*size) + top;
    if (*size <= 0) return zeroedgain == 0;
    double logsize = std::log(*size), gain = zeroedgain / *size;
    for (int i = 0; i < n; i++) {
        int stat = glp_get_col_stat(lp, i + 1);
        double d = glp_get_col_dual(lp, i + 1);
        if (stat == GLP_NU && lo[i] > es[i] && d > tolerance) // would start earlier
            gain += std::exp(std::min(std::log(d) + r * (double)(ref[i] - es[i]) - logsize, 50.0));
        if (stat == GLP_NL && (ls[i] == noend || hi[i] < ls[i]) && d < -tolerance) // later
            gain += std::exp(std::log(-d) - r * (double)(hi[i] - ref[i]) - logsize);
    }
    return gain <= certified;
}

// Moves whole sets of the feasible schedule s where that pays, to give the
// next round a better reference. The sets are the connected parts of the
// tight arcs; shifting one changes its value by a factor, so a set of
// positive value gains by starting as early as the arcs into it and the
// earliest starts allow, and one of negative value by starting as late as
// the arcs out of it and the latest starts allow, or, with nothing to stop
// it, far enough that its value vanishes. This matters most where GLPK's
// tolerances cannot see: a set far after the start of the project, whose
// discounted value is tiny, may still gain much by moving far. A few sweeps,
// one set after the other. Which sets move: all; unseen: those whose largest
// term lies below e^threshold (where floating point cannot weigh them) and
// those that nothing stops from moving later; drops: only the latter, and
// only while their largest term is at least e^threshold. Returns whether a
// set moved.
bool npvmodel::shiftsets(std::vector<int64_t> &s, moves which, double threshold) const {
    const int64_t drift = (int64_t)std::min(std::ceil(vanish / r), (double)farthest / 8);
    std::vector<int> parent(n), members, first(n + 1), edges, edgefirst(n + 1);
    auto find = [&parent](int v) {
        while (parent[v] != v) v = parent[v] = parent[parent[v]];
        return v;
    };
    for (int sweep = 0; sweep < 4; sweep++) {
        for (int i = 0; i < n; i++) parent[i] = i;
        for (const arc &a : arcs)
            if (s[a.to] - s[a.from] == a.len) parent[find(a.from)] = find(a.to);
        // members and arcs with one end in the set, grouped by set
        std::fill(first.begin(), first.end(), 0);
        std::fill(edgefirst.begin(), edgefirst.end(), 0);
        for (int i = 0; i < n; i++) first[find(i) + 1]++;
        for (const arc &a : arcs)
            if (find(a.from) != find(a.to))
                edgefirst[find(a.from) + 1]++, edgefirst[find(a.to) + 1]++;
        for (int i = 0; i < n; i++) first[i + 1] += first[i], edgefirst[i + 1] += edgefirst[i];
        members.resize(n);
        edges.resize(edgefirst[n]);
        std::vector<int> fill(first.begin(), first.end() - 1),
            efill(edgefirst.begin(), edgefirst.end() - 1);
        for (int i = 0; i < n; i++) members[fill[find(i)]++] = i;
        for (int k = 0; k < (int)arcs.size(); k++) {
            int a = find(arcs[k].from), b = find(arcs[k].to);
            if (a != b) edges[efill[a]++] = k, edges[efill[b]++] = k;
        }
        bool moved = false;
        for (int c = 0; c < n; c++) {
            if (first[c] == first[c + 1]) continue;
            double most = -std::numeric_limits<double>::infinity(), value = 0;
            bool pinned = false;
            for (int k = first[c]; k < first[c + 1]; k++) {
                int i = members[k];
                pinned = pinned || es[i] == ls[i];
                if (cf[i] != 0) most = std::max(most, logterm(i, s[i]));
            }
            if (pinned || !std::isfinite(most) || (which == moves::drops && most < threshold))
                continue;
            for (int k = first[c]; k < first[c + 1]; k++) {
                int i = members[k];
                if (cf[i] != 0) value += (cf[i] > 0 ? 1 : -1) * std::exp(logterm(i, s[i]) - most);
            }
            if (value == 0) continue;
            int dir = value > 0 ? -1 : 1;
            int64_t delta = dir > 0 ? drift : farthest;
            for (int k = first[c]; k < first[c + 1]; k++) {
                int i = members[k];
                if (dir < 0)
                    delta = std::min(delta, s[i] - es[i]);
                else
                    delta = std::min(delta, ls[i] != noend ? ls[i] - s[i] : farthest - s[i]);
            }
            for (int k = edgefirst[c]; k < edgefirst[c + 1]; k++) {
                const arc &a = arcs[edges[k]];
                bool out = find(a.from) == c; // the arc leaves the set
                if (out == (dir > 0)) delta = std::min(delta, s[a.to] - s[a.from] - a.len);
            }
            bool unstopped = dir > 0 && delta >= drift;
            if (delta <= 0 || (which == moves::drops && !unstopped) ||
                (which == moves::unseen && !unstopped && most >= threshold))
                continue;
            for (int k = first[c]; k < first[c + 1]; k++) s[members[k]] += dir * delta;
            moved = true;
        }
        if (!moved) return sweep > 0;
    }
    return true;
}

bool npvmodel::solve(lpresult *res, std::vector<int64_t> &s) {
    if (r * (double)trust > 300) { // a window of one time unit: exp(2 r) must be a double
        res->reason = format("the interest rate %g is too large for the model: one time unit "
                             "discounts by more than exp(-300)",
                             r);
        return false;
    }
    std::vector<int64_t> R = es;
    s.assign(n, 0);
    setwindows(R);
    scale(R);
    // A dual feasible start: each column at the bound its weight prefers.
    for (int i = 0; i < n; i++)
        glp_set_col_stat(lp, i + 1, lo[i] == hi[i] ? GLP_NS : weight[i] > 0 ? GLP_NU : GLP_NL);
    double floattime = 0, exacttime = 0;
    bool done = false, failed = false;
    int drops = 0;
    // Once the exact simplex has seen what floating point cannot (gains of
    // activities whose discounted cash flows lie below GLPK's tolerances),
    // the rounds stay exact.
    bool exactonly = false;
    for (int k = 1; k <= maxrounds && !done && !failed; k++) {
        auto started = clock_type::now();
        if (k > 1) {
            setwindows(R);
            scale(R);
        }
        std::string why;
        bool ok = !exactonly && solvefloat(&why) && vertex(s, &why) && feasible(s, &why);
        res->rounds = k;
        double size;
        if (ok && !certificate(s, 1e-9, &size)) {
            R = s;
            shiftsets(R, moves::unseen, std::log(size) + top + std::log(1e-9));
            floattime += since(started);
            continue;
        }
        // Certified in floating point: confirmed exactly, with the LP stated
        // around the vertex itself in the same windows. There the basis
        // stays the same, every tight arc has coefficient 1 and every bound
        // that holds a column is 1, which keeps the exact simplex's
        // fractions short. (A basis that GLPK's tolerances let pass but that
        // is infeasible in whole time units goes to the exact simplex as it
        // is, to be repaired.)
        if (ok) scale(s);
        floattime += since(started);
        started = clock_type::now();
        bool exact =
            solveexact(&res->reason) && vertex(s, &res->reason) && feasible(s, &res->reason);
        exacttime += since(started);
        if (!exact) {
            failed = true;
        } else if (!certificate(s, 0, &size)) {
            R = s;
            shiftsets(R, moves::all, 0);
            exactonly = true;
        } else {
            double objective = glp_get_obj_val(lp), atschedule = objectiveat(s);
            if (std::fabs(objective - atschedule) > 1e-9 * size) {
                res->reason = format("the LP's optimum %.12g differs from the value %.12g of "
                                     "its schedule (relative to the scale of round %d)",
                                     objective, atschedule, k);
                failed = true;
            }
            done = !failed;
            // Sets that gain by moving later without end, but too little to
            // matter to the certificate, still go as far as makes their
            // terms vanish (1e-20 of the objective's size), so that the
            // schedule shows them as dropped; that takes another round.
            R = s;
            if (done && drops++ < 3 &&
                shiftsets(R, moves::drops, std::log(size) + top + std::log(1e-20)))
                done = false;
        }
    }
    res->seconds = floattime;
    res->exactseconds = exacttime;
    res->rows = (int)rowarc.size();
    res->cols = n;
    if (!done) {
        if (res->reason.empty())
            res->reason = format("no certified optimum after %d rounds", maxrounds);
        return false;
    }
    return true;
}

} // namespace

const char *lpkindname(lpkind kind) {
    switch (kind) {
    case lpunreadable:
        return "unreadable";
    case lpinfeasible:
        return "infeasible";
    case lpunlinked:
        return "not connected";
    case lpsolved:
        return "solved";
    case lplimit:
        return "limit";
    case lpnotbounded:
        return "not bounded";
    case lpfailed:
        break;
    }
    return "LP failed";
}

lpresult lpsolve(const std::string &path, const lpoptions &opt) {
    lpresult res;
    const double r = opt.interest;
    if (!(r > 0) || !std::isfinite(r)) {
        res.reason = format("the interest rate %g is not a positive number", r);
        return res;
    }
    temporal net;
    if (!analyse(path, opt, false, &net, &res)) return res;
    const instance &in = net.in;
    const int n = in.n;
    const std::vector<double> &cf = net.cf;
    const std::vector<int64_t> &es = net.es, &ls = net.ls;
    const std::vector<arc> &lparcs = net.arcs;

    // The LP over the activities that can matter; the others start as early
    // as the schedule of those allows.
    double outside;
    std::vector<char> out = settled(lparcs, in.dur, cf, es, ls, r, &outside);
    std::vector<int> index(n, -1), kept;
    for (int i = 0; i < n; i++)
        if (!out[i]) index[i] = (int)kept.size(), kept.push_back(i);
    std::vector<arc> keptarcs;
    for (const arc &a : lparcs)
        if (index[a.from] >= 0 && index[a.to] >= 0)
            keptarcs.push_back({index[a.from], index[a.to], a.len});
    auto pick = [&](const auto &v) {
        std::remove_cv_t<std::remove_reference_t<decltype(v)>> picked;
        for (int i : kept) picked.push_back(v[i]);
        return picked;
    };
    npvmodel model(kept, std::move(keptarcs), pick(in.dur), pick(cf), pick(es), pick(ls), r,
                   outside);
    std::vector<int64_t> keptstarts, s(es);
    if (!model.solve(&res, keptstarts)) {
        res.kind = lpfailed;
        return res;
    }
    for (size_t k = 0; k < kept.size(); k++) s[kept[k]] = keptstarts[k];
    std::vector<arc> notinto0;
    for (const arc &a : lparcs)
        if (a.to != 0) notinto0.push_back(a);
    std::vector<int> all(n);
    for (int i = 0; i < n; i++) all[i] = i;
    if (!longestpaths(digraph(n, notinto0, false), s) ||
        !feasible(lparcs, s, es, ls, all, &res.reason)) {
        res.kind = lpfailed;
        if (res.reason.empty()) res.reason = "the activities left out of the LP cannot be placed";
        return res;
    }
    std::vector<char> gone = dropped(lparcs, s, in.dur, cf, es, ls, r);
    res.schedule.assign(n, lpunbounded);
    double npv = 0;
    for (int i = 0; i < n; i++) {
        if (gone[i]) continue;
        res.schedule[i] = s[i];
        if (cf[i] != 0) npv += cf[i] * std::exp(-r * (double)(s[i] + in.dur[i]));
    }
    res.kind = lpsolved;
    res.npv = npv;
    if (!std::isfinite(npv)) {
        res.kind = lpfailed;
        res.reason = "the net present value of the optimal schedule exceeds the range of a double";
    }
    return res;
}

lpresult lpsolve(const std::string &path, int pctneg, int dlextra, double interest) {
    lpoptions opt;
    opt.pctneg = pctneg;
    opt.slack = dlextra;
    opt.interest = interest;
    return lpsolve(path, opt);
}
