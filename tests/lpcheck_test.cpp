// The search is exact: with x_i = exp(-r s_i) the max-npv problem is a linear
// program, and the optimum that GLPK finds for it must be the net present
// value the solver reports. The LP model (tools/gprlp) reads the instance
// file on its own and decides on its own, by longest paths, whether an
// instance is infeasible or not connected; every such report of the solver
// is thus confirmed independently. The model's own answers are first checked
// against optima worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <map>
#include <string>
#include <vector>

#include "lpmodel.h"
#include "maxnpv/maxnpv.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

// The solver's outcome for the instance text, in the model's terms, with the
// same run parameters as the model gets; *value gets its npv when it solved
// the instance. This is the one place that knows how the solver is called.
lpkind solveroutcome(const std::string &text, const lpoptions &opt, double *value,
                     maxnpv::method method = maxnpv::method::fast) {
    maxnpv::network net;
    std::string why;
    if (maxnpv::parsegpr(text, &net, &why) != maxnpv::status::solved) return lpunreadable;
    maxnpv::options run;
    run.interest = opt.interest;
    run.absolute = opt.deadline.has_value();
    run.deadline = opt.deadline.value_or(0);
    run.slack = opt.slack;
    run.method = method;
    maxnpv::result r = maxnpv::solver().solve(
        net, opt.cashflows.empty() ? maxnpv::randomcashflows(net, opt.pctneg) : opt.cashflows, run);
    *value = r.npv;
    switch (r.status) {
    case maxnpv::status::solved:
        return lpsolved;
    case maxnpv::status::infeasible:
        return lpinfeasible;
    case maxnpv::status::notconnected:
        return lpunlinked;
    default:
        return lpunreadable;
    }
}

// The model's answer for the instance text (written as D1.gpr).
lpresult modelof(const std::string &text, const lpoptions &opt) {
    writefile("D1.gpr", text);
    return lpsolve("D1.gpr", opt);
}

// The run parameters of the dialogue's answers.
lpoptions answers(int pctneg, long long slack, double interest) {
    lpoptions opt;
    opt.pctneg = pctneg;
    opt.slack = slack;
    opt.interest = interest;
    return opt;
}

