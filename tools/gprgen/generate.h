// Random project networks for maxnpv, written as .gpr instance files.
//
// Every number comes from our own 64-bit generator (splitmix64) and integer
// arithmetic only, so a seed gives byte-identical files with every compiler,
// library and machine; neither std::rand nor the std distributions are used,
// since their results differ between standard libraries.
#ifndef GPRGEN_GENERATE_H
#define GPRGEN_GENERATE_H

#include <cstdint>
#include <string>
#include <vector>

// splitmix64: a 64-bit state advanced by a fixed odd constant and mixed by
// two multiply-xorshift rounds per draw.
class splitmix {
  public:
    explicit splitmix(uint64_t seed) : state(seed) {}
    uint64_t next();
    // Uniform in lo..hi (hi - lo below 2^32); the modulo bias is far below
    // anything an instance could show.
    int range(int lo, int hi);
    // True with probability pct/100 (pct in 0..100).
    bool chance(int pct) { return range(0, 99) < pct; }

  private:
    uint64_t state;
};

// What the instances of one run look like.
struct genparams {
    int minact = 10; // activity count range, both dummies included (2..1000)
    int maxact = 10;
    int maxlagpct = 20; // percentage of real activities that get a maximal lag (rounded)
    bool mixed = true;  // all four relation types, or finish-to-start only
    int nrres = 1;      // resource types (values are written, maxnpv ignores them)
};

// One successor entry of an activity's record, as in the file: successor
// number (from 1), bound type (1 minimal, 2 maximal), relation type (1 SS,
// 2 SF, 3 FS, 4 FF), lag value.
struct genentry {
    int succ, bound, rel, value;
};

struct geninstance {
    int nract = 0;
    std::vector<int> capacity;              // one value per resource type
    std::vector<int> dur;                   // per activity, 0-based
    std::vector<std::vector<int>> demand;   // per activity, one value per resource type
    std::vector<std::vector<genentry>> rec; // per activity, its successor entries in file order
};

// The instance with the given number of a run with this seed. Each number
// has a generator of its own, so D7.gpr is the same file whether it is made
// alone or as part of a longer run.
geninstance generate(const genparams &p, uint64_t seed, int number);

// The instance in the file format: header line, then one line per activity.
std::string formatinstance(const geninstance &g);

#endif
