// The models of gprlp are deliberately independent of maxnpv: they include
// no header of the solver and link none of its code. This file reads the
// instance with its own reader, draws the cash flows with its own copy of
// the generator, builds the network and runs its own longest paths, and
// follows the rules of the problem rather than the solver's steps, so that a
// fault in the solver cannot hide in a shared piece. Steps 1 to 5 (the LP's
// steps 6 to 10 are at the top of lpmodel.cpp, the MIP's at the top of
// rcmodel.cpp):
//
// 1. Read the instance: header (activity count, resource type count, the
//    header's resource values), then per activity its duration, resource
//    values and successor entries of four values (activity number, bound
//    type, relation type, lag value). Any 32-bit integers are taken as they
//    are; only what would make the model itself go wrong is refused (a
//    missing value, a non-integer, an activity number outside the instance,
//    negative counts). The resource values are the capacities (header) and
//    the demands (records); the LP ignores them, the MIP keeps them and
//    refuses negative ones. The size is limited by memory alone: the network
//    is kept as a list of arcs, never as a matrix.
// 2. Cash flows, unless the caller gives them: the generator seeded with 0 at
//    every instance; each activity in order takes two draws, the first giving
//    the magnitude 1..500, the second the sign; the dummies get 0.
// 3. The arcs. Every entry (owner i, named s) lists the pair (i,s). An entry
//    of bound type 1 or 2 and relation type 1..4 also gives a start-to-start
//    lag candidate: a minimal lag for the pair (i,s), a maximal one as a
//    minimal lag of the reverse pair (s,i), which is then listed too. A
//    cell's lag is the largest of its candidates, whatever their values.
//    Normalisation, before anything is computed: a listed pair (0,i) gets at
//    least 0 and a listed pair (i,end) at least dur[i], a cell without
//    candidate exactly that. The arcs are then the listed pairs that have a
//    lag; a listed pair without one (a phantom pair) constrains nothing.
//    With bound-all every pair (0,i) and (i,end) of a real activity i counts
//    as listed, so every activity starts after the start dummy and ends
//    before the end dummy starts.
// 4. Earliest starts are longest paths from activity 0 (start 0); an
//    activity that no chain of arcs reaches has none and raises nothing. A
//    cycle of positive length that activity 0 reaches: infeasible. The end
//    dummy unreached: not connected. The deadline is the end dummy's earliest
//    start plus the slack (within 32 bits), or the caller's absolute
//    deadline; the deadline arc end->0 has the length minus the deadline, or
//    the file's own lag of (end,0) when that pair is an arc with a larger
//    lag. An end dummy whose earliest start lies further after activity 0's
//    than the deadline arc allows: infeasible. Any activity unreached: not
//    connected. Otherwise the instance is solvable.
// 5. Latest starts are activity 0's start minus the longest path to activity
//    0 over the arcs and the deadline arc. An activity from which no chain
//    leads back has none: it can be put off without end.
#include "lpnetwork.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