bool close(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// Instances of the problem reports: the answers first problem, last
// problem, pctneg, slack, interest, and the file, one activity per line.
// Their optima are worked out by hand below.
//  (a) answers 1 1 100 10 0.01. Activity 2 leads nowhere; activity 3 leads
//      to the end only through a lag of -999998 to activity 4. With all cash
//      flows negative (-239, -356, -366 for activities 2..4), activity 2 is
//      put off without end, activity 3 starts at its latest, 1000008, where
//      its term is nil, and activity 4 at the deadline 10:
//      npv = -366 e^-0.1 = -331.1705.
const char *const reproa = "5 0\n"
                           "0 4  2 1 1 0  3 1 1 0  4 1 1 0  5 1 1 0\n"
                           "0 0\n"
                           "0 2  4 1 1 -999998  2 1 1 0\n"
                           "0 1  5 1 3 0\n"
                           "0 0\n";
//  (b) answers 1 1 0 10 0.000001. Activity 2 has a maximal lag of 0 to
//      activity 3: the arc 3->2, while the pair (2,3) gets no lag and is no
//      arc. Earliest starts: activity 4 at 1000000, activity 2 at 2000000,
//      activity 3 at 0. Cash flows 239, 356, 366, all best at the earliest:
//      npv = 239 e^-2 + 356 + 366 e^-1 = 522.9890.
const char *const reprob = "5 0\n"
                           "0 2 4 1 1 1000000 3 1 1 0\n"
                           "0 2 3 2 1 0 5 1 3 0\n"
                           "0 1 5 1 3 0\n"
                           "0 2 2 1 1 1000000 5 1 3 0\n"
                           "0 0\n";
//  (c) Activity 2 lasts 5 and is tied start-to-start to the end dummy; the
//      normalisation lengthens that arc to 5, so the critical path is 5 and
//      the deadline 5 + slack. Cash flow +-239 (pctneg 0 / 100), interest
//      0.01: 239 e^-0.05 = 227.3438 at any slack; -239 e^(-0.01 (slack + 5)),
//      -227.3438 at slack 0 and -218.4296 at slack 4.
const char *const reproc = "3 0\n"
                           "0 1 2 1 1 0\n"
                           "5 1 3 1 1 0\n"
                           "0 0\n";

// Instances whose optima are worked out by hand (in the comments), with
// cash flows drawn as the solver draws them (pctneg) or given.
struct handcase {
    const char *what, *text;
    lpoptions opt;
    lpkind kind;
    double npv;
    std::vector<long long> schedule; // empty: not checked
};

lpoptions given(std::vector<double> cashflows, long long slack, double interest) {
    lpoptions opt = answers(0, slack, interest);
    opt.cashflows = std::move(cashflows);
    return opt;
}

// U: put off without end; any: an activity whose term is nil or zero, which
// any time in its window serves as well (not checked).
const long long U = lpunbounded, any = LLONG_MIN;

std::vector<handcase> handcases() {
    lpoptions absolute = given({10, -239, 5}, 0, 0.01);
    absolute.deadline = 8;
    return {
        {"report (a): a set that leads nowhere is dropped",
         reproa,
         answers(100, 10, 0.01),
         lpsolved,
         -366 * std::exp(-0.1),
         {0, U, any, 10, 10}},
        {"report (b): the pair of a maximal lag's own entry is no arc",
         reprob,
         answers(0, 10, 1e-6),
         lpsolved,
         239 * std::exp(-2.0) + 356 + 366 * std::exp(-1.0),
         {0, 2000000, 0, 1000000, any}},
        {"report (c), pctneg 0",
         reproc,
         answers(0, 0, 0.01),
         lpsolved,
         239 * std::exp(-0.05),
         {0, 0, any}},
        {"report (c), pctneg 100, slack 0: the deadline follows the normalisation",
         reproc,
         answers(100, 0, 0.01),
         lpsolved,
         -239 * std::exp(-0.05),
         {0, 0, 5}},
        {"report (c), pctneg 100, slack 4",
         reproc,
         answers(100, 4, 0.01),
         lpsolved,
         -239 * std::exp(-0.09),
         {0, 4, 9}},
        // (c) with cash flows 10, -239, 5 and the deadline 8: activity 2 and
        // the end dummy are worth less together, so both start as late as
        // they can, 3 and 8.
        {"an absolute deadline, cash flows of the dummies",
         reproc,
         absolute,
         lpsolved,
         10 - 234 * std::exp(-0.08),
         {0, 3, 8}},
        // 0 -> 2 (0), 2 -> 3 (-500), 3 -> end (0): activity 3 and the end
        // dummy (+1) may start at -500, before activity 0. Activity 2 (-100)
        // would rather start late, but it drags activity 3 (+50) along, and
        // together they are worth e^(-0.01 s2) (-100 + 50 e^5) > 0: all as
        // early as they can.
        {"a start before activity 0",
         "4 0\n0 1 2 1 1 0\n0 1 3 1 1 -500\n0 1 4 1 3 0\n0 0\n",
         given({0, -100, 50, 1}, 10, 0.01),
         lpsolved,
         -100 + 51 * std::exp(5.0),
         {0, 0, -500, -500}},
        // The end dummy's own minimal lag of -20 to activity 0 beats the
        // deadline 4 + 100: activity 2 (-100, lasting 4) ends by 20.
        {"the file's own lag from the end dummy to activity 0",
         "3 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n0 1 1 1 1 -20\n",
         given({0, -100, 0}, 100, 0.01),
         lpsolved,
         -100 * std::exp(-0.2),
         {0, 16, 20}},
        // A candidate of -1000000 is a lag like any other: activity 3
        // starts at -1000000, not at -999999.
        {"a lag of -1000000",
         "4 0\n0 1 2 1 1 0\n0 2 3 1 1 -1000000 4 1 1 0\n0 1 4 1 1 0\n0 0\n",
         given({0, 0, 100, 0}, 0, 2e-4),
         lpsolved,
         100 * std::exp(200.0),
         {0, 0, -1000000, 0}},
        // Activity 3 is named only by the pair of a maximal lag's own entry
        // and by an entry of relation type 7: neither is an arc.
        {"reached only through pairs without a lag",
         "4 0\n0 1 2 1 1 0\n0 3 3 2 1 5 3 1 7 0 4 1 1 0\n0 1 4 1 1 0\n0 0\n",
         given({0, 1, 1, 0}, 0, 0.01),
         lpunlinked,
         0,
         {}},
        // Listed by activity 0, such a pair is raised to lag 0: an arc. With
        // the maximal lag, activity 3 (-20) starts at 0..5; the end dummy
        // (-1) at the deadline 10.
        {"a pair of activity 0 without a lag becomes an arc",
         "4 0\n0 2 2 1 1 0 3 2 1 5\n0 1 4 1 1 0\n0 1 4 1 1 0\n0 0\n",
         given({0, 10, -20, -1}, 10, 0.01),
         lpsolved,
         10 - 20 * std::exp(-0.05) - std::exp(-0.1),
         {0, 0, 5, 10}},
        // Activity 2 (+239) lists activity 4 (-38) only through a maximal
        // lag of 0: the arc 4->2, while the pair (2,4) is no arc, so 2 leads
        // back nowhere; its lag of -537 to activity 3 (-451), which leads
        // nowhere either, lets 3 be dropped. 2 starts no earlier than 4;
        // together they are worth 201 at time 0.
        {"a positive activity held only by a maximal lag",
         "5 0\n0 1  4 1 4 0\n0 2  3 1 4 -537  4 2 4 0\n0 0\n0 1  5 1 4 0\n0 0\n",
         given({0, 239, -451, -38, 0}, 84, 0.089),
         lpsolved,
         201,
         {0, 0, U, 0, any}},
        // Activity 7 (-338) may start at -369, where its term outweighs the
        // rest by e^66; it leads nowhere and is dropped. Activity 5 (+98)
        // leads nowhere either and stays at 0; activity 9 (-70) starts at
        // the deadline 151.
        {"a term that dwarfs the rest until it is dropped",
         "10 0\n0 3  4 1 2 0  2 1 4 0  8 1 1 0\n0 1  3 1 2 0\n0 1  5 1 3 0\n10 1  6 1 4 0\n0 "
         "0\n0 1  7 1 1 -379\n9 0\n0 1  9 1 4 0\n0 1  10 1 1 0\n0 0\n",
         given({0, 0, 0, 0, 98, 0, -338, 0, -70, 0}, 151, 0.179),
         lpsolved,
         98 - 70 * std::exp(-0.179 * 151),
         {0, 0, 0, any, 0, any, U, any, 151, 151}},
        // Activity 3 may start 100,000 before the project, where e^1000 is
        // beyond a double; its cash flow of 0 adds exactly 0 (not 0 * inf),
        // and activity 2 (+5) takes the deadline 0: npv 5.
        {"a zero cash flow long before the project",
         "4 0\n0 1 2 1 1 0\n0 2 3 1 1 -100000 4 1 3 0\n0 0\n0 0\n",
         given({0, 5, 0, 0}, 0, 0.01),
         lpsolved,
         5,
         {0, 0, -100000, 0}},
        // The same a million before it at 0.02: e^20000 is beyond a long
        // double too.
        {"a zero cash flow beyond the range of long double",
         "4 0\n0 1 2 1 1 0\n0 2 3 1 1 -1000000 4 1 3 0\n0 0\n0 0\n",
         given({0, 5, 0, 0}, 0, 0.02),
         lpsolved,
         5,
         {0, 0, -1000000, 0}},
        // The start dummy lasts -100000: it finishes long before the
        // project, with its drawn cash flow 0. Activity 2 (-239, 3 long)
        // ends at the deadline 3.
        {"a start dummy that finishes long before the project",
         "3 0\n-100000 1 2 1 1 0\n3 1 3 1 3 0\n0 0\n",
         answers(50, 0, 0.01),
         lpsolved,
         -239 * std::exp(-0.03),
         {0, 0, 3}},
        {"the end dummy reached by nothing",
         "3 0\n0 1 2 1 1 0\n0 1 1 2 1 0\n0 0\n",
         answers(50, 0, 0.01),
         lpunlinked,
         0,
         {}},
        {"a cycle of positive length",
         "3 0\n0 1 2 1 1 0\n0 2 2 1 1 1 3 1 1 0\n0 0\n",
         answers(50, 0, 0.01),
         lpinfeasible,
         0,
         {}},
        {"a deadline before the critical path",
         "3 0\n0 1 2 1 1 0\n3 1 3 1 3 0\n0 0\n",
         answers(50, -1, 0.01),
         lpinfeasible,
         0,
         {}},
    };
}

// The model alone against the optima worked out by hand.
TEST(LpModel, MatchesHandWorkedOptima) {
    scratchdir dir;
    for (const handcase &c : handcases()) {
        SCOPED_TRACE(c.what);
        lpresult res = modelof(c.text, c.opt);
        ASSERT_EQ(res.kind, c.kind) << res.reason;
        if (c.kind != lpsolved) continue;
        EXPECT_NEAR(res.npv, c.npv, 1e-9 * std::max(1.0, std::fabs(c.npv)));
        for (size_t i = 0; i < c.schedule.size() && i < res.schedule.size(); i++) {
            if (c.schedule[i] == any) continue;
            EXPECT_EQ(res.schedule[i], c.schedule[i]) << "activity " << i + 1;
        }
    }
    // The worked example of the README.
    lpresult worked = lpsolve(std::string(MAXNPV_EXAMPLES) + "/D1.gpr", 50, 10, 0.01);
    ASSERT_EQ(worked.kind, lpsolved) << worked.reason;
    EXPECT_NEAR(worked.npv, 491.39149, 5e-6);
}

// The solver, by either method, against the same optima.
TEST(LpCrossCheck, SolverMatchesHandWorkedOptima) {
    for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic})
        for (const handcase &c : handcases()) {
            SCOPED_TRACE(std::string(c.what) + ", " + maxnpv::methodname(m));
            double value = 0;
            EXPECT_EQ(solveroutcome(c.text, c.opt, &value, m), c.kind);
            if (c.kind == lpsolved) {
                EXPECT_TRUE(close(value, c.npv)) << std::setprecision(12) << value;
            }
        }
}

