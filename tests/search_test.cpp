// Hand-worked checks of the initial spanning tree, the search pass with its
// shift step, and the solve cycle. Instances are loaded through the real
// reader; where a test needs an exact tree or state it writes the store's
// tables directly and runs single passes or shift steps by hand. Every
// expected value below is worked out from the rules in the comments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "network/bitrow.h"
#include "network/common_gpr.h"
#include "search/inittree.h"
#include "search/recsearch.h"
#include "search/solvecycle.h"
#include "support/testsupport.h"

namespace {

using arclist = std::vector<std::pair<int, int>>;
using intlist = std::vector<int>;
using startlist = std::vector<int64_t>;

// Every arc of the current spanning tree, ordered by from- then to-activity.
arclist treearcs() {
    arclist arcs;
    for (int i = 0; i < nract; i++)
        for (int j = 0; j < nract; j++)
            if (bittest(treesucc[i], j)) arcs.push_back({i, j});
    return arcs;
}

intlist members(const uint32_t *row) {
    intlist found;
    for (int a = 0; a < nract; a++)
        if (bittest(row, a)) found.push_back(a);
    return found;
}

intlist succrow(int i) {
    return intlist(succ[i], succ[i] + nrsucc[i]);
}
intlist predrow(int i) {
    return intlist(pred[i], pred[i] + nrpred[i]);
}
startlist starts() {
    return startlist(st, st + nract);
}

// One search pass as the solve cycle runs it.
double runpass() {
    level = 0;
    rowclear(visited);
    return recsearch(0);
}

// Loads an instance and replaces the generated cash flows by the given ones.
void loadwith(const std::string &text, const intlist &flows) {
    ASSERT_EQ(loadtext(text), 1);
    for (int i = 0; i < (int)flows.size(); i++) cf[i] = flows[i];
}

// Solves the loaded instance and returns the skip kind, with the reason
// line that went to standard error.
int solvecaptured(std::string *reason) {
    testing::internal::CaptureStderr();
    int kind = solveinstance();
    *reason = testing::internal::GetCapturedStderr();
    return kind;
}

void expectreason(const std::string &reason, const std::string &start) {
    EXPECT_EQ(reason.rfind("D1.gpr: " + start, 0), 0u) << reason;
    EXPECT_EQ(std::count(reason.begin(), reason.end(), '\n'), 1) << reason;
    EXPECT_EQ(reason.back(), '\n');
}

struct arc {
    int from, to, len;
};

// Writes a network straight into the store: n activities, the listed arcs
// (successor and predecessor rows in the order given), the start times;
// durations and cash flows 0, an empty tree.
void setnet(int n, const std::vector<arc> &arcs, const startlist &times) {
    filltables();
    nract = n;
    resetsolve();
    for (int i = 0; i < n; i++) nrsucc[i] = nrpred[i] = dur[i] = cf[i] = 0;
    for (const arc &a : arcs) {
        succ[a.from][nrsucc[a.from]++] = a.to;
        pred[a.to][nrpred[a.to]++] = a.from;
        lag[a.from][a.to] = a.len;
    }
    for (int i = 0; i < n; i++) st[i] = times[i];
}

void addtree(const arclist &arcs) {
    for (auto [i, j] : arcs) bitadd(treesucc[i], j);
}

// 0 -> 1 (start-to-start 0), 1 -> 2 (finish-to-start 0, duration of 1 is 1).
const char *const twostep = "3 0\n0 1 2 1 1 0\n1 1 3 1 3 0\n0 0\n";

} // namespace

