// The few things of the shared state that are code: the names of the
// outcomes and the assertion report.
#include "network/common_gpr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gpr {

const char *outcomename(outcome kind) {
    switch (kind) {
    case outcome::solved:
        return "solved";
    case outcome::notfound:
        return "not found";
    case outcome::toomany:
        return "too many activities";
    case outcome::invalid:
        return "invalid";
    case outcome::infeasible:
        return "infeasible";
    case outcome::unlinked:
        return "not connected";
    }
    return "?";
}

void assertfail(const char *expr, const char *file, int line) {
    const char *base = std::strrchr(file, '/');
    std::fflush(stdout);
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expr, base ? base + 1 : file,
                 line);
    std::abort();
}

} // namespace gpr
