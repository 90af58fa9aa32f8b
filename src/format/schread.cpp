// The reader walks the text line by line and checks every value as it meets
// it, so a defect is reported at its own line. Nothing is sized from the
// header before the lines that it announces have been read: a header that
// claims two billion activities costs nothing until they arrive.
#include "format/schread.h"

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int schmaxcount = INT32_MAX; // largest activity, resource or successor count

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The token in quotes, cut and escaped as scherror promises.
std::string quoted(const std::string &t) {
    std::string s = "\"";
    char buf[8];
    for (size_t i = 0; i < t.size() && i < schshown; i++) {
        unsigned char c = (unsigned char)t[i];
        if (c >= ' ' && c < 0x7f && c != '\\') {
            s += (char)c;
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    if (t.size() > schshown) s += "...";
    return s + "\"";
}

constexpr size_t headervalues = 4; // values of the header line "n K 0 0"

// One non-blank line split into its tokens.
struct schline {
    long nr = 0;                  // its number in the file, from 1
    std::vector<std::string> tok; // its tokens, the first `cap` of them (see more)
    size_t count = 0;             // how many tokens the line holds
};

class schreader {
  public:
    schreader(const std::string &t, scherror *e) : text(t), err(e) {}

    // Reads the next non-blank line; false at the end of the text. Only the
    // first cap tokens are kept, all are counted: a line that holds far more
    // values than it may costs no memory before its count is checked.
    bool more(schline *line, size_t cap = SIZE_MAX) {
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            lineno++;
            line->nr = lineno;
            line->tok.clear();
            line->count = 0;
            for (size_t k = pos; k < end;) {
                while (k < end && blank(text[k])) k++;
                size_t from = k;
                while (k < end && !blank(text[k])) k++;
                if (k == from) continue;
                if (line->count++ < cap) line->tok.emplace_back(text, from, k - from);
            }
            pos = end + 1;
            if (line->count > 0) return true;
        }
        return false;
    }

    // Reads the next non-blank line; at the end of the text reports that
    // `what` was expected and returns false.
    bool next(schline *line, const std::string &what, size_t cap = SIZE_MAX) {
        return more(line, cap) || fail(lineno + 1, "the file ends here, expected " + what);
    }

    // Whether only blank lines are left; otherwise reports the next line as
    // unexpected text after `last`.
    bool atend(const std::string &last) {
        schline line;
        return !more(&line, 0) || fail(line.nr, "unexpected text after " + last);
    }

    bool fail(long line, const std::string &reason) {
        err->line = line;
        err->reason = reason;
        return false;
    }

  private:
    const std::string &text;
    scherror *err;
    size_t pos = 0;  // first byte of the next line
    long lineno = 0; // lines read so far
};

// A decimal integer token: an optional sign and digits, within 32 bits.
bool parseint(const std::string &t, long long *value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) negative = t[pos++] == '-';
    if (pos == t.size()) return false;
    long long magnitude = 0;
    for (; pos < t.size(); pos++) {
        if (t[pos] < '0' || t[pos] > '9') return false;
        magnitude = magnitude * 10 + (t[pos] - '0');
        if (magnitude > -(long long)INT32_MIN) return false;
    }
    if (!negative && magnitude > INT32_MAX) return false;
    *value = negative ? -magnitude : magnitude;
    return true;
}

std::string range(long long lo, long long hi) {
    return "expected " + std::to_string(lo) + " to " + std::to_string(hi);
}

// Reads token k of the line as an integer in lo..hi; `what` names it.
bool intat(schreader &r, const schline &line, size_t k, long long lo, long long hi,
           const std::string &what, int *value) {
    long long v;
    if (!parseint(line.tok[k], &v))
        return r.fail(line.nr, what + " is " + quoted(line.tok[k]) + ", not a 32-bit integer");
    if (v < lo || v > hi)
        return r.fail(line.nr, what + " is " + std::to_string(v) + ", " + range(lo, hi));
    *value = (int)v;
    return true;
}

// Reads token k as a bracketed lag "[l]" with |l| <= gprmaxmag.
bool lagat(schreader &r, const schline &line, size_t k, const std::string &what, int *value) {
    const std::string &t = line.tok[k];
    long long v;
    if (t.size() < 3 || t.front() != '[' || t.back() != ']')
        return r.fail(line.nr, what + " is " + quoted(t) + ", expected an integer in brackets");
    if (!parseint(t.substr(1, t.size() - 2), &v))
        return r.fail(line.nr, what + " is " + quoted(t) + ", not a 32-bit integer in brackets");
    if (v < -gprmaxmag || v > gprmaxmag)
        return r.fail(line.nr,
                      what + " is " + std::to_string(v) + ", " + range(-gprmaxmag, gprmaxmag));
    *value = (int)v;
    return true;
}

// The activity number and the mode field that open the lines of both
// activity sections.
bool activityat(schreader &r, const schline &line, int i, const char *modewhat) {
    int v;
    if (!intat(r, line, 0, INT32_MIN, INT32_MAX, "the activity number", &v)) return false;
    if (v != i)
        return r.fail(line.nr, "the activity number is " + std::to_string(v) + ", expected " +
                                   std::to_string(i) + " (activities must come in order)");
    if (!intat(r, line, 1, INT32_MIN, INT32_MAX, modewhat, &v)) return false;
    if (v != 1)
        return r.fail(line.nr, std::string(modewhat) + " is " + std::to_string(v) +
                                   ", expected 1 (only single-mode instances are supported)");
    return true;
}