TEST(solvetest, workedexample) {
    scratchdir dir;
    std::string text = readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr");
    setparams(50, 10, 0.01);
    ASSERT_EQ(loadtext(text), 1);
    EXPECT_EQ(intlist(cf, cf + 5), (intlist{0, -239, 356, 366, 0}));
    // Lags 0->1, 0->2, 0->3 = 0, 1->4 = 3, 2->3 = 1, 3->4 = 4: starts 0,0,0,1,5.
    EXPECT_EQ(deadline, 15);

    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 1, 5}));
    // 1->4 has slack 2, every other arc is binding.
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {0, 2}, {2, 3}, {3, 4}}));
    EXPECT_EQ(succrow(4), intlist{0});
    EXPECT_EQ(predrow(0), intlist{4});
    EXPECT_EQ(lag[4][0], -15);

    // Pass 1: {1} hangs below 0->1 with -239 e^-0.03; its only leaving arc
    // 1->4 has slack 5-3-0 = 2, so 1 starts at 2 and 1->4 joins the tree.
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(members(levelset[2]), intlist{1});
    EXPECT_EQ(starts(), (startlist{0, 2, 0, 1, 5}));
    EXPECT_EQ(treearcs(), (arclist{{0, 2}, {1, 4}, {2, 3}, {3, 4}}));

    // Pass 2: 0->2->3->4, and 4 gathers 1 through its predecessor walk. The
    // set {1,4} below 3->4 is worth -239 e^-0.05 < 0; its leaving arc is the
    // deadline arc 4->0 with slack 0+15-5 = 10: starts 12 and 15.
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(level, 4);
    EXPECT_EQ(members(levelset[4]), (intlist{1, 4}));
    EXPECT_EQ(starts(), (startlist{0, 12, 0, 1, 15}));
    EXPECT_EQ(treearcs(), (arclist{{0, 2}, {1, 4}, {2, 3}, {4, 0}}));

    // Pass 3: 0->2->3, then 0's predecessor walk reaches 4 and 4's reaches 1,
    // gathered although negative. Nothing moves.
    const double want = 356 * std::exp(-0.02) + 366 * std::exp(-0.05) - 239 * std::exp(-0.15);
    double value = runpass();
    EXPECT_NEAR(value, want, 1e-9);
    EXPECT_NEAR(value, 491.39149, 5e-6);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(members(levelset[1]), (intlist{0, 1, 2, 3, 4}));

    // The same through the solve cycle: two shifts, three passes.
    ASSERT_EQ(loadtext(text), 1);
    ASSERT_EQ(solveinstance(), 0);
    EXPECT_EQ(nrits, 3);
    EXPECT_NEAR(npv, want, 1e-9);
    EXPECT_EQ(starts(), (startlist{0, 12, 0, 1, 15}));
}

TEST(treetest, startsandjoinorder) {
    scratchdir dir;
    setparams(50, 5, 0.01);

    // Chain 0->1->2->3 with lags 0, 4, 6: starts 0, 0, 4, 10, deadline 15;
    // one pass joins 1, 2, 3 in turn.
    ASSERT_EQ(loadtext("4 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n6 1 4 1 3 0\n0 0\n"), 1);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 0, 4, 10}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {1, 2}, {2, 3}}));
    EXPECT_EQ(succrow(3), intlist{0});
    EXPECT_EQ(lag[3][0], -15);
    EXPECT_EQ(predrow(0), intlist{3});

    // Binding arcs 1->3 and 2->3 (both lag 2): 1 and 2 join from 0, and 1's
    // arcs are examined first, so the tree arc into 3 comes from 1.
    ASSERT_EQ(loadtext("5 0\n0 2 2 1 1 0 3 1 1 0\n2 1 4 1 3 0\n2 1 4 1 3 0\n1 1 5 1 3 0\n0 0\n"),
              1);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 2, 3}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {0, 2}, {1, 3}, {3, 4}}));

    // Only arcs 0->3, 3->1 (1), 1->2 (2), 2->4 (3): starts 0, 1, 3, 0, 6.
    // Pass 1 joins 3 and then 1; pass 2 joins 2 and then 4.
    ASSERT_EQ(loadtext("5 0\n0 1 4 1 1 0\n2 1 3 1 3 0\n3 1 5 1 3 0\n1 1 2 1 3 0\n0 0\n"), 1);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 1, 3, 0, 6}));
    EXPECT_EQ(treearcs(), (arclist{{0, 3}, {1, 2}, {2, 4}, {3, 1}}));

    // Binding arcs 1->4 (2) and 2->4 (3) with 1 reached only through 3. When
    // the pass examines 1 it is not yet in the tree; 2 is, so 4 joins from
    // 2 although 1 is lower-numbered. Starts 0, 1, 0, 0, 3, 4.
    ASSERT_EQ(loadtext("6 0\n0 2 4 1 1 0 3 1 1 0\n2 1 5 1 3 0\n3 1 5 1 3 0\n1 1 2 1 3 0\n"
                       "1 1 6 1 3 0\n0 0\n"),
              1);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 1, 0, 0, 3, 4}));
    EXPECT_EQ(treearcs(), (arclist{{0, 2}, {0, 3}, {2, 4}, {3, 1}, {4, 5}}));

    // Arcs 0->1, 0->4, 1->3, 4->2, 2->5, 3->5 (all 0) and 5->6: everything
    // starts at 0, the end dummy at 1. Pass 1 joins 4 and 1 from 0, then 3
    // from 1; 2 is still outside when its arcs come up, so 5 joins from 3
    // (3 joined earlier in this pass and is examined in it); 2 joins from 4.
    ASSERT_EQ(loadtext("7 0\n0 2 2 1 1 0 5 1 1 0\n0 1 4 1 1 0\n0 1 6 1 1 0\n0 1 6 1 1 0\n"
                       "0 1 3 1 1 0\n1 1 7 1 3 0\n0 0\n"),
              1);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {0, 4}, {1, 3}, {3, 5}, {4, 2}, {5, 6}}));

    // Start and end dummy only: tree 0->1, deadline arc 1->0 of -(0+5); the
    // one pass moves nothing.
    ASSERT_EQ(loadtext("2 0\n0 1 2 1 1 0\n0 0\n"), 1);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 0}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}}));
    EXPECT_EQ(succrow(1), intlist{0});
    EXPECT_EQ(predrow(0), intlist{1});
    EXPECT_EQ(lag[1][0], -5);
    EXPECT_EQ(runpass(), 0.0);

    // 0->1 with lag -2, 1->2 with lag 3: at load 1 starts at -2 and 2 at 1
    // (deadline 6); the lag from the start dummy is raised to 0, so the tree
    // starts 1 at 0 and 2 at 3.
    ASSERT_EQ(loadtext("3 0\n0 1 2 1 1 -2\n3 1 3 1 3 0\n0 0\n"), 1);
    EXPECT_EQ(starts(), (startlist{0, -2, 1}));
    EXPECT_EQ(deadline, 6);
    EXPECT_EQ(lag[0][1], 0);
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(starts(), (startlist{0, 0, 3}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {1, 2}}));
}

