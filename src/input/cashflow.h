// Reproducible cash flows: a fixed linear congruential generator, reseeded
// with 0 at every load, gives every activity a magnitude in 1..500 that is
// negative with probability pctneg percent; the dummies get 0.
#ifndef MAXNPV_CASHFLOW_H
#define MAXNPV_CASHFLOW_H

#include <cstdint>

void lcgseed(uint32_t seed);
// Advances the state once; returns bits 16..30 of the new state (0..32767).
int lcgrand();
// Draws the cash flow of activity i into cf[i] and logs "(i/cf) " to info.out.
void gencf(int i);

#endif
