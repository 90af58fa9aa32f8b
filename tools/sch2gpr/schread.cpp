// The reader takes the file line by line and checks every value as it meets
// it, so a defect is reported at its own line. Beyond the shape of the
// format it enforces what the solver needs: at most schmaxact activities,
// durations and lags of magnitude at most schmaxmag, no negative duration,
// demand or capacity, and successor lists without the activity itself and
// without repeats. The last two keep every list and every count of the .gpr
// file below the solver's limit of 1000 entries.
#include "schread.h"

#include <cctype>
#include <cstdint>
#include <sstream>

namespace {

// One non-blank line split into its tokens.
struct schline {
    int nr = 0;
    std::vector<std::string> tok;
};

class schreader {
  public:
    schreader(std::istream &in, scherror &err) : in(in), err(err) {}

    // Reads the next non-blank line; at the end of the file reports that
    // `what` was expected and returns false.
    bool next(schline &line, const std::string &what) {
        std::string text;
        while (std::getline(in, text)) {
            lineno++;
            line.nr = lineno;
            line.tok.clear();
            std::istringstream words(text);
            std::string w;
            while (words >> w) line.tok.push_back(w);
            if (!line.tok.empty()) return true;
        }
        return fail(lineno + 1, "the file ends here, expected " + what);
    }

    // Whether only blank lines are left; otherwise reports the next line.
    bool atend() {
        std::string text;
        while (std::getline(in, text)) {
            lineno++;
            for (char c : text)
                if (!std::isspace((unsigned char)c))
                    return fail(lineno, "unexpected text after the capacity line");
        }
        return true;
    }

    bool fail(int line, const std::string &reason) {
        err.line = line;
        err.reason = reason;
        return false;
    }

  private:
    std::istream &in;
    scherror &err;
    int lineno = 0;
};

// A decimal integer token: an optional sign and digits, within 32 bits.
bool parseint(const std::string &t, long *value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) negative = t[pos++] == '-';
    if (pos == t.size()) return false;
    int64_t magnitude = 0;
    for (; pos < t.size(); pos++) {
        if (t[pos] < '0' || t[pos] > '9') return false;
        magnitude = magnitude * 10 + (t[pos] - '0');
        if (magnitude > ((int64_t)1 << 31)) return false;
    }
    if (!negative && magnitude > INT32_MAX) return false;
    *value = (long)(negative ? -magnitude : magnitude);
    return true;
}

// Reads token k of the line as an integer in lo..hi; `what` names it.
bool intat(schreader &r, const schline &line, size_t k, long lo, long hi, const std::string &what,
           long *value) {
    if (!parseint(line.tok[k], value))
        return r.fail(line.nr, what + " is \"" + line.tok[k] + "\", not a 32-bit integer");
    if (*value < lo || *value > hi)
        return r.fail(line.nr, what + " is " + std::to_string(*value) + ", expected " +
                                   std::to_string(lo) + " to " + std::to_string(hi));
    return true;
}

// Reads token k as a bracketed lag "[l]" with |l| <= schmaxmag.
bool lagat(schreader &r, const schline &line, size_t k, const std::string &what, long *value) {
    const std::string &t = line.tok[k];
    if (t.size() < 3 || t.front() != '[' || t.back() != ']')
        return r.fail(line.nr, what + " is \"" + t + "\", expected an integer in brackets");
    if (!parseint(t.substr(1, t.size() - 2), value))
        return r.fail(line.nr, what + " is \"" + t + "\", not a 32-bit integer in brackets");
    if (*value < -schmaxmag || *value > schmaxmag)
        return r.fail(line.nr, what + " is " + std::to_string(*value) + ", expected -" +
                                   std::to_string(schmaxmag) + " to " + std::to_string(schmaxmag));
    return true;
}

