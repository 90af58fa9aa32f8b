// The library's face: the public network and result types translated to and
// from the solver's own, and every check of a caller's values done before
// the solver sees them, so that a bad value becomes a status with its reason
// instead of an assertion.
//
// A solve that the caller's stop hook ends must leave the solver as it found
// it, so that a program that catches Ctrl-C can go on with the same solver.
// Rather than copy the whole state before every solve, a solve with a hook
// keeps only what a later call reads of it: the network given (moved aside,
// not copied), the schedule a resolve would start from, and how the analysed
// network was built, which a stop rebuilds.
#include "maxnpv/maxnpv.h"

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "format/instformat.h"
#include "input/boundall.h"
#include "input/cashflow.h"
#include "input/loadinstance.h"
#include "network/deadline.h"
#include "network/earlystarts.h"
#include "platform/files.h"
#include "search/rcsearch.h"
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

// The records of a network whose rows were checked (resourcesreason).
void torecords(const network &net, gpr::records *rec) {
    const int n = (int)net.durations.size();
    const size_t nrres = net.capacities.size();
    rec->nract = n;
    rec->nrres = (int)nrres;
    rec->dur = net.durations;
    rec->capacity = net.capacities;
    rec->demand.assign((size_t)n * nrres, 0);
    for (size_t i = 0; i < net.demands.size() && i < (size_t)n; i++)
        if (net.demands[i].size() == nrres)
            std::copy(net.demands[i].begin(), net.demands[i].end(),
                      rec->demand.begin() + (std::ptrdiff_t)(i * nrres));
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
    net->capacities = rec.capacity;
    net->demands.clear();
    if (rec.nrres > 0) {
        net->demands.assign(rec.nract, {});
        for (int i = 0; i < rec.nract; i++)
            net->demands[i].assign(rec.demand.begin() + (std::ptrdiff_t)i * rec.nrres,
                                   rec.demand.begin() + (std::ptrdiff_t)(i + 1) * rec.nrres);
    }
    net->entries.assign(rec.nract, {});
    for (int i = 0; i < rec.nract; i++)
        for (int e = rec.rowstart[i]; e < rec.rowstart[i + 1]; e++) {
            const gpr::fileentry &f = rec.entries[e];
            net->entries[i].push_back({f.named + 1, f.bound, f.rel, f.value});
        }
}

// Why the resources of a caller's network cannot be used, or "": more rows
// of demands than activities, a row of another length than the capacities
// (an empty row is all 0), a negative capacity or demand. Activities are
// numbered from first.
std::string resourcesreason(const network &net, int first) {
    const size_t count = net.durations.size(), nrres = net.capacities.size();
    if (net.demands.size() > count)
        return "the network has " + std::to_string(net.demands.size()) + " rows of demands for " +
               std::to_string(count) + " activities (one row per activity at most)";
    for (size_t k = 0; k < nrres; k++)
        if (net.capacities[k] < 0)
            return "the capacity of resource " + std::to_string(k + 1) + " is " +
                   std::to_string(net.capacities[k]) + ", expected 0 or more";
    for (size_t i = 0; i < net.demands.size(); i++) {
        const std::vector<int> &row = net.demands[i];
        const std::string act = "activity " + std::to_string((long long)i + first);
        if (!row.empty() && row.size() != nrres)
            return "the demands of " + act + " hold " + std::to_string(row.size()) +
                   " values, expected " + std::to_string(nrres) + " (one per capacity)";
        for (size_t k = 0; k < row.size(); k++)
            if (row[k] < 0)
                return "the demand of " + act + " for resource " + std::to_string(k + 1) + " is " +
                       std::to_string(row[k]) + ", expected 0 or more";
    }
    return "";
}

// The reader's format of a caller's choice; automatic chooses by the name.
instformat formatof(format fmt, const std::string &path) {
    switch (fmt) {
    case format::gpr:
        return instformat::gpr;
    case format::sch:
        return instformat::sch;
    case format::sm:
        return instformat::sm;
    case format::rcp:
        return instformat::rcp;
    case format::automatic:
        break;
    }
    return formatofname(path);
}

