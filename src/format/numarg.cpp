// The library converters skip leading white space and accept forms we do not
// want (hexadecimal, "inf", "nan", a sign on an unsigned number), so each
// parser first checks the characters itself and then lets the converter do
// the arithmetic, with errno catching overflow of whole numbers; a real
// number that overflows comes back infinite.
#include "format/numarg.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool isdigitchar(char c) {
    return c >= '0' && c <= '9';
}

// Digits from p on; returns the first character after them.
const char *skipdigits(const char *p) {
    while (isdigitchar(*p)) p++;
    return p;
}

} // namespace

bool parsewhole(const char *text, long long lo, long long hi, long long *value) {
    const char *p = text;
    if (*p == '+' || *p == '-') p++;
    if (!isdigitchar(*p) || *skipdigits(p) != '\0') return false;
    errno = 0;
    char *rest = nullptr;
    long long v = std::strtoll(text, &rest, 10);
    if (errno != 0 || *rest != '\0' || v < lo || v > hi) return false;
    *value = v;
    return true;
}

bool parseunsigned(const char *text, uint64_t *value) {
    if (!isdigitchar(*text) || *skipdigits(text) != '\0') return false;
    errno = 0;
    char *rest = nullptr;
    unsigned long long v = std::strtoull(text, &rest, 10);
    if (errno != 0 || *rest != '\0') return false;
    *value = v;
    return true;
}

bool parsereal(const char *text, double *value) {
    const char *p = text;
    if (*p == '+' || *p == '-') p++;
    const char *intpart = p;
    p = skipdigits(p);
    bool digits = p != intpart;
    if (*p == '.') {
        const char *frac = ++p;
        p = skipdigits(p);
        digits = digits || p != frac;
    }
    if (!digits) return false;
    if (*p == 'e' || *p == 'E') {
        p++;
        if (*p == '+' || *p == '-') p++;
        if (!isdigitchar(*p)) return false;
        p = skipdigits(p);
    }
    if (*p != '\0') return false;
    char *rest = nullptr;
    double v = std::strtod(text, &rest);
    if (*rest != '\0' || !std::isfinite(v)) return false;
    *value = v;
    return true;
}
