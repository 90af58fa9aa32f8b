// Reproducible cash flows: a fixed linear congruential generator, reseeded
// with 0 for every instance, gives every activity a magnitude in 1..500 that
// is negative with probability pctneg percent; the dummies get 0. With a
// seed, a splitmix64 generator seeded by the seed and the instance's name
// gives the same distribution, independently for every instance.
#ifndef MAXNPV_CASHFLOW_H
#define MAXNPV_CASHFLOW_H

#include <cstdint>
#include <string>
#include <vector>

namespace gpr {

class lcg {
  public:
    explicit lcg(uint32_t seed = 0) : state(seed) {}
    // Advances the state once; returns bits 16..30 of the new state (0..32767).
    int next();

  private:
    uint32_t state; // the recurrence's state, modulo 2^32
};

// The cash flow of activity i (0..nract-1) of an instance of nract
// activities: two draws, the magnitude and the sign.
int drawcf(lcg *g, int i, int nract, int pctneg);

// The 64-bit FNV-1a hash of the bytes of text.
uint64_t fnv1a(const std::string &text);

// splitmix64, the generator of the seeded draws.
class splitmix64 {
  public:
    explicit splitmix64(uint64_t seed) : state(seed) {}
    uint64_t next();

  private:
    uint64_t state; // advanced by a fixed odd constant per draw
};

// The seeded cash flows of an instance of nract activities named name (its
// file name without folder and extension): splitmix64 from seed XOR
// fnv1a(name), per activity a magnitude draw % 500 + 1 and a sign draw %
// 100 < pctneg; both dummies draw too and get 0.
std::vector<int> seededcf(int nract, int pctneg, uint64_t seed, const std::string &name);

// The instance name of a file path: the part after the last '/', without
// its last extension (from the last '.', unless that is its first byte).
std::string instancename(const std::string &path);

// Reads the text of a cash-flow file: finite numbers separated by white
// space, '#' to the end of a line a comment. False with *why ("NAME, line L:
// 'x' is not a finite number", the token cut to 40 bytes and anything
// unprintable in it shown as '?') at the first token that is not one.
bool parsecashflows(const std::string &bytes, const std::string &name, std::vector<double> *cf,
                    std::string *why);

} // namespace gpr

#endif
