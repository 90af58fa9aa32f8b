// libFuzzer target: an input is the dialogue parameters (the first bytes,
// decoded by fuzzparams.h) followed by an instance file. Every input is set
// up and, when that succeeds, solved, exactly as the batch driver does for
// one problem, from the bytes in memory. A solved instance must pass the
// checks of solvecheck.h, for both methods, else the target aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "driver/problem.h"
#include "fuzzparams.h"
#include "search/solvecycle.h"
#include "solvecheck.h"

static int reportfd = 2; // the standard error stream as it was at start-up

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // -close_fd_mask=2 closes the standard error stream after this; a
    // duplicate keeps the report of an inconsistent solution visible.
    int fd = dup(2);
    if (fd >= 0) reportfd = fd;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzparams fp = decodefuzzparams(data, size);
    gpr::problemparams params;
    params.pctneg = fp.pctneg;
    params.slack = fp.dlextra;
    params.interest = fp.interest;
    size_t skip = size < fuzzparambytes ? size : fuzzparambytes;
    static gpr::problem p;
    if (gpr::setupproblem(&p, (const char *)data + skip, size - skip, params) !=
        gpr::outcome::solved)
        return 0;
    gpr::solvecycle(&p.sol);
    std::string defect = checksolution(p.sol);
    if (defect.empty()) defect = checkfastmethod(&p.sol);
    if (!defect.empty()) {
        dprintf(reportfd, "gprfuzz: inconsistent solution: %s\n", defect.c_str());
        std::abort();
    }
    return 0;
}
