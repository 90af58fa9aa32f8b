// Reading instances of the ProGen/max format, the format of the public
// RCPSP/max benchmark sets, and writing them as .gpr instance files.
//
// A ProGen/max file is line oriented:
//   n K 0 0                          n real activities, K renewable resources
//   i 1 m s_1 ... s_m [l_1] ... [l_m]   n+2 lines, i = 0..n+1: one mode, m
//                                    successors and their start-to-start lags
//   i 1 d r_1 ... r_K                n+2 lines: duration and demands
//   c_1 ... c_K                      the capacities
// A maximal time lag is written as a negative minimal lag on the reverse arc,
// so every relation is a minimal start-to-start lag. Blank lines are skipped.
#ifndef SCH2GPR_SCHREAD_H
#define SCH2GPR_SCHREAD_H

#include <istream>
#include <string>
#include <vector>

constexpr int schmaxact = 1000;    // most activities of a .gpr instance, dummies included
constexpr int schmaxmag = 1000000; // largest magnitude of a duration or lag the solver reads

struct scharc {
    int to;  // 0-based activity
    int lag; // start-to-start lag, time units
};

struct schinst {
    int nrreal = 0; // real activities; the instance has nrreal+2 with the dummies
    int nrres = 0;  // renewable resource types
    std::vector<std::vector<scharc>> succ; // per activity, in file order
    std::vector<int> dur;                  // per activity
    std::vector<std::vector<long>> demand; // per activity, nrres values
    std::vector<long> capacity;            // nrres values
};

struct scherror {
    int line = 0;       // 1-based line of the defect (one past the last line at an early end)
    std::string reason; // what is wrong, in words
};

// Reads a whole ProGen/max file. Returns false at the first defect, which
// err then describes.
bool readsch(std::istream &in, schinst &inst, scherror &err);

// The instance as a .gpr file: a header "nract nrres capacities", then one
// line per activity with its duration, demands, successor count and one
// entry "successor 1 1 lag" (1-based successor, minimal start-to-start) per
// relation.
std::string writegpr(const schinst &inst);

#endif
