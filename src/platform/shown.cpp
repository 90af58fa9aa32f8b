// Text from outside (file names, reasons, tokens) made safe to show: every
// byte is checked against well-formed UTF-8, and control characters and
// stray bytes become \xNN so that they cannot steer a terminal.
#include "platform/shown.h"

#include <cstdio>

constexpr unsigned maxcode = 0x10ffff;
constexpr unsigned surrogatelow = 0xd800, surrogatehigh = 0xdfff;

std::size_t utf8seq(const std::string &s, std::size_t at, unsigned &code) {
    unsigned char lead = (unsigned char)s[at];
    code = lead;
    if (lead < 0x80) return 1;
    std::size_t len;
    unsigned least; // smallest code point that needs this length
    if (lead >= 0xc2 && lead <= 0xdf)
        len = 2, code = lead & 0x1f, least = 0x80;
    else if (lead >= 0xe0 && lead <= 0xef)
        len = 3, code = lead & 0x0f, least = 0x800;
    else if (lead >= 0xf0 && lead <= 0xf4)
        len = 4, code = lead & 0x07, least = 0x10000;
    else
        return 0;
    if (s.size() - at < len) return 0;
    for (std::size_t k = 1; k < len; k++) {
        unsigned char c = (unsigned char)s[at + k];
        if ((c & 0xc0) != 0x80) return 0;
        code = (code << 6) | (c & 0x3f);
    }
    if (code < least || code > maxcode) return 0;
    if (code >= surrogatelow && code <= surrogatehigh) return 0;
    return len;
}

// Control characters (C0, DEL, C1) and stray bytes as \xNN; the rest as is.
std::string terminaltext(const std::string &s) {
    std::string out;
    for (std::size_t at = 0; at < s.size();) {
        unsigned code;
        std::size_t len = utf8seq(s, at, code);
        bool control = code < 0x20 || (code >= 0x7f && code < 0xa0);
        if (len == 0 || control) {
            std::size_t n = len == 0 ? 1 : len;
            for (std::size_t k = 0; k < n; k++) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02x", (unsigned char)s[at + k]);
                out += buf;
            }
            at += n;
        } else {
            out.append(s, at, len);
            at += len;
        }
    }
    return out;
}