TEST(treetest, deadlinearckeepslistedrelations) {
    scratchdir dir;
    // 0->1, 0->2 (0), 1->3 (2), 2->3 (4), 2->0 (-20); the end dummy lists
    // 1 (-10), 0 (-7), 2 (-9), 0 (-30), so lag[3][0] = -7. Starts 0,0,0,4.
    const std::string text = "4 0\n0 2 2 1 1 0 3 1 1 0\n2 1 4 1 3 0\n4 2 4 1 3 0 1 1 1 -20\n"
                             "0 4 2 1 1 -10 1 1 1 -7 3 1 1 -9 1 1 1 -30\n";
    // Deadline 10: the listed -7 is larger than -10 and stays. Deadline 5:
    // -5 replaces it.
    for (auto [slack, closing] : std::vector<std::pair<int, int>>{{6, -7}, {1, -5}}) {
        setparams(50, slack, 0.01);
        ASSERT_EQ(loadtext(text), 1);
        EXPECT_EQ(predrow(0), (intlist{2, 3, 3}));
        resetsolve();
        ASSERT_EQ(inittree(), 0);
        EXPECT_EQ(starts(), (startlist{0, 0, 0, 4}));
        EXPECT_EQ(treearcs(), (arclist{{0, 1}, {0, 2}, {2, 3}}));
        // The end dummy's other successors keep their order; 0 comes last,
        // once. Activity 0 keeps predecessor 2 and gets the end dummy once.
        EXPECT_EQ(succrow(3), (intlist{1, 2, 0}));
        EXPECT_EQ(predrow(0), (intlist{2, 3}));
        EXPECT_EQ(lag[3][0], closing);
        EXPECT_EQ(lag[3][1], -10);
        EXPECT_EQ(lag[3][2], -9);
        EXPECT_EQ(lag[2][0], -20);
    }

    // A maximal lag of 5 from 0 to 1 (with a minimal one of 0) lists the
    // reverse arc 1->0 of -5, so pred[0] = {1} before the deadline arc.
    // 1 (cash flow -100, duration 2) and the end dummy at 2 form the first
    // set; its leaving arcs are 2->0 (slack 0+12-2 = 10) and 1->0 (slack
    // 0+5-0 = 5), so it moves by 5 onto 1->0. The second pass reaches 1 from
    // 0 through pred[0] = {1, 2} and counts -100 e^-0.07.
    setparams(50, 10, 0.01);
    loadwith("3 0\n0 2 2 1 1 0 2 2 1 5\n2 1 3 1 3 0\n0 0\n", {0, -100, 0});
    ASSERT_EQ(solveinstance(), 0);
    EXPECT_EQ(predrow(0), (intlist{1, 2}));
    EXPECT_EQ(nrits, 2);
    EXPECT_EQ(starts(), (startlist{0, 5, 7}));
    EXPECT_EQ(treearcs(), (arclist{{1, 0}, {1, 2}}));
    EXPECT_NEAR(npv, -100 * std::exp(-0.07), 1e-9);
}

