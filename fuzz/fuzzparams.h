// How a fuzz input is split into the dialogue parameters and the instance
// file. The first fuzzparambytes bytes choose pctneg, dlextra and interest;
// the rest is the file. Most byte values map into the ranges a researcher
// uses, so that the runs exercise the reader and the search rather than
// floating-point extremes; a few map to large or odd values. Shared by the
// fuzz target and the regression test, which must decode identically.
//
//   byte 0      pctneg:   0..250 -> value % 101; 251..255 -> -1, 101, 1000,
//                         INT32_MIN, INT32_MAX
//   bytes 1, 2  dlextra:  v = byte1 + 256 * byte2; v < 0xff00 -> v % 1051 - 50
//                         (-50..1000); else an entry of a table of large
//                         values chosen by v & 15
//   byte 3      interest: 0..199 -> (b + 1) / 1000 (0.001..0.2);
//                         200..239 -> (b - 199) / 10000 (0.0001..0.004);
//                         240..255 -> an entry of a table of odd rates
//
// Missing parameter bytes count as 0. Example: 50, 60, 0, 9 gives pctneg 50,
// dlextra 10, interest 0.01.
#ifndef MAXNPV_FUZZPARAMS_H
#define MAXNPV_FUZZPARAMS_H

#include <cstddef>
#include <cstdint>

constexpr size_t fuzzparambytes = 4;

struct fuzzparams {
    int pctneg;
    int dlextra;
    double interest;
};

inline fuzzparams decodefuzzparams(const uint8_t *data, size_t size) {
    uint8_t b[fuzzparambytes] = {0, 0, 0, 0};
    for (size_t k = 0; k < fuzzparambytes && k < size; k++) b[k] = data[k];

    static const int oddpct[] = {-1, 101, 1000, INT32_MIN, INT32_MAX};
    static const int oddl[] = {INT32_MAX, INT32_MIN, -INT32_MAX, 1000000,      -1000000, 2000000,
                               -2000000,  1 << 30,   -(1 << 30), 5000,         100000,   -1,
                               -51,       -1000,     999999,     INT32_MAX - 1};
    static const double oddrate[] = {0.0, 1e-9, 1e-6, 0.25,  0.3,    0.5, 1.0, 2.0,
                                     5.0, 10.0, 50.0, 100.0, 1000.0, 0.9, 3.0, 20.0};
    fuzzparams p;
    p.pctneg = b[0] <= 250 ? b[0] % 101 : oddpct[b[0] - 251];
    unsigned v = b[1] + 256u * b[2];
    p.dlextra = v < 0xff00u ? (int)(v % 1051) - 50 : oddl[v & 15];
    if (b[3] < 200)
        p.interest = (b[3] + 1) / 1000.0;
    else if (b[3] < 240)
        p.interest = (b[3] - 199) / 10000.0;
    else
        p.interest = oddrate[b[3] - 240];
    return p;
}

#endif
