// Reproducible cash flows: a fixed linear congruential generator, reseeded
// with 0 for every instance, gives every activity a magnitude in 1..500 that
// is negative with probability pctneg percent; the dummies get 0.
#ifndef MAXNPV_CASHFLOW_H
#define MAXNPV_CASHFLOW_H

#include <cstdint>

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

} // namespace gpr

#endif
