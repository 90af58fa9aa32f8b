#include "driver/solvemode.h"

#include <cstdio>

namespace gpr {

int solvemode(int, char **) {
    std::fprintf(stderr, "maxnpv solve: not built yet\n");
    return 2;
}

} // namespace gpr