const char *plantname(plantkind plant) {
    static const char *const names[] = {"none",         "loadcycle", "tightmax",  "into0",
                                        "endunreached", "dropped",   "normcycle", "orphan",
                                        "wide",         "phantom",   "negchain",  "shortend"};
    return names[plant];
}

// Several hundred seeded random instances: every bound and relation type,
// zero durations and lags, maximal lags, planted defects and hard cases, and
// a spread of run parameters, among them a huge slack with a tiny interest
// rate and negative slacks; a quarter with cash flows of our own (the
// dummies' too), half of those with an absolute deadline.
TEST(LpCrossCheck, SolverMatchesTheLpOnRandomInstances) {
    scratchdir dir;
    const int count = 660, pcts[] = {0, 30, 50, 80, 100}, slacks[] = {0, 5, 20, 100};
    const plantkind plants[] = {plantloadcycle, planttightmax,  plantinto0,   plantendunreached,
                                plantdropped,   plantnormcycle, plantorphan,  plantwide,
                                plantphantom,   plantnegchain,  plantshortend};
    const int nplants = sizeof plants / sizeof plants[0];
    std::map<plantkind, std::map<lpkind, int>> seen; // agreeing outcomes by planted kind
    int agreed[lpfailed + 1] = {}, reported = 0, withdropped = 0, beforezero = 0;
    testrng rng{20261207};
    for (int k = 0; k < count; k++) {
        plantkind plant = k % 3 ? plantnone : plants[k / 3 % nplants]; // one in three planted
        int maxact = rng.chance(20) ? 10 : 60, maxlagpct = rng.chance(20) ? 70 : 30;
        std::string text = randominstance(rng.next(), plant, maxact, maxlagpct);
        lpoptions opt =
            answers(pcts[rng.below(5)], slacks[rng.below(4)], rng.range(1, 100) / 1000.0);
        int draw = rng.below(100);
        if (draw < 4) opt.slack = -rng.range(1, 10);
        if (draw >= 96) opt.slack = 2000000, opt.interest = 1e-6;
        if (k % 4 == 1) { // cash flows of our own, the dummies' too, now and then a deadline
            int n = std::stoi(text);
            for (int i = 0; i < n; i++)
                opt.cashflows.push_back(rng.chance(10) ? 0 : rng.range(-5000, 5000) / 10.0);
            if (rng.chance(50)) opt.deadline = rng.range(-5, 200);
        }

        double value = 0;
        lpkind solver = solveroutcome(text, opt, &value);
        lpresult lp = modelof(text, opt);
        bool same = solver == lp.kind && (solver != lpsolved || close(value, lp.npv));
        agreed[solver] += same;
        if (same) seen[plant][solver]++;
        if (same && solver == lpsolved) {
            withdropped += std::count(lp.schedule.begin(), lp.schedule.end(), lpunbounded) > 0;
            beforezero += *std::min_element(lp.schedule.begin(), lp.schedule.end()) < 0;
        }
        if (!same && ++reported <= 5)
            ADD_FAILURE() << std::setprecision(12) << "planted " << plantname(plant) << ", pctneg "
                          << opt.pctneg << ", slack " << opt.slack << ", interest " << opt.interest
                          << ", " << opt.cashflows.size() << " cash flows given"
                          << (opt.deadline ? ", deadline " + std::to_string(*opt.deadline) : "")
                          << ": solver " << lpkindname(solver) << " " << value << ", LP "
                          << lpkindname(lp.kind) << " " << lp.npv << " " << lp.reason << "\n"
                          << text;
    }
    EXPECT_EQ(reported, 0) << "instances on which the solver and the LP disagree";
    std::printf("LP cross-check of %d instances: %d solved, %d infeasible, %d not connected "
                "agree (%d with a dropped set, %d with a start before activity 0)\n",
                count, agreed[lpsolved], agreed[lpinfeasible], agreed[lpunlinked], withdropped,
                beforezero);
    for (auto &[plant, kinds] : seen)
        std::printf("  %-12s solved %3d, infeasible %3d, not connected %3d\n", plantname(plant),
                    kinds[lpsolved], kinds[lpinfeasible], kinds[lpunlinked]);
    // The generator must keep producing every kind, most of them solvable,
    // and each planted case must show what it is there for.
    EXPECT_GE(agreed[lpsolved], count / 2);
    EXPECT_GE(agreed[lpinfeasible], 20);
    EXPECT_GE(agreed[lpunlinked], 20);
    EXPECT_GE(withdropped, 5);
    EXPECT_GE(beforezero, 5);
    for (plantkind p : {plantloadcycle, plantnormcycle, plantinto0})
        EXPECT_GE(seen[p][lpinfeasible], 3) << plantname(p);
    for (plantkind p : {plantorphan, plantendunreached, plantphantom})
        EXPECT_GE(seen[p][lpunlinked], 3) << plantname(p);
    for (plantkind p :
         {plantdropped, plantwide, plantphantom, plantnegchain, plantshortend, plantinto0})
        EXPECT_GE(seen[p][lpsolved], 3) << plantname(p);
}

