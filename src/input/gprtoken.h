// Reading the values of an instance file one by one. A value is a token, a
// run of characters between white space, that must be a decimal integer: an
// optional sign and at least one digit, nothing else, fitting 32 bits. The
// reader keeps the line and the ordinal of every value so that a rejected
// file can be reported with the place of its defect.
//
// The whole file is held in memory, so both readings of an instance see the
// same bytes whatever happens to the file on disk in between.
#ifndef MAXNPV_GPRTOKEN_H
#define MAXNPV_GPRTOKEN_H

#include <cstddef>

enum tokresult {
    tokok,  // a value was read
    tokeof, // the text ended before the value
    tokbad, // the token is not a decimal integer
    tokbig, // the token is a decimal integer that does not fit 32 bits
};

constexpr size_t tokshown = 40; // most bytes of a bad token that a message shows

// Starts reading the text data[0..size-1] at line 1, value 1.
void tokstart(const char *data, size_t size);
// Reads the next value into *value (left unchanged unless tokok).
tokresult tokread(int *value);

extern int tokline; // line of the last token read (from 1; 1 before any)
extern long toknr;  // ordinal of the last value read or expected (from 1)

// The last token as found, cut to tokshown bytes, with every byte outside
// printable ASCII (and the backslash) written as \xNN, so that a message
// never carries terminal control sequences.
const char *toktext();

#endif
