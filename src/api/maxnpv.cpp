// The library's face: the public network and result types translated to and
// from the solver's own, and every check of a caller's values done before
// the solver sees them, so that a bad value becomes a status with its reason
// instead of an assertion.
#include "maxnpv/maxnpv.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/problem.h"
#include "format/schread.h"
#include "input/boundall.h"
#include "input/cashflow.h"
#include "input/loadinstance.h"
#include "network/earlystarts.h"
#include "platform/files.h"
#include "search/solvecycle.h"

namespace maxnpv {

namespace {

status statusof(gpr::outcome kind) {
    switch (kind) {
    case gpr::outcome::solved:
        return status::solved;
    case gpr::outcome::notfound:
        return status::notfound;
    case gpr::outcome::toomany:
        return status::toomany;
    case gpr::outcome::invalid:
        return status::invalid;
    case gpr::outcome::infeasible:
        return status::infeasible;
    case gpr::outcome::unlinked:
        return status::notconnected;
    }
    return status::invalid;
}

gpr::runlimits limitsof(int maxactivities) {
    if (maxactivities <= 0) return gpr::runlimits::none();
    return {maxactivities, maxactivities, maxactivities};
}

void torecords(const network &net, gpr::records *rec) {
    const int n = (int)net.durations.size();
    rec->nract = n;
    rec->nrres = 0;
    rec->dur = net.durations;
    rec->entries.clear();
    rec->rowstart.assign(1, 0);
    for (int i = 0; i < n; i++) {
        if (i < (int)net.entries.size())
            for (const entry &e : net.entries[i])
                rec->entries.push_back({i, e.successor - 1, e.bound, e.type, e.lag});
        rec->rowstart.push_back((int)rec->entries.size());
    }
}

void fromrecords(const gpr::records &rec, network *net) {
    net->durations = rec.dur;
    net->entries.assign(rec.nract, {});
    for (int i = 0; i < rec.nract; i++)
        for (int e = rec.rowstart[i]; e < rec.rowstart[i + 1]; e++) {
            const gpr::fileentry &f = rec.entries[e];
            net->entries[i].push_back({f.named + 1, f.bound, f.rel, f.value});
        }
}

bool endswith(const std::string &text, const char *tail) {
    const std::string t(tail);
    return text.size() >= t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

} // namespace

const char *statusname(status s) {
    static const gpr::outcome kinds[] = {gpr::outcome::solved,     gpr::outcome::notfound,
                                         gpr::outcome::toomany,    gpr::outcome::invalid,
                                         gpr::outcome::infeasible, gpr::outcome::unlinked};
    const int at = static_cast<int>(s);
    if (s == status::limit) return "limit reached";
    if (at < 0 || at >= (int)(sizeof kinds / sizeof kinds[0])) return "unknown";
    return gpr::outcomename(kinds[at]);
}

const char *methodname(method m) {
    switch (m) {
    case method::fast:
        return "fast";
    case method::classic:
        return "classic";
    }
    return "unknown";
}

status parsegpr(const std::string &text, network *net, std::string *reason, int maxactivities) {
    gpr::records rec;
    int reached;
    gpr::outcome kind =
        gpr::scanrecords(text.data(), text.size(), limitsof(maxactivities), &rec, reason, &reached);
    if (kind == gpr::outcome::solved) fromrecords(rec, net);
    return statusof(kind);
}

status readnetwork(const std::string &path, network *net, std::string *reason, int maxactivities,
                   format fmt) {
    (void)fmt;
    std::string bytes;
    int err;
    switch (readwhole(path.c_str(), &bytes, &err)) {
    case readstatus::ok:
        break;
    case readstatus::missing:
    case readstatus::unopenable:
        *reason = std::string("cannot open the file: ") + std::strerror(err);
        return status::notfound;
    case readstatus::notregular:
        *reason = "not a regular file";
        return status::notfound;
    case readstatus::failed:
        *reason = std::string("cannot read the file: ") + std::strerror(err);
        return status::notfound;
    }
    if (!endswith(path, ".sch")) return parsegpr(bytes, net, reason, maxactivities);
    gprinstance inst;
    scherror why;
    if (!readsch(bytes, &inst, &why)) {
        *reason = "line " + std::to_string(why.line) + ": " + why.reason;
        return status::invalid;
    }
    return parsegpr(formatgpr(inst), net, reason, maxactivities);
}

std::vector<double> randomcashflows(const network &net, int pctneg) {
    const int n = (int)net.durations.size();
    gpr::lcg g(0);
    std::vector<double> cf(n);
    for (int i = 0; i < n; i++) cf[i] = gpr::drawcf(&g, i, n, pctneg);
    return cf;
}

std::vector<double> seededcashflows(const network &net, int pctneg, unsigned long long seed,
                                    const std::string &name) {
    const std::vector<int> cf = gpr::seededcf((int)net.durations.size(), pctneg, seed, name);
    return std::vector<double>(cf.begin(), cf.end());
}

struct solver::state {
    network given; // the network of the last solve, as the caller gave it
    bool hasgiven = false;
    gpr::network net; // the network of the last solve
    gpr::solver sol;  // its solve
    gpr::records rec; // scratch of the conversion
};

solver::solver() : self(new state) {}
solver::~solver() = default;
solver::solver(solver &&) noexcept = default;
solver &solver::operator=(solver &&) noexcept = default;

result solver::solve(const network &net, const std::vector<double> &cashflows, const options &opt) {
    result r;
    if (!self) self.reset(new state);
    if (&net != &self->given) {
        self->given = net;
        self->hasgiven = true;
    }
    r.method = opt.method;
    auto fail = [&r](gpr::outcome kind, const std::string &why) {
        r.status = statusof(kind);
        r.reason = why;
        return r;
    };
    if (!(opt.interest >= 0) || !std::isfinite(opt.interest))
        return fail(gpr::outcome::invalid,
                    "the interest rate must be a finite number of 0 or more");
    if (!(opt.deadlinefactor >= 0) || !std::isfinite(opt.deadlinefactor))
        return fail(gpr::outcome::invalid, "the deadline factor must be a finite number above 0");
    const gpr::runlimits limits = limitsof(opt.maxactivities);
    torecords(net, &self->rec);
    std::string why;
    gpr::outcome kind = gpr::checkrecords(self->rec, limits, &why);
    const int listed = (int)self->rec.entries.size();
    if (kind == gpr::outcome::solved && opt.boundall) gpr::addbounds(&self->rec);
    if (kind == gpr::outcome::solved) kind = gpr::buildnetwork(self->rec, limits, &self->net, &why);
    if (kind != gpr::outcome::solved) return fail(kind, why);
    self->net.nrfile = listed;
    const int n = self->net.nract;
    if ((int)cashflows.size() != n)
        return fail(gpr::outcome::invalid, std::to_string(cashflows.size()) + " cash flows for " +
                                               std::to_string(n) + " activities");
    for (int i = 0; i < n; i++)
        if (!std::isfinite(cashflows[i]))
            return fail(gpr::outcome::invalid,
                        "the cash flow of activity " + std::to_string(i + 1) + " is not finite");
    kind = gpr::analyse(&self->net, &why);
    if (kind != gpr::outcome::solved) return fail(kind, why);
    r.criticalpath = self->net.est[self->net.end()];
    long long deadline = opt.absolute ? opt.deadline : r.criticalpath + opt.slack;
    if (opt.deadlinefactor > 0) deadline = gpr::factordeadline(r.criticalpath, opt.deadlinefactor);
    if (deadline < -INT32_MAX || deadline > INT32_MAX)
        return fail(gpr::outcome::invalid,
                    "the deadline " + std::to_string(deadline) + " is beyond 32 bits");
    r.hasdeadline = true;
    r.deadline = deadline;
    kind = gpr::prepare(&self->sol, self->net, cashflows, opt.interest, (int)deadline, &why);
    if (kind != gpr::outcome::solved) return fail(kind, why);
    gpr::solvecycle(&self->sol);

    const gpr::solver &s = self->sol;
    r.status = status::solved;
    r.npv = s.npv;
    r.passes = s.nrits;
    r.start.assign(s.st.begin(), s.st.end());
    r.unbounded.assign(n, false);
    r.discounted.assign(n, 0.0);
    for (int i = 0; i < n; i++) {
        r.unbounded[i] = s.dropped[i] != 0;
        if (!r.unbounded[i]) r.discounted[i] = s.dcf[i];
    }
    for (int a = 0; a < n; a++)
        for (int x = 0; x < s.tsucclen[a]; x++) {
            int b = self->net.succ[s.tsucc[s.tsuccat[a] + x]];
            if (s.dropped[a] || s.dropped[b]) continue;
            r.tree.push_back({a + 1, b + 1});
            r.treelag.push_back(s.lagof(s.tsucc[s.tsuccat[a] + x]));
        }
    return r;
}

result solver::resolve(const std::vector<double> &cashflows, const options &opt) {
    if (!self || !self->hasgiven) {
        result r;
        r.method = opt.method;
        r.reason = "resolve needs an earlier solve of a network";
        return r;
    }
    return solve(self->given, cashflows, opt);
}

} // namespace maxnpv
