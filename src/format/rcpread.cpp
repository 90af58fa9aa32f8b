// The format has no line structure, so the reader takes the values one by
// one from the lines and names each by its role ("the successor count of
// activity 3"); a defect is reported at the line of the value. Records are
// appended as they are read, so a count that the file does not back with
// values costs no memory.
#include "format/rcpread.h"

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int rcpmaxcount = INT32_MAX; // largest activity or resource count

// The values of the file one by one, with the line each stands on.
class values {
  public:
    values(const std::string &text, formaterror *err) : lines(text, err) {}

    // The next value as an integer in lo..hi; `what` names it.
    bool next(const std::string &what, long long lo, long long hi, int *v) {
        while (at >= cur.tok.size()) {
            if (!lines.next(&cur, what)) return false;
            at = 0;
        }
        return intfield(lines, cur, at++, lo, hi, what, v);
    }
    // Whether the values are used up; otherwise reports the next one.
    bool atend(const std::string &last) {
        if (at >= cur.tok.size()) {
            if (!lines.more(&cur)) return true;
            at = 0;
        }
        return lines.fail(cur.nr, "unexpected text " + quotedtoken(cur.tok[at]) + " after " + last);
    }
    bool fail(const std::string &reason) { return lines.fail(cur.nr, reason); }

  private:
    textlines lines;
    textline cur;
    size_t at = 0; // next token of cur
};

} // namespace

bool readrcp(const std::string &text, gprinstance *out, formaterror *err) {
    values v(text, err);
    gprinstance g;
    int n, nrres;
    if (!v.next("the number of activities", 2, rcpmaxcount, &n) ||
        !v.next("the number of resources", 0, rcpmaxcount, &nrres))
        return false;
    g.nract = n;
    for (int k = 0; k < nrres; k++) {
        int c;
        if (!v.next("capacity " + std::to_string(k + 1), 0, INT32_MAX, &c)) return false;
        g.capacity.push_back(c);
    }
    std::unordered_set<int> named; // successors of the current activity so far
    for (int i = 1; i <= n; i++) {
        const std::string act = " of activity " + std::to_string(i);
        int d, m;
        if (!v.next("the duration" + act, 0, gprmaxmag, &d)) return false;
        std::vector<int> demand;
        for (int k = 0; k < nrres; k++) {
            int r;
            if (!v.next("demand " + std::to_string(k + 1) + act, 0, INT32_MAX, &r)) return false;
            demand.push_back(r);
        }
        if (!v.next("the successor count" + act, 0, n - 1, &m)) return false;
        named.clear();
        std::vector<gprentry> rec;
        for (int k = 1; k <= m; k++) {
            int s;
            const std::string entry = "successor " + std::to_string(k) + act;
            if (!v.next(entry, 1, n, &s)) return false;
            if (s == i) return v.fail(entry + " is the activity itself");
            if (!named.insert(s).second)
                return v.fail(entry + " (activity " + std::to_string(s) + ") is listed twice");
            rec.push_back({s, gprcode(gprbound::minimal), gprcode(gprrel::fs), 0});
        }
        g.dur.push_back(d);
        g.demand.push_back(std::move(demand));
        g.rec.push_back(std::move(rec));
    }
    if (!v.atend("the last activity (activity " + std::to_string(n) + ")")) return false;
    *out = std::move(g);
    return true;
}