// The reason of an allocation that failed while n activities were held
// (n unknown: 0).
std::string nomemory(long long n) {
    if (n <= 0) return "cannot allocate memory for the instance";
    return "cannot allocate memory for " + std::to_string(n) + " activities";
}

// The reason goes to *reason unless the caller passed none.
std::string *reasonof(std::string *reason, std::string *dummy) {
    return reason != nullptr ? reason : dummy;
}

const char nonetwork[] = "no network to read into (a null pointer)";
const char limitreached[] = "a limit on the solve's time or moves was reached";
const char stopped[] = "the solve was stopped";        // the stop hook answered true
const char stoppedsearch[] = "the search was stopped"; // the same under resources
const char searchlimit[] = "a limit on the search's time or nodes was reached";

// The solver's network of net, as a solve builds it: the caller's entries as
// records, checked against the limits, the bounds of boundall added, the arcs
// built (not yet analysed). rec is scratch, left empty.
gpr::outcome buildfrom(const network &net, bool boundall, int maxactivities, gpr::records *rec,
                       gpr::network *out, std::string *why);

// Reads text in format fmt (gpr through scanrecords, the rest through
// scaninstance) into *net; an allocation that fails is a status, not an
// exception.
status parsein(const std::string &text, instformat fmt, bool gpronly, network *net,
               std::string *reason, int maxactivities) {
    gpr::records rec;
    int reached;
    try {
        gpr::outcome kind =
            gpronly ? gpr::scanrecords(text.data(), text.size(), limitsof(maxactivities), &rec,
                                       reason, &reached)
                    : gpr::scaninstance(text.data(), text.size(), fmt, limitsof(maxactivities),
                                        &rec, reason, &reached);
        if (kind == gpr::outcome::solved) {
            fromrecords(rec, net);
            net->firstnumber = fmt == instformat::sch ? 0 : 1;
        }
        return statusof(kind);
    } catch (const std::bad_alloc &) {
        const long long n = rec.nract;
        rec = gpr::records();
        *net = network();
        *reason = nomemory(n);
        return status::invalid;
    }
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
    std::string dummy;
    reason = reasonof(reason, &dummy);
    if (net == nullptr) {
        *reason = nonetwork;
        return status::invalid;
    }
    return parsein(text, instformat::gpr, true, net, reason, maxactivities);
}

status parsenetwork(const std::string &text, network *net, std::string *reason, int maxactivities,
                    format fmt) {
    std::string dummy;
    reason = reasonof(reason, &dummy);
    if (net == nullptr) {
        *reason = nonetwork;
        return status::invalid;
    }
    return parsein(text, formatof(fmt, ""), false, net, reason, maxactivities);
}

