// The model follows the problem, not maxnpv's code. Steps:
//
// 1. Read the instance: header (activity count, resource type count, the
//    header's resource values), then per activity its duration, resource
//    values and successor entries of four values (activity number, bound type,
//    relation type, lag value). Any 32-bit integers are taken as they are;
//    only what would make the model itself go wrong is refused (a missing
//    value, a non-integer, an activity number outside the instance, more than
//    1000 activities, negative counts).
// 2. Cash flows: the generator seeded with 0 at every instance; each activity
//    in order takes two draws, the first giving the magnitude 1..500, the
//    second the sign; the dummies get 0.
// 3. Every relation becomes a minimal start-to-start lag, a maximal lag one in
//    the reverse direction; several relations on one pair keep the largest.
//    The pairs that act as arcs are those an entry names, plus the reverse pair
//    of every maximal lag of relation type 1..4. A named pair that no relation
//    constrains keeps the length -999999 (and stays an arc).
// 4. Earliest starts are longest paths: the smallest starts that are at least
//    0 for activity 0 and -999 for every other activity (the values maxnpv
//    starts from) and meet every arc. Bellman-Ford rounds find them; a round
//    number n that still raises a start proves a cycle of positive length.
// 5. The deadline is the earliest start of the end dummy (on the lags as read)
//    plus the slack, kept within 32 bits as maxnpv keeps it. Then the lags
//    from activity 0 are raised to at least 0 and the lags into the end dummy
//    to at least the duration of their source (in the matrix; only listed
//    pairs are arcs).
// 6. The deadline arc runs from the end dummy to activity 0 with length minus
//    the deadline, or the file's own lag of that pair when the end dummy lists
//    activity 0 and that lag is larger.
// 7. maxnpv's outcome, in its order: a positive cycle in the lags as read; a
//    positive cycle in the raised lags, or an end dummy whose earliest start
//    lies further after activity 0's than the deadline arc allows; an activity
//    j whose earliest start differs from activity 0's plus the longest path
//    from 0 to j (no chain of arcs that are tight in the earliest schedule
//    leads to it, so maxnpv cannot tie it to its tree); else solved.
// 8. The LP. x_i = exp(-r s_i); x_0 is fixed, since maxnpv never moves activity
//    0. For numerics each variable is measured against the earliest start:
//    y_i = exp(-r (s_i - E_i)), so y_i <= 1, and y_i >= exp(-r (L_i - E_i)) with
//    the latest start L_i (activity 0's start minus the longest path from i to
//    0 over all arcs and the deadline arc; 0 when no path leads back). An arc
//    i->j of length l reads y_j <= exp(r (E_j - E_i - l)) y_i. An arc with
//    L_i + l < E_j can never be tight: it is implied by the two bounds, and it
//    lies on no longest path, so leaving it out changes neither the bounds nor
//    the feasible set. Objective: sum cf_i exp(-r (dur_i + E_i)) y_i.
//    Leaving the bounds aside, all coefficients are 1 or at most
//    exp(r (L_i - E_i)); an instance that needs one beyond e^700 (an activity
//    that can start some 700/r time units after its earliest start) is beyond
//    the range of a double and is reported as an LP failure.
// 9. GLPK solves the LP in floating point and confirms the optimal basis with
//    its exact simplex; the schedule of that vertex is read off the basis in
//    whole time units and checked against every arc, and its net present
//    value is the result (see lpsolver::run).
#include "lpmodel.h"

#include <glpk.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

namespace {

constexpr int64_t nolag = -999999; // length of a named pair that no relation constrains
constexpr int64_t unset = -999;    // maxnpv's start value of every activity but 0
constexpr int64_t nopath = std::numeric_limits<int64_t>::min(); // not reached
constexpr int64_t maxn = 1000;                                  // most activities maxnpv reads
constexpr double maxexponent = 700; // exp() of more would overflow a double

struct entry {
    int owner, named; // 0-based
    int64_t bound, relation, value;
};

struct instance {
    int n = 0;
    std::vector<int64_t> dur;
    std::vector<entry> entries;
};

struct arc {
    int from, to;
    int64_t len;
};

std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char *fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

// White-space separated decimal integers of 32 bits.
class tokenizer {
  public:
    explicit tokenizer(std::string s) : text(std::move(s)) {}

