// Seeded random instances for tests, written as .gpr text. The same seed gives
// the same text on every machine (a generator of our own, no library
// distributions).
//
// Instances are built around a witness schedule: every activity gets the
// start dummy or an earlier activity as a minimal-lag predecessor, every
// activity reaches the end dummy, and every minimal and maximal lag is chosen
// so that the witness meets it. So, unless a defect is planted, the relations
// hold no cycle of positive length and every activity is reached from the
// start dummy. Bound and relation types are mixed (with occasional values
// outside 1..2 and 1..4), zero durations and zero lags make ties, maximal
// lags run from an activity to a later one only, and some entries are
// duplicated.
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

// A defect or a hard case planted on purpose:
// - loadcycle: two minimal lags that form a cycle of positive length;
// - tightmax: a maximal lag tighter than the witness allows (may or may not
//   close a positive cycle);
// - into0: a relation that ends at activity 0, a minimal lag towards it or a
//   maximal lag from it, now and then one that the witness breaks; its
//   source may be the end dummy, whose own lag to activity 0 then competes
//   with the deadline;
// - endunreached: no entry names the end dummy, so nothing reaches it;
// - dropped: the last one to three real activities lead nowhere: no chain of
//   arcs runs from them to the end dummy or back to activity 0, so they can
//   be put off without end (and are, when their cash flows are negative);
//   some of them list other activities through maximal lags or entries of
//   other types, pairs that give no arc of their own.
// The rest concern one activity, which the random relations leave out:
// - normcycle: a cycle that is positive once the lags from the start dummy
//   are raised to 0 (a negative minimal and maximal lag from it);
// - orphan: an activity that no relation reaches;
// - wide: a lag far below -999 into a connected activity; its source often has
//   no other way to the end dummy and can start a thousand time units after
//   its earliest start;
// - phantom: an activity that only a maximal lag's own entry or an entry of
//   other bound or relation types names (a listed pair without a lag); it
//   stays unreached unless that entry belongs to the start dummy, whose
//   listed pairs are raised to lag 0;
// - negchain: an activity reached only through one minimal lag of -200 to
//   -600 from a real activity, so that it may start before activity 0;
// - shortend: an activity of duration 30 to 60 whose only link to the end
//   dummy is a start-to-start lag of 0, shorter than its duration.
enum plantkind {
    plantnone,
    plantloadcycle,
    planttightmax,
    plantinto0,
    plantendunreached,
    plantdropped,
    plantnormcycle, // from here on: one planted activity
    plantorphan,
    plantwide,
    plantphantom,
    plantnegchain,
    plantshortend,
};

// The .gpr text of a random instance of 5 to maxact activities (both dummies
// included) in which maxlagpct percent of the activities get a maximal lag.
std::string randominstance(uint64_t seed, plantkind plant, int maxact, int maxlagpct);

// The .gpr text of a long project of n activities, shaped like the common
// benchmark networks: every real activity follows one to three of the ten
// activities before it (one in twelve follows the start dummy instead), with
// durations 0..10 and minimal lags of every relation type; a fifth of the
// activities get a maximal lag that the earliest schedule meets; every
// activity leads to the end dummy. The critical path grows with n, so the
// activities' windows reach thousands of time units.
std::string randomproject(uint64_t seed, int n);

#endif