status readnetwork(const std::string &path, network *net, std::string *reason, int maxactivities,
                   format fmt) {
    std::string dummy;
    reason = reasonof(reason, &dummy);
    if (net == nullptr) {
        *reason = nonetwork;
        return status::invalid;
    }
    // The system reads a name up to its first NUL: a longer string would
    // name another file than the one given.
    if (path.find('\0') != std::string::npos) {
        *reason = "cannot open the file: its name holds a NUL byte";
        return status::notfound;
    }
    std::string bytes;
    int err;
    readstatus got;
    try {
        got = readwhole(path.c_str(), &bytes, &err);
    } catch (const std::bad_alloc &) {
        *reason = "cannot allocate memory for the whole file";
        return status::invalid;
    }
    switch (got) {
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
    return parsein(bytes, formatof(fmt, path), false, net, reason, maxactivities);
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
    gpr::network net;          // the network of the last solve
    gpr::solver sol;           // its solve
    gpr::records rec;          // scratch of the conversion
    std::vector<int64_t> warm; // the schedule a resolve starts from, when it has one
    bool haswarm = false;
    bool analysed = false;   // net holds the last solve's network with its earliest starts
    bool builtbound = false; // the boundall that net was built with (when analysed)
    int builtlimit = 0;      // the maxactivities that net was built with (when analysed)

    // What a solve with a stop hook found, to go back to when the hook ends it.
    network earlier;                // the given network it replaced (when moved)
    bool movedgiven = false;        // whether earlier holds that network
    bool earlierhasgiven = false;   // hasgiven as it found it
    std::vector<int64_t> earlierst; // sol.st as it found it: where a resolve would start
    bool earlieranalysed = false;   // analysed as it found it
    bool earlierbound = false;      // builtbound as it found it
    int earlierlimit = 0;           // builtlimit as it found it
};

namespace {

gpr::outcome buildfrom(const network &net, bool boundall, int maxactivities, gpr::records *rec,
                       gpr::network *out, std::string *why) {
    const gpr::runlimits limits = limitsof(maxactivities);
    torecords(net, rec);
    out->firstnumber = net.firstnumber;
    gpr::outcome kind = gpr::checkrecords(*rec, limits, why);
    const int listed = (int)rec->entries.size();
    if (kind == gpr::outcome::solved && boundall) gpr::addbounds(rec);
    if (kind == gpr::outcome::solved) kind = gpr::buildnetwork(*rec, limits, out, why);
    *rec = gpr::records(); // the network holds it all now: the memory goes back for the solve
    if (kind == gpr::outcome::solved) out->nrfile = listed;
    return kind;
}

// The multiplier of every tree arc: the value of the part of the tree it
// cuts off from activity 0, signed so that it is at least 0 when the tree is
// optimal (an arc into that part carries its value, an arc out of it minus
// its value). Indexed by the arc's entry.
std::vector<double> treemultipliers(const gpr::solver &s) {
    const gpr::network &net = *s.net;
    const int n = net.nract;
    // The tree's arcs by activity: [start[i], start[i + 1]) in adj, each
    // activity's in the order the tree lists them.
    std::vector<int> start(n + 1, 0);
    for (int a = 0; a < n; a++)
        for (int x = 0; x < s.tsucclen[a]; x++)
            start[a + 1]++, start[net.succ[s.tsucc[s.tsuccat[a] + x]] + 1]++;
    for (int i = 0; i < n; i++) start[i + 1] += start[i];
    std::vector<std::pair<int, int>> adj(start[n]); // (neighbour, entry)
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int a = 0; a < n; a++)
        for (int x = 0; x < s.tsucclen[a]; x++) {
            const int e = s.tsucc[s.tsuccat[a] + x], b = net.succ[e];
            adj[fill[a]++] = {b, e};
            adj[fill[b]++] = {a, e};
        }
    std::vector<int> parent(n, -1), via(n, -1), order{0};
    order.reserve(n);
    std::vector<char> seen(n, 0);
    seen[0] = 1;
    for (size_t k = 0; k < order.size(); k++)
        for (int y = start[order[k]]; y < start[order[k] + 1]; y++) {
            const auto [b, e] = adj[y];
            if (!seen[b]) seen[b] = 1, parent[b] = order[k], via[b] = e, order.push_back(b);
        }
    std::vector<long double> sum(n, 0);
    std::vector<double> flow(net.entries() + 1, 0.0);
    for (size_t k = order.size(); k-- > 1;) {
        const int v = order[k];
        sum[v] += s.dropped[v] ? 0 : (long double)s.dcf[v];
        sum[parent[v]] += sum[v];
        const bool into = net.succ[via[v]] == v && net.owner[via[v]] == parent[v];
        flow[via[v]] = (double)(into ? sum[v] : -sum[v]);
    }
    return flow;
}

// Whether the tree's values prove the schedule optimal as maxnpv::verify
// judges them: no value of a tree arc, grown to the earliest start of the
// arc's tail (the most its wrong sign can cost), below minus half verify's
// tolerance of the signs (half, so that the two sums' rounding cannot part
// them). At interest 0 any feasible schedule is optimal.
bool proves(const gpr::solver &s, const std::vector<double> &flow) {
    if (s.interest <= 0) return true;
    const gpr::network &net = *s.net;
    constexpr long double moneyshare = 1e-12L;              // the tolerance's share of the money
    constexpr long double tiny = 16 * (long double)DBL_MIN; // below this doubles lose digits
    long double scale = 0;
    for (int i = 0; i < net.nract; i++)
        if (!s.dropped[i]) scale += std::fabs((long double)s.dcf[i]);
    const long double tolerance = std::max({(long double)-s.negtol, moneyshare * scale, tiny}) / 2;
    const long double logtolerance = std::log(tolerance);
    for (int a = 0; a < net.nract; a++)
        for (int x = 0; x < s.tsucclen[a]; x++) {
            const int e = s.tsucc[s.tsuccat[a] + x], b = net.succ[e];
            const long double value = flow[e];
            if (s.dropped[a] || s.dropped[b] || !(value < 0)) continue;
            const long double room = (long double)(s.st[a] - net.est[a]);
            if (std::log(-value) + (long double)s.interest * room > logtolerance) return false;
        }
    return true;
}

// A maximum flow by augmenting along shortest paths in phases (Dinic), in
// long double: enough for the postponed sets, which are small.
class flownet {
  public:
    explicit flownet(int nodes) : first(nodes, -1), level(nodes), next(nodes) {}
    int edge(int from, int to, long double cap) { // returns the edge's index
        edges.push_back({to, first[from], cap});
        first[from] = (int)edges.size() - 1;
        edges.push_back({from, first[to], 0});
        first[to] = (int)edges.size() - 1;
        return (int)edges.size() - 2;
    }
    long double flowon(int e) const { return edges[e ^ 1].cap; } // what edge e carries
    void maximise(int src, int snk) {
        while (levels(src, snk)) {
            next = first;
            while (augment(src, snk)) {
            }
        }
    }

  private:
    struct arc {
        int to, after;   // head, next edge out of the same tail (-1: none)
        long double cap; // residual capacity
    };
    std::vector<arc> edges;              // in pairs: an edge, then its reverse (index ^ 1)
    std::vector<int> first, level, next; // per node: first edge, BFS level, edge to try next

    bool levels(int src, int snk) {
        std::fill(level.begin(), level.end(), -1);
        std::vector<int> queue{src};
        level[src] = 0;
        for (size_t k = 0; k < queue.size(); k++)
            for (int e = first[queue[k]]; e >= 0; e = edges[e].after)
                if (edges[e].cap > 0 && level[edges[e].to] < 0)
                    level[edges[e].to] = level[queue[k]] + 1, queue.push_back(edges[e].to);
        return level[snk] >= 0;
    }
    // One path of the level graph from src to snk, walked with an explicit
    // stack (a path may be as long as the set), and its bottleneck pushed
    // along it; false when none is left in this phase.
    bool augment(int src, int snk) {
        std::vector<int> path; // edges from src
        int v = src;
        while (v != snk) {
            int &e = next[v];
            while (e >= 0 && (edges[e].cap <= 0 || level[edges[e].to] != level[v] + 1))
                e = edges[e].after;
            if (e >= 0) {
                path.push_back(e);
                v = edges[e].to;
                continue;
            }
            if (v == src) return false;
            level[v] = -1; // a dead end: never entered again in this phase
            path.pop_back();
            v = path.empty() ? src : edges[path.back()].to;
        }
        long double least = std::numeric_limits<long double>::infinity();
        for (int e : path) least = std::min(least, edges[e].cap);
        for (int e : path) edges[e].cap -= least, edges[e ^ 1].cap += least;
        return true;
    }
};

// The multipliers inside the postponed activities: every relation between
// two of them that binds at their starts, each part (activities linked by
// such relations) measured from its least start, and values that carry the
// discounted value of positive activities from negative ones along the
// relations: a maximum flow from the negative activities (as sources of
// their magnitude) to the positive ones (as sinks of theirs).
void postponedmultipliers(const gpr::solver &s, result *r) {
    const gpr::network &net = *s.net;
    const int n = net.nract;
    std::vector<int> from, to, entry;
    std::vector<int> part(n, -1);
    std::vector<std::vector<int>> adj(n);
    for (int e = 0; e < net.entries(); e++) {
        const int i = net.owner[e], j = net.succ[e];
        if (!s.dropped[i] || !s.dropped[j] || i == j || net.lag[e] == gpr::nolag) continue;
        if (e != net.firstpos[e] || s.st[j] != s.st[i] + net.lag[e]) continue;
        from.push_back(i), to.push_back(j), entry.push_back(e);
        adj[i].push_back(j), adj[j].push_back(i);
    }
    std::vector<int64_t> least(n, 0);
    for (int i = 0; i < n; i++) {
        if (!s.dropped[i] || part[i] >= 0) continue;
        std::vector<int> members{i};
        part[i] = i;
        for (size_t k = 0; k < members.size(); k++)
            for (int j : adj[members[k]])
                if (part[j] < 0) part[j] = i, members.push_back(j);
        int64_t low = s.st[i];
        for (int j : members) low = std::min(low, s.st[j]);
        for (int j : members) least[j] = low;
    }
    const int src = n, snk = n + 1;
    flownet g(n + 2);
    for (int i = 0; i < n; i++) {
        if (!s.dropped[i] || s.cf[i] == 0) continue; // no cash flow: neither source nor sink
        const long double t = (long double)(s.st[i] - least[i] + net.dur[i]);
        const long double b = (long double)s.cf[i] * std::exp(-(long double)s.interest * t);
        if (b < 0) g.edge(src, i, -b);
        if (b > 0) g.edge(i, snk, b);
    }
    std::vector<int> arcs;
    for (size_t a = 0; a < from.size(); a++)
        arcs.push_back(g.edge(from[a], to[a], std::numeric_limits<long double>::infinity()));
    g.maximise(src, snk);
    for (size_t a = 0; a < from.size(); a++) {
        r->postponedtree.push_back({from[a] + 1, to[a] + 1});
        r->postponedlag.push_back(net.lag[entry[a]]);
        r->postponedvalue.push_back((double)g.flowon(arcs[a]));
    }
}

// The search under resources, once the relaxation r holds is solved: when its
// schedule meets the resources it is the optimum, with its certificate;
// otherwise the search's schedule replaces it, without tree or multipliers.
// seconds: what is left of the time limit (0: none).
void resourcesolve(const gpr::network &net, const std::vector<double> &cf, const options &opt,
                   long long deadline, double seconds, result *r) {
    gpr::rclimits limits;
    limits.maxnodes = opt.maxnodes > 0 ? opt.maxnodes : 0;
    limits.seconds = seconds;
    bool asked = false; // the stop hook answered true
    if (opt.stop) limits.stop = [&opt, &asked]() { return asked = asked || opt.stop(); };
    limits.progress = opt.searchprogress;
    const gpr::rcresult x = gpr::rcsolve(net, cf, opt.interest, deadline, limits);
    r->nodes = x.nodes;
    if (x.end == gpr::rcend::solved && x.relaxed) {
        r->bound = r->npv;
        r->gap = 0;
        return;
    }
    r->tree.clear();
    r->treelag.clear();
    r->multiplier.clear();
    r->postponedtree.clear();
    r->postponedlag.clear();
    r->postponedvalue.clear();
    r->hasschedule = x.hasschedule;
    r->bound = x.bound;
    const int n = net.nract;
    if (x.hasschedule) {
        r->npv = x.npv;
        r->start.assign(x.st.begin(), x.st.end());
        for (int i = 0; i < n; i++) {
            r->unbounded[i] = x.dropped[i] != 0;
            r->discounted[i] = x.dcf[i];
        }
    } else {
        r->npv = std::numeric_limits<double>::quiet_NaN();
        r->start.clear();
        r->unbounded.clear();
        r->discounted.clear();
    }
    switch (x.end) {
    case gpr::rcend::solved:
        r->status = status::solved;
        r->bound = r->npv;
        break;
    case gpr::rcend::infeasible:
        r->status = status::infeasible;
        r->reason = x.reason;
        r->bound = std::numeric_limits<double>::quiet_NaN(); // no optimum to bound
        break;
    case gpr::rcend::limited:
        r->status = status::limit;
        r->reason = asked ? stoppedsearch : searchlimit;
        break;
    case gpr::rcend::failed:
        r->status = statusof(x.kind);
        r->reason = x.reason;
        break;
    }
    const double scale = std::max(std::fabs(r->bound), std::fabs(r->npv));
    r->gap = !x.hasschedule ? std::numeric_limits<double>::quiet_NaN()
             : scale > 0    ? (r->bound - r->npv) / scale
                            : 0;
}

} // namespace

