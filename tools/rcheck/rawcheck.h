// A checker of schedules that reads the instance file itself: its own small
// readers of .gpr and ProGen/max .sch text, and every rule checked in the
// file's own terms (a maximal finish-to-start lag v from i to j reads
// start(j) <= start(i) + dur(i) + v), so that it shares nothing with the
// solver's reader, its conversion to start-to-start lags or its network, nor
// with gprlp's. It is what the tests and the benchmark scripts trust to say
// whether a schedule is feasible. See the top of rawcheck.cpp for the rules.
#ifndef MAXNPV_RAWCHECK_H
#define MAXNPV_RAWCHECK_H

#include <string>
#include <vector>

enum class rawformat { gpr, sch };

// One relation as the file states it.
struct rawrelation {
    int owner, named; // activities, from 0
    long long bound;  // 1 minimal, 2 maximal time lag; other codes imply nothing
    long long type;   // 1 SS, 2 SF, 3 FS, 4 FF; other codes imply nothing
    long long lag;    // time units
    long line;        // where the file states it, from 1
};

struct rawinstance {
    rawformat format = rawformat::gpr;
    int n = 0;                                  // activities, both dummies included
    int firstnumber = 1;                        // the number of activity 0 in the file's terms
    std::vector<long long> dur;                 // [activity] duration
    std::vector<long long> capacity;            // [resource] units at every time
    std::vector<std::vector<long long>> demand; // [activity][resource] units while it runs
    std::vector<rawrelation> relations;         // in file order
};

// Reads an instance from its text. Returns "" and fills *out, or a reason of
// the form "line L: what was expected, what was found".
std::string rawread(const std::string &text, rawformat format, rawinstance *out);

// A value that the schedule claims: the net present value of the activities
// that are not postponed, their cash flows discounted continuously from
// their finish, cf * exp(-interest * (start + dur)).
struct rawclaim {
    std::vector<double> cashflows; // [activity]
    double interest = 0;
    double npv = 0;
};

// Checks a schedule: start[i] for every activity, and postponed[i] set for
// an activity postponed without limit (empty: none). With boundall every
// real activity starts at 0 or later and finishes by the end dummy's start,
// as under maxnpv solve --bound-all. Returns "" when every rule holds, else
// one reason naming the first rule broken. Activities are named as the file
// numbers them (from firstnumber).
std::string rawcheck(const rawinstance &inst, long long deadline,
                     const std::vector<long long> &start, const std::vector<char> &postponed,
                     const rawclaim *claim = nullptr, bool boundall = false);

#endif
