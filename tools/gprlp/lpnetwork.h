// The network that both models of gprlp solve, built from a .gpr file by
// gprlp's own reader and longest paths: the LP of the max-npv problem
// (lpmodel.cpp) and the time-indexed MIP under renewable resources
// (rcmodel.cpp) start from the same earliest and latest starts, so that the
// two models differ only in what they add to them. None of it is shared with
// maxnpv (see the top of lpnetwork.cpp).
#ifndef MAXNPV_LPNETWORK_H
#define MAXNPV_LPNETWORK_H

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "lpmodel.h"

namespace lpnet {

constexpr int64_t nopath = std::numeric_limits<int64_t>::min(); // not reached
constexpr int64_t noend = std::numeric_limits<int64_t>::max();  // no latest start
constexpr int64_t farthest = (int64_t)1 << 60; // bound of every time the models handle

using clock_type = std::chrono::steady_clock;

// Seconds of wall clock since t.
double since(clock_type::time_point t);

// printf into a std::string (cut at 511 bytes).
std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// One successor entry of the file, as it stands there.
struct entry {
    int owner, named;               // activities, from 0
    int64_t bound, relation, value; // codes and lag as read (any 32-bit values)
};

struct instance {
    int n = 0;                                // activities, both dummies included
    std::vector<int64_t> dur;                 // [activity] duration as read
    std::vector<entry> entries;               // every successor entry, in file order
    std::vector<int64_t> capacity;            // [resource] units available at every time
    std::vector<std::vector<int64_t>> demand; // [activity][resource] units used while it runs
};

// A minimal start-to-start lag: start(to) >= start(from) + len.
struct arc {
    int from, to; // activities, from 0
    int64_t len;  // time units
};

// The outcome of the temporal analysis of an instance that can be solved:
// its network, cash flows and windows.
struct temporal {
    instance in;
    std::vector<double> cf;      // [activity] cash flow
    std::vector<arc> arcs;       // the normalised arcs, no self-loops, with the deadline arc
    std::vector<int64_t> es, ls; // [activity] earliest and latest start (ls: noend if none)
    int64_t deadline = 0;        // the absolute deadline of the end dummy
};

// Steps 1 to 5 of lpnetwork.cpp: reads the file (with resources: keeps the
// capacities and demands and refuses negative ones), takes or draws the cash
// flows, builds the arcs (with options.boundall: every activity after the
// start dummy and before the end dummy), and finds the earliest starts, the
// deadline and the latest starts. Returns true with *t filled when the
// instance is solvable; otherwise false with res->kind (lpunreadable,
// lpinfeasible, lpunlinked) and res->reason. Fills res->nract, deadline,
// readseconds and pathseconds as far as it gets.
bool analyse(const std::string &path, const lpoptions &options, bool resources, temporal *t,
             lpresult *res);

// Arcs grouped by their source (or, reversed, by their target).
struct digraph {
    std::vector<int> first; // [activity 0..n] first arc
    std::vector<int> head;  // [arc] the other end
    std::vector<int64_t> len;

    digraph(int n, const std::vector<arc> &arcs, bool reversed);
    int size() const { return (int)first.size() - 1; }
};

// Longest paths over g from the activities that have a value in dist (the
// others hold nopath). False when a cycle of positive length is reached.
bool longestpaths(const digraph &g, std::vector<int64_t> &dist);

} // namespace lpnet

#endif
