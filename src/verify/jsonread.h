// A small strict JSON reader for the documents maxnpv verify reads: the
// grammar of RFC 8259 and nothing more (no comments, no trailing commas, no
// NaN, no leading zeros, no byte order mark), strings of well-formed UTF-8
// with their escapes checked, no key twice in one object, and bounds on the
// size of the text, the depth of nesting and the length of numbers, so that
// any input ends quickly with a value or a reason.
#ifndef MAXNPV_JSONREAD_H
#define MAXNPV_JSONREAD_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace gpr {

enum class jsonkind { null, boolean, number, string, array, object };

struct jsonvalue {
    jsonkind kind = jsonkind::null;
    bool truth = false; // a boolean's value
    std::string text;   // a string's bytes (escapes resolved), or a number's text as written
    std::vector<jsonvalue> items;                          // an array's elements
    std::vector<std::pair<std::string, jsonvalue>> fields; // an object's members, in order
};

constexpr std::size_t jsonmaxbytes = 512u << 20; // longest text read (bytes)
constexpr int jsonmaxdepth = 32;                 // deepest nesting of arrays and objects
constexpr std::size_t jsonmaxnumber = 400;       // longest number (characters)

// Reads the whole text as one JSON value into *out. False with *why ("line
// L, column C: ...") when the text is not JSON or leaves the bounds.
bool readjson(const std::string &text, jsonvalue *out, std::string *why);

// The member named key of an object, or nullptr (also for a non-object).
const jsonvalue *jsonfind(const jsonvalue &object, const char *key);

// A number that is a whole number within lo..hi, without fraction or exponent.
bool jsonwhole(const jsonvalue &v, long long lo, long long hi, long long *out);

// A number as the nearest double; false when it is not a number or too large.
bool jsonreal(const jsonvalue &v, double *out);

} // namespace gpr

#endif