    bool next(int64_t *value, const char *what, std::string *reason) {
        while (pos < text.size() && std::isspace((unsigned char)text[pos])) pos++;
        count++;
        if (pos == text.size()) {
            *reason = format("value %ld: expected %s, found the end of the file", count, what);
            return false;
        }
        size_t start = pos;
        while (pos < text.size() && !std::isspace((unsigned char)text[pos])) pos++;
        std::string tok = text.substr(start, pos - start);
        size_t k = tok[0] == '-' || tok[0] == '+' ? 1 : 0;
        bool ok = k < tok.size();
        int64_t magnitude = 0;
        for (; ok && k < tok.size(); k++) {
            ok = tok[k] >= '0' && tok[k] <= '9';
            if (magnitude <= (int64_t)1 << 32) magnitude = magnitude * 10 + (tok[k] - '0');
        }
        int64_t v = tok[0] == '-' ? -magnitude : magnitude;
        if (!ok || v < INT32_MIN || v > INT32_MAX) {
            *reason = format("value %ld: expected %s, found \"%.40s\"", count, what, tok.c_str());
            return false;
        }
        *value = v;
        return true;
    }

  private:
    std::string text;
    size_t pos = 0;
    long count = 0;
};

bool readinstance(const std::string &path, instance *in, std::string *reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *reason = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    tokenizer tok(text.str());
    int64_t n, nrres, scratch;
    if (!tok.next(&n, "the activity count", reason)) return false;
    if (n < 2 || n > maxn) {
        *reason =
            format("the activity count is %lld, expected 2 to %lld", (long long)n, (long long)maxn);
        return false;
    }
    if (!tok.next(&nrres, "the resource type count", reason)) return false;
    if (nrres < 0) {
        *reason = format("the resource type count is %lld", (long long)nrres);
        return false;
    }
    for (int64_t k = 0; k < nrres; k++)
        if (!tok.next(&scratch, "a resource value", reason)) return false;
    in->n = (int)n;
    in->dur.assign(n, 0);
    in->entries.clear();
    for (int i = 0; i < n; i++) {
        int64_t count;
        if (!tok.next(&in->dur[i], "a duration", reason)) return false;
        for (int64_t k = 0; k < nrres; k++)
            if (!tok.next(&scratch, "a resource value", reason)) return false;
        if (!tok.next(&count, "a successor count", reason)) return false;
        if (count < 0) {
            *reason = format("activity %d has the successor count %lld", i + 1, (long long)count);
            return false;
        }
        for (int64_t k = 0; k < count; k++) {
            int64_t named;
            entry e{i, 0, 0, 0, 0};
            if (!tok.next(&named, "a successor number", reason)) return false;
            if (named < 1 || named > n) {
                *reason = format("activity %d names activity %lld", i + 1, (long long)named);
                return false;
            }
            e.named = (int)named - 1;
            if (!tok.next(&e.bound, "a bound type", reason) ||
                !tok.next(&e.relation, "a relation type", reason) ||
                !tok.next(&e.value, "a lag value", reason))
                return false;
            in->entries.push_back(e);
        }
    }
    return true;
}

std::vector<int> cashflows(int n, int pctneg) {
    uint32_t state = 0;
    auto draw = [&state]() {
        state = state * 214013u + 2531011u;
        return (int)((state >> 16) & 0x7fffu);
    };
    std::vector<int> cf(n);
    for (int i = 0; i < n; i++) {
        int magnitude = draw() % 500 + 1;
        bool negative = draw() % 100 < pctneg;
        cf[i] = i == 0 || i == n - 1 ? 0 : negative ? -magnitude : magnitude;
    }
    return cf;
}

// The start-to-start lag that one entry implies, as the arc from -> to.
// Returns false for bound and relation types that imply none.
bool startlag(const instance &in, const entry &e, int *from, int *to, int64_t *len) {
    if (e.bound != 1 && e.bound != 2) return false;
    if (e.relation < 1 || e.relation > 4) return false;
    // A relation ties an end point of the owner i to one of the named activity
    // s; a finish lies dur after its start. Minimal lag v: point(s) >= point(i)
    // + v, so start(s) >= start(i) + v + dur(i) [if i's finish] - dur(s) [if
    // s's finish]. Types 1..4: start-start, start-finish, finish-start, finish-finish.
    bool ownerfinish = e.relation == 3 || e.relation == 4;
    bool namedfinish = e.relation == 2 || e.relation == 4;
    int64_t l = e.value + (ownerfinish ? in.dur[e.owner] : 0) - (namedfinish ? in.dur[e.named] : 0);
    if (e.bound == 1) {
        *from = e.owner;
        *to = e.named;
        *len = l;
    } else { // maximal: start(s) <= start(i) + l, i.e. start(i) >= start(s) - l
        *from = e.named;
        *to = e.owner;
        *len = -l;
    }
    return true;
}

// Longest paths over arcs by Bellman-Ford rounds, from the values in val
// (nopath = not reached). Returns false if round n still raises a value,
// which only a cycle of positive length can cause.
bool longest(int n, const std::vector<arc> &arcs, std::vector<int64_t> &val) {
    for (int round = 1; round <= n; round++) {
        bool raised = false;
        for (const arc &a : arcs) {
            if (val[a.from] == nopath) continue;
            int64_t v = val[a.from] + a.len;
            if (v > val[a.to]) {
                val[a.to] = v;
                raised = true;
            }
        }
        if (!raised) return true;
    }
    return false;
}

std::vector<int64_t> startvalues(int n) {
    std::vector<int64_t> v(n, unset);
    v[0] = 0;
    return v;
}

struct network {
    int n;
    std::vector<int64_t> lag; // n x n, row = from
    std::vector<char> listed; // n x n: the pair acts as an arc

