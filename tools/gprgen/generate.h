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

#include "format/gprformat.h"

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

// The kinds of network gprgen makes; see the files that build them.
enum class genshape {
    random,     // today's networks: a few short-range predecessors, some maximal lags
    dense,      // about 17 entries per activity, mixed relations, many maximal lags
    sparse,     // about 1.5 to 2 entries per activity, mostly finish-to-start
    window,     // zero durations, chains of start windows of width 1: many search passes
    adversarial // 5 to 40 activities with faults and corner cases of every kind
};

// The largest activity count gprgen accepts.
constexpr int genmaxact = 10000000;

constexpr int genwhole = 1000000; // a share of 1 in millionths

// What the instances of one run look like.
struct genparams {
    genshape shape = genshape::random;
    int minact = 10; // activity count range, both dummies included (2..genmaxact)
    int maxact = 10;
    int maxlagpct = 20; // random: percentage of real activities with a maximal lag (rounded)
    bool mixed = true;  // random: all four relation types, or finish-to-start only
    int nrres = 1;      // renewable resource types
    // Resource data in the sense of ProGen (see resources.cpp) instead of the
    // values that earlier versions drew with the network; the shares are
    // millionths (0..genwhole).
    bool progen = false;
    int resfactor = genwhole / 2;   // share of the resource types a real activity uses
    int resstrength = genwhole / 2; // where a capacity lies between its least and most
};

// The instance with the given number of a run with this seed. Each number
// has a generator of its own, so D7.gpr is the same file whether it is made
// alone or as part of a longer run.
gprinstance generate(const genparams &p, uint64_t seed, int number);

// ---- shared by the builders of the shapes ----

uint64_t genmix(uint64_t z);

// The start-to-start lag that a relation from i to s with value v implies
// (activities 0-based).
int sslag(const gprinstance &g, int i, int s, int rel, int v);

// An instance of n activities with capacities (10..30), durations dur(rng)
// and demands (0..10) drawn for the real activities, and no entries yet; the
// resource values are those of earlier versions, kept as the network's
// generator draws them so that a seed keeps giving the same files.
template <class durfn>
gprinstance genbase(splitmix &rng, int n, int nrres, durfn dur) {
    gprinstance g;
    g.nract = n;
    for (int k = 0; k < nrres; k++) g.capacity.push_back(rng.range(10, 30));
    g.dur.assign(n, 0);
    g.demand.assign(n, std::vector<int>(nrres, 0));
    g.rec.assign(n, {});
    for (int i = 1; i < n - 1; i++) {
        g.dur[i] = dur();
        for (int k = 0; k < nrres; k++) g.demand[i][k] = rng.range(0, 10);
    }
    return g;
}

gprinstance gendense(splitmix &rng, int n, int nrres);
gprinstance gensparse(splitmix &rng, int n, int nrres);
gprinstance genwindow(splitmix &rng, int n, int nrres);
gprinstance genadversarial(splitmix &rng, int nrres);

// Replaces the capacities and demands of instance `number` of a run with this
// seed by resource data in the sense of ProGen with p.resfactor and
// p.resstrength, drawn from a generator of its own: the rest of the instance
// stays as it is.
void genresources(const genparams &p, uint64_t seed, int number, gprinstance *g);

#endif