namespace lpnet {

double since(clock_type::time_point t) {
    return std::chrono::duration<double>(clock_type::now() - t).count();
}

std::string format(const char *fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

namespace {

// ------------------------------------------------------------ the file ---

// White-space separated decimal integers of 32 bits, each placed by its
// line and its ordinal in the file for the reasons.
class tokenizer {
  public:
    explicit tokenizer(std::string s) : text(std::move(s)) {}

    bool next(int64_t *value, const char *what, std::string *reason) {
        while (pos < text.size() && std::isspace((unsigned char)text[pos]))
            if (text[pos++] == '\n') line++;
        count++;
        if (pos == text.size()) {
            *reason = format("line %ld (value %ld): expected %s, found the end of the file", line,
                             count, what);
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
            *reason = format("line %ld (value %ld): expected %s, found \"%.40s\"", line, count,
                             what, tok.c_str());
            return false;
        }
        *value = v;
        return true;
    }

    long lastline() const { return line; } // line of the value read last, from 1

  private:
    std::string text;
    size_t pos = 0;
    long count = 0; // values read, from 1
    long line = 1;  // line of pos
};

// Reads the instance; with resources the capacities and demands are kept
// (and must not be negative), otherwise they are read and dropped.
bool readinstance(const std::string &path, instance *in, bool resources, std::string *reason) {
    std::string text;
    if (!lpreadfile(path, &text, reason)) return false;
    tokenizer tok(std::move(text));
    int64_t n, nrres, value;
    bool ok = tok.next(&n, "the activity count", reason);
    if (ok && n < 2) {
        *reason = format("line %ld: the activity count is %lld, expected at least 2",
                         tok.lastline(), (long long)n);
        ok = false;
    }
    ok = ok && tok.next(&nrres, "the resource type count", reason);
    if (ok && nrres < 0) {
        *reason = format("line %ld: the resource type count is %lld, expected 0 or more",
                         tok.lastline(), (long long)nrres);
        ok = false;
    }
    // A resource value: kept (and checked) with resources, else dropped.
    auto resource = [&](std::vector<int64_t> *into, const char *what, int act, int64_t k) {
        if (!tok.next(&value, what, reason)) return false;
        if (!resources) return true;
        if (value < 0) {
            *reason = act < 0 ? format("line %ld: the capacity of resource %lld is %lld, "
                                       "expected 0 or more",
                                       tok.lastline(), (long long)k + 1, (long long)value)
                              : format("line %ld: the demand of activity %d for resource %lld is "
                                       "%lld, expected 0 or more",
                                       tok.lastline(), act + 1, (long long)k + 1, (long long)value);
            return false;
        }
        into->push_back(value);
        return true;
    };
    in->n = (int)n;
    in->dur.clear();
    in->entries.clear();
    in->capacity.clear();
    in->demand.clear();
    for (int64_t k = 0; ok && k < nrres; k++)
        ok = resource(&in->capacity, "a resource capacity", -1, k);
    for (int i = 0; ok && i < n; i++) { // grows as it reads: a false count costs no memory
        int64_t count, duration;
        ok = tok.next(&duration, "a duration", reason);
        in->dur.push_back(duration);
        if (resources) in->demand.emplace_back();
        for (int64_t k = 0; ok && k < nrres; k++)
            ok = resource(resources ? &in->demand.back() : nullptr, "a resource demand", i, k);
        ok = ok && tok.next(&count, "a successor count", reason);
        if (ok && count < 0) {
            *reason = format("line %ld: activity %d has the successor count %lld, expected 0 or "
                             "more",
                             tok.lastline(), i + 1, (long long)count);
            ok = false;
        }
        for (int64_t k = 0; ok && k < count; k++) {
            int64_t named;
            entry e{i, 0, 0, 0, 0};
            ok = tok.next(&named, "a successor number", reason);
            if (ok && (named < 1 || named > n)) {
                *reason = format("line %ld: activity %d names activity %lld, expected 1 to %lld",
                                 tok.lastline(), i + 1, (long long)named, (long long)n);
                ok = false;
            }
            e.named = (int)named - 1;
            ok = ok && tok.next(&e.bound, "a bound type", reason) &&
                 tok.next(&e.relation, "a relation type", reason) &&
                 tok.next(&e.value, "a lag value", reason);
            if (ok) in->entries.push_back(e);
        }
    }
    if (!ok) *reason = path + ": " + *reason;
    return ok;
}

std::vector<double> drawncashflows(int n, int pctneg) {
    uint32_t state = 0;
    auto draw = [&state]() {
        state = state * 214013u + 2531011u;
        return (int)((state >> 16) & 0x7fffu);
    };
    std::vector<double> cf(n);
    for (int i = 0; i < n; i++) {
        int magnitude = draw() % 500 + 1;
        bool negative = draw() % 100 < pctneg;
        cf[i] = i == 0 || i == n - 1 ? 0 : negative ? -magnitude : magnitude;
    }
    return cf;
}

// --------------------------------------------------------- the network ---

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

// The arcs of step 3, normalised, ordered by (from, to), self-loops included.
// With boundall every pair (0,i) and (i,end) of a real activity is listed.
std::vector<arc> buildarcs(const instance &in, bool boundall) {
    struct cell {
        uint64_t key; // from * n + to
        int64_t len;
        bool candidate;
    };
    const uint64_t n = (uint64_t)in.n;
    const int end = in.n - 1;
    std::vector<cell> cells;
    cells.reserve(in.entries.size() * 2);
    for (const entry &e : in.entries) {
        cells.push_back({(uint64_t)e.owner * n + (uint64_t)e.named, 0, false});
        int from, to;
        int64_t len;
        if (startlag(in, e, &from, &to, &len))
            cells.push_back({(uint64_t)from * n + (uint64_t)to, len, true});
    }
    for (int i = 1; boundall && i < end; i++) {
        cells.push_back({(uint64_t)i, 0, false});
        cells.push_back({(uint64_t)i * n + (uint64_t)end, 0, false});
    }
    std::sort(cells.begin(), cells.end(),
              [](const cell &a, const cell &b) { return a.key < b.key; });
    std::vector<arc> arcs;
    for (size_t k = 0; k < cells.size();) {
        uint64_t key = cells[k].key;
        bool candidate = false;
        int64_t len = 0;
        for (; k < cells.size() && cells[k].key == key; k++) {
            if (!cells[k].candidate) continue;
            len = candidate ? std::max(len, cells[k].len) : cells[k].len;
            candidate = true;
        }
        int from = (int)(key / n), to = (int)(key % n);
        if (from == 0 && to >= 1) {
            len = candidate ? std::max(len, (int64_t)0) : 0;
            candidate = true;
        }
        if (to == end && from < end) {
            len = candidate ? std::max(len, in.dur[from]) : in.dur[from];
            candidate = true;
        }
        if (candidate) arcs.push_back({from, to, len});
    }
    return arcs;
}

} // namespace

digraph::digraph(int n, const std::vector<arc> &arcs, bool reversed) : first(n + 1, 0) {
    for (const arc &a : arcs) first[(reversed ? a.to : a.from) + 1]++;
    for (int i = 0; i < n; i++) first[i + 1] += first[i];
    head.resize(arcs.size());
    len.resize(arcs.size());
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (const arc &a : arcs) {
        int k = fill[reversed ? a.to : a.from]++;
        head[k] = reversed ? a.from : a.to;
        len[k] = a.len;
    }
}

namespace {

// True if the parent pointers hold a cycle. Every pointer was set by a strict
// raise, so such a cycle has positive length.
bool parentcycle(const std::vector<int> &parent, std::vector<int> &mark) {
    int n = (int)parent.size();
    std::fill(mark.begin(), mark.end(), -1);
    for (int v = 0; v < n; v++) {
        int u = v;
        while (u >= 0 && mark[u] == -1) {
            mark[u] = v;
            u = parent[u];
        }
        if (u >= 0 && mark[u] == v) return true;
    }
    return false;
}

} // namespace

// Longest paths over g from the activities that have a value in dist (the
// others hold nopath and raise nothing until reached). A queue of raised
// activities is worked off until nothing rises. Returns false if a cycle of
// positive length is reached: a path of n arcs to some activity proves one
// (a raise that closes a cycle is strict only when the cycle is positive),
// and a cycle among the parent pointers, looked for every n raises, finds it
// sooner.
bool longestpaths(const digraph &g, std::vector<int64_t> &dist) {
    const int n = g.size();
    std::vector<int> arcs(n, 0), parent(n, -1), mark(n);
    std::vector<char> queued(n, 0);
    std::vector<int> ring(n); // every activity waits at most once
    size_t head = 0, waiting = 0;
    for (int v = 0; v < n; v++)
        if (dist[v] != nopath) ring[waiting++] = v, queued[v] = 1;
    long long raises = 0;
    while (waiting > 0) {
        int u = ring[head];
        head = (head + 1) % n;
        waiting--;
        queued[u] = 0;
        for (int k = g.first[u]; k < g.first[u + 1]; k++) {
            int v = g.head[k];
            int64_t candidate = dist[u] + g.len[k];
            if (dist[v] != nopath && candidate <= dist[v]) continue;
            dist[v] = candidate;
            parent[v] = u;
            arcs[v] = arcs[u] + 1;
            if (arcs[v] >= n) return false;
            if (++raises % n == 0 && parentcycle(parent, mark)) return false;
            if (!queued[v]) ring[(head + waiting++) % n] = v, queued[v] = 1;
        }
    }
    return true;
}

bool analyse(const std::string &path, const lpoptions &opt, bool resources, temporal *t,
             lpresult *res) {
    auto started = clock_type::now();
    instance &in = t->in;
    if (!readinstance(path, &in, resources, &res->reason)) return false;
    const int n = in.n, end = n - 1;
    res->nract = n;
    std::vector<double> &cf = t->cf;
    cf = opt.cashflows;
    if (cf.empty()) cf = drawncashflows(n, opt.pctneg);
    if ((int)cf.size() != n) {
        res->reason = format("%zu cash flows given for %d activities", cf.size(), n);
        return false;
    }
    for (int i = 0; i < n; i++) {
        if (std::isfinite(cf[i])) continue;
        res->reason = format("the cash flow of activity %d is not a finite number", i + 1);
        return false;
    }
    res->readseconds = since(started);

    started = clock_type::now();
    std::vector<arc> arcs = buildarcs(in, opt.boundall);
    std::vector<int64_t> &es = t->es;
    es.assign(n, nopath);
    es[0] = 0;
    bool cycle = !longestpaths(digraph(n, arcs, false), es);
    int unreached = 0;
    while (unreached < n && es[unreached] != nopath) unreached++;
    res->kind = cycle ? lpinfeasible : lpunlinked;
    if (cycle)
        res->reason = "the relations hold a cycle of positive length";
    else if (es[end] == nopath)
        res->reason = format("no chain of relations leads from activity 1 to the end dummy %d", n);
    if (cycle || es[end] == nopath) {
        res->pathseconds = since(started);
        return false;
    }

    int64_t deadline;
    if (opt.deadline)
        deadline = std::clamp<long long>(*opt.deadline, -farthest, farthest);
    else
        deadline = std::clamp<int64_t>(
            es[end] + std::clamp<long long>(opt.slack, -farthest, farthest), -INT32_MAX, INT32_MAX);
    res->deadline = t->deadline = deadline;
    int64_t closing = -deadline;
    std::vector<arc> &lparcs = t->arcs;
    lparcs.clear();
    for (const arc &a : arcs) {
        if (a.from == end && a.to == 0)
            closing = std::max(closing, a.len);
        else if (a.from != a.to)
            lparcs.push_back(a);
    }
    lparcs.push_back({end, 0, closing});
    if (es[end] - es[0] > -closing) {
        res->kind = lpinfeasible;
        res->reason = format("the end dummy starts %lld after activity 1 at the earliest, the "
                             "deadline allows %lld",
                             (long long)(es[end] - es[0]), (long long)-closing);
        res->pathseconds = since(started);
        return false;
    }
    if (unreached < n) {
        res->kind = lpunlinked;
        res->reason =
            format("no chain of relations leads from activity 1 to activity %d", unreached + 1);
        res->pathseconds = since(started);
        return false;
    }

    // Latest starts: activity 0 is fixed at its earliest start 0.
    std::vector<int64_t> back(n, nopath);
    std::vector<int64_t> &ls = t->ls;
    ls.assign(n, noend);
    back[0] = 0;
    if (!longestpaths(digraph(n, lparcs, true), back)) {
        res->kind = lpfailed; // ruled out by the checks above
        res->reason = "the arcs with the deadline arc hold a cycle of positive length";
        return false;
    }
    for (int i = 0; i < n; i++)
        if (back[i] != nopath) ls[i] = es[0] - back[i];
    res->pathseconds = since(started);
    return true;
}

} // namespace lpnet

bool lpreadfile(const std::string &path, std::string *text, std::string *reason) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *reason = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    text->clear();
    char buf[1 << 16];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, file)) > 0;) text->append(buf, got);
    int err = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (err != 0) {
        *reason = "cannot read " + path + ": " + std::strerror(err);
        return false;
    }
    return true;
}