    int64_t &at(int i, int j) { return lag[(size_t)i * n + j]; }
    bool has(int i, int j) const { return listed[(size_t)i * n + j] != 0; }

    std::vector<arc> arcs() const {
        std::vector<arc> out;
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++)
                if (has(i, j)) out.push_back({i, j, lag[(size_t)i * n + j]});
        return out;
    }
};

network buildnetwork(const instance &in) {
    int n = in.n;
    network net{n, std::vector<int64_t>((size_t)n * n, nolag), std::vector<char>((size_t)n * n, 0)};
    for (int i = 0; i < n; i++) net.at(i, i) = 0;
    for (const entry &e : in.entries) {
        net.listed[(size_t)e.owner * n + e.named] = 1;
        int from, to;
        int64_t len;
        if (!startlag(in, e, &from, &to, &len)) continue;
        if (len > net.at(from, to)) net.at(from, to) = len;
        net.listed[(size_t)from * n + to] = 1; // the reverse pair of a maximal lag
    }
    return net;
}

// The LP of a solvable instance, measured against the earliest starts.
class lpsolver {
  public:
    lpsolver(const network &net, const std::vector<int64_t> &dur, const std::vector<int> &cf,
             const std::vector<int64_t> &es, int64_t closing, double r);
    ~lpsolver() { glp_delete_prob(lp); }
    lpsolver(const lpsolver &) = delete;
    lpsolver &operator=(const lpsolver &) = delete;

    bool run(lpresult *res);

  private:
    int n;
    double r;
    const std::vector<int64_t> &dur, &es;
    const std::vector<int> &cf;
    std::vector<arc> arcs;   // every arc, the deadline arc included, no self-loops
    std::vector<arc> rows;   // the arcs that can be tight
    std::vector<int64_t> ls; // latest starts (nopath: none)
    glp_prob *lp;

    bool latest(std::string *reason);
    bool load(std::string *reason);
    void vertex(std::vector<int64_t> &s) const;
    bool feasible(const std::vector<int64_t> &s, std::string *reason) const;
    double value(const std::vector<int64_t> &s, double *size) const;
};

constexpr int64_t never = std::numeric_limits<int64_t>::max(); // delayed without end

lpsolver::lpsolver(const network &net, const std::vector<int64_t> &dur, const std::vector<int> &cf,
                   const std::vector<int64_t> &es, int64_t closing, double r)
    : n(net.n), r(r), dur(dur), es(es), cf(cf), lp(glp_create_prob()) {
    int end = n - 1;
    for (const arc &a : net.arcs())
        if (a.from != a.to && !(a.from == end && a.to == 0)) arcs.push_back(a);
    arcs.push_back({end, 0, closing});
}

// Latest starts: activity 0's start minus the longest path to activity 0.
// Then the rows: the arcs that can be tight.
bool lpsolver::latest(std::string *reason) {
    std::vector<arc> reversed;
    for (const arc &a : arcs) reversed.push_back({a.to, a.from, a.len});
    std::vector<int64_t> back(n, nopath);
    back[0] = 0;
    if (!longest(n, reversed, back)) {
        *reason = "the arcs with the deadline arc hold a cycle of positive length";
        return false;
    }
    ls.assign(n, nopath);
    for (int i = 0; i < n; i++) {
        if (back[i] == nopath) continue;
        ls[i] = es[0] - back[i];
        if (ls[i] < es[i]) {
            *reason = format("activity %d has its latest start before its earliest", i + 1);
            return false;
        }
    }
    for (const arc &a : arcs)
        if (ls[a.from] == nopath || ls[a.from] + a.len >= es[a.to]) rows.push_back(a);
    return true;
}

