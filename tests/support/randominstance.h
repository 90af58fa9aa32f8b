// Seeded random instances for tests, written as .gpr text. The same seed gives
// the same text on every machine (a generator of our own, no library
// distributions).
//
// Instances are built around a witness schedule: every activity gets the
// start dummy or an earlier activity as a minimal-lag predecessor, every
// activity reaches the end dummy, and every minimal and maximal lag is chosen
// so that the witness meets it. So, unless a defect is planted, the relations
// hold no cycle of positive length and every activity is tied to the start
// dummy. Bound and relation types are mixed (with occasional values outside
// 1..2 and 1..4), zero durations and zero lags make ties, maximal lags run
// from an activity to a later one only, and some entries are duplicated.
#ifndef MAXNPV_RANDOMINSTANCE_H
#define MAXNPV_RANDOMINSTANCE_H

#include <cstdint>
#include <string>

// A small deterministic generator (splitmix64), seeded as testrng{seed}.
struct testrng {
    uint64_t state;
    uint64_t next() {
        uint64_t z = state += 0x9e3779b97f4a7c15ull;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 1 ? 0 : (int)(next() % (uint64_t)n); } // 0..n-1
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }         // lo..hi
    bool chance(int percent) { return below(100) < percent; }
};

// A defect or a hard case planted on purpose (those from normcycle on concern
// one activity, which the random relations leave out):
// - loadcycle: two minimal lags that form a cycle of positive length;
// - tightmax: a maximal lag tighter than the witness allows (may or may not
//   close a positive cycle);
// - normcycle: a cycle that becomes positive only when the lags from the start
//   dummy are raised to 0 (a negative minimal and maximal lag from it);
// - orphan: an activity that no relation reaches;
// - wide: a lag far below -999 into a connected activity; its source often has
//   no other way to the end dummy and can start a thousand time units after
//   its earliest start.
enum plantkind { plantnone, plantloadcycle, planttightmax, plantnormcycle, plantorphan, plantwide };

// The .gpr text of a random instance of 5 to maxact activities (both dummies
// included) in which maxlagpct percent of the activities get a maximal lag.
std::string randominstance(uint64_t seed, plantkind plant, int maxact, int maxlagpct);

#endif