// The header; sets the activity count (dummies included) and the resource
// count.
bool readheader(schreader &r, int *nract, int *nrres) {
    schline line;
    if (!r.next(&line, "the header line \"n K 0 0\"", headervalues)) return false;
    if (line.count != headervalues)
        return r.fail(line.nr, "the header has " + std::to_string(line.count) +
                                   " values, expected 4 (\"n K 0 0\")");
    int n, nonren, doubly;
    if (!intat(r, line, 0, 0, schmaxcount - 2, "the number of real activities", &n) ||
        !intat(r, line, 1, 0, schmaxcount, "the number of renewable resources", nrres) ||
        !intat(r, line, 2, INT32_MIN, INT32_MAX, "the number of non-renewable resources",
               &nonren) ||
        !intat(r, line, 3, INT32_MIN, INT32_MAX, "the number of doubly constrained resources",
               &doubly))
        return false;
    if (nonren != 0 || doubly != 0)
        return r.fail(line.nr, "the header names " + std::to_string(nonren) +
                                   " non-renewable and " + std::to_string(doubly) +
                                   " doubly constrained resources; only renewable resources "
                                   "are supported (expected \"n K 0 0\")");
    *nract = n + 2;
    return true;
}

bool readrelations(schreader &r, gprinstance *g) {
    std::unordered_set<int> named; // successors of the current line so far
    for (int i = 0; i < g->nract; i++) {
        schline line;
        std::string act = "activity " + std::to_string(i);
        // At most every other activity as a successor, with its lag.
        if (!r.next(&line, "the relation line of " + act, 3 + 2 * (size_t)g->nract)) return false;
        if (line.count < 3)
            return r.fail(line.nr, "the relation line of " + act + " has " +
                                       std::to_string(line.count) +
                                       " values, expected at least 3 (\"i 1 m ...\")");
        if (!activityat(r, line, i, "the mode count")) return false;
        int m;
        if (!intat(r, line, 2, 0, g->nract - 1, "the successor count", &m)) return false;
        size_t want = 3 + 2 * (size_t)m;
        if (line.count != want)
            return r.fail(line.nr, "the relation line of " + act + " has " +
                                       std::to_string(line.count) + " values, expected " +
                                       std::to_string(want) + " for " + std::to_string(m) +
                                       " successors and their lags");
        named.clear();
        std::vector<gprentry> rec;
        for (int k = 0; k < m; k++) {
            int s, lag;
            std::string entry = "successor " + std::to_string(k + 1);
            if (!intat(r, line, 3 + k, 0, g->nract - 1, entry, &s)) return false;
            if (s == i) return r.fail(line.nr, entry + " is the activity itself");
            if (!named.insert(s).second)
                return r.fail(line.nr,
                              entry + " (activity " + std::to_string(s) + ") is listed twice");
            if (!lagat(r, line, 3 + (size_t)m + k, "the lag of " + entry, &lag)) return false;
            rec.push_back({s + 1, gprcode(gprbound::minimal), gprcode(gprrel::ss), lag});
        }
        g->rec.push_back(std::move(rec));
    }
    return true;
}

bool readdurations(schreader &r, int nrres, gprinstance *g) {
    for (int i = 0; i < g->nract; i++) {
        schline line;
        std::string act = "activity " + std::to_string(i);
        size_t want = 3 + (size_t)nrres;
        if (!r.next(&line, "the duration line of " + act, want)) return false;
        if (line.count != want)
            return r.fail(line.nr, "the duration line of " + act + " has " +
                                       std::to_string(line.count) + " values, expected " +
                                       std::to_string(want) + " (\"i 1 d\" and " +
                                       std::to_string(nrres) + " demands)");
        if (!activityat(r, line, i, "the mode number")) return false;
        int d;
        if (!intat(r, line, 2, 0, gprmaxmag, "the duration", &d)) return false;
        std::vector<int> demand(nrres);
        for (int k = 0; k < nrres; k++)
            if (!intat(r, line, 3 + (size_t)k, 0, INT32_MAX, "demand " + std::to_string(k + 1),
                       &demand[k]))
                return false;
        g->dur.push_back(d);
        g->demand.push_back(std::move(demand));
    }
    return true;
}

bool readcapacities(schreader &r, int nrres, gprinstance *g) {
    if (nrres == 0) return true; // no resources, no capacity line
    schline line;
    if (!r.next(&line, "the capacity line", (size_t)nrres)) return false;
    if (line.count != (size_t)nrres)
        return r.fail(line.nr, "the capacity line has " + std::to_string(line.count) +
                                   " values, expected " + std::to_string(nrres));
    g->capacity.assign(nrres, 0);
    for (int k = 0; k < nrres; k++)
        if (!intat(r, line, k, 0, INT32_MAX, "capacity " + std::to_string(k + 1), &g->capacity[k]))
            return false;
    return true;
}

} // namespace

bool readsch(const std::string &text, gprinstance *out, scherror *err) {
    schreader r(text, err);
    gprinstance g;
    int nrres = 0;
    if (!readheader(r, &g.nract, &nrres) || !readrelations(r, &g) || !readdurations(r, nrres, &g) ||
        !readcapacities(r, nrres, &g))
        return false;
    std::string last = nrres > 0 ? "the capacity line"
                                 : "the duration lines (there is no capacity line without "
                                   "resources)";
    if (!r.atend(last)) return false;
    *out = std::move(g);
    return true;
}

bool readsch(std::istream &in, gprinstance *out, scherror *err) {
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return readsch(text, out, err);
}
