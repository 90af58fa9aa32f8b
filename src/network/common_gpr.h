// Shared state of the solver: every table, limit and run parameter that more
// than one step of the algorithm reads or writes. All tables have a fixed
// capacity, live for the whole run, start zeroed, and are overwritten instance
// by instance; nothing is allocated while an instance is loaded or solved.
//
// Activities are numbered 0..nract-1 in memory (0 is the start dummy, nract-1
// the end dummy) and 1..nract in the instance file. Times are in the
// instance's own time units.
#ifndef MAXNPV_COMMON_GPR_H
#define MAXNPV_COMMON_GPR_H

#include <cstdint>
#include <cstdio>

class recordfile;

// ---------------------------------------------------------------- limits ---

constexpr int maxact = 1000;         // most activities of one instance, dummies included
constexpr int maxtab = maxact + 1;   // entries of every per-activity table (0..1000)
constexpr int maxlist = 1000;        // entries of one successor or predecessor row
constexpr int maxbin = 33;           // most 32-bit words of a bit-set row in use
constexpr int binwords = maxbin + 1; // words stored per bit-set row
constexpr int msbsize = 65536;       // entries of msbtab, one per 16-bit value
constexpr int maxmag = 1000000;      // largest magnitude of a duration or lag value in a file
constexpr int namesize = 52;         // text fields for file names, terminator included
constexpr double maxexponent = 700;  // largest discount exponent whose exp() is a finite double
constexpr double maxvalue = 1e300;   // largest total of discounted cash flows a solve accepts

// ------------------------------------------------------------- sentinels ---

constexpr int nolag = INT32_MIN;         // lag cell that no relation gave a lag: no arc
constexpr int64_t nostart = INT64_MIN;   // start of an activity that no chain of arcs reaches
constexpr double restartsig = -999999.0; // search pass result: one subtree was moved
constexpr double negtol = -1e-05;        // a subtree value below this counts as negative
constexpr int64_t noshift = 999999;      // bestshift before any leaving arc is found

// --------------------------------------------------- instance and network ---

extern int nract;    // activities of the current instance, both dummies included (2..maxact)
extern int nrres;    // resource types in the header; their values are read and ignored
extern int nrbin;    // words in use per bit-set row: nract/32 rounded up (1..32)
extern int deadline; // absolute project deadline, time units (critical path + dlextra)
extern int level;    // depth of the running search call; 0 before a pass (0..maxact)
extern int nrits;    // search passes made for the current instance, the last one included
extern double npv;   // net present value returned by the last search pass, money units

extern int dur[maxtab];      // duration of activity i, time units; i = 0..nract-1
extern int cf[maxtab];       // cash flow of activity i, money units (-500..500, 0 for dummies)
extern int64_t st[maxtab];   // start time of activity i, time units; nostart = not reached
extern int64_t est[maxtab];  // earliest start of activity i on the normalised lags; nostart = none
extern bool dropped[maxtab]; // activity i was moved without limit: out of the tree and the npv
extern double dcf[maxtab];   // cf[i] discounted from the completion at st[i], money units

extern int lag[maxtab][maxtab]; // minimal start-to-start lag from i to j, time units; nolag = none
extern int succ[maxtab][maxlist]; // row i: listed successors of i, 0-based, in file order
extern int nrsucc[maxtab];        // valid entries of succ row i (0..maxlist)
extern int pred[maxtab][maxlist]; // row j: activities whose successor row names j, reading order
extern int nrpred[maxtab];        // valid entries of pred row j (0..maxlist)

// --------------------------------------------------------- bit-set rows ---
// Activity a is bit a & 31 of word a >> 5; only words 0..nrbin-1 are used.

extern uint32_t treesucc[maxtab][binwords]; // row i, bit j: i->j is an arc of the spanning tree
extern uint32_t levelset[maxtab][binwords]; // row d: set gathered by the search call at depth d
extern uint32_t visited[binwords];          // activities entered in the current search pass
extern uint32_t pow2[maxtab];               // entry k < 32: the word with only bit k set; else 0
extern int msbtab[msbsize];                 // entry x: index of the highest set bit of x (0 for 0)

// ------------------------------------------------------------ shift step ---

extern int64_t bestshift; // smallest slack of an arc leaving the set being moved, time units
extern int bestfrom;      // from-activity of the arc giving bestshift; -1 while none is found
extern int bestto;        // to-activity of the arc giving bestshift

// ------------------------------------------------------ cash-flow draws ---

extern uint32_t lcgstate; // state of the linear congruential generator, seeded per load

// ----------------------------------------------- run and current problem ---

extern int firstprob;         // first problem number of the range (console)
extern int lastprob;          // last problem number of the range, inclusive (console)
extern int pctneg;            // percentage of negative cash flows (console; not range-checked)
extern int dlextra;           // deadline slack above the critical path length, time units (console)
extern double interest;       // continuous discount rate per time unit (console)
extern char prefix[namesize]; // instance file-name prefix, always "D"
extern int probnr;            // number of the problem being processed
extern char outname[namesize];  // result file name, "output.txt"
extern char instname[namesize]; // file name of the current instance, e.g. "D7.gpr"
extern recordfile *outfile;     // "output.txt", open for the whole run
extern recordfile *infofile;    // "info.out", open for the whole run
extern int starttime;           // clock reading just before the solve cycle, milliseconds
extern float elapsed;           // solve time of the current problem, seconds

// ---------------------------------------------------- time statistics ---

extern float sumtime; // sum of the solve times of solved problems, seconds
extern double sumsq;  // sum of the squared solve times, seconds squared
extern int nrsolved;  // number of solved problems (calls of reportresult)
extern float avgtime; // average solve time, seconds; set by reportstats
extern double stddev; // sample standard deviation of the solve times, seconds

// ------------------------------------------------------------- assertion ---
// Reports "Assertion failed: <expression>, file <source>, line <n>" on the
// standard error stream and aborts the process.

[[noreturn]] void gprassertfail(const char *expr, const char *file, int line);
#define GPR_ASSERT(e) ((e) ? (void)0 : gprassertfail(#e, __FILE__, __LINE__))

// True when the listed pair (i, j) is an arc: some relation gave it a lag.
inline bool acts(int i, int j) {
    return lag[i][j] != nolag;
}

// The per-solve reset: clears the counters, fixes nrbin, puts every activity
// back at its earliest start, undrops all, and empties the levelset and
// treesucc rows of the instance.
void resetsolve();

#endif
