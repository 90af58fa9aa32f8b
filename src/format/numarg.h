// Numbers given on a command line, read strictly: the whole text must be the
// number, in decimal, with nothing before or after it. Empty text, blanks,
// trailing characters, and values that overflow their type or leave the
// allowed range are refused. The parsers only answer; the caller words the
// message and decides what happens.
#ifndef MAXNPV_NUMARG_H
#define MAXNPV_NUMARG_H

#include <cstdint>

// A whole number in lo..hi: an optional sign and digits. On success stores it
// in *value and returns true; otherwise leaves *value as it was.
bool parsewhole(const char *text, long long lo, long long hi, long long *value);

// A whole number 0..2^64-1 (a seed): digits only, no sign.
bool parseunsigned(const char *text, uint64_t *value);

// A finite decimal number: an optional sign, digits with an optional
// fraction, an optional exponent ("0.01", "-2", "1e-6", ".5"). Infinities,
// NaN and hexadecimal forms are refused, and so is a value too large for a
// double; a value too small for one becomes 0 or a subnormal number.
bool parsereal(const char *text, double *value);

#endif
