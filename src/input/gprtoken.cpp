// The tokenizer scans the file's bytes in memory and classifies each token in
// one pass: the digits accumulate in 64 bits and stop growing once the
// magnitude is beyond 32 bits, so even an absurdly long token is judged
// without overflow. Line ends are counted as they are skipped, which gives
// every rejection its line. Only the place of the last token is kept; its
// text is escaped when a message asks for it.
#include "input/gprtoken.h"

#include <cstdint>
#include <cstdio>

namespace gpr {

static bool blank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

tokresult tokenizer::next(int *value) {
    while (pos < textsize && blank((unsigned char)text[pos])) {
        if (text[pos] == '\n') curline++;
        pos++;
    }
    toknr++;
    tokfrom = pos;
    toklen = 0;
    if (pos == textsize) return tokresult::eof; // reported at the last line that held a value
    tokline = curline;
    while (pos < textsize && !blank((unsigned char)text[pos])) pos++;
    toklen = pos - tokfrom;

    const int64_t limit = (int64_t)1 << 31; // magnitude of the most negative 32-bit value
    const char *c = text + tokfrom, *end = text + pos;
    bool negative = false;
    if (*c == '+' || *c == '-') negative = *c++ == '-';
    if (c == end) return tokresult::bad;
    int64_t magnitude = 0;
    for (; c < end; c++) {
        if (*c < '0' || *c > '9') return tokresult::bad;
        if (magnitude <= limit) magnitude = magnitude * 10 + (*c - '0');
    }
    if (magnitude > limit || (magnitude == limit && !negative)) return tokresult::big;
    *value = (int)(negative ? -magnitude : magnitude);
    return tokresult::ok;
}

const char *tokenizer::shown() {
    size_t n = toklen < tokshown ? toklen : tokshown, k = 0;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)text[tokfrom + i];
        if (c >= ' ' && c < 0x7f && c != '\\')
            buf[k++] = (char)c;
        else
            k += (size_t)std::snprintf(buf + k, sizeof buf - k, "\\x%02X", c);
    }
    if (toklen > tokshown) {
        // Mark the cut; three dots fit in the room left for escapes.
        buf[k++] = '.';
        buf[k++] = '.';
        buf[k++] = '.';
    }
    buf[k] = '\0';
    return buf;
}

} // namespace gpr
