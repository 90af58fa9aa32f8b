// The search is exact: with x_i = exp(-r s_i) the max-npv problem is a linear
// program, and the optimum that GLPK finds for it must be the net present
// value the solver reports. The LP model (tools/gprlp) reads the instance
// file on its own and decides on its own, by longest paths, whether an
// instance is infeasible or cannot be tied to the start dummy; every such
// report of the solver is thus confirmed independently.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <string>

#include "lpmodel.h"
#include "network/common_gpr.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

// Loads and solves text as D1.gpr and returns the solver's outcome in the
// model's terms; sets *value to the solver's npv when it solved the instance.
lpkind solveroutcome(const std::string &text, double *value) {
    std::remove("output.txt");
    int result = loadandsolve(text);
    switch (result) {
    case 0:
        *value = npv;
        return lpsolved;
    case 3:
        return lpinfeasible;
    case 4:
        return lpunlinked;
    case -1:
        if (readfile("output.txt").find("no feasible schedule") != std::string::npos)
            return lpinfeasibleload;
        break;
    }
    return lpfailed; // a skip of a kind the model never predicts
}

const char *outcomename(lpkind kind) {
    switch (kind) {
    case lpunreadable:
        return "unreadable";
    case lpinfeasibleload:
        return "infeasible at load";
    case lpinfeasible:
        return "infeasible";
    case lpunlinked:
        return "not connected";
    case lpsolved:
        return "solved";
    case lpfailed:
        break;
    }
    return "failed";
}

double tolerance(double optimum) {
    return 1e-6 * std::max(1.0, std::fabs(optimum));
}

// Small instances whose outcome is worked out by hand; the model and the
// solver must both give it.
TEST(LpCrossCheck, HandWorkedInstances) {
    // The worked example of the solver's documentation: optimum 491.39149.
    lpresult worked = lpsolve(std::string(MAXNPV_EXAMPLES) + "/D1.gpr", 50, 10, 0.01);
    ASSERT_EQ(worked.kind, lpsolved) << worked.reason;
    EXPECT_NEAR(worked.npv, 491.39149, 5e-6);
    EXPECT_EQ(worked.deadline, 15);

    scratchdir dir;
    // With pctneg 50 the cash flows are 0, -239, 356, ... (index 1 draws 21238 and
    // 2437, index 2 draws 8855 and 11797); interest 0.035.
    struct handcase {
        const char *what, *text;
        int dlextra;
        lpkind expected;
        double value; // the optimum, for solved cases
    } cases[] = {
        // Activity 2 (-239) may start up to 1100 after activity 3 (356); both start at
        // 0 at the earliest. Delaying 3 costs more than it lets 2 gain, so 3 stays at 0
        // and 2 moves to 1100: its discount factor e^-38.5 spans 17 orders of magnitude.
        {"activity that can start 1100 after its earliest start",
         "4 0\n0 2 2 1 1 0 3 1 1 0\n0 1 3 1 1 -1100\n0 1 4 1 3 0\n0 0\n", 5, lpsolved,
         356 - 239 * std::exp(-0.035 * 1100)},
        // 1 -> 2 at least 3 after, 2 -> 1 at least -2 after: a cycle of length 1.
        {"cycle as read", "4 0\n0 1 2 1 1 0\n1 1 3 1 1 3\n1 1 2 1 1 -2\n0 0\n", 5, lpinfeasibleload,
         0},
        // Activity 2 starts at least 3 before the start dummy and at most 1 before it:
        // feasible as read (cycle -3 + 1), but the lag from the start dummy becomes 0.
        {"cycle after the lags from the start dummy are raised",
         "3 0\n0 2 2 1 1 -3 2 2 1 -1\n2 1 3 1 3 0\n0 0\n", 5, lpinfeasible, 0},
        // Chain 0 -> 1 -> 2 -> end, durations 2 and 3, a start-to-start lag of 1 into the
        // end dummy: critical path 3 as read; raised to the duration 3, the lag puts the
        // end dummy at 5, after the deadline 3 of slack 0.
        {"raised lag into the end dummy breaks the deadline",
         "4 0\n0 1 2 1 1 0\n2 1 3 1 3 0\n3 1 4 1 1 1\n0 0\n", 0, lpinfeasible, 0},
        {"negative slack", "3 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n0 0\n", -1, lpinfeasible, 0},
        // Activity 3 (file numbering) is named by nobody.
        {"activity reached by no relation", "4 0\n0 1 2 1 1 0\n1 1 4 1 3 0\n1 1 4 1 3 0\n0 0\n", 5,
         lpunlinked, 0},
        // Activity 3 is reached only 1500 before activity 2, below the start value -999.
        {"activity reached only far below -999",
         "4 0\n0 1 2 1 1 0\n1 2 3 1 1 -1500 4 1 3 0\n1 1 4 1 3 0\n0 0\n", 5, lpunlinked, 0},
    };
    for (const handcase &c : cases) {
        setparams(50, c.dlextra, 0.035);
        double value = 0;
        EXPECT_EQ(outcomename(solveroutcome(c.text, &value)), outcomename(c.expected))
            << "solver, " << c.what;
        lpresult lp = lpsolve("D1.gpr", 50, c.dlextra, 0.035);
        EXPECT_EQ(outcomename(lp.kind), outcomename(c.expected)) << "model, " << c.what;
        if (c.expected != lpsolved) continue;
        EXPECT_NEAR(value, c.value, tolerance(c.value)) << "solver, " << c.what;
        EXPECT_NEAR(lp.npv, c.value, tolerance(c.value)) << "model, " << c.what;
    }
}