// The activity number and the mode field that open the lines of both
// activity sections.
bool activityat(schreader &r, const schline &line, int i, const char *modewhat) {
    long v;
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

bool readheader(schreader &r, schinst &inst) {
    schline line;
    if (!r.next(line, "the header line \"n K 0 0\"")) return false;
    if (line.tok.size() != 4)
        return r.fail(line.nr, "the header has " + std::to_string(line.tok.size()) +
                                   " values, expected 4 (\"n K 0 0\")");
    long n, k, nonren, doubly;
    if (!intat(r, line, 0, 0, schmaxact - 2, "the number of real activities", &n)) return false;
    if (!intat(r, line, 1, 0, INT32_MAX, "the number of renewable resources", &k)) return false;
    if (!intat(r, line, 2, INT32_MIN, INT32_MAX, "the number of non-renewable resources",
               &nonren) ||
        !intat(r, line, 3, INT32_MIN, INT32_MAX, "the number of doubly constrained resources",
               &doubly))
        return false;
    if (nonren != 0 || doubly != 0)
        return r.fail(line.nr, "the header names " + std::to_string(nonren) +
                                   " non-renewable and " + std::to_string(doubly) +
                                   " doubly constrained resources; only renewable resources "
                                   "are supported (expected \"n K 0 0\")");
    inst.nrreal = (int)n;
    inst.nrres = (int)k;
    return true;
}

bool readrelations(schreader &r, schinst &inst) {
    int nract = inst.nrreal + 2;
    inst.succ.assign(nract, {});
    for (int i = 0; i < nract; i++) {
        schline line;
        std::string act = "activity " + std::to_string(i);
        if (!r.next(line, "the relation line of " + act)) return false;
        if (line.tok.size() < 3)
            return r.fail(line.nr, "the relation line of " + act + " has " +
                                       std::to_string(line.tok.size()) +
                                       " values, expected at least 3 (\"i 1 m ...\")");
        if (!activityat(r, line, i, "the mode count")) return false;
        long m;
        if (!intat(r, line, 2, 0, nract - 1, "the successor count", &m)) return false;
        size_t want = 3 + 2 * (size_t)m;
        if (line.tok.size() != want)
            return r.fail(line.nr, "the relation line of " + act + " has " +
                                       std::to_string(line.tok.size()) + " values, expected " +
                                       std::to_string(want) + " for " + std::to_string(m) +
                                       " successors and their lags");
        std::vector<bool> named(nract, false);
        for (long k = 0; k < m; k++) {
            long s, l;
            std::string entry = "successor " + std::to_string(k + 1);
            if (!intat(r, line, 3 + k, 0, nract - 1, entry, &s)) return false;
            if (s == i) return r.fail(line.nr, entry + " is the activity itself");
            if (named[s])
                return r.fail(line.nr,
                              entry + " (activity " + std::to_string(s) + ") is listed twice");
            named[s] = true;
            if (!lagat(r, line, 3 + m + k, "the lag of " + entry, &l)) return false;
            inst.succ[i].push_back({(int)s, (int)l});
        }
    }
    return true;
}

bool readdurations(schreader &r, schinst &inst) {
    int nract = inst.nrreal + 2;
    inst.dur.assign(nract, 0);
    inst.demand.assign(nract, {});
    for (int i = 0; i < nract; i++) {
        schline line;
        std::string act = "activity " + std::to_string(i);
        if (!r.next(line, "the duration line of " + act)) return false;
        size_t want = 3 + (size_t)inst.nrres;
        if (line.tok.size() != want)
            return r.fail(line.nr, "the duration line of " + act + " has " +
                                       std::to_string(line.tok.size()) + " values, expected " +
                                       std::to_string(want) + " (\"i 1 d\" and " +
                                       std::to_string(inst.nrres) + " demands)");
        if (!activityat(r, line, i, "the mode number")) return false;
        long d;
        if (!intat(r, line, 2, 0, schmaxmag, "the duration", &d)) return false;
        inst.dur[i] = (int)d;
        for (int k = 0; k < inst.nrres; k++) {
            long v;
            if (!intat(r, line, 3 + k, 0, INT32_MAX, "demand " + std::to_string(k + 1), &v))
                return false;
            inst.demand[i].push_back(v);
        }
    }
    return true;
}

bool readcapacities(schreader &r, schinst &inst) {
    inst.capacity.clear();
    if (inst.nrres == 0) return true; // no resources, no capacity line
    schline line;
    if (!r.next(line, "the capacity line")) return false;
    if (line.tok.size() != (size_t)inst.nrres)
        return r.fail(line.nr, "the capacity line has " + std::to_string(line.tok.size()) +
                                   " values, expected " + std::to_string(inst.nrres));
    for (int k = 0; k < inst.nrres; k++) {
        long v;
        if (!intat(r, line, k, 0, INT32_MAX, "capacity " + std::to_string(k + 1), &v)) return false;
        inst.capacity.push_back(v);
    }
    return true;
}

} // namespace

bool readsch(std::istream &in, schinst &inst, scherror &err) {
    schreader r(in, err);
    return readheader(r, inst) && readrelations(r, inst) && readdurations(r, inst) &&
           readcapacities(r, inst) && r.atend();
}

std::string writegpr(const schinst &inst) {
    std::ostringstream out;
    int nract = inst.nrreal + 2;
    out << nract << ' ' << inst.nrres;
    for (long c : inst.capacity) out << ' ' << c;
    out << '\n';
    for (int i = 0; i < nract; i++) {
        out << inst.dur[i];
        for (long r : inst.demand[i]) out << ' ' << r;
        out << ' ' << inst.succ[i].size();
        for (const scharc &a : inst.succ[i]) out << "  " << a.to + 1 << " 1 1 " << a.lag;
        out << '\n';
    }
    return out.str();
}