TEST(treetest, unsolvableinstances) {
    scratchdir dir;
    std::string reason;

    // 0->1 of -5 and 1->0 of 3 form a cycle of -2 as read; the normalised
    // lag 0->1 = 0 makes it +3, so the sweeps keep raising starts.
    setparams(50, 10, 0.01);
    const std::string cycle = "3 0\n0 1 2 1 1 -5\n1 2 1 1 1 3 3 1 3 0\n0 0\n";
    ASSERT_EQ(loadtext(cycle), 1);
    EXPECT_EQ(solvecaptured(&reason), 3);
    expectreason(reason, "no feasible schedule");

    // Chain 0->1->2->3 reaching 3 at 10: a deadline slack of -1 gives
    // deadline 9 and no schedule; a slack of 0 is met exactly.
    const std::string chain = "4 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n6 1 4 1 3 0\n0 0\n";
    setparams(50, -1, 0.01);
    ASSERT_EQ(loadtext(chain), 1);
    EXPECT_EQ(solvecaptured(&reason), 3);
    expectreason(reason, "no feasible schedule");
    setparams(50, 0, 0.01);
    ASSERT_EQ(loadtext(chain), 1);
    EXPECT_EQ(solvecaptured(&reason), 0);
    EXPECT_EQ(reason, "");

    // 0->1 of -2, 1->2 of 3: the deadline is taken from the end dummy at 1,
    // but after normalisation it starts at 3. Slack 1 (deadline 2) cannot be
    // met, slack 2 (deadline 3) just can.
    const std::string raised = "3 0\n0 1 2 1 1 -2\n3 1 3 1 3 0\n0 0\n";
    setparams(50, 1, 0.01);
    ASSERT_EQ(loadtext(raised), 1);
    EXPECT_EQ(solvecaptured(&reason), 3);
    expectreason(reason, "no feasible schedule");
    setparams(50, 2, 0.01);
    ASSERT_EQ(loadtext(raised), 1);
    EXPECT_EQ(solvecaptured(&reason), 0);

    // Activity 2 has no predecessor and stays at -999. In the second
    // instance 2 (at -999) raises 1 to -999+1000 = 1 over 2->1, so 0->1 is
    // not binding and neither 1 nor 2 can join.
    setparams(50, 10, 0.01);
    for (const char *text : {"4 0\n0 1 2 1 1 0\n1 1 4 1 3 0\n1 1 4 1 3 0\n0 0\n",
                             "4 0\n0 1 2 1 1 0\n1 1 4 1 3 0\n0 1 2 1 1 1000\n0 0\n"}) {
        ASSERT_EQ(loadtext(text), 1);
        EXPECT_EQ(solvecaptured(&reason), 4);
        expectreason(reason, "activities not connected");
    }

    // The solve cycle reports both as skipped problems and counts neither.
    for (auto [text, console, record] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {cycle, "\t\t\t\t\t infeasible", "\n    1    no feasible schedule"},
             {"4 0\n0 1 2 1 1 0\n1 1 4 1 3 0\n1 1 4 1 3 0\n0 0\n", "\t\t\t\t\t not connected",
              "\n    1    activities not connected"}}) {
        ASSERT_EQ(loadtext(text), 1);
        int solved = nrsolved;
        outfile = std::fopen("output.txt", "w");
        ASSERT_NE(outfile, nullptr);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        solvecycle();
        std::string shown = testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        std::fclose(outfile);
        outfile = nullptr;
        EXPECT_EQ(shown, console);
        EXPECT_EQ(readfile("output.txt"), record);
        EXPECT_EQ(nrsolved, solved);
    }
}

