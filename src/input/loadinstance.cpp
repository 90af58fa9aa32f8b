// The reader checks every value of the file in one scan, in file order, and
// rejects the file at its first defect with the line and value ordinal of the
// defect: tokens, counts, activity numbers, magnitudes, and how often an
// activity is named. The bound of gprmaxmag on durations and lag values keeps
// every converted lag within a few million, so the sums of the solver stay far
// from overflow. Capacities and demands are any 32-bit values of 0 and more
// (a negative one describes no resource). The values are kept as they are
// read; the rows are built from them afterwards, when every duration is known
// (start-to-finish and finish-to-finish relations are converted with the
// duration of the named activity, whose record may come later in the file).
//
// Every relation becomes a minimal start-to-start lag; all relations on one
// pair together give the largest of their lags (a pair on which no relation
// gives a lag constrains nothing). A maximal lag from i to s is a minimal lag
// from s back to i, so it acts on the pair (s, i) while the lists follow the
// record (s in i's row). An arc acts only when its pair is listed, so every
// maximal lag whose reverse pair s lists nowhere gets it appended to s's row,
// after the file's entries, in reading order; without that the lag would
// never constrain a schedule.
//
// The predecessor row of an activity lists the owners of the entries naming
// it: the file's entries in reading order, then the appended ones. Only the
// order matters to the solve (it is the order in which the search gathers the
// tree arcs into an activity), so each entry keeps where its owner first
// stands there instead of the rows themselves.
#include "input/loadinstance.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <unordered_map>

#include "input/gprtoken.h"

namespace gpr {

namespace {

// What the value being read stands for; used only to word a rejection.
enum class what { nract, nrres, headres, dur, res, count, succ, bound, rel, lag };

class reader {
  public:
    reader(const char *data, size_t size, const runlimits &lim, std::string *why)
        : tok(data, size), bytes(size), limits(lim), reason(why) {}

    outcome header(int *nract, int *nrres, std::vector<int> *capacity);
    outcome records(int nract, int nrres, std::vector<int> *dur, std::vector<int> *demand,
                    std::vector<fileentry> *entries, std::vector<int> *filestart, int *reached);

  private:
    tokenizer tok;           // the values of the file
    size_t bytes;            // size of the file, to size the counts of names
    const runlimits &limits; // the run's limits
    std::string *reason;     // where a rejection's reason goes
    what kind = what::nract; // the value being read
    int act = 0, item = 0;   // its activity (from 1) and entry or resource position (from 1)
    std::vector<int> named;  // [activity] entries naming it so far (small files)
    std::unordered_map<int, int> namedmap; // the same for a count beyond the file's size

