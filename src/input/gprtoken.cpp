// The tokenizer reads characters with getc and classifies each token in one
// pass: the digits accumulate in 64 bits and stop growing once the magnitude
// is beyond 32 bits, so even an absurdly long token is judged without
// overflow. Line ends are counted as they are skipped, which gives every
// rejection its line.
#include "input/gprtoken.h"

#include <cctype>
#include <cstdint>

int tokline;
long toknr;
char toktext[40];

static int curline; // line of the next character to be read

void tokstart(FILE *) {
    curline = 1;
    tokline = 1;
    toknr = 0;
    toktext[0] = '\0';
}

tokresult tokread(FILE *f, int *value) {
    int c = getc(f);
    while (c != EOF && std::isspace(c)) {
        if (c == '\n') curline++;
        c = getc(f);
    }
    toknr++;
    if (c == EOF) {
        // Reported at the last line that held a value, not at the empty
        // line a final line break opens.
        toktext[0] = '\0';
        return tokeof;
    }
    tokline = curline;
    const int64_t limit = (int64_t)1 << 31; // magnitude of the most negative 32-bit value
    size_t len = 0;
    bool negative = false, digits = false, bad = false;
    int64_t magnitude = 0;
    for (size_t pos = 0; c != EOF && !std::isspace(c); pos++, c = getc(f)) {
        if (len + 1 < sizeof toktext) toktext[len++] = (char)c;
        if (pos == 0 && (c == '+' || c == '-')) {
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (magnitude <= limit) magnitude = magnitude * 10 + (c - '0');
        } else {
            bad = true;
        }
    }
    toktext[len] = '\0';
    if (c == '\n') curline++;
    if (bad || !digits) return tokbad;
    if (magnitude > limit || (magnitude == limit && !negative)) return tokbig;
    *value = (int)(negative ? -magnitude : magnitude);
    return tokok;
}
