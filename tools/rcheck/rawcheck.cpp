// The checker states every rule as the file and the README state it, not as
// a solver computes with it: a relation is checked between the two time
// points it names (start or finish of either activity), never through a
// converted start-to-start lag or a merged arc, so a fault in such a
// conversion cannot hide here. The rules, in the order in which they are
// checked (the first one broken is reported):
//
// 1. There is a start for every activity; neither dummy is postponed; the
//    start dummy starts at 0.
// 2. Every relation of bound type 1 (minimal) or 2 (maximal) and relation
//    type 1..4 (SS, SF, FS, FF) holds between the points it joins: a minimal
//    lag v from i to j says point(j) >= point(i) + v, a maximal one
//    point(j) <= point(i) + v. Other codes imply nothing. A postponed
//    activity lies beyond every time: a relation that bounds it from above
//    by an activity that is not postponed (the named one of a minimal lag
//    whose owner is postponed, the owner of a maximal lag whose named one
//    is) is broken; between two postponed activities nothing is checked
//    (their offsets are not known).
// 3. The normalisation, for the pairs the file lists (an entry of i naming
//    j lists (i, j); a maximal lag of relation type 1..4 also lists (j, i),
//    which acts as a relation of its own): a listed pair from the start
//    dummy to i makes i start no earlier than 0, a listed pair from i to the
//    end dummy makes i finish no later than the end dummy starts (so i may
//    not be postponed). Under bound-all (maxnpv solve --bound-all) every
//    real activity is held so, listed or not.
// 4. The end dummy starts by the deadline.
// 5. At every whole time t, the activities that run then (start <= t <
//    start + duration, not postponed) need at most the capacity of every
//    resource; the use rises only where an activity starts, so the times
//    checked are the starts, and the first one that fails is reported. A
//    postponed activity must fit on its own (it runs some time).
// 6. A claimed npv is the schedule's, computed in long double over the
//    activities that are not postponed, within 1e-9 of the sum of the
//    magnitudes of their discounted cash flows.
#include "rawcheck.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>

