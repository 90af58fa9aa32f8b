// The cash flows are part of what a run reports (every one is logged in
// info.out and every net present value depends on them), so they come from a
// fixed recurrence, not from the platform's random numbers: the state is
// multiplied by 214013 and increased by 2531011 modulo 2^32, and a draw is
// bits 16..30 of the new state. Every instance starts from the seed 0, so
// activity k always gets the k-th pair of draws and the same cash flow in
// every instance of a run, whatever the file holds.
//
// Experiments want independent draws per instance instead, reproducible from
// a seed whatever the order of the run: the state of a splitmix64 generator
// starts at seed XOR the FNV-1a hash of the instance's name, so each
// instance's cash flows depend on the seed and its name alone. Both are
// standard 64-bit algorithms with published constants, so a few lines of any
// language give the same cash flows.
#include "input/cashflow.h"

#include <cstring>

#include "format/numarg.h"
#include "platform/shown.h"

namespace gpr {

constexpr uint32_t lcgmul = 214013u;  // multiplier of the recurrence
constexpr uint32_t lcginc = 2531011u; // increment of the recurrence
constexpr uint32_t lcgmask = 0x7fffu; // a draw keeps 15 bits of the shifted state
constexpr int cfmax = 500;            // largest cash-flow magnitude
constexpr int pctbase = 100;          // a sign draw is compared with pctneg modulo this

int lcg::next() {
    state = state * lcgmul + lcginc;
    return (int)((state >> 16) & lcgmask);
}

int drawcf(lcg *g, int i, int nract, int pctneg) {
    int cf = g->next() % cfmax + 1;
    if (g->next() % pctbase < pctneg) cf = -cf;
    // Both draws are made for the dummies too, so the sequence of every
    // other activity does not depend on where the end dummy stands.
    return i == 0 || i == nract - 1 ? 0 : cf;
}

} // namespace gpr

namespace gpr {

constexpr uint64_t fnvoffset = 14695981039346656037ull; // FNV-1a 64-bit offset basis
constexpr uint64_t fnvprime = 1099511628211ull;         // FNV-1a 64-bit prime
constexpr uint64_t golden = 0x9e3779b97f4a7c15ull;      // splitmix64 increment
constexpr uint64_t mix1 = 0xbf58476d1ce4e5b9ull;        // splitmix64 multipliers
constexpr uint64_t mix2 = 0x94d049bb133111ebull;

uint64_t fnv1a(const std::string &text) {
    uint64_t h = fnvoffset;
    for (unsigned char c : text) h = (h ^ c) * fnvprime;
    return h;
}

uint64_t splitmix64::next() {
    uint64_t z = state += golden;
    z = (z ^ (z >> 30)) * mix1;
    z = (z ^ (z >> 27)) * mix2;
    return z ^ (z >> 31);
}

std::vector<int> seededcf(int nract, int pctneg, uint64_t seed, const std::string &name) {
    splitmix64 g(seed ^ fnv1a(name));
    std::vector<int> cf(nract > 0 ? nract : 0);
    for (int i = 0; i < nract; i++) {
        int v = (int)(g.next() % cfmax) + 1;
        if ((int)(g.next() % pctbase) < pctneg) v = -v;
        cf[i] = i == 0 || i == nract - 1 ? 0 : v;
    }
    return cf;
}

std::string instancename(const std::string &path) {
    std::string base = path.substr(path.find_last_of('/') + 1);
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    return base;
}

bool parsecashflows(const std::string &bytes, const std::string &name, std::vector<double> *cf,
                    std::string *why) {
    constexpr size_t shownbytes = 40; // bytes of a refused cash flow that its message quotes
    cf->clear();
    int line = 1;
    for (size_t at = 0; at < bytes.size();) {
        char c = bytes[at];
        if (c == '\0') {
            *why = terminaltext(name) + ", line " + std::to_string(line) +
                   ": a NUL byte: a cash-flow file is text";
            return false;
        }
        if (c == '\n') line++;
        if (c == '#') {
            while (at < bytes.size() && bytes[at] != '\n') at++;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            at++;
            continue;
        }
        size_t from = at;
        // A NUL ends the token too (strchr finds the terminator); the loop
        // above then names it.
        while (at < bytes.size() && !std::strchr(" \t\n\r\v\f#", bytes[at])) at++;
        std::string token = bytes.substr(from, at - from);
        double v;
        if (!parsereal(token.c_str(), &v)) {
            const std::string where = terminaltext(name) + ", line " + std::to_string(line) + ": ";
            std::string shown = terminaltext(token.substr(0, shownbytes));
            if (token.size() > shownbytes)
                shown += "...' (cut: " + std::to_string(token.size()) + " bytes in all";
            *why = where + "'" + shown + (token.size() > shownbytes ? ")" : "'") +
                   " is not a finite number";
            return false;
        }
        cf->push_back(v);
    }
    return true;
}

} // namespace gpr
