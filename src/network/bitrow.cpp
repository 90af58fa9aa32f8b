// The two lookup tables behind the bit-set rows. pow2 gives the single-bit
// mask of a bit position; msbtab answers "highest set bit" for every 16-bit
// value, so that enumerating the members of a row costs one shift, one
// comparison and one lookup per member instead of a loop over 32 bits.
#include "network/bitrow.h"

void filltables() {
    // Doubling in 32-bit arithmetic: the value falls to 0 after entry 31 and
    // stays there, so entries 32..1000 hold 0.
    uint32_t value = 1;
    for (int k = 0; k < maxtab; k++) {
        pow2[k] = value;
        value <<= 1;
    }
    msbtab[0] = 0;
    for (int b = 15; b >= 0; b--) {
        for (uint32_t x = pow2[b + 1] - 1; x >= pow2[b]; x--) msbtab[x] = b;
    }
}

int msb(uint32_t word) {
    if ((word >> 16) != 0) return msbtab[word >> 16] + 16;
    return msbtab[word];
}