TEST(searchtest, tolerance) {
    scratchdir dir;
    // 0->1->2 with 1 completing at 1: the set {1, 2} below 0->1 is worth
    // cf1 * exp(-r). Find cf1 and r for which that is exactly -1e-05.
    int flow = 0;
    double rate = 0.0;
    for (int k = 1; k <= 200 && flow == 0; k++) {
        double up = -std::log(1e-05 / k), down = up;
        for (int step = 0; step < 32 && flow == 0; step++) {
            for (double r : {up, down})
                if (flow == 0 && -k * std::exp(-r * 1.0) == -1e-05) {
                    flow = -k;
                    rate = r;
                }
            up = std::nextafter(up, 100.0);
            down = std::nextafter(down, 0.0);
        }
    }
    ASSERT_NE(flow, 0);
    setparams(50, 5, rate);
    loadwith(twostep, {0, flow, 0});
    ASSERT_EQ(solveinstance(), 0);
    EXPECT_EQ(nrits, 1);
    EXPECT_EQ(npv, -1e-05);
    EXPECT_EQ(starts(), (startlist{0, 0, 1}));

    // Between -1e-05 and 0: gathered as well.
    setparams(50, 5, -std::log(4e-06));
    ASSERT_GT(-std::exp(-interest), -1e-05);
    loadwith(twostep, {0, -1, 0});
    ASSERT_EQ(solveinstance(), 0);
    EXPECT_EQ(nrits, 1);
    EXPECT_NEAR(npv, -4e-06, 1e-12);

    // The nearest rates that make the value strictly smaller than -1e-05:
    // the set moves by the deadline arc's slack 0+6-1 = 5 to starts 5, 6.
    double below = rate;
    while (flow * std::exp(-below) >= -1e-05) below = std::nextafter(below, 0.0);
    setparams(50, 5, below);
    loadwith(twostep, {0, flow, 0});
    ASSERT_EQ(solveinstance(), 0);
    EXPECT_EQ(nrits, 2);
    EXPECT_EQ(starts(), (startlist{0, 5, 6}));
}

TEST(searchtest, predecessorwalkgathers) {
    // Tree 0->1, 2->1, 1->3, all binding at time 0 (3 at 1). From 0 the
    // pass enters 1, gathers 3 through the successor walk and 2 through the
    // predecessor walk: 2's -400 is kept in 1's set, which is worth
    // 500 - 400 = 100 (completions at 0), so nothing moves.
    setnet(4, {{0, 1, 0}, {1, 3, 1}, {2, 1, 0}, {3, 0, -10}}, {0, 0, 0, 1});
    addtree({{0, 1}, {1, 3}, {2, 1}});
    cf[1] = 500;
    cf[2] = -400;
    interest = 0.01;
    EXPECT_EQ(runpass(), 100.0);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(members(levelset[1]), (intlist{0, 1, 2, 3}));
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 1}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {1, 3}, {2, 1}}));
}

TEST(searchtest, walkorder) {
    // 0 lists 2 before 1; both tree subtrees are negative (cash flows -10).
    // The successor walk takes 2 first: {2, 3} moves by 3->0's slack
    // 0+10-2 = 8 (taking 1 first would move {1} by 1->3's slack 1).
    setnet(4, {{0, 2, 0}, {0, 1, 0}, {1, 3, 1}, {2, 3, 2}, {3, 0, -10}}, {0, 0, 0, 2});
    addtree({{0, 1}, {0, 2}, {2, 3}});
    cf[1] = cf[2] = -10;
    interest = 0.01;
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(starts(), (startlist{0, 0, 8, 10}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {2, 3}, {3, 0}}));

    // 3 (below 0->3) has tree predecessors 1 and 2, listed in that order;
    // 1's tree successor 4 and 2's tree successor 5 (with the end dummy 6)
    // are negative. The predecessor walk enters 1 first, so {4} moves by
    // 4->6's slack 2-1-0 = 1 (entering 2 first would move {5, 6} by 8).
    setnet(
        7,
        {{0, 3, 0}, {1, 3, 0}, {1, 4, 0}, {2, 3, 0}, {2, 5, 0}, {4, 6, 1}, {5, 6, 2}, {6, 0, -10}},
        {0, 0, 0, 0, 0, 0, 2});
    addtree({{0, 3}, {1, 3}, {1, 4}, {2, 3}, {2, 5}, {5, 6}});
    cf[4] = cf[5] = -10;
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 0, 1, 0, 2}));
    EXPECT_EQ(treearcs(), (arclist{{0, 3}, {1, 3}, {2, 3}, {2, 5}, {4, 6}, {5, 6}}));
}

