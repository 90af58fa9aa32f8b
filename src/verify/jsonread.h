// A small strict JSON reader for the documents maxnpv verify reads: the
// grammar of RFC 8259 and nothing more (no comments, no trailing commas, no
// NaN, no leading zeros, no byte order mark), strings of well-formed UTF-8
// with their escapes checked, and bounds on the size of the text, the depth
// of nesting and the length of numbers and of the strings kept, so that any
// input ends quickly with a value or a reason.
//
// It builds no tree of the document: the caller asks for the value it
// expects next (a pull reader) and keeps what it needs, so the memory a
// document costs is the text and what the caller keeps, not a node per
// value. jsonwellformed walks a whole text the same way and keeps nothing.
#ifndef MAXNPV_JSONREAD_H
#define MAXNPV_JSONREAD_H

#include <cstddef>
#include <string>

namespace gpr {

enum class jsonkind { null, boolean, number, string, array, object, none };

constexpr std::size_t jsonmaxbytes = 512u << 20; // longest text read (bytes)
constexpr int jsonmaxdepth = 32;                 // deepest nesting of arrays and objects
constexpr std::size_t jsonmaxnumber = 400;       // longest number (characters)

class jsonreader {
  public:
    explicit jsonreader(const std::string &source) : text(source) {}

    // The kind of the value that starts at the next character that is not a
    // blank; none at the end of the text, at a character that starts no
    // value, or after a fault.
    jsonkind peek();
    // Each reads one value of its kind, or fails (false) with the reason.
    bool null();
    bool boolean(bool *out);
    bool number(std::string *out); // the number as written
    // A string, its escapes resolved, of at most most bytes (longer ones
    // fail); out may be null to read it without keeping it.
    bool string(std::string *out, std::size_t most);
    // An object: beginobject, then member until *more is false; each member
    // gives its name (at most most bytes) and the caller reads its value.
    bool beginobject();
    bool member(std::string *key, std::size_t most, bool *more);
    // An array: beginarray, then element until *more is false; the caller
    // reads each element's value.
    bool beginarray();
    bool element(bool *more);
    bool skip();   // any one value
    bool finish(); // nothing but blanks is left

    // Fails at the current place with what: "line L, column C: what".
    bool fail(const std::string &what);
    bool failed() const { return !why.empty(); }
    const std::string &reason() const { return why; }

  private:
    const std::string &text;
    std::string why;                   // the first fault, or empty
    std::size_t at = 0;                // the next byte to read
    int depth = 0;                     // arrays and objects open
    bool fresh[jsonmaxdepth + 1] = {}; // [depth] no element or member read yet

    void space();
    bool literal(const char *word);
    bool digits();
    bool hex4(unsigned *code);
    bool open(char c);
};

// Whether the text is one JSON value and nothing more; else *why.
bool jsonwellformed(const std::string &text, std::string *why);

// A number's text as a whole number within lo..hi, without fraction or
// exponent.
bool jsonwhole(const std::string &number, long long lo, long long hi, long long *out);

// A number's text as the nearest double; false when it is too large.
bool jsonreal(const std::string &number, double *out);

} // namespace gpr

#endif
