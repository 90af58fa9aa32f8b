// The cash flows are part of what a run reports (every one is logged in
// info.out and every net present value depends on them), so they come from a
// fixed recurrence, not from the platform's random numbers: the state is
// multiplied by 214013 and increased by 2531011 modulo 2^32, and a draw is
// bits 16..30 of the new state. Every load reseeds with 0, so activity k
// always gets the k-th pair of draws and the same cash flow in every instance
// of a run, whatever the file holds.
#include "input/cashflow.h"

#include "network/common_gpr.h"
#include "platform/files.h"

constexpr uint32_t lcgmul = 214013u;  // multiplier of the recurrence
constexpr uint32_t lcginc = 2531011u; // increment of the recurrence
constexpr uint32_t lcgmask = 0x7fffu; // a draw keeps 15 bits of the shifted state
constexpr int cfmax = 500;            // largest cash-flow magnitude
constexpr int pctbase = 100;          // a sign draw is compared with pctneg modulo this

void lcgseed(uint32_t seed) {
    lcgstate = seed;
}

int lcgrand() {
    lcgstate = lcgstate * lcgmul + lcginc;
    return (int)((lcgstate >> 16) & lcgmask);
}

void gencf(int i) {
    cf[i] = lcgrand() % cfmax + 1;
    if (lcgrand() % pctbase < pctneg) cf[i] = -cf[i];
    // Both draws are made for the dummies too, so the sequence of every
    // other activity does not depend on where the end dummy stands.
    if (i == 0 || i == nract - 1) cf[i] = 0;
    infofile->put("(%d/%d) ", i, cf[i]);
}