solver::solver() : self(new state) {}
solver::~solver() = default;
solver::solver(solver &&) noexcept = default;
solver &solver::operator=(solver &&) noexcept = default;

result solver::solve(const network &net, const std::vector<double> &cashflows, const options &opt) {
    // A moved-from solver gets a fresh state; an allocation that fails
    // anywhere in the solve is a status, and the state forgets the solve.
    try {
        if (!self) self.reset(new state);
        result r = solvein(net, cashflows, opt);
        if (!opt.stop) return r;
        state &st = *self;
        if (st.sol.stopped) {
            // Back to the state the solve found: the network and schedule a
            // resolve takes, and the analysed network that notbounded counts on.
            if (st.movedgiven) st.given = std::move(st.earlier);
            st.hasgiven = st.earlierhasgiven;
            st.sol.st.swap(st.earlierst);
            st.analysed = false;
            std::string why;
            if (st.earlieranalysed &&
                buildfrom(st.given, st.earlierbound, st.earlierlimit, &st.rec, &st.net, &why) ==
                    gpr::outcome::solved &&
                gpr::analyse(&st.net, &why) == gpr::outcome::solved) {
                st.analysed = true;
                st.builtbound = st.earlierbound;
                st.builtlimit = st.earlierlimit;
            }
        }
        st.earlier = network(); // what it kept is not needed any more
        return r;
    } catch (const std::bad_alloc &) {
        if (self) {
            self->haswarm = false;
            self->analysed = false;
            self->hasgiven = false;
            self->given = network();
            self->earlier = network();
        }
        result r;
        r.method = opt.method;
        r.reason = nomemory((long long)net.durations.size());
        return r;
    }
}

