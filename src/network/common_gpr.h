// Shared state of the solver: the network of one instance as it is loaded,
// and the state of one solve of it. Every step of the algorithm reads and
// writes these two structs; what one step needs for itself alone lives in its
// own file. Both are sized while an instance is loaded or a solve is
// prepared, from the counts of that instance; nothing is allocated while the
// search runs, and nothing limits the size of a network but memory.
//
// Activities are numbered 0..nract-1 in memory (0 is the start dummy,
// nract-1 the end dummy) and 1..nract in the instance file. Times are in the
// instance's own time units, money in the cash flows' units.
//
// The relations are kept as successor rows: entry e of row i names one
// activity that i's record (or a maximal lag towards i, see the reader)
// lists, in file order, with the start-to-start lag that all relations on
// that pair together imply. The rows are stored one after the other (entries
// rowstart[i] .. rowstart[i+1]-1), so a network costs memory in proportion
// to its activities plus its entries, and its resource data (one demand per
// activity and renewable resource type, in one array) in proportion to
// activities times resource types. The solve itself does not read the
// resource data; the reports measure a schedule against it.
#ifndef MAXNPV_COMMON_GPR_H
#define MAXNPV_COMMON_GPR_H

#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "format/gprformat.h"

namespace gpr {

// ---------------------------------------------------------------- limits ---

constexpr int nolimit = INT_MAX;       // a run limit that never applies
constexpr double negtol = -1e-05;      // a subtree value below this counts as negative
constexpr double drawnlargest = 500;   // largest magnitude of a drawn cash flow
constexpr double maxexponent = 700;    // largest discount exponent whose exp() is a finite double
constexpr double maxvalue = 1e300;     // largest total of discounted cash flows a solve accepts
constexpr int exactcycles = gprmaxact; // up to this size a cycle's reason names the activity
                                       // that the classic relaxation sweeps name
constexpr double stopevery = 0.01;     // seconds of solving between questions to a stop hook

// ------------------------------------------------------------- sentinels ---

constexpr int nolag = INT_MIN;         // entry lag when no relation gave the pair one: no arc
constexpr int64_t nostart = INT64_MIN; // start of an activity that no chain of arcs reaches
constexpr int64_t noshift = 999999;    // how far a set with no leaving arc moves (it is dropped)
constexpr int lastkey = INT_MAX;       // order key of the deadline arc: after every listed entry

// ------------------------------------------------------------- outcomes ---

// What became of one instance, in the order in which the steps find out.
enum class outcome {
    solved,     // an optimal schedule was found
    notfound,   // the instance file cannot be opened
    toomany,    // more activities than the run's limit
    invalid,    // the file is malformed, or its values cannot be represented
    infeasible, // no schedule meets the relations and the deadline
    unlinked,   // some activity is not tied to the project by any chain of relations
};

// "solved", "not found", "too many activities", "invalid", "infeasible",
// "not connected".
const char *outcomename(outcome kind);

// The run's limits on what an instance may hold. The dialogue keeps the
// classic ones of the file format; batch runs can set them.
struct runlimits {
    int maxact = gprmaxact;     // most activities, both dummies included
    int maxsucc = gprmaxsucc;   // most entries in one successor row, appended arcs included
    int maxnamed = gprmaxnamed; // most entries naming one activity, appended arcs included
    static runlimits none() { return {nolimit, nolimit, nolimit}; }
};

// ---------------------------------------------------------- the network ---
// Filled by the reader and the temporal analysis; read-only while solving.

struct network {
    int nract = 0;             // activities, both dummies included (2..)
    int nrres = 0;             // renewable resource types (0..)
    std::vector<int> dur;      // [activity] duration, time units
    std::vector<int> capacity; // [resource 0..nrres-1] capacity, units
    std::vector<int> demand;   // [activity * nrres + resource] demand while it runs, units
    std::vector<int> rowstart; // [activity 0..nract] first entry of the row; [nract] = entries
    std::vector<int> succ;     // [entry 0..entries] named activity; [entries] the deadline arc
    std::vector<int> owner;    // [entry] activity whose row holds the entry
    std::vector<int> lag;      // [entry] start-to-start lag of the pair, normalised; nolag
    std::vector<int> firstpos; // [entry] first entry of the same row naming the same activity
    std::vector<int> predkey;  // [entry] where the owner first stands in the named activity's
                               // predecessor row (0..), lastkey for the deadline arc
    std::vector<int> nrpred;   // [activity] entries naming it, appended arcs included
    std::vector<std::pair<int, int>> rawlags; // (entry, lag before a raise) of entries the
                                              // normalisation raised, in order; an entry of
                                              // 0 -> end dummy may come twice, the first holds
                                              // the lag as read (nolag: no relation)
    std::vector<int64_t> est; // [activity] earliest start on the normalised lags; nostart
    int endtostart = nolag;   // lag of a listed pair end dummy -> activity 0, or nolag
    int nrfile = 0;           // successor entries of the file (the rows add reverse arcs)
    int firstnumber = 1;      // the number reasons give activity 0: 1, or 0 as a .sch file has it

