// The reader knows a section by its heading and a header line by its label,
// compared with the blanks of the line collapsed, so that the alignment of a
// file does not matter. Lines of asterisks separate sections; inside the
// lines of a section one stands where a job's line is expected, and is
// reported as such, with the count the header announced.
#include "format/smread.h"

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr int smmaxcount = INT32_MAX; // largest job or resource count

constexpr size_t headingcap = 64; // tokens kept of a heading or header line, more than any has

const char precedencehead[] = "PRECEDENCE RELATIONS:";
const char requesthead[] = "REQUESTS/DURATIONS:";
const char availhead[] = "RESOURCEAVAILABILITIES:";

bool separator(const textline &line) {
    return line.tok[0][0] == '*';
}

// The tokens of the line joined by single blanks.
std::string joined(const std::vector<std::string> &tok, size_t from = 0, size_t to = SIZE_MAX) {
    std::string s;
    for (size_t k = from; k < tok.size() && k < to; k++) s += (s.empty() ? "" : " ") + tok[k];
    return s;
}

// The line as a reason quotes it.
std::string shown(const textline &line) {
    return quotedtoken(joined(line.tok));
}

class smreader {
  public:
    smreader(const std::string &text, formaterror *err) : lines(text, err) {}

    textlines lines;

    // The next line that is not a separator; false at the end of the text.
    // Its tokens are kept up to headingcap: headings and header lines hold a
    // few.
    bool skipping(textline *line) {
        while (lines.more(line, headingcap))
            if (!separator(*line)) return true;
        return false;
    }
    // The next line of a section's data: a separator there is a defect.
    bool data(textline *line, const std::string &what) {
        if (!lines.next(line, what)) return false;
        if (separator(*line))
            return lines.fail(line->nr, "found a line of asterisks, expected " + what);
        return true;
    }
    // The heading of the next section.
    bool heading(const char *name, const std::string &after) {
        textline line;
        const std::string what = std::string("the section \"") + name + "\" after " + after;
        if (!skipping(&line))
            return lines.fail(lines.endline(), "the file ends here, expected " + what);
        if (joined(line.tok) != name)
            return lines.fail(line.nr, "found " + shown(line) + ", expected " + what);
        return true;
    }
    // A column header line, which starts with "jobnr".
    bool columns(const std::string &what) {
        textline line;
        if (!data(&line, what)) return false;
        if (line.tok[0].compare(0, 5, "jobnr") != 0)
            return lines.fail(line.nr, "found " + shown(line) + ", expected " + what);
        return true;
    }
};

// The text split at blanks; with dashes, the dashes of "- renewable" too.
std::vector<std::string> split(const std::string &text, bool dashes) {
    std::vector<std::string> tok;
    auto sep = [dashes](char c) {
        return c == ' ' || c == '\t' || c == '\r' || (dashes && c == '-');
    };
    for (size_t k = 0; k < text.size();) {
        while (k < text.size() && sep(text[k])) k++;
        size_t from = k;
        while (k < text.size() && !sep(text[k])) k++;
        if (k > from) tok.push_back(text.substr(from, k - from));
    }
    return tok;
}

// The number of a header line "label : N ...", a count lo..smmaxcount.
bool headercount(smreader &r, const textline &line, size_t colon, const std::string &what, int lo,
                 int *value) {
    textline v = line;
    v.tok = split(line.text.substr(colon + 1), false);
    return intfield(r.lines, v, 0, lo, smmaxcount, what, value);
}