namespace {

constexpr size_t shown = 40;            // most bytes of a token that a reason quotes
constexpr double claimtolerance = 1e-9; // relative to the sum of |discounted cash flow|
constexpr int mostnamed = 8;            // most activities a resource's reason names

// The token in quotes, cut and with bytes outside printable ASCII as \xNN.
std::string quoted(const std::string &t) {
    std::string s = "\"";
    char buf[8];
    for (size_t i = 0; i < t.size() && i < shown; i++) {
        unsigned char c = (unsigned char)t[i];
        if (c >= ' ' && c < 0x7f && c != '\\' && c != '"') {
            s += (char)c;
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return s + (t.size() > shown ? "...\"" : "\"");
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A whole number of at most 32 bits, with an optional sign.
bool whole(const std::string &t, long long *value) {
    size_t k = t[0] == '-' || t[0] == '+' ? 1 : 0;
    if (k == t.size()) return false;
    long long v = 0;
    for (; k < t.size(); k++) {
        if (t[k] < '0' || t[k] > '9') return false;
        v = v * 10 + (t[k] - '0');
        if (v > 2147483648LL) return false;
    }
    v = t[0] == '-' ? -v : v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *value = v;
    return true;
}

std::string at(long line) {
    return "line " + std::to_string(line) + ": ";
}

// The tokens of a text, each with its line.
struct token {
    std::string text;
    long line;
};

std::vector<token> tokens(const std::string &text) {
    std::vector<token> out;
    long line = 1;
    for (size_t k = 0; k < text.size();) {
        if (blank(text[k])) {
            if (text[k++] == '\n') line++;
            continue;
        }
        size_t from = k;
        while (k < text.size() && !blank(text[k])) k++;
        out.push_back({text.substr(from, k - from), line});
    }
    return out;
}

// ----------------------------------------------------------------- .gpr ---

class gprreader {
  public:
    explicit gprreader(const std::string &text) : tok(tokens(text)) {}

    // The next value as a whole number in lo..hi; `what` names it.
    bool next(const std::string &what, long long lo, long long hi, long long *value) {
        if (pos == tok.size()) {
            long last = tok.empty() ? 1 : tok.back().line;
            why = at(last) + "expected " + what + ", found the end of the file";
            return false;
        }
        const token &t = tok[pos++];
        line = t.line;
        if (!whole(t.text, value)) {
            why = at(t.line) + "expected " + what + " (a whole number), found " + quoted(t.text);
            return false;
        }
        if (*value < lo || *value > hi) {
            why = at(t.line) + what + " is " + std::to_string(*value) + ", expected " +
                  std::to_string(lo) + " to " + std::to_string(hi);
            return false;
        }
        return true;
    }

    bool atend() {
        if (pos == tok.size()) return true;
        why = at(tok[pos].line) + "expected the end of the file after the last activity, found " +
              quoted(tok[pos].text);
        return false;
    }

    std::string why; // the reason of the last failure
    long line = 0;   // line of the last value read

  private:
    std::vector<token> tok;
    size_t pos = 0;
};

std::string readgpr(const std::string &text, rawinstance *in) {
    gprreader r(text);
    long long n, k, v;
    if (!r.next("the activity count", 2, INT32_MAX, &n) ||
        !r.next("the resource count", 0, INT32_MAX, &k))
        return r.why;
    in->n = (int)n;
    in->firstnumber = 1;
    for (long long j = 0; j < k; j++) {
        if (!r.next("the capacity of resource " + std::to_string(j + 1), 0, INT32_MAX, &v))
            return r.why;
        in->capacity.push_back(v);
    }
    for (int i = 0; i < n; i++) { // grows as it reads: a false count costs no memory
        std::string act = "activity " + std::to_string(i + 1);
        long long m;
        if (!r.next("the duration of " + act, INT32_MIN, INT32_MAX, &v)) return r.why;
        in->dur.push_back(v);
        in->demand.emplace_back();
        for (long long j = 0; j < k; j++) {
            if (!r.next("the demand of " + act + " for resource " + std::to_string(j + 1), 0,
                        INT32_MAX, &v))
                return r.why;
            in->demand.back().push_back(v);
        }
        if (!r.next("the successor count of " + act, 0, INT32_MAX, &m)) return r.why;
        for (long long e = 0; e < m; e++) {
            std::string entry = "entry " + std::to_string(e + 1) + " of " + act;
            rawrelation rel{i, 0, 0, 0, 0, 0};
            long long named;
            if (!r.next("the successor of " + entry, 1, n, &named)) return r.why;
            rel.named = (int)named - 1;
            rel.line = r.line;
            if (!r.next("the bound type of " + entry, INT32_MIN, INT32_MAX, &rel.bound) ||
                !r.next("the relation type of " + entry, INT32_MIN, INT32_MAX, &rel.type) ||
                !r.next("the lag of " + entry, INT32_MIN, INT32_MAX, &rel.lag))
                return r.why;
            in->relations.push_back(rel);
        }
    }
    return r.atend() ? "" : r.why;
}

// ----------------------------------------------------------------- .sch ---

// A ProGen/max file is read line by line: "n K 0 0", then n+2 lines
// "i 1 m s_1..s_m [l_1]..[l_m]" of minimal start-to-start lags, n+2 lines
// "i 1 d r_1..r_K", and the capacities (no line when K is 0).
class schreader {
  public:
    explicit schreader(const std::string &text) {
        long line = 0;
        std::vector<token> all = tokens(text);
        for (size_t k = 0; k < all.size(); k++) {
            if (k == 0 || all[k].line != line) {
                line = all[k].line;
                lines.emplace_back();
            }
            lines.back().push_back(all[k]);
        }
        last = all.empty() ? 1 : all.back().line;
    }

    // The next non-blank line with exactly `count` values, or at least
    // `count` when atleast; `what` names it.
    bool line(const std::string &what, size_t count, bool atleast, std::vector<token> *out) {
        if (next == lines.size()) {
            why = at(last + 1) + "expected " + what + ", found the end of the file";
            return false;
        }
        *out = lines[next++];
        if (out->size() == count || (atleast && out->size() > count)) return true;
        why = at(out->front().line) + what + " has " + std::to_string(out->size()) +
              " values, expected " + (atleast ? "at least " : "") + std::to_string(count);
        return false;
    }

    bool value(const token &t, const std::string &what, long long lo, long long hi, long long *v) {
        if (!whole(t.text, v)) {
            why = at(t.line) + what + " is " + quoted(t.text) + ", expected a whole number";
            return false;
        }
        if (*v < lo || *v > hi) {
            why = at(t.line) + what + " is " + std::to_string(*v) + ", expected " +
                  std::to_string(lo) + " to " + std::to_string(hi);
            return false;
        }
        return true;
    }

    bool atend() {
        if (next == lines.size()) return true;
        why = at(lines[next].front().line) + "expected the end of the file after the capacities";
        return false;
    }

    std::string why;

  private:
    std::vector<std::vector<token>> lines;
    size_t next = 0;
    long last = 1;
};

std::string readsch(const std::string &text, rawinstance *in) {
    schreader r(text);
    std::vector<token> l;
    long long real, k, v;
    if (!r.line("the header line \"n K 0 0\"", 4, false, &l) ||
        !r.value(l[0], "the number of real activities", 0, INT32_MAX - 2, &real) ||
        !r.value(l[1], "the number of resources", 0, INT32_MAX, &k) ||
        !r.value(l[2], "the number of non-renewable resources", 0, 0, &v) ||
        !r.value(l[3], "the number of doubly constrained resources", 0, 0, &v))
        return r.why;
    const int n = (int)real + 2;
    in->n = n;
    in->firstnumber = 0;
    for (int i = 0; i < n; i++) {
        std::string act = "activity " + std::to_string(i);
        long long m;
        if (!r.line("the relation line of " + act, 3, true, &l) ||
            !r.value(l[0], "the activity number", i, i, &v) ||
            !r.value(l[1], "the mode count of " + act, 1, 1, &v) ||
            !r.value(l[2], "the successor count of " + act, 0, n, &m))
            return r.why;
        if (l.size() != 3 + 2 * (size_t)m)
            return at(l[0].line) + "the relation line of " + act + " has " +
                   std::to_string(l.size()) + " values, expected " + std::to_string(3 + 2 * m) +
                   " for " + std::to_string(m) + " successors and their lags";
        for (long long e = 0; e < m; e++) {
            long long named, lag;
            const token &lagtok = l[3 + m + e];
            std::string what = "successor " + std::to_string(e + 1) + " of " + act;
            if (!r.value(l[3 + e], what, 0, n - 1, &named)) return r.why;
            const std::string &t = lagtok.text;
            if (t.size() < 3 || t.front() != '[' || t.back() != ']' ||
                !whole(t.substr(1, t.size() - 2), &lag))
                return at(lagtok.line) + "the lag of " + what + " is " + quoted(t) +
                       ", expected a whole number in brackets";
            in->relations.push_back({i, (int)named, 1, 1, lag, lagtok.line});
        }
    }
    for (int i = 0; i < n; i++) {
        std::string act = "activity " + std::to_string(i);
        if (!r.line("the duration line of " + act, 3 + (size_t)k, false, &l) ||
            !r.value(l[0], "the activity number", i, i, &v) ||
            !r.value(l[1], "the mode of " + act, 1, 1, &v) ||
            !r.value(l[2], "the duration of " + act, 0, INT32_MAX, &v))
            return r.why;
        in->dur.push_back(v);
        in->demand.emplace_back();
        for (long long j = 0; j < k; j++) {
            if (!r.value(l[3 + j],
                         "the demand of " + act + " for resource " + std::to_string(j + 1), 0,
                         INT32_MAX, &v))
                return r.why;
            in->demand.back().push_back(v);
        }
    }
    if (k > 0) {
        if (!r.line("the capacity line", (size_t)k, false, &l)) return r.why;
        for (long long j = 0; j < k; j++) {
            if (!r.value(l[j], "the capacity of resource " + std::to_string(j + 1), 0, INT32_MAX,
                         &v))
                return r.why;
            in->capacity.push_back(v);
        }
    }
    return r.atend() ? "" : r.why;
}

// ---------------------------------------------------------------- rules ---

const char *typename_(long long type) {
    static const char *names[] = {"SS", "SF", "FS", "FF"};
    return names[type - 1];
}

bool implies(const rawrelation &r) {
    return (r.bound == 1 || r.bound == 2) && r.type >= 1 && r.type <= 4;
}

} // namespace

std::string rawread(const std::string &text, rawformat format, rawinstance *out) {
    rawinstance in;
    in.format = format;
    std::string why = format == rawformat::gpr ? readgpr(text, &in) : readsch(text, &in);
    if (why.empty()) *out = std::move(in);
    return why;
}

std::string rawcheck(const rawinstance &in, long long deadline, const std::vector<long long> &start,
                     const std::vector<char> &postponed, const rawclaim *claim, bool boundall) {
    const int n = in.n, end = n - 1;
    auto name = [&in](int i) { return "activity " + std::to_string(i + in.firstnumber); };
    auto num = [](long long v) { return std::to_string(v); };
    auto away = [&postponed](int i) { return !postponed.empty() && postponed[i]; };

    // 1. the schedule's shape, the dummies
    if ((int)start.size() != n)
        return "the schedule has " + num((long long)start.size()) + " starts for " + num(n) +
               " activities";
    if (!postponed.empty() && (int)postponed.size() != n)
        return "the postponed mask has " + num((long long)postponed.size()) + " entries for " +
               num(n) + " activities";
    if (away(0) || away(end))
        return "the " + std::string(away(0) ? "start" : "end") + " dummy (" +
               name(away(0) ? 0 : end) + ") is postponed";
    if (start[0] != 0)
        return "the start dummy (" + name(0) + ") starts at " + num(start[0]) + ", not 0";

    // 2. every relation in its own terms
    for (const rawrelation &r : in.relations) {
        if (!implies(r)) continue;
        const int i = r.owner, j = r.named;
        const bool ifinish = r.type == 3 || r.type == 4, jfinish = r.type == 2 || r.type == 4;
        const std::string what = "line " + std::to_string(r.line) + ": the " +
                                 (r.bound == 1 ? "minimal " : "maximal ") + typename_(r.type) +
                                 " lag " + num(r.lag) + " from " + name(i) + " to " + name(j);
        if (away(i) && away(j)) continue;
        // A minimal lag holds j after i, a maximal one i after j.
        if (away(i) || away(j)) {
            int later = away(i) ? i : j, other = away(i) ? j : i;
            if ((r.bound == 1 && later == i) || (r.bound == 2 && later == j))
                return what + " bounds the postponed " + name(later) + " by " + name(other) +
                       ", which is not postponed";
            continue;
        }
        const long long pi = start[i] + (ifinish ? in.dur[i] : 0);
        const long long pj = start[j] + (jfinish ? in.dur[j] : 0);
        const std::string ipoint = std::string(ifinish ? "finish(" : "start(") +
                                   num(i + in.firstnumber) + ") = " + num(pi);
        const std::string jpoint = std::string(jfinish ? "finish(" : "start(") +
                                   num(j + in.firstnumber) + ") = " + num(pj);
        if (r.bound == 1 && pj < pi + r.lag)
            return what + " is broken: " + jpoint + " is before " + ipoint + " plus " + num(r.lag);
        if (r.bound == 2 && pj > pi + r.lag)
            return what + " is broken: " + jpoint + " is after " + ipoint + " plus " + num(r.lag);
    }

    // 3. the normalisation of the listed pairs: the line that lists each
    std::map<std::pair<int, int>, long> listed;
    for (const rawrelation &r : in.relations) {
        listed.emplace(std::make_pair(r.owner, r.named), r.line);
        if (r.bound == 2 && implies(r)) listed.emplace(std::make_pair(r.named, r.owner), r.line);
    }
    for (const auto &[pair, line] : listed) {
        const auto [a, b] = pair;
        if (a == 0 && b != 0 && !away(b) && start[b] < 0)
            return "line " + std::to_string(line) + ": " + name(b) + " starts at " + num(start[b]) +
                   ", before the start dummy, which the pair (" + num(a + in.firstnumber) + ", " +
                   num(b + in.firstnumber) + ") of this line ties it to";
        if (b == end && a != end && (away(a) || start[a] + in.dur[a] > start[end]))
            return "line " + std::to_string(line) + ": " + name(a) +
                   (away(a) ? " is postponed" : " finishes at " + num(start[a] + in.dur[a])) +
                   ", after the end dummy starts at " + num(start[end]) + ", which the pair (" +
                   num(a + in.firstnumber) + ", " + num(b + in.firstnumber) +
                   ") of this line ties it to";
    }

    // ... and of every pair, listed or not, under bound-all
    for (int i = 1; boundall && i < end; i++) {
        if (!away(i) && start[i] < 0)
            return name(i) + " starts at " + num(start[i]) +
                   ", before the start dummy, which bound-all ties every activity to";
        if (away(i) || start[i] + in.dur[i] > start[end])
            return name(i) +
                   (away(i) ? " is postponed" : " finishes at " + num(start[i] + in.dur[i])) +
                   ", after the end dummy starts at " + num(start[end]) +
                   ", which bound-all ties every activity to";
    }

    // 4. the deadline
    if (start[end] > deadline)
        return "the end dummy (" + name(end) + ") starts at " + num(start[end]) +
               ", after the deadline " + num(deadline);

    // 5. the resources: a sweep over the starts and finishes in time order
    // (a finish at t frees the units before a start at t takes them); the
    // first time a resource overflows is reported.
    struct event {
        long long t;
        int i;
        bool starts;
    };
    std::vector<event> events;
    for (int i = 0; i < n; i++)
        if (!away(i) && in.dur[i] > 0)
            events.push_back({start[i], i, true}),
                events.push_back({start[i] + in.dur[i], i, false});
    std::sort(events.begin(), events.end(), [](const event &a, const event &b) {
        return a.t != b.t ? a.t < b.t : a.starts < b.starts;
    });
    std::vector<long long> used(in.capacity.size(), 0);
    for (size_t e = 0; e < events.size(); e++) {
        for (size_t k = 0; k < used.size(); k++)
            used[k] += (events[e].starts ? 1 : -1) * in.demand[events[e].i][k];
        if (e + 1 < events.size() && events[e + 1].t == events[e].t) continue;
        const long long t = events[e].t;
        for (size_t k = 0; k < used.size(); k++) {
            if (used[k] <= in.capacity[k]) continue;
            std::string who;
            int named = 0, more = 0;
            for (int i = 0; i < n; i++)
                if (!away(i) && in.dur[i] > 0 && start[i] <= t && t < start[i] + in.dur[i] &&
                    in.demand[i][k] > 0) {
                    if (named++ < mostnamed)
                        who +=
                            (who.empty() ? "" : ", ") + name(i) + " needs " + num(in.demand[i][k]);
                    else
                        more++;
                }
            if (more > 0) who += ", and " + num(more) + " more";
            return "resource " + num((long long)k + 1) + " is used " + num(used[k]) + " at time " +
                   num(t) + ", more than its capacity " + num(in.capacity[k]) + " (" + who + ")";
        }
    }
    for (int i = 0; i < n; i++)
        for (size_t k = 0; away(i) && in.dur[i] > 0 && k < in.capacity.size(); k++)
            if (in.demand[i][k] > in.capacity[k])
                return "the postponed " + name(i) + " needs " + num(in.demand[i][k]) +
                       " units of resource " + num((long long)k + 1) + ", which has " +
                       num(in.capacity[k]);

    // 6. the claimed value
    if (claim != nullptr) {
        if ((int)claim->cashflows.size() != n)
            return "the claim has " + num((long long)claim->cashflows.size()) + " cash flows for " +
                   num(n) + " activities";
        long double npv = 0, size = 0;
        for (int i = 0; i < n; i++) {
            if (away(i) || claim->cashflows[i] == 0) continue;
            long double term = (long double)claim->cashflows[i] *
                               std::exp(-(long double)claim->interest * (start[i] + in.dur[i]));
            npv += term;
            size += std::fabs(term);
        }
        if (!(std::fabs((long double)claim->npv - npv) <= claimtolerance * size)) {
            char buf[160];
            std::snprintf(buf, sizeof buf,
                          "the claimed npv %.17g is not the schedule's %.17Lg (tolerance %.3Lg)",
                          claim->npv, npv, claimtolerance * size);
            return buf;
        }
    }
    return "";
}
