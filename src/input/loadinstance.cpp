// An instance file is read twice. The first pass takes the durations and
// draws one cash flow per activity just before its record is read; the
// second builds the lists and the lag matrix. Two passes are needed because
// start-to-finish and finish-to-finish relations are converted with the
// duration of the named activity, whose record may come later in the file.
//
// Every relation becomes a minimal start-to-start lag; each entry raises one
// cell of lag to the larger of its value and the candidate. A maximal lag
// from i to s is a minimal lag from s back to i, so it fills lag[s][i] while
// the lists follow the record (s in i's successors). An arc acts only when
// its pair is listed, so after the second pass every maximal lag whose
// reverse pair is not listed yet gets it appended; without that the lag
// would never constrain a schedule.
//
// The first pass checks everything about the file's shape and values:
// tokens, counts, activity numbers, magnitudes, and how often an activity is
// named. It rejects a file at its first defect with the line and value
// ordinal of the defect, so no later step reads past a table. The bound of
// maxmag on durations and lag values keeps every converted lag within a few
// million, so the sums of the solver stay far from overflow.
#include "input/loadinstance.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>

#include "driver/reports.h"
#include "input/cashflow.h"
#include "input/gprtoken.h"
#include "network/bitrow.h"
#include "network/common_gpr.h"
#include "network/earlystarts.h"
#include "platform/files.h"

// Bit k of row i: entry k of activity i's successor row is a maximal lag
// with relation type 1 to 4, whose reverse pair must be listed.
static uint32_t maxentry[maxtab][maxlist / 32 + 1];

// What the value being read stands for; used only to word a rejection.
enum valuekind { vnract, vnrres, vheadres, vdur, vres, vcount, vsucc, vbound, vrel, vlag };

static valuekind curkind; // the value being read
static int curact;        // its activity in file numbering (from 1)
static int curitem;       // its entry or resource position (from 1)

static void describe(char *buf, size_t size) {
    switch (curkind) {
    case vnract:
        std::snprintf(buf, size, "the activity count");
        break;
    case vnrres:
        std::snprintf(buf, size, "the resource type count");
        break;
    case vheadres:
        std::snprintf(buf, size, "resource value %d of the header", curitem);
        break;
    case vdur:
        std::snprintf(buf, size, "the duration of activity %d", curact);
        break;
    case vres:
        std::snprintf(buf, size, "resource value %d of activity %d", curitem, curact);
        break;
    case vcount:
        std::snprintf(buf, size, "the successor count of activity %d", curact);
        break;
    case vsucc:
        std::snprintf(buf, size, "the successor number of entry %d of activity %d", curitem,
                      curact);
        break;
    case vbound:
        std::snprintf(buf, size, "the bound type of entry %d of activity %d", curitem, curact);
        break;
    case vrel:
        std::snprintf(buf, size, "the relation type of entry %d of activity %d", curitem, curact);
        break;
    case vlag:
        std::snprintf(buf, size, "the lag value of entry %d of activity %d", curitem, curact);
        break;
    }
}

// Closes the file and skips the problem as invalid; `where` adds the place
// of the last value read.
static int rejectwith(bool where, const char *fmt, va_list args) {
    char reason[256];
    std::vsnprintf(reason, sizeof reason, fmt, args);
    if (where)
        reportreason("line %d, value %ld: %s", tokline, toknr, reason);
    else
        reportreason("%s", reason);
    reportskip(skipinvalid);
    return 0;
}