// Long projects of 500 to 1000 activities at interest rates 0.02 to 0.1,
// whose windows reach far beyond what one LP in doubles can state (a single
// LP measured against the earliest starts failed on one in ten of them):
// the model must certify an optimum for every one, and the solver must
// agree.
TEST(LpCrossCheck, LargeProjects) {
    scratchdir dir;
    const double rates[] = {0.02, 0.05, 0.1};
    const int slacks[] = {0, 10, 1000};
    int solved = 0, failed = 0, disagree = 0, rounds = 0, most = 0;
    testrng rng{20261208};
    for (int k = 0; k < 16; k++) {
        std::string text = randomproject(rng.next(), rng.range(500, 1000));
        for (double rate : rates) {
            int slack = slacks[rng.below(3)], pct = rng.chance(50) ? 50 : rng.range(0, 100);
            double value = 0;
            lpkind solver = solveroutcome(text, answers(pct, slack, rate), &value);
            lpresult lp = modelof(text, answers(pct, slack, rate));
            solved += lp.kind == lpsolved;
            failed += lp.kind == lpfailed;
            rounds += lp.rounds;
            most = std::max(most, lp.rounds);
            bool same = solver == lp.kind && (solver != lpsolved || close(value, lp.npv));
            if (!same && ++disagree <= 3)
                ADD_FAILURE() << std::setprecision(12) << "instance " << k << ", pctneg " << pct
                              << ", slack " << slack << ", interest " << rate << ": solver "
                              << lpkindname(solver) << " " << value << ", LP "
                              << lpkindname(lp.kind) << " " << lp.npv << " " << lp.reason;
        }
    }
    std::printf("large projects: %d solved by the LP, %d LP failures, %d disagreements, rounds "
                "%d in all, at most %d\n",
                solved, failed, disagree, rounds, most);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(solved, 48);
    EXPECT_EQ(disagree, 0);
}

