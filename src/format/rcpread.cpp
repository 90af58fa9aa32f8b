// The format has no line structure, so the reader takes the values one by
// one from the lines and names each by its role ("the successor count of
// activity 3"); a defect is reported at the line of the value. Records are
// appended as they are read, so a count that the file does not back with
// values costs no memory.
#include "format/rcpread.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int rcpmaxcount = INT32_MAX; // largest activity or resource count

// The values of the file one by one, with the line each stands on. They are
// taken from the text one at a time, never a whole line at once: a line of
// millions of values costs no memory beyond the value read.
class values {
  public:
    values(const std::string &t, formaterror *err) : text(t), lines(t, err) {}

    // The next value as an integer in lo..hi; `what` names it.
    bool next(const std::string &what, long long lo, long long hi, int *v) {
        if (!token()) return lines.fail(endline(), "the file ends here, expected " + what);
        return intfield(lines, cur, 0, lo, hi, what, v);
    }
    // Whether the values are used up; otherwise reports the next one.
    bool atend(const std::string &last) {
        if (!token()) return true;
        return lines.fail(cur.nr, "unexpected text " + quotedtoken(cur.tok[0]) + " after " + last);
    }
    bool fail(const std::string &reason) { return lines.fail(cur.nr, reason); }

  private:
    const std::string &text;
    textlines lines; // for its reports only
    textline cur;    // the line of the last value, that value its only token
    size_t pos = 0;  // next byte of the text
    long line = 1;   // the line of pos, from 1

    static bool blank(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    // Moves the next value into cur; false at the end of the text.
    bool token() {
        while (pos < text.size() && blank(text[pos])) line += text[pos++] == '\n';
        if (pos == text.size()) return false;
        const size_t from = pos;
        while (pos < text.size() && !blank(text[pos])) pos++;
        cur.nr = line;
        cur.tok.assign(1, text.substr(from, pos - from));
        return true;
    }
    // One past the last line of the text, as a report at its end names it.
    long endline() const {
        const long ends = (long)std::count(text.begin(), text.end(), '\n');
        return ends + (!text.empty() && text.back() != '\n' ? 1 : 0) + 1;
    }
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
