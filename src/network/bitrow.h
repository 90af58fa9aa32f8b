// Bit-set rows over activities: a row of 32-bit words in which activity a is
// bit a & 31 of word a >> 5. Only the first nrbin words of a row are touched,
// so every operation costs at most 32 words for the largest instance.
#ifndef MAXNPV_BITROW_H
#define MAXNPV_BITROW_H

#include "network/common_gpr.h"

// Fills pow2 and msbtab; run once per load, before any row is used.
void filltables();

// Index (0..31) of the highest set bit of a non-zero word, by one lookup in
// the 16-bit table msbtab.
int msb(uint32_t word);

inline void bitadd(uint32_t *row, int a) {
    row[a >> 5] |= pow2[a & 31];
}
inline void bitremove(uint32_t *row, int a) {
    row[a >> 5] &= ~pow2[a & 31];
}
inline bool bittest(const uint32_t *row, int a) {
    return (row[a >> 5] & pow2[a & 31]) != 0;
}

// The loop takes nrbin into a local first: a store through a row could
// otherwise alias it, which would keep the compiler from vectorising.
inline void rowclear(uint32_t *row) {
    const int words = nrbin;
    for (int w = words - 1; w >= 0; w--) row[w] = 0;
}

inline void rowsingle(uint32_t *row, int a) {
    rowclear(row);
    row[a >> 5] = pow2[a & 31];
}

// Merges words high down to low of row src into row dst. Enough when src is
// known to be zero outside that range.
inline void rowmergewords(uint32_t *__restrict dst, const uint32_t *__restrict src, int low,
                          int high) {
    for (int w = high; w >= low; w--) dst[w] |= src[w];
}

// Merges row src into row dst, word by word from the highest used word down.
inline void rowmerge(uint32_t *dst, const uint32_t *src) {
    rowmergewords(dst, src, 0, nrbin - 1);
}

// Calls visit(a) for every member a of the row, highest activity first. The
// row itself is not changed, so visit may not rely on changes to it either.
template <typename Visit>
inline void rowforeach(const uint32_t *row, Visit visit) {
    for (int w = nrbin - 1; w >= 0; w--) {
        uint32_t copy = row[w];
        while (copy != 0) {
            int b = msb(copy);
            copy ^= pow2[b];
            visit(32 * w + b);
        }
    }
}

#endif
