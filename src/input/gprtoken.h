// Reading the values of an instance file one by one. A value is a token, a
// run of characters between white space, that must be a decimal integer: an
// optional sign and at least one digit, nothing else, fitting 32 bits. The
// reader keeps the line and the ordinal of every value so that a rejected
// file can be reported with the place of its defect.
#ifndef MAXNPV_GPRTOKEN_H
#define MAXNPV_GPRTOKEN_H

#include <cstdio>

enum tokresult {
    tokok,  // a value was read
    tokeof, // the file ended before the value
    tokbad, // the token is not a decimal integer
    tokbig, // the token is a decimal integer that does not fit 32 bits
};

// Starts reading a freshly opened file at line 1, value 1.
void tokstart(FILE *f);
// Reads the next value into *value (left unchanged unless tokok).
tokresult tokread(FILE *f, int *value);

extern int tokline;      // line of the last token read (from 1; 1 before any)
extern long toknr;       // ordinal of the last value read or expected (from 1)
extern char toktext[40]; // the last token as found, cut to fit (for messages)

#endif
