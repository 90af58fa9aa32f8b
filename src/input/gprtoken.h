// Reading the values of an instance file one by one. A value is a token, a
// run of characters between white space, that must be a decimal integer: an
// optional sign and at least one digit, nothing else, fitting 32 bits. The
// tokenizer keeps the line and the ordinal of every value so that a rejected
// file can be reported with the place of its defect.
//
// The whole file is held in memory, so every reading of an instance sees the
// same bytes whatever happens to the file on disk meanwhile.
#ifndef MAXNPV_GPRTOKEN_H
#define MAXNPV_GPRTOKEN_H

#include <cstddef>

namespace gpr {

enum class tokresult {
    ok,  // a value was read
    eof, // the text ended before the value
    bad, // the token is not a decimal integer
    big, // the token is a decimal integer that does not fit 32 bits
};

constexpr size_t tokshown = 40; // most bytes of a bad token that a message shows

class tokenizer {
  public:
    // Reads the text data[0..size-1] from line 1, value 1.
    tokenizer(const char *data, size_t size) : text(data), textsize(size) {}

    // Reads the next value into *value (left unchanged unless ok).
    tokresult next(int *value);

    int line() const { return tokline; }   // line of the last token (from 1; 1 before any)
    long ordinal() const { return toknr; } // ordinal of the last value read or expected

    // The last token as found, cut to tokshown bytes, with every byte outside
    // printable ASCII (and the backslash) written as \xNN, so that a message
    // never carries terminal control sequences.
    const char *shown();

  private:
    const char *text;           // the file's bytes
    size_t textsize;            // their number
    size_t pos = 0;             // next byte to look at
    int curline = 1;            // line of the next byte
    int tokline = 1;            // line of the last token
    long toknr = 0;             // ordinal of the last value
    size_t tokfrom = 0;         // first byte of the last token
    size_t toklen = 0;          // its length (0 at the end of the text)
    char buf[4 * tokshown + 4]; // the escaped token of shown()
};

} // namespace gpr

#endif