// The header up to the precedence section: the job and resource counts,
// *nrres of every kind and *renewable of those kept.
bool readheader(smreader &r, int *jobs, long long *nrres, int *renewable) {
    int counts[3] = {-1, -1, -1}; // renewable, nonrenewable, doubly constrained
    static const char *const labels[3] = {"renewable", "nonrenewable", "doubly constrained"};
    static const char *const letters[3] = {"R", "N", "D"};
    *jobs = -1;
    textline line;
    for (;;) {
        if (!r.skipping(&line))
            return r.lines.fail(r.lines.endline(), std::string("the file ends here, expected the "
                                                               "section \"") +
                                                       precedencehead + "\"");
        const std::string all = joined(line.tok);
        if (all == precedencehead) break;
        if (all == requesthead || all == availhead)
            return r.lines.fail(line.nr, "found " + shown(line) + ", expected the section \"" +
                                             precedencehead + "\" first");
        size_t colon = line.text.find(':');
        if (colon == std::string::npos) continue;
        const std::string label = joined(split(line.text.substr(0, colon), true));
        if (label.compare(0, 4, "jobs") == 0) {
            if (!headercount(r, line, colon, "the number of jobs", 2, jobs)) return false;
            continue;
        }
        for (int k = 0; k < 3; k++)
            if (label == labels[k] &&
                !headercount(r, line, colon,
                             std::string("the number of ") + labels[k] + " resources", 0,
                             &counts[k]))
                return false;
    }
    if (*jobs < 0)
        return r.lines.fail(line.nr, std::string("found \"") + precedencehead +
                                         "\" before the header line \"jobs (incl. "
                                         "supersource/sink ): N\"");
    *nrres = 0;
    *renewable = counts[0];
    for (int k = 0; k < 3; k++) {
        if (counts[k] < 0)
            return r.lines.fail(line.nr, std::string("found \"") + precedencehead +
                                             "\" before the header line \"- " + labels[k] +
                                             " : N " + letters[k] + "\" of the RESOURCES block");
        *nrres += counts[k];
    }
    if (*nrres > smmaxcount)
        return r.lines.fail(line.nr, "the resources of the header add up to " +
                                         std::to_string(*nrres) + ", more than " +
                                         std::to_string(smmaxcount));
    return true;
}

// The job number and the mode that open the lines of both job sections.
bool jobat(smreader &r, const textline &line, int i, const std::string &what) {
    int v;
    if (!intfield(r.lines, line, 0, INT32_MIN, INT32_MAX, "the job number of " + what, &v))
        return false;
    if (v != i)
        return r.lines.fail(line.nr, "the job number is " + std::to_string(v) + ", expected " +
                                         std::to_string(i) + " (jobs must come in order)");
    return true;
}

bool readprecedences(smreader &r, gprinstance *g) {
    if (!r.columns("the column header \"jobnr. #modes #successors successors\"")) return false;
    std::unordered_set<int> named; // successors of the current job so far
    const std::string announced = " (the header announces " + std::to_string(g->nract) + " jobs)";
    for (int i = 1; i <= g->nract; i++) {
        textline line;
        const std::string job = "job " + std::to_string(i);
        const std::string what = "the precedence line of " + job;
        if (!r.data(&line, what + announced) || !jobat(r, line, i, what)) return false;
        int modes, m;
        if (!intfield(r.lines, line, 1, 0, INT32_MAX, "the mode count of " + job, &modes))
            return false;
        if (modes > 1)
            return r.lines.fail(line.nr, job + " has " + std::to_string(modes) +
                                             " modes: this is a multi-mode file, and only "
                                             "single-mode instances (one mode per job) are read");
        if (modes != 1)
            return r.lines.fail(line.nr, "the mode count of " + job + " is 0, expected 1");
        if (!intfield(r.lines, line, 2, 0, g->nract - 1, "the successor count of " + job, &m))
            return false;
        const size_t want = 3 + (size_t)m;
        if (line.tok.size() != want)
            return r.lines.fail(line.nr, what + " has " + std::to_string(line.tok.size()) +
                                             " values, expected " + std::to_string(want) + " for " +
                                             std::to_string(m) + " successors");
        named.clear();
        std::vector<gprentry> rec;
        for (int k = 1; k <= m; k++) {
            int s;
            const std::string entry = "successor " + std::to_string(k) + " of " + job;
            if (!intfield(r.lines, line, 2 + (size_t)k, 1, g->nract, entry, &s)) return false;
            if (s == i) return r.lines.fail(line.nr, entry + " is the job itself");
            if (!named.insert(s).second)
                return r.lines.fail(line.nr,
                                    entry + " (job " + std::to_string(s) + ") is listed twice");
            rec.push_back({s, gprcode(gprbound::minimal), gprcode(gprrel::fs), 0});
        }
        g->rec.push_back(std::move(rec));
    }
    return true;
}