    std::string describe() const;
    outcome rejectat(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    outcome rejectv(const char *fmt, va_list args);
    bool value(int *v, what k, int a = 0, int i = 0);
    bool within(int *v, long long lo, long long hi, what k, int a = 0, int i = 0);
    int &namedcount(int s) { return s < (int)named.size() ? named[s] : namedmap[s]; }
};

std::string reader::describe() const {
    char buf[96];
    switch (kind) {
    case what::nract:
        return "the activity count";
    case what::nrres:
        return "the resource type count";
    case what::headres:
        std::snprintf(buf, sizeof buf, "resource value %d of the header", item);
        break;
    case what::dur:
        std::snprintf(buf, sizeof buf, "the duration of activity %d", act);
        break;
    case what::res:
        std::snprintf(buf, sizeof buf, "resource value %d of activity %d", item, act);
        break;
    case what::count:
        std::snprintf(buf, sizeof buf, "the successor count of activity %d", act);
        break;
    case what::succ:
        std::snprintf(buf, sizeof buf, "the successor number of entry %d of activity %d", item,
                      act);
        break;
    case what::bound:
        std::snprintf(buf, sizeof buf, "the bound type of entry %d of activity %d", item, act);
        break;
    case what::rel:
        std::snprintf(buf, sizeof buf, "the relation type of entry %d of activity %d", item, act);
        break;
    case what::lag:
        std::snprintf(buf, sizeof buf, "the lag value of entry %d of activity %d", item, act);
        break;
    }
    return buf;
}

outcome reader::rejectv(const char *fmt, va_list args) {
    char text[320], place[64];
    std::vsnprintf(text, sizeof text, fmt, args);
    std::snprintf(place, sizeof place, "line %d, value %ld: ", tok.line(), tok.ordinal());
    *reason = std::string(place) + text;
    return outcome::invalid;
}

// Rejects the file at the place of the last value read.
outcome reader::rejectat(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    outcome k = rejectv(fmt, args);
    va_end(args);
    return k;
}

// Reads the next value, described by k, a and i for a possible rejection.
bool reader::value(int *v, what k, int a, int i) {
    kind = k;
    act = a;
    item = i;
    tokresult r = tok.next(v);
    if (r == tokresult::ok) return true;
    std::string w = describe();
    if (r == tokresult::eof)
        rejectat("expected %s, found the end of the file", w.c_str());
    else if (r == tokresult::bad)
        rejectat("expected %s, found \"%s\", which is not a decimal integer", w.c_str(),
                 tok.shown());
    else
        rejectat("%s is %s, which does not fit 32 bits", w.c_str(), tok.shown());
    return false;
}

// Reads a value that must lie in lo..hi.
bool reader::within(int *v, long long lo, long long hi, what k, int a, int i) {
    if (!value(v, k, a, i)) return false;
    if (*v >= lo && *v <= hi) return true;
    rejectat("%s is %d, expected %lld to %lld", describe().c_str(), *v, lo, hi);
    return false;
}

// The header: activity count, resource type count and one capacity per
// type. The activity limit is tested by the caller. The capacities are kept
// as they are read, never sized from the count: a count that the file does
// not back with values costs nothing.
outcome reader::header(int *nract, int *nrres, std::vector<int> *capacity) {
    int c;
    if (!value(nract, what::nract)) return outcome::invalid;
    if (*nract < 2)
        return rejectat("the activity count is %d; an instance needs both dummies", *nract);
    if (!value(nrres, what::nrres)) return outcome::invalid;
    if (*nrres < 0) return rejectat("the resource type count is %d, expected 0 or more", *nrres);
    for (int k = 1; k <= *nrres; k++) {
        if (!value(&c, what::headres, 0, k)) return outcome::invalid;
        if (c < 0)
            return rejectat("the capacity of resource %d is %d, expected 0 to %d", k, c, INT_MAX);
        capacity->push_back(c);
    }
    return outcome::solved;
}

// Every record, in file order, with the checks of every value.
outcome reader::records(int nract, int nrres, std::vector<int> *dur, std::vector<int> *demand,
                        std::vector<fileentry> *entries, std::vector<int> *filestart,
                        int *reached) {
    // A file holds at least two bytes per value, so no activity beyond its
    // size can be named often; those few are counted in a map.
    named.assign(std::min<size_t>((size_t)nract, bytes / 2 + 1), 0);
    for (int i = 0; i < nract; i++) {
        *reached = i;
        int d, count, s, bound, rel, lag, r;
        if (!within(&d, -gprmaxmag, gprmaxmag, what::dur, i + 1)) return outcome::invalid;
        dur->push_back(d);
        for (int k = 1; k <= nrres; k++) {
            if (!value(&r, what::res, i + 1, k)) return outcome::invalid;
            if (r < 0)
                return rejectat("the demand of activity %d for resource %d is %d, expected 0 to %d",
                                i + 1, k, r, INT_MAX);
            demand->push_back(r);
        }
        if (!within(&count, 0, limits.maxsucc, what::count, i + 1)) return outcome::invalid;
        filestart->push_back((int)entries->size());
        for (int k = 1; k <= count; k++) {
            if (!within(&s, 1, nract, what::succ, i + 1, k)) return outcome::invalid;
            if (++namedcount(s - 1) > limits.maxnamed)
                return rejectat("activity %d is named as a successor more than %d times", s,
                                limits.maxnamed);
            if (!value(&bound, what::bound, i + 1, k)) return outcome::invalid;
            if (!value(&rel, what::rel, i + 1, k)) return outcome::invalid;
            if (!within(&lag, -gprmaxmag, gprmaxmag, what::lag, i + 1, k)) return outcome::invalid;
            entries->push_back({i, s - 1, bound, rel, lag});
        }
    }
    filestart->push_back((int)entries->size());
    *reached = nract - 1;
    return outcome::solved;
}

// The minimal start-to-start lag that one entry implies, for the pair
// (*from, *to). Returns false for bound or relation types that imply none.
bool convert(const fileentry &e, const std::vector<int> &dur, int *from, int *to, int *candidate) {
    const int minimal = gprcode(gprbound::minimal), maximal = gprcode(gprbound::maximal);
    if ((e.bound != minimal && e.bound != maximal) || e.rel < gprcode(gprrel::ss) ||
        e.rel > gprcode(gprrel::ff))
        return false;
    gprrel rel = static_cast<gprrel>(e.rel);
    int shift = 0; // how the relation's end points move the lag to start-to-start
    if (rel == gprrel::sf || rel == gprrel::ff) shift -= dur[e.named];
    if (rel == gprrel::fs || rel == gprrel::ff) shift += dur[e.owner];
    int least = e.value + shift; // |value|, |dur| <= gprmaxmag, so no overflow
    if (e.bound == minimal) {
        *from = e.owner;
        *to = e.named;
        *candidate = least;
    } else {
        *from = e.named;
        *to = e.owner;
        *candidate = -least;
    }
    return true;
}

// Stable counting sort of the indices 0..keys.size()-1 by key (0..range-1).
std::vector<int> groupby(const std::vector<int> &keys, int range, std::vector<int> *start) {
    start->assign(range + 1, 0);
    for (int k : keys) (*start)[k + 1]++;
    for (int r = 0; r < range; r++) (*start)[r + 1] += (*start)[r];
    std::vector<int> order(keys.size()), next(start->begin(), start->end() - 1);
    for (int x = 0; x < (int)keys.size(); x++) order[next[keys[x]]++] = x;
    return order;
}

// Rejects with a reason that names no place in a file.
outcome rejectwith(std::string *reason, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
outcome rejectwith(std::string *reason, const char *fmt, ...) {
    char text[320];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    *reason = text;
    return outcome::invalid;
}

outcome toomanyreason(int n, const runlimits &limits, std::string *reason) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "%d activities, more than the limit of %d; maxnpv batch and maxnpv solve "
                  "take a higher one with --max-activities",
                  n, limits.maxact);
    *reason = text;
    return outcome::toomany;
}

} // namespace

outcome scanrecords(const char *data, size_t size, const runlimits &limits, records *rec,
                    std::string *reason, int *reached) {
    *reached = -1;
    reader in(data, size, limits, reason);
    int n, nrres;
    rec->capacity.clear();
    outcome kind = in.header(&n, &nrres, &rec->capacity);
    if (kind != outcome::solved) return kind;
    rec->nract = n;
    rec->nrres = nrres;
    if (n > limits.maxact) return toomanyreason(n, limits, reason);
    rec->dur.clear();
    rec->demand.clear();
    rec->entries.clear();
    rec->rowstart.clear();
    return in.records(n, nrres, &rec->dur, &rec->demand, &rec->entries, &rec->rowstart, reached);
}

outcome checkrecords(const records &rec, const runlimits &limits, std::string *reason) {
    const int n = rec.nract;
    if (n < 2)
        return rejectwith(reason, "the activity count is %d; an instance needs both dummies", n);
    if (n > limits.maxact) return toomanyreason(n, limits, reason);
    if ((int)rec.dur.size() != n || (int)rec.rowstart.size() != n + 1)
        return rejectwith(reason, "the network has %d activities but %zu durations", n,
                          rec.dur.size());
    const int nrres = rec.nrres;
    if (nrres < 0)
        return rejectwith(reason, "the resource type count is %d, expected 0 or more", nrres);
    if (rec.capacity.size() != (size_t)nrres)
        return rejectwith(reason, "the network has %d resource types but %zu capacities", nrres,
                          rec.capacity.size());
    if (rec.demand.size() != (size_t)n * (size_t)nrres)
        return rejectwith(reason,
                          "the network has %d activities and %d resource types but %zu demands, "
                          "expected %zu",
                          n, nrres, rec.demand.size(), (size_t)n * (size_t)nrres);
    for (int k = 0; k < nrres; k++)
        if (rec.capacity[k] < 0)
            return rejectwith(reason, "the capacity of resource %d is %d, expected 0 to %d", k + 1,
                              rec.capacity[k], INT_MAX);
    std::vector<int> named(n, 0);
    for (int i = 0; i < n; i++) {
        if (rec.dur[i] < -gprmaxmag || rec.dur[i] > gprmaxmag)
            return rejectwith(reason, "the duration of activity %d is %d, expected %d to %d", i + 1,
                              rec.dur[i], -gprmaxmag, gprmaxmag);
        for (int k = 0; k < nrres; k++) {
            const int r = rec.demand[(size_t)i * nrres + k];
            if (r < 0)
                return rejectwith(reason,
                                  "the demand of activity %d for resource %d is %d, expected 0 "
                                  "to %d",
                                  i + 1, k + 1, r, INT_MAX);
        }
        const int count = rec.rowstart[i + 1] - rec.rowstart[i];
        if (count > limits.maxsucc)
            return rejectwith(reason, "the successor count of activity %d is %d, expected 0 to %d",
                              i + 1, count, limits.maxsucc);
        for (int e = rec.rowstart[i]; e < rec.rowstart[i + 1]; e++) {
            const fileentry &f = rec.entries[e];
            const int k = e - rec.rowstart[i] + 1;
            if (f.named < 0 || f.named >= n)
                return rejectwith(reason,
                                  "the successor number of entry %d of activity %d is %d, expected "
                                  "1 to %d",
                                  k, i + 1, f.named + 1, n);
            if (++named[f.named] > limits.maxnamed)
                return rejectwith(reason, "activity %d is named as a successor more than %d times",
                                  f.named + 1, limits.maxnamed);
            if (f.value < -gprmaxmag || f.value > gprmaxmag)
                return rejectwith(
                    reason, "the lag value of entry %d of activity %d is %d, expected %d to %d", k,
                    i + 1, f.value, -gprmaxmag, gprmaxmag);
        }
    }
    return outcome::solved;
}

std::string formathint(const std::string &text, instformat tried) {
    for (int k = 0; k < instformats; k++) {
        const instformat other = static_cast<instformat>(k);
        if (other == tried) continue;
        bool reads;
        if (other == instformat::gpr) {
            records rec;
            std::string why;
            int reached;
            reads = scanrecords(text.data(), text.size(), runlimits::none(), &rec, &why,
                                &reached) == outcome::solved;
        } else {
            gprinstance g;
            formaterror err;
            reads = readforeign(other, text, &g, &err);
        }
        if (reads)
            return std::string("this looks like a ") + formatlabel(other) + ": name it ." +
                   formatkey(other) + " or give --format " + formatkey(other);
    }
    return "";
}

outcome scaninstance(const char *data, size_t size, instformat fmt, const runlimits &limits,
                     records *rec, std::string *reason, int *reached) {
    outcome kind;
    bool textdefect = false; // rejected for its text, not for the limits
    if (fmt == instformat::gpr) {
        kind = scanrecords(data, size, limits, rec, reason, reached);
        textdefect = kind == outcome::invalid;
    } else {
        *reached = -1;
        gprinstance g;
        formaterror err;
        const std::string text(data, size);
        if (!readforeign(fmt, text, &g, &err)) {
            rec->nract = 0;
            *reason = "line " + std::to_string(err.line) + ": " + err.reason;
            kind = outcome::invalid;
            textdefect = true;
        } else {
            // The converted records, in the form the .gpr scan gives them.
            rec->nract = g.nract;
            rec->nrres = (int)g.capacity.size();
            rec->dur = g.dur;
            rec->capacity = g.capacity;
            rec->demand.clear();
            rec->demand.reserve((size_t)g.nract * g.capacity.size());
            for (const std::vector<int> &row : g.demand)
                rec->demand.insert(rec->demand.end(), row.begin(), row.end());
            rec->entries.clear();
            rec->rowstart.assign(1, 0);
            for (int i = 0; i < g.nract; i++) {
                for (const gprentry &e : g.rec[i])
                    rec->entries.push_back({i, e.succ - 1, e.bound, e.rel, e.value});
                rec->rowstart.push_back((int)rec->entries.size());
            }
            kind = checkrecords(*rec, limits, reason);
            if (kind != outcome::toomany) *reached = g.nract - 1;
        }
    }
    if (textdefect) {
        std::string hint = formathint(std::string(data, size), fmt);
        if (!hint.empty()) *reason += "; " + hint;
    }
    return kind;
}

outcome readinstance(const char *data, size_t size, instformat fmt, const runlimits &limits,
                     network *net, std::string *reason, int *reached) {
    records rec;
    outcome kind = scaninstance(data, size, fmt, limits, &rec, reason, reached);
    net->nract = rec.nract;
    if (kind != outcome::solved) return kind;
    return buildnetwork(rec, limits, net, reason);
}

outcome readnetwork(const char *data, size_t size, const runlimits &limits, network *net,
                    std::string *reason, int *reached) {
    records rec;
    outcome kind = scanrecords(data, size, limits, &rec, reason, reached);
    net->nract = rec.nract;
    if (kind != outcome::solved) return kind;
    return buildnetwork(rec, limits, net, reason);
}

outcome buildnetwork(const records &rec, const runlimits &limits, network *net,
                     std::string *reason) {
    const int n = rec.nract;
    const std::vector<fileentry> &fe = rec.entries;
    const std::vector<int> &filestart = rec.rowstart;
    std::vector<int> dur = rec.dur;
    const int nfile = (int)fe.size(), end = n - 1;

    // Reverse pairs of the maximal lags, grouped by the activity whose row
    // takes them; within a row in reading order. A pair is appended once,
    // and only when the file does not list it already.
    std::vector<int> reqentry, reqrow;
    for (int e = 0; e < nfile; e++) {
        int from, to, candidate;
        if (fe[e].bound == gprcode(gprbound::maximal) &&
            convert(fe[e], dur, &from, &to, &candidate))
            reqentry.push_back(e), reqrow.push_back(fe[e].named);
    }
    std::vector<int> reqstart, mark(n, -1);
    std::vector<int> reqorder = groupby(reqrow, n, &reqstart);
    std::vector<char> appended(reqentry.size(), 0);
    std::vector<int> extra(n, 0); // appended entries per row
    for (int s = 0; s < n; s++) {
        if (reqstart[s] == reqstart[s + 1]) continue;
        for (int e = filestart[s]; e < filestart[s + 1]; e++) mark[fe[e].named] = s;
        for (int r = reqstart[s]; r < reqstart[s + 1]; r++) {
            int x = reqorder[r], i = fe[reqentry[x]].owner;
            if (mark[i] == s) continue;
            mark[i] = s;
            appended[x] = 1;
            extra[s]++;
        }
    }

    // Predecessor counts: entries naming each activity, appended ones too.
    net->nrpred.assign(n, 0);
    for (const fileentry &e : fe) net->nrpred[e.named]++;
    if (limits.maxsucc != nolimit || limits.maxnamed != nolimit) {
        // Room for every appended arc, in reading order: the first one that
        // does not fit rejects the file.
        std::vector<int> rowlen(n), namedlen(net->nrpred);
        for (int i = 0; i < n; i++) rowlen[i] = filestart[i + 1] - filestart[i];
        for (int x = 0; x < (int)reqentry.size(); x++) {
            if (!appended[x]) continue;
            const fileentry &e = fe[reqentry[x]];
            int s = e.named, i = e.owner;
            if (rowlen[s] >= limits.maxsucc || namedlen[i] >= limits.maxnamed)
                return rejectwith(
                    reason,
                    "the maximal lag of entry %d of activity %d needs the reverse arc %d->%d, but "
                    "the lists of activity %d or %d are full (%d entries)",
                    reqentry[x] - filestart[i] + 1, i + net->firstnumber, s + net->firstnumber,
                    i + net->firstnumber, s + net->firstnumber, i + net->firstnumber,
                    rowlen[s] >= limits.maxsucc ? limits.maxsucc : limits.maxnamed);
            rowlen[s]++;
            namedlen[i]++;
        }
    }
    for (size_t x = 0; x < reqentry.size(); x++)
        if (appended[x]) net->nrpred[fe[reqentry[x]].owner]++;

    // The rows: the file's entries, then the appended ones.
    net->nract = n;
    net->nrres = rec.nrres;
    net->capacity = rec.capacity;
    net->demand = rec.demand;
    net->nrfile = nfile;
    net->dur = std::move(dur);
    net->rowstart.assign(n + 1, 0);
    for (int i = 0; i < n; i++)
        net->rowstart[i + 1] = net->rowstart[i] + (filestart[i + 1] - filestart[i]) + extra[i];
    const int total = net->rowstart[n];
    net->succ.assign(total + 1, 0);
    net->owner.assign(total + 1, end);
    std::vector<int> fill(n), fileat(nfile);
    for (int i = 0; i < n; i++) {
        fill[i] = net->rowstart[i];
        for (int e = filestart[i]; e < filestart[i + 1]; e++) {
            fileat[e] = fill[i];
            net->succ[fill[i]] = fe[e].named;
            net->owner[fill[i]++] = i;
        }
    }
    std::vector<int> slotof(reqentry.size(), -1); // entry index of each appended arc
    for (int x : reqorder) {
        if (!appended[x]) continue;
        const fileentry &e = fe[reqentry[x]];
        slotof[x] = fill[e.named];
        net->succ[fill[e.named]] = e.owner;
        net->owner[fill[e.named]++] = e.named;
    }

    // Room for the deadline arc, which the solve adds to the end dummy's row
    // and to activity 0's predecessors in place of their own such entries.
    if (limits.maxsucc != nolimit || limits.maxnamed != nolimit) {
        int others = 0;
        for (int e = net->rowstart[end]; e < net->rowstart[end + 1]; e++)
            others += net->succ[e] != 0;
        if (others >= limits.maxsucc)
            return rejectwith(reason,
                              "the end dummy (activity %d) lists %d successors besides "
                              "activity 1, which leaves no room for the deadline arc",
                              end + 1, others);
        others = 0;
        for (int e = 0; e < total; e++) others += net->succ[e] == 0 && net->owner[e] != end;
        if (others >= limits.maxnamed)
            return rejectwith(reason,
                              "activity 1 is named by %d entries besides the end dummy, which "
                              "leaves no room for the deadline arc",
                              others);
    }

    // Lags: per pair the largest candidate; the diagonal starts at 0.
    std::vector<int> candfrom, candto, candval;
    for (const fileentry &e : fe) {
        int from, to, candidate;
        if (!convert(e, net->dur, &from, &to, &candidate)) continue;
        candfrom.push_back(from), candto.push_back(to), candval.push_back(candidate);
    }
    std::vector<int> candstart;
    std::vector<int> candorder = groupby(candfrom, n, &candstart);
    std::vector<int> best(n);
    std::fill(mark.begin(), mark.end(), -1);
    net->lag.assign(total + 1, nolag);
    for (int i = 0; i < n; i++) {
        mark[i] = i; // the diagonal holds 0 before any relation
        best[i] = 0;
        for (int c = candstart[i]; c < candstart[i + 1]; c++) {
            int x = candorder[c], to = candto[x];
            if (mark[to] != i)
                mark[to] = i, best[to] = candval[x];
            else if (candval[x] > best[to])
                best[to] = candval[x];
        }
        for (int e = net->rowstart[i]; e < net->rowstart[i + 1]; e++)
            if (mark[net->succ[e]] == i) net->lag[e] = best[net->succ[e]];
    }

    // First entry of each pair in its row.
    net->firstpos.assign(total + 1, total);
    std::fill(mark.begin(), mark.end(), -1);
    for (int i = 0; i < n; i++) {
        for (int e = net->rowstart[i]; e < net->rowstart[i + 1]; e++) {
            int s = net->succ[e];
            if (mark[s] != i) mark[s] = i, best[s] = e;
            net->firstpos[e] = best[s];
        }
    }

    // Predecessor rows: positions of the entries, then where each owner
    // first stands. The file's entries come in reading order, which is entry
    // order; the appended ones after them, in reading order of their lags.
    std::vector<int> predpos(total + 1, 0), predfill(n, 0);
    for (int e = 0; e < nfile; e++) predpos[fileat[e]] = predfill[fe[e].named]++;
    for (size_t x = 0; x < reqentry.size(); x++)
        if (appended[x]) predpos[slotof[x]] = predfill[fe[reqentry[x]].owner]++;
    net->predkey.assign(total + 1, lastkey);
    for (int e = 0; e < total; e++) net->predkey[e] = predpos[net->firstpos[e]];

    // The end dummy's listed relation back to activity 0, which the deadline
    // arc merges with.
    net->endtostart = nolag;
    for (int e = net->rowstart[end]; e < net->rowstart[end + 1]; e++)
        if (net->succ[e] == 0) net->endtostart = net->lag[e];

    // The deadline arc: an entry past every row.
    net->succ[total] = 0;
    net->owner[total] = end;
    net->firstpos[total] = total;
    net->est.clear();
    net->rawlags.clear();
    return outcome::solved;
}

} // namespace gpr