TEST(searchtest, tiebreaking) {
    // The set {1, 2} below 0->1 (1->2 inside it has slack 0). Leaving arcs
    // and their slacks st[k]-lag-st[i]: 1->3, 1->4: 10-6-1 = 3; 2->3, 2->4:
    // 10-5-2 = 3; 2->5: 10-1-2 = 7. Scanning 2 first and its row from the
    // end: 2->5 (7), then 2->4 (3); later ties do not replace it.
    auto build = [](int lag23) {
        setnet(
            6,
            {{0, 1, 0}, {1, 3, 6}, {1, 2, 1}, {1, 4, 6}, {2, 3, lag23}, {2, 4, lag23}, {2, 5, 1}},
            {0, 1, 2, 10, 10, 10});
        addtree({{0, 1}, {1, 2}});
        rowsingle(levelset[2], 1);
        bitadd(levelset[2], 2);
    };
    build(5);
    shiftset(0, 1, levelset[2]);
    EXPECT_EQ(bestshift, 3);
    EXPECT_EQ(treearcs(), (arclist{{1, 2}, {2, 4}}));
    EXPECT_EQ(starts(), (startlist{0, 4, 5, 10, 10, 10}));
    EXPECT_EQ(members(levelset[2]), (intlist{1, 2}));

    // With 2->3 and 2->4 at lag 1 (slack 7) the smallest slack 3 is only
    // 1's; of its two arcs the later listed, 1->4, wins.
    build(1);
    shiftset(0, 1, levelset[2]);
    EXPECT_EQ(bestshift, 3);
    EXPECT_EQ(treearcs(), (arclist{{1, 2}, {1, 4}}));
}

TEST(searchtest, zeroshiftandendrelations) {
    scratchdir dir;
    // 0->1, 0->2 (0), 1->3, 2->3 (durations 1), and the end dummy lists 1
    // with -3 (1 starts at most 3 before the end). Cash flows 100, -300;
    // starts 0,0,0,1, deadline 11; tree 0->1, 0->2, 1->3.
    setparams(50, 10, 0.01);
    const std::string text = "4 0\n0 2 2 1 1 0 3 1 1 0\n1 1 4 1 3 0\n1 1 4 1 3 0\n0 1 2 1 1 -3\n";
    loadwith(text, {0, 100, -300, 0});
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {0, 2}, {1, 3}}));
    EXPECT_EQ(succrow(3), (intlist{1, 0}));

    // Pass 1: {1,3} is worth 100 e^-0.01; {2} is negative and its one
    // leaving arc 2->3 has slack 1-1-0 = 0: only the tree changes.
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(bestshift, 0);
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 1}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {1, 3}, {2, 3}}));

    // Pass 2: 3 gathers 2 by its predecessor walk; {3,2} below 1->3 is
    // negative. Leaving: 3->0 (0+11-1 = 10) and 3->1 (0+3-1 = 2): moves by 2.
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(starts(), (startlist{0, 0, 2, 3}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {2, 3}, {3, 1}}));

    // Pass 3: 1 gathers {3, 2} by its predecessor walk: 100 e^-0.01 - 300
    // e^-0.03 < 0, so {1,2,3} moves by 3->0's slack 0+11-3 = 8. Pass 4
    // reaches everything through pred[0] = {3} and moves nothing.
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(starts(), (startlist{0, 8, 10, 11}));
    EXPECT_EQ(treearcs(), (arclist{{2, 3}, {3, 0}, {3, 1}}));
    const double want = 100 * std::exp(-0.09) - 300 * std::exp(-0.11);
    EXPECT_NEAR(runpass(), want, 1e-9);

    // Three shifts, four passes through the solve cycle.
    loadwith(text, {0, 100, -300, 0});
    ASSERT_EQ(solveinstance(), 0);
    EXPECT_EQ(nrits, 4);
    EXPECT_NEAR(npv, want, 1e-9);
    EXPECT_EQ(starts(), (startlist{0, 8, 10, 11}));
}

