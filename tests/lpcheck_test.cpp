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
    *value = npv;
    if (result == -1 && readfile("output.txt").find("no feasible schedule") != std::string::npos)
        return lpinfeasibleload;
    return result == 0   ? lpsolved
           : result == 3 ? lpinfeasible
           : result == 4 ? lpunlinked
                         : lpfailed;
}

// Several hundred seeded random instances: every bound and relation type,
// zero durations and lags, maximal lags, planted defects, and a spread of
// run parameters, among them a huge slack with a tiny interest rate.
TEST(LpCrossCheck, SolverMatchesTheLpOnRandomInstances) {
    // First the model itself: the hand-worked optimum of the worked example.
    lpresult worked = lpsolve(std::string(MAXNPV_EXAMPLES) + "/D1.gpr", 50, 10, 0.01);
    ASSERT_EQ(worked.kind, lpsolved) << worked.reason;
    EXPECT_NEAR(worked.npv, 491.39149, 5e-6);

    scratchdir dir;
    const int count = 600, pcts[] = {0, 30, 50, 80, 100}, slacks[] = {0, 5, 20, 100};
    const plantkind plants[] = {plantloadcycle, plantnormcycle, plantorphan, planttightmax,
                                plantwide};
    int checked[lpfailed + 1] = {}, reported = 0;
    testrng rng{20260611};
    for (int k = 0; k < count; k++) {
        plantkind plant = k % 5 ? plantnone : plants[k / 5 % 5]; // one in five planted
        int maxact = rng.chance(20) ? 10 : 60, maxlagpct = rng.chance(20) ? 70 : 30;
        std::string text = randominstance(rng.next(), plant, maxact, maxlagpct);
        int pct = pcts[rng.below(5)], slack = slacks[rng.below(4)], draw = rng.below(100);
        double rate = rng.range(1, 100) / 1000.0;
        if (draw < 4) slack = -rng.range(1, 10);
        if (draw >= 96) slack = 2000000, rate = 1e-6;

        setparams(pct, slack, rate);
        double value = 0;
        lpkind solver = solveroutcome(text, &value);
        lpresult lp = lpsolve("D1.gpr", pct, slack, rate);
        double tolerance = 1e-6 * std::max(1.0, std::fabs(lp.npv));
        bool same =
            solver == lp.kind && (solver != lpsolved || std::fabs(value - lp.npv) <= tolerance);
        checked[solver] += same;
        if (!same && ++reported <= 5)
            ADD_FAILURE() << std::setprecision(12) << "pctneg " << pct << ", dlextra " << slack
                          << ", interest " << rate << ": solver " << solver << " " << value
                          << ", LP " << lp.kind << " " << lp.npv << " " << lp.reason << "\n"
                          << text;
    }
    EXPECT_EQ(reported, 0) << "instances on which the solver and the LP disagree";
    std::printf("LP cross-check: %d solved, %d infeasible at load, %d infeasible, %d not "
                "connected, of %d instances\n",
                checked[lpsolved], checked[lpinfeasibleload], checked[lpinfeasible],
                checked[lpunlinked], count);
    // The generator must keep producing every kind, most of them solvable.
    EXPECT_GE(checked[lpsolved], count * 2 / 3);
    for (lpkind kind : {lpinfeasibleload, lpinfeasible, lpunlinked})
        EXPECT_GE(checked[kind], 10) << kind;
}

} // namespace