bool readrequests(smreader &r, int nrres, int renewable, gprinstance *g) {
    if (!r.heading(requesthead, "the precedence lines of " + std::to_string(g->nract) + " jobs") ||
        !r.columns("the column header \"jobnr. mode duration R 1 ...\""))
        return false;
    textline line;
    if (!r.data(&line, "the dashed line under the column header")) return false;
    if (line.tok[0][0] != '-')
        return r.lines.fail(line.nr, "found " + shown(line) +
                                         ", expected the dashed line under the "
                                         "column header");
    const std::string announced = " (the header announces " + std::to_string(g->nract) + " jobs)";
    for (int i = 1; i <= g->nract; i++) {
        const std::string job = "job " + std::to_string(i);
        const std::string what = "the request line of " + job;
        if (!r.data(&line, what + announced) || !jobat(r, line, i, what)) return false;
        const size_t want = 3 + (size_t)nrres;
        if (line.tok.size() != want)
            return r.lines.fail(line.nr, what + " has " + std::to_string(line.tok.size()) +
                                             " values, expected " + std::to_string(want) +
                                             " (job, mode, duration and " + std::to_string(nrres) +
                                             " demands)");
        int mode, d;
        if (!intfield(r.lines, line, 1, INT32_MIN, INT32_MAX, "the mode of " + job, &mode))
            return false;
        if (mode != 1)
            return r.lines.fail(line.nr, "the mode of " + job + " is " + std::to_string(mode) +
                                             ", expected 1 (a single-mode file)");
        if (!intfield(r.lines, line, 2, 0, gprmaxmag, "the duration of " + job, &d)) return false;
        std::vector<int> demand(nrres);
        for (int k = 0; k < nrres; k++)
            if (!intfield(r.lines, line, 3 + (size_t)k, 0, INT32_MAX,
                          "demand " + std::to_string(k + 1) + " of " + job, &demand[k]))
                return false;
        demand.resize(renewable);
        g->dur.push_back(d);
        g->demand.push_back(std::move(demand));
    }
    return true;
}

bool readavailabilities(smreader &r, int nrres, int renewable, gprinstance *g) {
    if (!r.heading(availhead, "the request lines of " + std::to_string(g->nract) + " jobs"))
        return false;
    if (nrres == 0) return true; // no resources: the lines of names and of capacities are empty
    textline line;
    if (!r.data(&line, "the line of resource names")) return false;
    if (!r.data(&line, "the line of " + std::to_string(nrres) + " capacities")) return false;
    if (line.tok.size() != (size_t)nrres)
        return r.lines.fail(line.nr, "the capacity line has " + std::to_string(line.tok.size()) +
                                         " values, expected " + std::to_string(nrres));
    g->capacity.assign(nrres, 0);
    for (int k = 0; k < nrres; k++)
        if (!intfield(r.lines, line, (size_t)k, 0, INT32_MAX, "capacity " + std::to_string(k + 1),
                      &g->capacity[k]))
            return false;
    g->capacity.resize(renewable);
    return true;
}

} // namespace

bool readsm(const std::string &text, gprinstance *out, formaterror *err) {
    smreader r(text, err);
    gprinstance g;
    long long nrres = 0;
    int renewable = 0;
    if (!readheader(r, &g.nract, &nrres, &renewable) || !readprecedences(r, &g) ||
        !readrequests(r, (int)nrres, renewable, &g) ||
        !readavailabilities(r, (int)nrres, renewable, &g))
        return false;
    textline line;
    if (r.skipping(&line))
        return r.lines.fail(line.nr, "unexpected text " + shown(line) +
                                         " after the resource availabilities");
    *out = std::move(g);
    return true;
}