// Projects of thousands of activities, where the end of the schedule lies
// thousands of time units after the earliest starts of many activities: a
// part worth 1e-12 where it stands may be worth a thousandth at its earliest
// starts, and the solver must not take it for rounding noise.
TEST(LpCrossCheck, PartsFarFromTheirEarliestStarts) {
    scratchdir dir;
    int disagree = 0;
    testrng rng{20261209};
    for (int k = 0; k < 5; k++) {
        std::string text = randomproject(rng.next(), rng.range(3000, 6000));
        // At 0.5 the values at the end of the project lie far below a double
        // and their growth to the earliest starts far beyond one.
        const lpoptions opt = answers(50, 10, k < 3 ? 0.01 : 0.5);
        double value = 0;
        lpkind solver = solveroutcome(text, opt, &value);
        lpresult lp = modelof(text, opt);
        if (!(solver == lp.kind && (solver != lpsolved || close(value, lp.npv))) && ++disagree <= 3)
            ADD_FAILURE() << std::setprecision(15) << "instance " << k << ": solver "
                          << lpkindname(solver) << " " << value << ", LP " << lpkindname(lp.kind)
                          << " " << lp.npv << " " << lp.reason;
    }
    EXPECT_EQ(disagree, 0);
}

// Long chains of binding arcs make deep trees, and at low interest rates
// thousands of tree moves each change the values along their paths to
// activity 0; the values taken afresh only once no move is left to choose
// must still lead to the LP's optimum.
TEST(LpCrossCheck, DeepTreesAtLowRates) {
    scratchdir dir;
    int disagree = 0;
    testrng rng{20261210};
    for (int k = 0; k < 4; k++) {
        std::string text = randomproject(rng.next(), rng.range(2000, 4000));
        const lpoptions opt = answers(k % 2 ? 30 : 70, k < 2 ? 10 : 0, k % 2 ? 0.0001 : 0.001);
        double value = 0;
        lpkind solver = solveroutcome(text, opt, &value);
        lpresult lp = modelof(text, opt);
        if (!(solver == lp.kind && solver == lpsolved && close(value, lp.npv)) && ++disagree <= 3)
            ADD_FAILURE() << std::setprecision(15) << "instance " << k << ": solver "
                          << lpkindname(solver) << " " << value << ", LP " << lpkindname(lp.kind)
                          << " " << lp.npv << " " << lp.reason;
    }
    EXPECT_EQ(disagree, 0);
}