static int rejectat(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
static int rejectat(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    rejectwith(true, fmt, args);
    va_end(args);
    return 0;
}

static int rejectfile(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
static int rejectfile(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    rejectwith(false, fmt, args);
    va_end(args);
    return 0;
}

// Reads the next value, described by kind, activity and item for a possible
// rejection. Returns 0 after rejecting the file.
static int readval(int *value, valuekind kind, int act = 0, int item = 0) {
    curkind = kind;
    curact = act;
    curitem = item;
    tokresult r = tokread(value);
    if (r == tokok) return 1;
    char what[96];
    describe(what, sizeof what);
    if (r == tokeof) return rejectat("expected %s, found the end of the file", what);
    if (r == tokbad)
        return rejectat("expected %s, found \"%s\", which is not a decimal integer", what,
                        toktext());
    return rejectat("%s is %s, which does not fit 32 bits", what, toktext());
}

// Reads a value that must lie in lo..hi.
static int readin(int *value, int lo, int hi, valuekind kind, int act = 0, int item = 0) {
    if (!readval(value, kind, act, item)) return 0;
    if (*value >= lo && *value <= hi) return 1;
    char what[96];
    describe(what, sizeof what);
    return rejectat("%s is %d, expected %d to %d", what, *value, lo, hi);
}

// Reads the header: activity count, resource type count and the ignored
// resource values. The activity limit maxact is tested by the caller.
static int readheader() {
    int n, r, scratch;
    if (!readval(&n, vnract)) return 0;
    if (n < 2) return rejectat("the activity count is %d; an instance needs both dummies", n);
    nract = n;
    if (!readval(&r, vnrres)) return 0;
    if (r < 0) return rejectat("the resource type count is %d, expected 0 or more", r);
    nrres = r;
    for (int k = 1; k <= nrres; k++)
        if (!readval(&scratch, vheadres, 0, k)) return 0;
    return 1;
}

// Reads the resource values of activity i's record and ignores them.
static int skipresources(int i) {
    int scratch;
    for (int k = 1; k <= nrres; k++)
        if (!readval(&scratch, vres, i + 1, k)) return 0;
    return 1;
}

// First pass: durations, cash flows, and the checks of every value. nrpred
// counts how often each activity is named so far.
static int firstpass() {
    for (int i = 0; i < nract; i++) nrpred[i] = 0;
    for (int i = 0; i < nract; i++) {
        gencf(i);
        if (!readin(&dur[i], -maxmag, maxmag, vdur, i + 1)) return 0;
        if (!skipresources(i)) return 0;
        int count, s, scratch, value;
        if (!readin(&count, 0, maxlist, vcount, i + 1)) return 0;
        for (int k = 1; k <= count; k++) {
            if (!readin(&s, 1, nract, vsucc, i + 1, k)) return 0;
            if (++nrpred[s - 1] > maxlist)
                return rejectat("activity %d is named as a successor more than %d times", s,
                                maxlist);
            if (!readval(&scratch, vbound, i + 1, k)) return 0;
            if (!readval(&scratch, vrel, i + 1, k)) return 0;
            if (!readin(&value, -maxmag, maxmag, vlag, i + 1, k)) return 0;
        }
    }
    return 1;
}

// The minimal start-to-start lag that one entry of activity i implies, for
// the cell lag[*from][*to]. Returns false for bound or relation types that
// imply none.
static bool convert(int i, int s, int bound, int relation, int value, int *from, int *to,
                    int *candidate) {
    if ((bound != 1 && bound != 2) || relation < 1 || relation > 4) return false;
    int shift = 0; // how the relation's end points move the lag to start-to-start
    if (relation == 2 || relation == 4) shift -= dur[s];
    if (relation == 3 || relation == 4) shift += dur[i];
    int minimal = value + shift; // |value|, |dur| <= maxmag, so no overflow
    if (bound == 1) {
        *from = i;
        *to = s;
        *candidate = minimal;
    } else {
        *from = s;
        *to = i;
        *candidate = -minimal;
    }
    return true;
}

// Resets the whole matrix, whatever the instance's size: nolag everywhere,
// 0 on the diagonal of rows 0..maxact-1. One row is filled and copied to the
// others, which costs a block copy per row instead of a store per cell.
static void resetlags() {
    std::fill(lag[0], lag[0] + maxtab, nolag);
    for (int i = 1; i < maxtab; i++) std::memcpy(lag[i], lag[0], sizeof lag[0]);
    for (int i = 0; i < maxact; i++) lag[i][i] = 0;
}

// Second pass: lists and lags, over the same bytes as the first pass, so
// every value is known to be valid; the checks stay as a safety net.
static int secondpass() {
    for (int i = 0; i < nract; i++) {
        int scratch, count;
        if (!readval(&scratch, vdur, i + 1)) return 0;
        if (!skipresources(i)) return 0;
        if (!readin(&count, 0, maxlist, vcount, i + 1)) return 0;
        nrsucc[i] = count;
        for (int k = 0; k < count; k++) {
            int s, bound, relation, value;
            if (!readin(&s, 1, nract, vsucc, i + 1, k + 1)) return 0;
            s -= 1;
            if (nrpred[s] >= maxlist)
                return rejectat("activity %d is named as a successor more than %d times", s + 1,
                                maxlist);
            succ[i][k] = s;
            pred[s][nrpred[s]++] = i;
            if (!readval(&bound, vbound, i + 1, k + 1)) return 0;
            if (!readval(&relation, vrel, i + 1, k + 1)) return 0;
            if (!readin(&value, -maxmag, maxmag, vlag, i + 1, k + 1)) return 0;
            int from, to, candidate;
            bool acts = convert(i, s, bound, relation, value, &from, &to, &candidate);
            if (acts && candidate > lag[from][to]) lag[from][to] = candidate;
            uint32_t bit = pow2[k & 31];
            if (acts && bound == 2)
                maxentry[i][k >> 5] |= bit;
            else
                maxentry[i][k >> 5] &= ~bit;
        }
    }
    return 1;
}

static bool listed(int i, int j) {
    for (int k = 0; k < nrsucc[i]; k++)
        if (succ[i][k] == j) return true;
    return false;
}

// Lists the reverse pair (s, i) of every maximal lag of i towards s, in
// reading order, unless s already lists i. Appended entries are no maximal
// lags of their own.
static int addreversepairs() {
    for (int i = 0; i < nract; i++) {
        for (int k = 0; k < nrsucc[i]; k++) {
            if ((maxentry[i][k >> 5] & pow2[k & 31]) == 0) continue;
            int s = succ[i][k];
            if (listed(s, i)) continue;
            if (nrsucc[s] >= maxlist || nrpred[i] >= maxlist)
                return rejectfile("the maximal lag of entry %d of activity %d needs the "
                                  "reverse arc %d->%d, but the lists of activity %d or %d are "
                                  "full (%d entries)",
                                  k + 1, i + 1, s + 1, i + 1, s + 1, i + 1, maxlist);
            int pos = nrsucc[s]++;
            succ[s][pos] = i;
            maxentry[s][pos >> 5] &= ~pow2[pos & 31];
            pred[i][nrpred[i]++] = s;
        }
    }
    return 1;
}

// The solve closes the network with the deadline arc, appending activity 0
// to the end dummy's successors and the end dummy to activity 0's
// predecessors; both rows need room for that entry.
static int checkdeadlineroom() {
    int end = nract - 1, others = 0;
    for (int k = 0; k < nrsucc[end]; k++) others += succ[end][k] != 0;
    if (others >= maxlist)
        return rejectfile("the end dummy (activity %d) lists %d successors besides activity 1, "
                          "which leaves no room for the deadline arc",
                          end + 1, others);
    others = 0;
    for (int k = 0; k < nrpred[0]; k++) others += pred[0][k] != end;
    if (others >= maxlist)
        return rejectfile("activity 1 is named by %d entries besides the end dummy, which "
                          "leaves no room for the deadline arc",
                          others);
    return 1;
}

// Reads the instance file whole into `bytes`; false after the skip line.
static bool readinstancefile(std::string *bytes) {
    int err;
    switch (readwhole(instname, bytes, &err)) {
    case readstatus::ok:
        return true;
    case readstatus::missing:
        reportskip(skipnotfound);
        return false;
    case readstatus::unopenable:
        reportreason("cannot open the file: %s", std::strerror(err));
        reportskip(skipnotfound);
        return false;
    case readstatus::notregular:
        reportreason("not a regular file");
        break;
    case readstatus::failed:
        reportreason("cannot read the file: %s", std::strerror(err));
        break;
    }
    reportskip(skipinvalid);
    return false;
}

// The lags that the normalisation may change: row 0 and the end dummy's
// column, kept so that a cycle can be traced to the file's own relations.
static int rawfromstart[maxtab], rawtoend[maxtab];

// Normalises the lags and computes the earliest starts. Returns false after
// the skip line when a cycle of positive length is reachable; its reason
// tells whether the relations as read hold it, or only together with the
// requirement that every activity lies within the project's start and end.
static bool temporalanalysis() {
    int end = nract - 1;
    for (int i = 0; i < nract; i++) {
        rawfromstart[i] = lag[0][i];
        rawtoend[i] = lag[i][end];
    }
    normalise();
    int cycle = earlystarts();
    if (cycle < 0) return true;
    for (int i = 0; i < nract; i++) {
        lag[0][i] = rawfromstart[i];
        lag[i][end] = rawtoend[i];
    }
    int rawcycle = earlystarts();
    if (rawcycle >= 0)
        reportcycle(rawcycle);
    else
        reportreason("no feasible schedule: a cycle of positive length keeps raising the start "
                     "of activity %d; it involves the requirement that every activity start "
                     "after the project start and finish by the project end",
                     cycle + 1);
    reportskip(skipinfeasible);
    return false;
}

// Activities only ever move later than their earliest starts, so no value
// the search forms exceeds the sum of the cash flows discounted from the
// earliest schedule. When an activity can start so long before the project
// that this sum leaves the range of a double, the values would become
// infinite and their sums undefined: such an instance cannot be represented.
static bool valuesfit() {
    double total = 0.0, largest = -1.0;
    int worst = 0;
    for (int i = 0; i < nract; i++) {
        if (cf[i] == 0 || st[i] == nostart) continue; // unreached: not connected later
        double exponent = -interest * (double)(st[i] + dur[i]);
        double term = exponent > maxexponent ? HUGE_VAL : std::fabs(cf[i]) * std::exp(exponent);
        total += term;
        if (term > largest) largest = term, worst = i;
    }
    if (total <= maxvalue) return true;
    rejectfile("the discounted cash flows leave the range of a double: activity %d can finish "
               "at %lld, where its discount factor is exp(%g)",
               worst + 1, (long long)(st[worst] + dur[worst]),
               -interest * (double)(st[worst] + dur[worst]));
    return false;
}

int loadinstance() {
    lcgseed(0);
    // Room for the prefix, every 32-bit number and ".gpr": the name is always whole.
    char number[12];
    std::snprintf(number, sizeof number, "%d", probnr);
    const int prefixroom = namesize - (int)sizeof number - 5;
    std::snprintf(instname, namesize, "%.*s%s", prefixroom, prefix, number);
    std::printf("\n %8s", instname);
    std::fflush(stdout);
    std::strcat(instname, ".gpr");

    std::string bytes;
    if (!readinstancefile(&bytes)) return 0;
    tokstart(bytes.data(), bytes.size());
    if (!readheader()) return 0;
    if (nract > maxact) {
        reportskip(skiptoomany);
        return 0;
    }
    filltables();
    if (!firstpass()) return 0;

    for (int i = nract - 1; i >= 0; i--) nrpred[i] = 0;
    tokstart(bytes.data(), bytes.size());
    if (!readheader()) return 0;
    resetlags();
    if (!secondpass()) return 0;
    if (!addreversepairs()) return 0;
    if (!checkdeadlineroom()) return 0;

    if (!temporalanalysis()) return 0;
    int end = nract - 1;
    if (st[end] == nostart) {
        reportreason("activities not connected: no chain of relations leads from the start "
                     "dummy to the end dummy (activity %d), so there is no critical path",
                     end + 1);
        reportskip(skipunlinked);
        return 0;
    }
    for (int i = 0; i < nract; i++) est[i] = st[i];
    if (!valuesfit()) return 0;
    // A deadline beyond the 32-bit range of a lag is taken at its limit.
    int64_t absolute = st[end] + (int64_t)dlextra;
    deadline = (int)std::max<int64_t>(-INT32_MAX, std::min<int64_t>(INT32_MAX, absolute));
    return 1;
}