TEST(searchtest, largeshifts) {
    scratchdir dir;
    // 0->1, 0->2 (0), 2->3 (3); 1 lists no successor. {1} (cash flow -100)
    // has no leaving arc: it moves by 999999 without a tree arc, and the
    // second pass counts only 2: 50 e^-0.03.
    setparams(50, 5, 0.01);
    loadwith("4 0\n0 2 2 1 1 0 3 1 1 0\n2 0\n3 1 4 1 3 0\n0 0\n", {0, -100, 50, 0});
    resetsolve();
    ASSERT_EQ(inittree(), 0);
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(bestshift, 999999);
    EXPECT_EQ(starts(), (startlist{0, 999999, 0, 3}));
    EXPECT_EQ(treearcs(), (arclist{{0, 2}, {2, 3}}));
    for (int pass = 0; pass < 2; pass++) {
        EXPECT_NEAR(runpass(), 50 * std::exp(-0.03), 1e-9);
        EXPECT_EQ(members(visited), (intlist{0, 2, 3}));
    }
    EXPECT_EQ(starts(), (startlist{0, 999999, 0, 3}));

    // 0->1->2 with deadline slack 999999 or 1000000: the only leaving arc
    // of {1,2} is the deadline arc with exactly that slack. The set moves by
    // it and keeps the arc, so the second pass still counts 1:
    // -100 e^(-1e-6 * (slack + 1)).
    for (int slack : {999999, 1000000}) {
        setparams(50, slack, 1e-6);
        loadwith(twostep, {0, -100, 0});
        ASSERT_EQ(solveinstance(), 0);
        EXPECT_EQ(nrits, 2);
        EXPECT_EQ(starts(), (startlist{0, slack, slack + 1}));
        EXPECT_EQ(treearcs(), (arclist{{1, 2}, {2, 0}}));
        EXPECT_NEAR(npv, -100 * std::exp(-1e-6 * (slack + 1)), 1e-9);
    }
}

TEST(searchtest, restartpassesup) {
    // Chain 0->1->2->3->4->5 (5 the end dummy, 4 of duration 1, deadline
    // arc 5->0 of -10). {4,5} below 3->4 is negative and moves by the
    // deadline slack 0+10-1 = 9. The calls for 0..3 return the signal as it
    // is: no merge, no further shift, level still that of 4's call (5).
    setnet(6, {{0, 1, 0}, {1, 2, 0}, {2, 3, 0}, {3, 4, 0}, {4, 5, 1}, {5, 0, -10}},
           {0, 0, 0, 0, 0, 1});
    addtree({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}});
    dur[4] = 1;
    cf[4] = -100;
    interest = 0.01;
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(level, 5);
    for (int d = 1; d <= 4; d++) EXPECT_EQ(members(levelset[d]), intlist{d - 1});
    EXPECT_EQ(members(levelset[5]), (intlist{4, 5}));
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 0, 9, 10}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {1, 2}, {2, 3}, {4, 5}, {5, 0}}));
    // The next pass gathers {5, 4} through 0's predecessor walk.
    EXPECT_NEAR(runpass(), -100 * std::exp(-0.1), 1e-9);

    // The signal also passes up through a predecessor walk: 0->1 is a tree
    // arc, 1 reaches 2 through 2->1, and 2's successor 3 (with the end dummy
    // 4) is negative and moves by 4->0's slack 0+10-1 = 9. Had 1 taken the
    // signal for a value, 0 would have cut 0->1 as well.
    setnet(5, {{0, 1, 0}, {2, 1, 0}, {2, 3, 0}, {3, 4, 1}, {4, 0, -10}}, {0, 0, 0, 0, 1});
    addtree({{0, 1}, {2, 1}, {2, 3}, {3, 4}});
    dur[3] = 1;
    cf[1] = 10;
    cf[2] = 10;
    cf[3] = -100;
    EXPECT_EQ(runpass(), restartsig);
    EXPECT_EQ(level, 4);
    EXPECT_EQ(members(levelset[4]), (intlist{3, 4}));
    EXPECT_EQ(starts(), (startlist{0, 0, 0, 9, 10}));
    EXPECT_EQ(treearcs(), (arclist{{0, 1}, {2, 1}, {3, 4}, {4, 0}}));
}
