// The .gpr instance file as it is written: its codes, its classic limits,
// and an instance held the way the file holds it, with one writer.
//
// A file is a header "nract nrres capacity..." and one record per activity,
// activities numbered from 1 (1 the start dummy, nract the end dummy):
// duration, one demand per resource type, the successor count m and m
// entries "successor bound relation value". The struct keeps every value as
// an int, so that an instance may also carry codes and numbers outside the
// rules (a test of how a reader copes with them).
#ifndef MAXNPV_GPRFORMAT_H
#define MAXNPV_GPRFORMAT_H

#include <string>
#include <vector>

// Bound type of a successor entry: the lag is the least or the largest
// distance between the two activities.
enum class gprbound : int { minimal = 1, maximal = 2 };

// Relation type of a successor entry: which end of the activity and which
// end of its successor the lag joins.
enum class gprrel : int {
    ss = 1, // start to start
    sf = 2, // start to finish
    fs = 3, // finish to start
    ff = 4, // finish to finish
};

constexpr int gprcode(gprbound b) {
    return static_cast<int>(b);
}
constexpr int gprcode(gprrel r) {
    return static_cast<int>(r);
}

// The classic limits of the format, which the original readers hold to.
constexpr int gprmaxact = 1000;    // activities of one instance, both dummies included
constexpr int gprmaxsucc = 1000;   // successor entries of one activity
constexpr int gprmaxnamed = 1000;  // entries naming one activity as successor
constexpr int gprmaxmag = 1000000; // largest magnitude of a duration or lag value

// One successor entry as in the file; succ counts from 1.
struct gprentry {
    int succ, bound, rel, value;
};

struct gprinstance {
    int nract = 0;
    std::vector<int> capacity;              // one value per renewable resource type, units
    std::vector<int> dur;                   // per activity, 0-based
    std::vector<std::vector<int>> demand;   // per activity, one value per resource type, units
    std::vector<std::vector<gprentry>> rec; // per activity, its successor entries in file order
};

// The file text: the header line, then one line per activity.
std::string formatgpr(const gprinstance &g);

#endif
