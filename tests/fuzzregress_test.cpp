// Inputs of the fuzz target, replayed through the same decoding: the files
// of fuzz-regressions/ (inputs that once broke the solver, each named after
// its defect, parameter bytes first) and the crafted fuzz seeds (degenerate
// and maximal-lag networks) behind a few parameter prefixes. Each one must
// load or be rejected without a sanitizer report, and every solved one must
// pass the consistency checks of the fuzz target: all arcs hold, every tree
// arc is listed and binding, and npv is the sum over the activities that
// were not dropped; solved again by the fast method, the same, and its npv
// no lower than the classic one. The regression folder must not be empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "fuzzparams.h"
#include "solvecheck.h"
#include "support/testsupport.h"

namespace fs = std::filesystem;

// Replays one fuzz input: the parameter bytes, then the instance file.
// Returns the outcome's name; a solved instance is checked.
static std::string replay(const std::string &input) {
    fuzzparams fp = decodefuzzparams((const uint8_t *)input.data(), input.size());
    gpr::problem p;
    gpr::outcome kind = solvetext(&p, input.substr(std::min(input.size(), fuzzparambytes)),
                                  params(fp.pctneg, fp.dlextra, fp.interest));
    if (kind == gpr::outcome::solved) {
        EXPECT_EQ(checksolution(p.sol), "");
        EXPECT_EQ(checkfastmethod(&p.sol), "");
    }
    return name(kind);
}

TEST(FuzzRegressions, RegressionFilesAndCraftedSeedsSolveConsistently) {
    int replayed = 0;
    for (const auto &f : fs::directory_iterator(fs::path(MAXNPV_TESTDATA) / "fuzz-regressions")) {
        SCOPED_TRACE(f.path().filename().string());
        replay(readfile(f.path()));
        replayed++;
    }
    EXPECT_GT(replayed, 0) << "tests/fuzz-regressions holds no input";
    // Four parameter bytes each. pctneg, dlextra, interest: 50, 10, 0.01 (the worked example's
    // run); 100, 100, 0.05 (all negative, a loose deadline); 0, 0, 0.2 (all positive, no slack);
    // 30, 5, 2.0 (a steep rate).
    const char prefixes[][5] = {"\x32\x3c\x00\x09", "\x64\x96\x00\x31", "\x00\x32\x00\xc7",
                                "\x1e\x37\x00\xf7"};
    for (const auto &f : fs::directory_iterator(MAXNPV_FUZZSEEDS)) {
        for (const char *prefix : prefixes) {
            int dlextra = decodefuzzparams((const uint8_t *)prefix, 4).dlextra;
            SCOPED_TRACE(f.path().filename().string() + " with dlextra " + std::to_string(dlextra));
            // Every seed solves with any slack >= 0: the deadline rests on
            // the critical path of the network that the solve uses.
            EXPECT_EQ(replay(std::string(prefix, 4) + readfile(f.path())), "solved");
        }
    }
}