bool lpsolver::load(std::string *reason) {
    glp_set_obj_dir(lp, GLP_MAX);
    glp_add_cols(lp, n);
    for (int i = 0; i < n; i++) {
        double weight = cf[i] * std::exp(-r * (double)(dur[i] + es[i]));
        double lower = ls[i] == nopath ? 0.0 : std::exp(-r * (double)(ls[i] - es[i]));
        if (!std::isfinite(weight)) {
            *reason = format("the discounted cash flow of activity %d overflows", i + 1);
            return false;
        }
        glp_set_obj_coef(lp, i + 1, weight);
        if (i == 0 || !(lower < 1.0))
            glp_set_col_bnds(lp, i + 1, GLP_FX, 1.0, 1.0);
        else
            glp_set_col_bnds(lp, i + 1, GLP_DB, lower, 1.0);
    }
    if (rows.empty()) return true;
    glp_add_rows(lp, (int)rows.size());
    for (size_t k = 0; k < rows.size(); k++) {
        const arc &a = rows[k];
        double exponent = r * (double)(es[a.to] - es[a.from] - a.len);
        if (exponent > maxexponent) {
            *reason = format("activity %d can start so late that its discount factor leaves the "
                             "range of a double",
                             a.from + 1);
            return false;
        }
        int ind[3] = {0, a.to + 1, a.from + 1};
        double val[3] = {0.0, 1.0, -std::exp(exponent)};
        glp_set_mat_row(lp, (int)k + 1, 2, ind, val);
        glp_set_row_bnds(lp, (int)k + 1, GLP_UP, 0.0, 0.0);
    }
    return true;
}

// The schedule of the basic solution, in whole time units: a column at a
// bound starts at its earliest or latest start, a row at its bound is a
// tight arc, and tight arcs carry the starts to the basic columns. Only a
// set of activities that no bound holds can be left over, at y = 0: they
// are delayed without end.
void lpsolver::vertex(std::vector<int64_t> &s) const {
    std::vector<char> known(n, 0);
    for (int i = 0; i < n; i++) {
        int stat = glp_get_col_stat(lp, i + 1);
        if (stat == GLP_NS || stat == GLP_NU) {
            s[i] = es[i];
            known[i] = 1;
        } else if (stat == GLP_NL) {
            s[i] = ls[i] == nopath ? never : ls[i];
            known[i] = 1;
        }
    }
    for (bool more = true; more;) {
        more = false;
        for (size_t k = 0; k < rows.size(); k++) {
            const arc &a = rows[k];
            if (known[a.from] == known[a.to] || glp_get_row_stat(lp, (int)k + 1) == GLP_BS)
                continue;
            if (known[a.from])
                s[a.to] = s[a.from] == never ? never : s[a.from] + a.len;
            else
                s[a.from] = s[a.to] == never ? never : s[a.to] - a.len;
            known[a.from] = known[a.to] = 1;
            more = true;
        }
    }
    for (int i = 0; i < n; i++)
        if (!known[i]) s[i] = never;
}

bool lpsolver::feasible(const std::vector<int64_t> &s, std::string *reason) const {
    for (const arc &a : arcs) {
        if (s[a.to] == never || (s[a.from] != never && s[a.to] >= s[a.from] + a.len)) continue;
        *reason =
            format("the schedule of the LP's optimum breaks the arc %d->%d", a.from + 1, a.to + 1);
        return false;
    }
    return true;
}

// The net present value of schedule s; *size gets the sum of the magnitudes
// of its terms.
double lpsolver::value(const std::vector<int64_t> &s, double *size) const {
    double sum = 0;
    *size = 0;
    for (int i = 0; i < n; i++) {
        if (s[i] == never) continue;
        double term = cf[i] * std::exp(-r * (double)(s[i] + dur[i]));
        sum += term;
        *size += std::fabs(term);
    }
    return sum;
}