    int end() const { return nract - 1; }
    int entries() const { return rowstart[nract]; }
    int deadlinearc() const { return entries(); } // the entry index that stands for it
};

// ------------------------------------------------------------ one solve ---

struct treework;   // scratch of the tree building, private to it
struct searchwork; // state of the search passes, private to them
struct fastwork;   // state of the fast method, private to it

// How a solve searches.
enum class searchmethod {
    classic, // one subtree moved later per pass, passes counted as the batch run reports them
    fast,    // tree moves both ways, rounds of minimum cuts where they stall
};

// When a solve stops before it has proven its schedule optimal.
struct solvelimits {
    long long maxmoves = 0; // moves (passes of the classic search); 0: no limit
    double seconds = 0;     // seconds of solving; 0: no limit
    std::function<void(long long moves, double npv)> progress; // told now and then during
                                                               // long solves, or empty
    std::function<bool()> stop; // asked every stopevery seconds: true ends the solve; or empty
};

struct solver {
    const network *net = nullptr; // the instance being solved
    std::vector<double> cf;       // [activity] cash flow, money units
    double interest = 0;          // continuous discount rate per time unit (>= 0)
    double negtol = gpr::negtol;  // a subtree value below this counts as negative (money)
    int64_t deadline = 0;         // absolute project deadline, time units
    int64_t closing = 0;          // lag of the deadline arc end dummy -> activity 0

    std::vector<int64_t> st;   // [activity] start time, time units; earliest starts at first
    std::vector<double> dcf;   // [activity] cf discounted from the completion at st + dur
    std::vector<char> dropped; // [activity] 1 once moved without limit: out of the tree and npv

    // The spanning tree, as ordered lists of arcs per activity, each list in
    // a slice of one array sized by the activity's rows (capacity fixed at
    // prepare). tsucc holds, for the arcs a -> x, the first entry of a's row
    // naming x, ascending (so in successor-row order); tpred holds, for the
    // arcs x -> a, that entry of x's row, in the order of a's predecessor row.
    std::vector<int> tsuccat;  // [activity] first slot of its tsucc slice
    std::vector<int> tsucclen; // [activity] tree arcs out of it
    std::vector<int> tsucc;    // [slot] entry index of a tree arc
    std::vector<int> tpredat;  // [activity] first slot of its tpred slice
    std::vector<int> tpredlen; // [activity] tree arcs into it
    std::vector<int> tpred;    // [slot] entry index of a tree arc

    int nrits = 0;  // search passes made, the last one included
    double npv = 0; // value of the last pass: the net present value of the schedule

    std::shared_ptr<treework> tree;     // owned by the tree building
    std::shared_ptr<searchwork> search; // owned by the search
    std::shared_ptr<fastwork> fast;     // owned by the fast method, sized at its first solve

    solvelimits limits;                            // when to stop early
    std::chrono::steady_clock::time_point started; // when the running solve began
    long long checks = 0;                          // limit checks of the running solve
    double lastprogress = 0;                       // seconds at the last progress report
    double laststop = 0;                           // seconds at the last question to limits.stop
    bool stopped = false;                          // limits.stop ended the running solve

    int64_t lagof(int e) const { return e == net->deadlinearc() ? closing : net->lag[e]; }
};

// ------------------------------------------------------------- assertion ---
// Reports "Assertion failed: <expression>, file <source>, line <n>" on the
// standard error stream and aborts: for invariants that no input can break.

[[noreturn]] void assertfail(const char *expr, const char *file, int line);

} // namespace gpr

#define GPR_ASSERT(e) ((e) ? (void)0 : gpr::assertfail(#e, __FILE__, __LINE__))

#endif