result solver::solvein(const network &net, const std::vector<double> &cashflows,
                       const options &opt) {
    const auto began = std::chrono::steady_clock::now();
    result r;
    state &st = *self;
    st.sol.stopped = false;
    if (opt.stop) {
        st.earlierhasgiven = st.hasgiven;
        st.movedgiven = &net != &st.given;
        if (st.movedgiven) st.earlier = std::move(st.given);
        st.earlierst = st.sol.st;
        st.earlieranalysed = st.analysed;
        st.earlierbound = st.builtbound;
        st.earlierlimit = st.builtlimit;
    }
    self->analysed = false;
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
                    "the interest rate must be a finite number of at least 0");
    if (!(opt.deadlinefactor >= 0) || !std::isfinite(opt.deadlinefactor))
        return fail(gpr::outcome::invalid, "the deadline factor must be a finite number above 0");
    const size_t count = net.durations.size();
    if (net.entries.size() > count)
        return fail(gpr::outcome::invalid, "the network has " + std::to_string(net.entries.size()) +
                                               " rows of entries for " + std::to_string(count) +
                                               " activities (one row per activity at most)");
    for (size_t i = 0; i < net.entries.size(); i++)
        for (size_t k = 0; k < net.entries[i].size(); k++) {
            const long long to = net.entries[i][k].successor;
            if (to < 1 || to > (long long)count)
                return fail(gpr::outcome::invalid,
                            "the successor number of entry " + std::to_string(k + 1) +
                                " of activity " + std::to_string(i + 1) + " is " +
                                std::to_string(to) + ", expected 1 to " + std::to_string(count));
        }
    if (net.firstnumber != 0 && net.firstnumber != 1)
        return fail(gpr::outcome::invalid, "the first activity number is " +
                                               std::to_string(net.firstnumber) +
                                               ", expected 0 or 1");
    const std::string resources = resourcesreason(net, net.firstnumber);
    if (!resources.empty()) return fail(gpr::outcome::invalid, resources);
    std::string why;
    gpr::outcome kind =
        buildfrom(net, opt.boundall, opt.maxactivities, &self->rec, &self->net, &why);
    if (kind != gpr::outcome::solved) return fail(kind, why);
    const int n = self->net.nract, n0 = net.firstnumber;
    if ((int)cashflows.size() != n)
        return fail(gpr::outcome::invalid, std::to_string(cashflows.size()) + " cash flows for " +
                                               std::to_string(n) + " activities");
    for (int i = 0; i < n; i++)
        if (!std::isfinite(cashflows[i]))
            return fail(gpr::outcome::invalid,
                        "the cash flow of activity " + std::to_string(i + n0) + " is not finite");
    kind = gpr::analyse(&self->net, &why);
    if (kind != gpr::outcome::solved) return fail(kind, why);
    self->analysed = true;
    self->builtbound = opt.boundall;
    self->builtlimit = opt.maxactivities;
    r.criticalpath = self->net.est[self->net.end()];
    long long deadline = opt.deadline;
    if (opt.deadlinefactor > 0)
        deadline = gpr::factordeadline(r.criticalpath, opt.deadlinefactor);
    else if (!opt.absolute && __builtin_add_overflow(r.criticalpath, opt.slack, &deadline))
        return fail(gpr::outcome::invalid, "the critical path " + std::to_string(r.criticalpath) +
                                               " plus the slack " + std::to_string(opt.slack) +
                                               " does not fit 64 bits");
    // Starts stay within a quarter of the 64-bit range (the reader bounds
    // lags and durations); a deadline beyond it constrains nothing more.
    const long long farthest = INT64_MAX / 4;
    r.hasdeadline = true;
    r.deadline = deadline;
    deadline = std::max(-farthest, std::min(farthest, deadline));
    kind = gpr::prepare(&self->sol, self->net, cashflows, opt.interest, deadline, &why);
    if (kind != gpr::outcome::solved) return fail(kind, why);
    gpr::solver &s = self->sol;
    s.negtol = gpr::scaledtolerance(cashflows);
    s.limits.maxmoves = opt.maxpasses > 0 ? opt.maxpasses : 0;
    s.limits.seconds = opt.timelimit > 0 && std::isfinite(opt.timelimit) ? opt.timelimit : 0;
    s.limits.progress = opt.progress;
    s.limits.stop = opt.stop;
    const bool warm = self->haswarm && (int)self->warm.size() == n;
    if (warm) s.st = self->warm;
    self->haswarm = false;
    bool finished = gpr::solvewith(
        &s, opt.method == method::classic ? gpr::searchmethod::classic : gpr::searchmethod::fast,
        warm);
    std::vector<double> flow = treemultipliers(s);
    long long passes = s.nrits;
    // The classic search (chosen, or taken by the fast method where values
    // left the range of long double) leaves subtrees whose value lies above
    // its tolerance where they stand but whose wrong sign, grown to the
    // earliest starts, could cost more. Then the fast method solves the
    // instance, from the earliest starts (on large sparse networks several
    // times faster than from a schedule near the optimum), and where that
    // hands it to the classic search again, from the schedule reached (whose
    // values may then stay within range). The passes stay the first
    // search's, for classic the count the dialogue reports.
    if (finished && opt.method == method::classic && !proves(s, flow)) {
        finished = gpr::solvewith(&s, gpr::searchmethod::fast);
        flow = treemultipliers(s);
    }
    if (finished && !proves(s, flow)) {
        finished = gpr::solvewith(&s, gpr::searchmethod::fast, true);
        flow = treemultipliers(s);
    }

    r.status = finished ? status::solved : status::limit;
    if (!finished) r.reason = s.stopped ? stopped : limitreached;
    r.npv = s.npv;
    r.passes = passes;
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
    if (finished) postponedmultipliers(s, &r);
    for (int a = 0; a < n; a++)
        for (int x = 0; x < s.tsucclen[a]; x++) {
            const int e = s.tsucc[s.tsuccat[a] + x], b = self->net.succ[e];
            if (s.dropped[a] || s.dropped[b]) continue;
            r.multiplier.push_back(flow[e]);
        }
    r.hasschedule = true;
    r.bound = r.npv;
    if (opt.resources) {
        if (finished) {
            double left = 0;
            if (opt.timelimit > 0 && std::isfinite(opt.timelimit))
                left = std::max(1e-3, opt.timelimit - std::chrono::duration<double>(
                                                          std::chrono::steady_clock::now() - began)
                                                          .count());
            resourcesolve(self->net, cashflows, opt, deadline, left, &r);
        } else {
            // The relaxation was cut short: its schedule may overload a
            // resource and its value bounds nothing.
            result cut;
            cut.status = r.status;
            cut.reason = r.reason;
            cut.method = opt.method;
            cut.hasdeadline = r.hasdeadline;
            cut.deadline = r.deadline;
            cut.criticalpath = r.criticalpath;
            cut.npv = cut.bound = cut.gap = std::numeric_limits<double>::quiet_NaN();
            r = cut;
        }
    }
    return r;
}