// GLPK's simplex in floating point finds an optimal basis; its exact
// simplex, started from that basis, then confirms it (or pivots on) in
// rational arithmetic. Without that, a row with a very large coefficient (an
// activity whose latest start lies far beyond its earliest) can hide a
// violation within the tolerances of the simplex, and GLPK's presolver can
// misjudge such a row too (it is off). The schedule of the optimal vertex is
// then read off the basis in whole time units and checked against every
// arc; its value is the result. The exact simplex works on nearby fractions
// of the doubles, so the LP's own objective agrees with that value only to
// about ten digits; it is compared as a check of the reading.
bool lpsolver::run(lpresult *res) {
    if (!latest(&res->reason)) return false;
    int terminal = glp_term_out(GLP_OFF);
    auto started = std::chrono::steady_clock::now();
    bool ok = load(&res->reason);
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_DUALP;
    parm.presolve = GLP_OFF;
    if (ok && glp_simplex(lp, &parm) != 0) glp_std_basis(lp);
    auto solved = std::chrono::steady_clock::now();
    int code = ok ? glp_exact(lp, &parm) : 0;
    int status = ok && code == 0 ? glp_get_status(lp) : 0;
    auto certified = std::chrono::steady_clock::now();
    glp_term_out(terminal);
    res->seconds = std::chrono::duration<double>(solved - started).count();
    res->exactseconds = std::chrono::duration<double>(certified - solved).count();
    res->rows = (int)rows.size();
    res->cols = n;
    if (!ok) return false;
    if (code != 0 || status != GLP_OPT) {
        res->reason = format("GLPK found no optimum (glp_exact %d, status %d)", code, status);
        return false;
    }
    std::vector<int64_t> s(n);
    vertex(s);
    if (!feasible(s, &res->reason)) return false;
    double size;
    res->npv = value(s, &size);
    double objective = glp_get_obj_val(lp);
    if (std::fabs(objective - res->npv) > 1e-8 * std::max(1.0, size)) {
        res->reason = format("the LP's optimum %.9g differs from the value %.9g of its schedule",
                             objective, res->npv);
        return false;
    }
    return true;
}

} // namespace

const char *lpkindname(lpkind kind) {
    switch (kind) {
    case lpunreadable:
        return "unreadable";
    case lpinfeasibleload:
    case lpinfeasible:
        return "infeasible";
    case lpunlinked:
        return "not connected";
    case lpsolved:
        return "solved";
    case lpfailed:
        break;
    }
    return "LP failed";
}

lpresult lpsolve(const std::string &path, int pctneg, int dlextra, double interest) {
    lpresult res;
    if (!(interest > 0) || !std::isfinite(interest)) {
        res.reason = format("the interest rate %g is not positive", interest);
        return res;
    }
    instance in;
    if (!readinstance(path, &in, &res.reason)) return res;
    int n = in.n, end = n - 1;
    res.nract = n;
    std::vector<int> cf = cashflows(n, pctneg);
    network net = buildnetwork(in);

    std::vector<int64_t> es = startvalues(n);
    if (!longest(n, net.arcs(), es)) {
        res.kind = lpinfeasibleload;
        res.reason = "the relations hold a cycle of positive length";
        return res;
    }
    int64_t deadline = es[end] + (int64_t)dlextra;
    if (deadline > INT32_MAX) deadline = INT32_MAX;
    if (deadline < -INT32_MAX) deadline = -INT32_MAX;
    res.deadline = deadline;

    for (int i = 1; i < n; i++)
        if (net.at(0, i) < 0) net.at(0, i) = 0;
    for (int i = 0; i < end; i++)
        if (net.at(i, end) < in.dur[i]) net.at(i, end) = in.dur[i];
    std::vector<arc> arcs = net.arcs();

    res.kind = lpinfeasible;
    es = startvalues(n);
    if (!longest(n, arcs, es)) {
        res.reason = "the relations, with the lags from the start dummy raised to 0 and those "
                     "into the end dummy to the durations, hold a cycle of positive length";
        return res;
    }
    int64_t closing = -deadline;
    if (net.has(end, 0) && net.at(end, 0) > closing) closing = net.at(end, 0);
    if (es[end] - es[0] > -closing) {
        res.reason = format("the end dummy starts %lld after activity 1 at the earliest, the "
                            "deadline allows %lld",
                            (long long)(es[end] - es[0]), (long long)-closing);
        return res;
    }

    std::vector<int64_t> from0(n, nopath);
    from0[0] = 0;
    longest(n, arcs, from0); // no positive cycle: checked above
    for (int j = 0; j < n; j++) {
        if (from0[j] != nopath && es[j] == es[0] + from0[j]) continue;
        res.kind = lpunlinked;
        res.reason =
            from0[j] == nopath
                ? format("no chain of relations leads from activity 1 to activity %d", j + 1)
                : format("activity %d starts at %lld at the earliest, but the longest "
                         "chain from activity 1 puts it at %lld",
                         j + 1, (long long)es[j], (long long)(es[0] + from0[j]));
        return res;
    }

    lpsolver solver(net, in.dur, cf, es, closing, interest);
    res.kind = solver.run(&res) ? lpsolved : lpfailed;
    return res;
}
