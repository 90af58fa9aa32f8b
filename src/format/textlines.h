// The pieces that the line-oriented readers of the standard RCPSP formats
// (PSPLIB .sm, Patterson .rcp) share: the text split into numbered lines of
// blank-separated tokens, strict 32-bit integers, and tokens quoted safely
// for a reason that goes to a terminal.
//
// A reader walks the lines once and stops at the first defect with the line
// number and a sentence saying what was expected and what was found; nothing
// is sized from a count in the file before the values that the count
// announces have been read, so a count of two billion costs nothing until
// the values arrive.
#ifndef MAXNPV_TEXTLINES_H
#define MAXNPV_TEXTLINES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t textshown = 40; // most bytes of a token that a reason quotes

// The defect of a rejected file.
struct formaterror {
    long line = 0; // line of the defect, from 1; one past the last line when the text ends early
    // What is wrong, in words; a quoted token is cut after textshown bytes and
    // every byte outside printable ASCII (and the backslash) is written \xNN.
    std::string reason;
};

// The token in double quotes, cut and escaped as formaterror promises.
std::string quotedtoken(const std::string &token);

// A decimal integer token (an optional sign and digits) within 32 bits.
bool parseint32(const std::string &token, long long *value);

// One line that holds something, split at blanks.
struct textline {
    long nr = 0;                  // its number in the file, from 1
    std::vector<std::string> tok; // its tokens, the first `cap` of them (see more)
    size_t count = 0;             // how many tokens the line holds
    std::string text;             // the line itself, without its line end
};

class textlines {
  public:
    textlines(const std::string &text, formaterror *err) : text_(text), err_(err) {}

    // The next line that holds a token; false at the end of the text. Of
    // its tokens the first cap are kept and all are counted, so a line of
    // millions of values costs no memory where a few are expected.
    bool more(textline *line, size_t cap = SIZE_MAX);
    // The same; at the end of the text reports that `what` was expected.
    bool next(textline *line, const std::string &what, size_t cap = SIZE_MAX);
    // Reports the defect at `line`; always false, so that readers can
    // `return fail(...)`.
    bool fail(long line, const std::string &reason);
    // The number one past the last line read.
    long endline() const { return lineno_ + 1; }

  private:
    const std::string &text_;
    formaterror *err_;
    size_t pos_ = 0;  // first byte of the next line
    long lineno_ = 0; // lines read so far
};

// Token k of the line as an integer in lo..hi; `what` names it in a reason.
bool intfield(textlines &r, const textline &line, size_t k, long long lo, long long hi,
              const std::string &what, int *value);

#endif
