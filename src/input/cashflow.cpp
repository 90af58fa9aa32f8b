// The cash flows are part of what a run reports (every one is logged in
// info.out and every net present value depends on them), so they come from a
// fixed recurrence, not from the platform's random numbers: the state is
// multiplied by 214013 and increased by 2531011 modulo 2^32, and a draw is
// bits 16..30 of the new state. Every instance starts from the seed 0, so
// activity k always gets the k-th pair of draws and the same cash flow in
// every instance of a run, whatever the file holds.
#include "input/cashflow.h"

namespace gpr {

constexpr uint32_t lcgmul = 214013u;  // multiplier of the recurrence
constexpr uint32_t lcginc = 2531011u; // increment of the recurrence
constexpr uint32_t lcgmask = 0x7fffu; // a draw keeps 15 bits of the shifted state
constexpr int cfmax = 500;            // largest cash-flow magnitude
constexpr int pctbase = 100;          // a sign draw is compared with pctneg modulo this

int lcg::next() {
    state = state * lcgmul + lcginc;
    return (int)((state >> 16) & lcgmask);
}

int drawcf(lcg *g, int i, int nract, int pctneg) {
    int cf = g->next() % cfmax + 1;
    if (g->next() % pctbase < pctneg) cf = -cf;
    // Both draws are made for the dummies too, so the sequence of every
    // other activity does not depend on where the end dummy stands.
    return i == 0 || i == nract - 1 ? 0 : cf;
}

} // namespace gpr
