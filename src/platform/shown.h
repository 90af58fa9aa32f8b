// Text from outside the program, made safe for a terminal and checked as
// UTF-8.
#ifndef MAXNPV_SHOWN_H
#define MAXNPV_SHOWN_H

#include <cstddef>
#include <string>

// Length of the well-formed UTF-8 sequence at s[at], with its code point in
// code; 0 when the byte there does not start one (a stray continuation byte,
// an overlong form, a surrogate, a value above U+10FFFF or a cut sequence).
std::size_t utf8seq(const std::string &s, std::size_t at, unsigned &code);

// s with control characters (C0, DEL, C1) and bytes outside well-formed
// UTF-8 written as \xNN; the rest as is. For file names and reasons in
// messages.
std::string terminaltext(const std::string &s);

#endif