// Starts a million time units apart at interest rates of 0.05 and 0.2: a
// subtree's value relative to its root's start leaves the range of long
// double there, and the solve must still end, at the LP's optimum.
TEST(LpCrossCheck, StartsTooFarApartForRelativeValues) {
    scratchdir dir;
    const struct {
        const char *text;
        int pctneg, slack;
        double interest;
    } cases[] = {
        {R"(30 1 27
0 0  2  2 1 3 0  9 1 3 0
3 7  5  3 1 3 0  4 1 3 3  6 1 3 5  8 1 3 0  12 1 3 2
4 1  3  4 1 3 2  5 1 3 3  8 1 3 4
1 7  3  5 1 3 2  7 1 2 5  13 1 3 1
3 10  2  30 1 3 0  15 1 1 1000000
1000000 9  1  30 1 3 0
8 8  2  9 1 3 5  8 2 3 -3
7 2  1  13 1 3 2
7 10  2  10 1 3 3  15 1 3 1
5 8  2  11 1 4 0  17 1 3 0
2 5  5  12 1 3 2  15 1 1 0  19 1 3 0  20 1 3 3  26 2 2 -1000000
10 10  1  30 1 3 -4
5 6  5  14 1 3 3  16 1 3 3  22 1 2 3  14 1 3 3  14 1 3 2
4 2  1  30 1 3 0
8 6  1  18 1 1 0
6 7  2  20 1 3 2  26 1 3 1
10 9  1  26 1 3 5
5 8  2  27 1 3 0  28 2 3 24
6 7  2  21 1 3 4  22 1 3 4
5 4  1  24 1 3 2
1 9  3  23 1 1 0  25 1 3 5  29 1 3 4
7 4  2  24 1 3 3  29 1 3 0
8 2  1  30 1 3 0
9 9  1  27 1 3 4
8 7  2  28 1 3 3  26 2 3 -7
9 5  2  30 1 3 0  28 1 4 -1000000
8 8  1  30 1 3 0
3 10  1  30 1 3 0
7 6  1  30 1 3 0
0 0  0
)",
         50, 0, 0.2},
        {R"(23 1 17
0 0  4  2 1 3 0  5 1 3 0  17 1 3 0  22 1 3 0
0 10  4  3 1 3 5  6 1 3 5  7 1 3 2  8 1 4 5
2 10  4  4 1 3 3  5 1 3 0  9 1 1 0  10 1 3 0
0 3  2  6 1 3 5  7 1 3 0
9 0  2  9 1 3 2  11 1 3 0
0 0  3  10 1 3 1  14 1 3 0  15 1 3 1
0 4  1  23 1 3 0
1 1  2  12 1 3 0  17 1 3 5
0 7  1  13 1 3 5
0 0  1  11 1 3 0
-2 3  2  17 1 3 5  18 1 3 0
0 4  2  14 1 3 0  20 1 3 0
0 6  1  16 1 3 3
-1000000 10  2  21 1 3 5  22 2 3 17
5 0  3  19 1 3 0  20 1 3 0  17 2 4 0
0 3  2  19 2 1 -3  23 1 3 0
9 0  1  18 1 2 0
0 1  1  22 1 3 0
0 3  2  23 1 3 0  21 2 3 1000000
0 7  1  23 1 3 0
1000000 5  2  22 2 3 8  23 1 3 0
0 1  1  23 1 3 0
0 0  0
)",
         59, 20, 0.05},
    };
    for (const auto &c : cases) {
        const lpoptions opt = answers(c.pctneg, c.slack, c.interest);
        double value = 0;
        lpkind solver = solveroutcome(c.text, opt, &value);
        lpresult lp = modelof(c.text, opt);
        ASSERT_EQ(lp.kind, lpsolved) << lp.reason;
        EXPECT_EQ(solver, lpsolved);
        EXPECT_TRUE(close(value, lp.npv)) << std::setprecision(15) << value << " " << lp.npv;
    }
}

