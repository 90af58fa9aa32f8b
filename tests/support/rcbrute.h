// The optimum of a tiny resource-constrained max-npv instance by enumeration,
// as an oracle for the time-indexed MIP of gprlp --resources. It works from
// the relations as the file states them and shares no code with the solver
// or with gprlp: its own start-to-start conversion, its own all-pairs
// longest paths (Floyd-Warshall) for the windows, its own resource profile.
#ifndef MAXNPV_RCBRUTE_H
#define MAXNPV_RCBRUTE_H

#include <cstdint>
#include <string>
#include <vector>

// One successor entry as a .gpr record holds it.
struct rcentry {
    int owner, named; // activities, from 0
    int bound;        // 1 minimal, 2 maximal time lag; other codes imply nothing
    int type;         // 1 SS, 2 SF, 3 FS, 4 FF; other codes imply nothing
    int lag;          // time units
};

// A small instance with renewable resources, in the terms of its file.
struct rcproblem {
    std::vector<int> dur;                 // [activity] duration, dummies included
    std::vector<std::vector<int>> demand; // [activity][resource] units while it runs
    std::vector<int> capacity;            // [resource] units at every time
    std::vector<rcentry> entries;         // successor entries; written in owner order
};

// The .gpr text of the instance (entries grouped by owner, in their order).
std::string rcgprtext(const rcproblem &p);

enum class rckind {
    solved,     // start and npv hold an optimum
    relations,  // the relations and the deadline admit no schedule
    resources,  // they do, but none fits the resources
    unreached,  // some activity has no earliest start (no chain from the start dummy)
    notbounded, // some activity has no latest start (no chain back to the start dummy)
};

struct rcanswer {
    rckind kind = rckind::relations;
    long double npv = 0;          // optimal net present value (solved)
    std::vector<long long> start; // an optimal schedule (solved)
    long long leaves = 0;         // complete start vectors tried
};

// Enumerates every whole start vector within the windows [ES, LS] (depth
// first over the activities in file order, each activity's range cut by the
// starts already chosen, so no vector breaks a relation; partial vectors are
// dropped once the resources overflow or the best they can reach falls
// below the best found) and returns the best npv,
// sum cf_i exp(-interest (start_i + dur_i)), with S_0 = 0 and the end dummy
// by the deadline. For instances of up to about 7 activities and windows
// of about 15 time units.
rcanswer rcbrute(const rcproblem &p, long long deadline, const std::vector<double> &cf,
                 double interest);

// Whether schedule s meets everything that the enumeration requires: the
// start dummy at 0, the difference constraints of the relations, of the
// listed pairs and of the deadline, and the resources at every time. A
// second statement of feasibility, for a differential test of the checker.
bool rcfeasible(const rcproblem &p, long long deadline, const std::vector<long long> &s);

#endif