int solver::notbounded() const {
    return self && self->analysed ? gpr::notbounded(self->net) : -1;
}

result solver::resolve(const std::vector<double> &cashflows, const options &opt) {
    if (!self || !self->hasgiven) {
        result r;
        r.method = opt.method;
        r.reason = "resolve needs an earlier solve of a network";
        return r;
    }
    // Starts from the last schedule: the solve checks that it still meets
    // every relation and the deadline, and takes the earliest starts if not.
    try {
        self->warm = self->sol.st;
    } catch (const std::bad_alloc &) {
        self->warm.clear();
    }
    self->haswarm = !self->warm.empty();
    return solve(self->given, cashflows, opt);
}

std::vector<sweeppoint> sweep(const network &net, const std::vector<double> &cashflows,
                              const options &opt, const sweepgrid &grid) {
    const size_t nd = grid.deadlines.size(), nr = grid.interests.size();
    std::vector<sweeppoint> points(nd * nr);
    solver s;
    options at = opt;
    at.deadlinefactor = 0;
    at.absolute = grid.absolute;
    // The stop hook is asked before the first point, by the points' solves
    // and, where they are too short to ask it, between them at the same rate.
    // Once it has answered true, no point is solved any more.
    bool halted = false;
    std::chrono::steady_clock::time_point asked = std::chrono::steady_clock::now();
    const std::chrono::duration<double> gap(gpr::stopevery);
    if (opt.stop)
        at.stop = [&opt, &halted, &asked]() {
            asked = std::chrono::steady_clock::now();
            return halted = opt.stop();
        };
    bool first = true;
    for (size_t r = 0; r < nr; r++)
        for (size_t k = 0; k < nd; k++) {
            // Up the deadlines for even rates, down for odd ones: the next
            // point is always a neighbour of the last.
            const size_t d = r % 2 == 0 ? k : nd - 1 - k;
            sweeppoint &p = points[r * nd + d];
            p.deadline = grid.deadlines[d];
            p.interest = grid.interests[r];
            if (opt.stop && !halted && (first || std::chrono::steady_clock::now() - asked >= gap))
                at.stop();
            if (halted) {
                p.outcome.status = status::limit;
                p.outcome.reason = stopped;
                p.outcome.method = opt.method;
                continue;
            }
            at.interest = p.interest;
            (grid.absolute ? at.deadline : at.slack) = p.deadline;
            const auto began = std::chrono::steady_clock::now();
            p.outcome = first ? s.solve(net, cashflows, at) : s.resolve(cashflows, at);
            p.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            first = false;
        }
    return points;
}

} // namespace maxnpv