// Window and dense networks, where many arcs bind at once: the fast method
// moves sets by minimum cuts there, and builds the tree of the optimum from
// a flow over the strong components of the binding arcs (minimal and maximal
// lags binding in pairs make components of many activities). All cash flows
// negative with no slack, too, where every activity ends as late as it can.
TEST(LpCrossCheck, WindowAndDenseNetworks) {
    scratchdir dir;
    const struct {
        const char *shape;
        int pctneg, slack;
        double interest;
    } runs[] = {{"window", 50, 10, 0.01}, {"window", 20, 0, 0.1},  {"dense", 50, 10, 0.01},
                {"dense", 100, 0, 0.01},  {"dense", 70, 30, 0.05}, {"window", 100, 0, 0.02}};
    int compared = 0, disagree = 0;
    for (const auto &r : runs) {
        const std::string folder = std::string(r.shape) + std::to_string(r.pctneg);
        const std::string args = std::string(" --shape ") + r.shape +
                                 " --min-act 60 --max-act 250 --count 8 --seed " +
                                 std::to_string(r.pctneg + r.slack) + " --out " + folder;
        ASSERT_EQ(
            std::system((std::string("'") + GPRGEN_BINARY + "'" + args + " > /dev/null").c_str()),
            0);
        for (int k = 1; k <= 8; k++) {
            const std::string text = readfile(folder + "/D" + std::to_string(k) + ".gpr");
            const lpoptions opt = answers(r.pctneg, r.slack, r.interest);
            double value = 0;
            const lpkind solver = solveroutcome(text, opt, &value);
            const lpresult lp = modelof(text, opt);
            compared += lp.kind == lpsolved;
            if (!(solver == lp.kind && (solver != lpsolved || close(value, lp.npv))) &&
                ++disagree <= 3)
                ADD_FAILURE() << std::setprecision(15) << folder << " D" << k << ": solver "
                              << lpkindname(solver) << " " << value << ", LP "
                              << lpkindname(lp.kind) << " " << lp.npv << " " << lp.reason;
        }
    }
    EXPECT_EQ(disagree, 0);
    EXPECT_GE(compared, 30); // most of them solvable
}