// Several hundred seeded random instances: every bound and relation type,
// zero durations and lags, maximal lags, planted cycles and unconnected
// activities, and a spread of run parameters.
TEST(LpCrossCheck, SolverMatchesTheLpOnRandomInstances) {
    scratchdir dir;
    const int count = 600;
    const int pcts[] = {0, 30, 50, 80, 100};
    const int slacks[] = {0, 5, 20, 100};
    int checked[lpfailed + 1] = {};
    int reported = 0;
    testrng rng(20260611);
    for (int k = 0; k < count; k++) {
        instanceshape shape;
        int roll = rng.below(100);
        shape.plant = roll < 4    ? plantloadcycle
                      : roll < 7  ? plantnormcycle
                      : roll < 10 ? plantorphan
                      : roll < 13 ? plantdeep
                      : roll < 18 ? planttightmax
                      : roll < 24 ? plantwide
                                  : plantnone;
        if (rng.chance(20)) shape.maxact = 10;
        if (rng.chance(20)) shape.maxlagpct = 70;
        std::string text = randominstance(rng.next(), shape);
        int pct = pcts[rng.below(5)];
        double rate = rng.range(1, 100) / 1000.0;
        int slack = slacks[rng.below(4)];
        int draw = rng.below(100);
        if (draw < 4) slack = -rng.range(1, 10);
        if (draw >= 96) slack = 2000000, rate = 1e-6;

        setparams(pct, slack, rate);
        double value = 0;
        lpkind solver = solveroutcome(text, &value);
        lpresult lp = lpsolve("D1.gpr", pct, slack, rate);
        bool same = solver == lp.kind;
        if (same && solver == lpsolved) same = std::fabs(value - lp.npv) <= tolerance(lp.npv);
        if (same) {
            checked[solver]++;
            continue;
        }
        if (++reported <= 5)
            ADD_FAILURE() << std::setprecision(12) << "instance " << k << ", pctneg " << pct
                          << ", dlextra " << slack << ", interest " << rate << ": solver "
                          << outcomename(solver) << " " << value << ", LP " << outcomename(lp.kind)
                          << " " << lp.npv << " (" << lp.reason << ")\n"
                          << text;
    }
    EXPECT_EQ(reported, 0) << "instances on which the solver and the LP disagree";
    std::printf("LP cross-check: %d solved, %d infeasible at load, %d infeasible, %d not "
                "connected, of %d instances\n",
                checked[lpsolved], checked[lpinfeasibleload], checked[lpinfeasible],
                checked[lpunlinked], count);
    // The generator must keep producing every kind, most of them solvable.
    EXPECT_GE(checked[lpsolved], count * 2 / 3);
    EXPECT_GE(checked[lpinfeasibleload], 10);
    EXPECT_GE(checked[lpinfeasible], 10);
    EXPECT_GE(checked[lpunlinked], 10);
}

} // namespace
