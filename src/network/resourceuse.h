// What a schedule asks of the renewable resources: each resource's peak use,
// the periods in which some resource is over its capacity, the worst one, and
// on request each resource's whole use over time as steps (for charts).
//
// Resource k has capacity R_k and activity i needs r_ik units of it while it
// runs: at every integer time t the activities with S_i <= t < S_i + d_i use
// their demands, and their sum should not exceed R_k. Activities of duration
// 0 (or less) use nothing. Period t is the time from t to t + 1.
//
// The worst resource is the overloaded one whose peak is the largest multiple
// of its capacity (a capacity of 0 counts as infinitely far over); equal
// multiples go to the larger excess of the peak over the capacity, and then
// to the lower resource number.
#ifndef MAXNPV_RESOURCEUSE_H
#define MAXNPV_RESOURCEUSE_H

#include <cstdint>
#include <vector>

#include "network/common_gpr.h"

namespace gpr {

constexpr int64_t usetimebound = (int64_t)1 << 60; // starts and durations are taken within
                                                   // +-this, so every difference of two
                                                   // times fits 64 bits

// One step of a resource's use over time.
struct usestep {
    int64_t from; // time from which the use holds, until the next step
    int64_t use;  // units
};

// What a schedule asks of the resources.
struct resourceuse {
    std::vector<int64_t> peak; // [resource] largest use in any period, units
    int64_t first = 0;         // the schedule's span: periods first..last-1, from the least
    int64_t last = 0;          // start to the last finish of the activities measured
    int64_t overloaded = 0;    // periods in which some resource is over its capacity
    int64_t firstover = 0;     // the first of them (when overloaded > 0)
    int64_t lastover = 0;      // the last of them (when overloaded > 0)
    int worst = -1;            // the worst overloaded resource (0..), -1 when none is
    // [resource] when asked for: the use as steps in time order, the first
    // from `first` on; the last step (use 0) holds up to `last`.
    std::vector<std::vector<usestep>> profile;

    int64_t periods() const { return last - first; }
};

// Measures the schedule start[i] (time units) of activities with durations
// dur[i] against capacity[k] and demand[i * K + k] (K = capacity.size()),
// leaving out the activities whose leftout[i] is not 0 (leftout may be null:
// none left out; an activity that starts at nostart is left out too). With
// profiles, out->profile is filled as well. Costs O(n log n + nK) time, and
// memory in proportion to n + K (the profiles n times K).
void measureuse(const std::vector<int> &capacity, const std::vector<int> &demand,
                const std::vector<int64_t> &start, const std::vector<int64_t> &dur,
                const std::vector<char> *leftout, bool profiles, resourceuse *out);

// The same for a network's activities and resources.
void measureuse(const network &net, const std::vector<int64_t> &start,
                const std::vector<char> *leftout, bool profiles, resourceuse *out);

} // namespace gpr

#endif