// Two shapes that were slow for the fast method, small, at several sizes and
// rates, both methods against the LP.
//  - A star of windows: every real activity has a minimal start-to-start lag
//    of 0..20 and a maximal one of 20..40 from the start dummy, and a
//    finish-to-start lag of 0 to the end dummy; each optimum is one end of
//    its own window.
//  - A staircase: activity N pays -2k, and k activities p_1..p_k pay +1 each,
//    with earliest starts 1..k and a start-to-start lag of 0 from N; every
//    duration is 1, every activity a finish-to-start lag of 0 to the end.
std::string starofwindows(int n, unsigned seed) {
    std::string text = std::to_string(n + 2) + " 0\n";
    std::string first = "0 " + std::to_string(2 * n);
    std::string rows;
    for (int i = 2; i <= n + 1; i++) {
        seed = seed * 1103515245u + 12345u;
        const int least = (int)(seed >> 16) % 21, most = 20 + (int)(seed >> 8) % 21;
        first += " " + std::to_string(i) + " 1 1 " + std::to_string(least);
        first += " " + std::to_string(i) + " 2 1 " + std::to_string(most);
        rows +=
            std::to_string(1 + (int)(seed >> 4) % 9) + " 1 " + std::to_string(n + 2) + " 1 3 0\n";
    }
    return text + first + "\n" + rows + "0 0\n";
}

std::string staircase(int k) {
    // 1: start dummy; 2: N; 3..k+2: p_1..p_k; k+3: end dummy.
    const int end = k + 3;
    std::string text = std::to_string(end) + " 0\n0 " + std::to_string(k + 1) + " 2 1 1 0";
    for (int i = 1; i <= k; i++) text += " " + std::to_string(i + 2) + " 1 1 " + std::to_string(i);
    text += "\n1 " + std::to_string(k + 1) + " " + std::to_string(end) + " 1 3 0";
    for (int i = 1; i <= k; i++) text += " " + std::to_string(i + 2) + " 1 1 0";
    text += "\n";
    for (int i = 1; i <= k; i++) text += "1 1 " + std::to_string(end) + " 1 3 0\n";
    return text + "0 0\n";
}

TEST(LpCrossCheck, StarsOfWindowsAndStaircases) {
    scratchdir dir;
    int compared = 0;
    for (const double rate : {0.001, 0.01, 0.05}) {
        for (const int size : {5, 40, 300}) {
            const std::string star = starofwindows(size, (unsigned)size), stairs = staircase(size);
            std::vector<double> starcf(size + 2, 0.0), staircf(size + 3, 1.0);
            for (int i = 1; i <= size; i++) starcf[i] = (i % 2 ? -1.0 : 1.0) * (17 * i % 500 + 1);
            staircf[0] = staircf[size + 2] = 0, staircf[1] = -2.0 * size;
            const struct {
                const char *what;
                const std::string &text;
                lpoptions opt;
            } cases[] = {{"star", star, given(starcf, 30, rate)},
                         {"staircase", stairs, given(staircf, 100, rate)}};
            for (const auto &c : cases) {
                SCOPED_TRACE(std::string(c.what) + " of " + std::to_string(size) + " at rate " +
                             std::to_string(rate));
                const lpresult lp = modelof(c.text, c.opt);
                ASSERT_EQ(lp.kind, lpsolved) << lp.reason;
                for (const maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
                    double value = 0;
                    ASSERT_EQ(solveroutcome(c.text, c.opt, &value, m), lpsolved);
                    EXPECT_TRUE(close(value, lp.npv))
                        << std::setprecision(15) << value << " " << lp.npv;
                    compared++;
                }
            }
        }
    }
    EXPECT_EQ(compared, 36);
}

} // namespace
