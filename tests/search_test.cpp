// Hand-worked checks of the initial spanning tree, the search pass with its
// shift step, and the solve cycle. Instances are set up through the reader
// as a batch run sets them up; where a test needs an exact tree or state it
// sets the starts, tree and cash flows by hand and runs single passes. Every
// expected value below is worked out from the rules in the comments.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "search/escape.h"
#include "search/inittree.h"
#include "search/recsearch.h"
#include "search/solvecycle.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

using gpr::outcome;
using startlist = std::vector<int64_t>;

// Starts a solve by hand: earliest starts, the initial tree, nothing known.
void begin(gpr::problem *p) {
    gpr::solver &s = p->sol;
    s.st = p->net.est;
    for (int i = 0; i < p->net.nract; i++) s.dcf[i] = gpr::discount(s, i);
    gpr::buildtree(&s);
    gpr::searchreset(&s);
}

// 0 -> 1 (start-to-start 0), 1 -> 2 (finish-to-start 0, duration of 1 is 1).
const char *const twostep = "3 0\n0 1 2 1 1 0\n1 1 3 1 3 0\n0 0\n";

} // namespace

TEST(Solve, WorkedExample) {
    gpr::problem p;
    const std::string text = readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr");
    ASSERT_EQ(name(setuptext(&p, text, params(50, 10, 0.01))), "solved");
    // Cash flows 0, -239, 356, 366, 0. Lags 0->1, 0->2, 0->3 = 0, 1->4 = 3,
    // 2->3 = 1, 3->4 = 4: starts 0,0,0,1,5, deadline 5+10 = 15; 1->4 has
    // slack 2, every other arc is binding.
    begin(&p);
    EXPECT_EQ(p.sol.st, (startlist{0, 0, 0, 1, 5}));
    EXPECT_EQ(p.sol.closing, -15);
    EXPECT_EQ(treearcs(p.sol), (arclist{{0, 1}, {0, 2}, {2, 3}, {3, 4}}));

    // Pass 1: {1} hangs below 0->1 with -239 e^-0.03; its only leaving arc
    // 1->4 has slack 5-3-0 = 2, so 1 starts at 2 and 1->4 joins the tree.
    EXPECT_TRUE(gpr::searchpass(&p.sol));
    EXPECT_EQ(treearcs(p.sol), (arclist{{0, 2}, {1, 4}, {2, 3}, {3, 4}}));

    // Pass 2: 0->2->3->4, and 4 gathers 1 through its predecessor walk. The
    // set {1,4} below 3->4 is worth -239 e^-0.05 < 0; its leaving arc is the
    // deadline arc 4->0 with slack 0+15-5 = 10: starts 12 and 15. Pass 3
    // moves nothing: 356 e^-0.02 + 366 e^-0.05 - 239 e^-0.15.
    gpr::solvecycle(&p.sol);
    EXPECT_EQ(p.sol.nrits, 3);
    EXPECT_NEAR(p.sol.npv, 491.39149, 5e-6);
    EXPECT_EQ(p.sol.st, (startlist{0, 12, 0, 1, 15}));
    EXPECT_EQ(treearcs(p.sol), (arclist{{0, 2}, {1, 4}, {2, 3}, {4, 0}}));
}

// The library's result of the same solve: one lag and one multiplier per
// tree arc, in the order of the arcs. Lags as start-to-start: 1->3 FS 0 after
// the start dummy 0, 2->5 FS 0 after a duration of 3, 3->4 SS 1, the deadline
// arc -15. Multipliers: the value each arc cuts off from activity 1, plus
// when the arc leads into that part, minus when out of it: {3,4} below 1->3,
// {2} above 2->5, {4} below 3->4, {2,5} above the deadline arc 5->1.
TEST(Solve, LibraryResultHasOneLagAndMultiplierPerTreeArc) {
    maxnpv::network net;
    std::string why;
    ASSERT_EQ(maxnpv::readnetwork(std::string(MAXNPV_EXAMPLES) + "/D1.gpr", &net, &why),
              maxnpv::status::solved)
        << why;
    maxnpv::options opt;
    opt.interest = 0.01;
    opt.slack = 10;
    const maxnpv::result r = maxnpv::solver().solve(net, {0, -239, 356, 366, 0}, opt);
    ASSERT_EQ(r.status, maxnpv::status::solved) << r.reason;
    const std::vector<std::pair<int, int>> tree{{1, 3}, {2, 5}, {3, 4}, {5, 1}};
    ASSERT_EQ(r.tree, tree);
    EXPECT_EQ(r.treelag, (std::vector<long long>{0, 3, 1, -15}));
    ASSERT_EQ(r.multiplier.size(), tree.size());
    const double late = 239 * std::exp(-0.15), three = 366 * std::exp(-0.05);
    EXPECT_NEAR(r.multiplier[0], 356 * std::exp(-0.02) + three, 1e-9);
    EXPECT_NEAR(r.multiplier[1], late, 1e-9);
    EXPECT_NEAR(r.multiplier[2], three, 1e-9);
    EXPECT_NEAR(r.multiplier[3], late, 1e-9);
}

TEST(Tree, JoinOrder) {
    const std::pair<const char *, arclist> cases[] = {
        // Binding arcs 1->3 and 2->3 (both lag 2): 1 and 2 join from 0, and
        // 1's arcs are examined first, so the tree arc into 3 comes from 1.
        {"5 0\n0 2 2 1 1 0 3 1 1 0\n2 1 4 1 3 0\n2 1 4 1 3 0\n1 1 5 1 3 0\n0 0\n",
         {{0, 1}, {0, 2}, {1, 3}, {3, 4}}},
        // Only arcs 0->3, 3->1 (1), 1->2 (2), 2->4 (3): starts 0, 1, 3, 0, 6.
        // Pass 1 joins 3 and then 1; pass 2 joins 2 and then 4.
        {"5 0\n0 1 4 1 1 0\n2 1 3 1 3 0\n3 1 5 1 3 0\n1 1 2 1 3 0\n0 0\n",
         {{0, 3}, {1, 2}, {2, 4}, {3, 1}}},
        // Binding arcs 1->4 (2) and 2->4 (3) with 1 reached only through 3
        // (starts 0, 1, 0, 0, 3, 4): when the pass examines 1 it is not yet
        // in the tree, 2 is, so 4 joins from 2 although 1 is lower-numbered.
        {"6 0\n0 2 4 1 1 0 3 1 1 0\n2 1 5 1 3 0\n3 1 5 1 3 0\n1 1 2 1 3 0\n1 1 6 1 3 0\n0 0\n",
         {{0, 2}, {0, 3}, {2, 4}, {3, 1}, {4, 5}}},
    };
    for (const auto &[text, tree] : cases) {
        SCOPED_TRACE(text);
        gpr::problem p;
        ASSERT_EQ(name(setuptext(&p, text, params(50, 5, 0.01))), "solved");
        begin(&p);
        EXPECT_EQ(treearcs(p.sol), tree);
    }
}

TEST(Tree, DeadlineArcAndUnsolvableInstances) {
    // 0->1, 0->2 (0), 1->3 (2), 2->3 (4), 2->0 (-20); the end dummy lists
    // 1 (-10), 0 (-7), 2 (-9), 0 (-30): its relation to 0 is -7. The end
    // dummy starts at 4. Deadline 10: the listed -7 is larger than -10 and
    // stays. Deadline 5: -5 replaces it.
    const std::string text = "4 0\n0 2 2 1 1 0 3 1 1 0\n2 1 4 1 3 0\n4 2 4 1 3 0 1 1 1 -20\n"
                             "0 4 2 1 1 -10 1 1 1 -7 3 1 1 -9 1 1 1 -30\n";
    for (auto [slack, closing] : std::vector<std::pair<int, int>>{{6, -7}, {1, -5}}) {
        gpr::problem p;
        ASSERT_EQ(name(setuptext(&p, text, params(50, slack, 0.01))), "solved");
        EXPECT_EQ(p.sol.closing, closing) << slack;
    }

    // The instance, the slack, the outcome and the start of its reason.
    const std::tuple<const char *, int, const char *, const char *> cases[] = {
        // 0->1 of -5 and 1->0 of 3: a cycle of -2 as read, +3 once the lag
        // from the start dummy is raised to 0; the reason says so.
        {"3 0\n0 1 2 1 1 -5\n1 2 1 1 1 3 3 1 3 0\n0 0\n", 10, "infeasible",
         "no feasible schedule: a cycle of positive length keeps raising the start of activity "
         "1; it involves the requirement"},
        // 2 -> 3 (3) and 3 -> 2 (-2): a cycle of 1 in the relations as read.
        {"4 0\n0 1 2 1 1 0\n1 1 3 1 1 3\n1 2 2 1 1 -2 4 1 1 1\n0 0\n", 0, "infeasible",
         "no feasible schedule: a cycle of positive length in the relations keeps raising"},
        // The chain reaches its end at 10: deadline 9 fails, 10 is met.
        {"4 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n6 1 4 1 3 0\n0 0\n", -1, "infeasible",
         "no feasible schedule: the end dummy (activity 4) starts at 10 at the earliest, but the "
         "deadline requires it to start by 9"},
        {"4 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n6 1 4 1 3 0\n0 0\n", 0, "solved", ""},
        // The lag of -2 from the start dummy is raised to 0 before the
        // critical path is taken: the end dummy at 3, deadline 4, solvable.
        {"3 0\n0 1 2 1 1 -2\n3 1 3 1 3 0\n0 0\n", 1, "solved", ""},
        // 2 has no predecessor, so no start.
        {"4 0\n0 1 2 1 1 0\n1 1 4 1 3 0\n1 1 4 1 3 0\n0 0\n", 10, "not connected",
         "activities not connected: no chain of relations leads from the start dummy to "
         "activity 3"},
        // Nothing leads to the end dummy: there is no critical path.
        {"3 0\n0 1 2 1 1 0\n0 0\n0 0\n", 10, "not connected",
         "activities not connected: no chain of relations leads from the start dummy to the end "
         "dummy (activity 3)"},
    };
    for (auto [instance, slack, kind, why] : cases) {
        SCOPED_TRACE(instance);
        gpr::problem p;
        EXPECT_EQ(name(setuptext(&p, instance, params(50, slack, 0.01))), kind);
        EXPECT_EQ(p.reason.substr(0, std::string(why).size()), why);
    }

    // The reason names the cycle and its length: 0 -> 1 raised to 0 and
    // 1 -> 0 of 3 make 1 -> 2 -> 1 of length 3; 2 -> 3 (3) and 3 -> 2 (-2)
    // make 2 -> 3 -> 2 of length 1; a ring 2 -> 3 -> ... -> 13 -> 2 of lags 1
    // is cut after ten activities.
    std::string ring = "14 0\n0 1 2 1 1 0\n";
    for (int i = 2; i <= 13; i++)
        ring +=
            "1 " +
            std::string(i == 13 ? "2 2 1 1 1 14 1 3 0" : "1 " + std::to_string(i + 1) + " 1 1 1") +
            "\n";
    ring += "0 0\n";
    const std::pair<std::string, const char *> named[] = {
        {"3 0\n0 1 2 1 1 -5\n1 2 1 1 1 3 3 1 3 0\n0 0\n", "; the cycle: 1 -> 2 -> 1 (length 3)"},
        {"4 0\n0 1 2 1 1 0\n1 1 3 1 1 3\n1 2 2 1 1 -2 4 1 1 1\n0 0\n",
         "; the cycle: 2 -> 3 -> 2 (length 1)"},
        {ring,
         "; the cycle: 2 -> 3 -> 4 -> 5 -> 6 -> 7 -> 8 -> 9 -> 10 -> 11 -> ... (12 activities "
         "in all) -> 2 (length 12)"},
    };
    for (const auto &[instance, tail] : named) {
        SCOPED_TRACE(instance);
        gpr::problem p;
        EXPECT_EQ(name(setuptext(&p, instance, params(50, 10, 0.01))), "infeasible");
        const std::string end(tail);
        ASSERT_GE(p.reason.size(), end.size());
        EXPECT_EQ(p.reason.substr(p.reason.size() - end.size()), end) << p.reason;
    }
}

// The walks and the shift step take activities and rows in a fixed order.
TEST(Search, FixedOrders) {
    // 0 lists 2 before 1; both subtrees are negative. The successor walk
    // takes 2 first: {2, 3} moves by 3->0's slack 0+10-2 = 8 (taking 1 first
    // would move {1} by 1->3's slack 1).
    gpr::problem p;
    std::string text = arcstext(4, {{0, 2, 0}, {0, 1, 0}, {1, 3, 1}, {2, 3, 2}, {3, 0, -10}});
    ASSERT_EQ(name(setuptext(&p, text, params(50, 8, 0.01))), "solved");
    setstate(&p.sol, {0, 0, 0, 2}, {{0, 1}, {0, 2}, {2, 3}}, {0, -10, -10, 0});
    EXPECT_TRUE(gpr::searchpass(&p.sol));
    EXPECT_EQ(p.sol.st, (startlist{0, 0, 8, 10}));

    // 3 (below 0->3) has tree predecessors 1 and 2, listed in that order;
    // 1's tree successor 4 and 2's tree successor 5 (with the end dummy 6)
    // are negative. The predecessor walk enters 1 first, so {4} moves by
    // 4->6's slack 2-1-0 = 1 (entering 2 first would move {5, 6} by 8).
    text = arcstext(7, {{0, 3, 0},
                        {0, 1, 0},
                        {0, 2, 0},
                        {1, 3, 0},
                        {1, 4, 0},
                        {2, 3, 0},
                        {2, 5, 0},
                        {4, 6, 1},
                        {5, 6, 2},
                        {6, 0, -10}});
    ASSERT_EQ(name(setuptext(&p, text, params(50, 8, 0.01))), "solved");
    setstate(&p.sol, {0, 0, 0, 0, 0, 0, 2}, {{0, 3}, {1, 3}, {1, 4}, {2, 3}, {2, 5}, {5, 6}},
             {0, 0, 0, 0, -10, -10, 0});
    EXPECT_TRUE(gpr::searchpass(&p.sol));
    EXPECT_EQ(p.sol.st, (startlist{0, 0, 0, 0, 1, 0, 2}));

    // The set {1, 2} below 0->1 (1->2 inside it has slack 0) is negative,
    // {2} alone is not. Leaving arcs and their slacks st[k]-lag-st[i]: 1->3,
    // 1->4: 10-6-1 = 3; 2->3, 2->4: 10-5-2 = 3; 2->5: 10-1-2 = 7. Of the
    // ties the highest source wins, 2, and of its arcs the one latest in its
    // row, 2->4. With 2->3 and 2->4 at lag 1 (slack 7) only 1 has slack 3;
    // its later listed arc, 1->4, wins.
    for (auto [lag23, from] : std::vector<std::pair<int, int>>{{5, 2}, {1, 1}}) {
        text = arcstext(
            6,
            {{0, 1, 0}, {1, 3, 6}, {1, 2, 1}, {1, 4, 6}, {2, 3, lag23}, {2, 4, lag23}, {2, 5, 1}});
        ASSERT_EQ(name(setuptext(&p, text, params(50, 5, 0.01))), "solved");
        setstate(&p.sol, {0, 1, 2, 10, 10, 10}, {{0, 1}, {1, 2}}, {0, -10, 1, 0, 0, 0});
        EXPECT_TRUE(gpr::searchpass(&p.sol));
        EXPECT_EQ(treearcs(p.sol), (arclist{{1, 2}, {from, 4}})) << lag23;
        EXPECT_EQ(p.sol.st, (startlist{0, 4, 5, 10, 10, 10}));
    }
}

TEST(Search, ZeroShiftAndEndRelations) {
    // 0->1, 0->2 (0), 1->3, 2->3 (durations 1), and the end dummy lists 1
    // with -3 (1 starts at most 3 before the end). Cash flows 100, -300;
    // starts 0,0,0,1, deadline 11; tree 0->1, 0->2, 1->3. Pass 1: {2} is
    // negative and its one leaving arc 2->3 has slack 1-1-0 = 0: only the
    // tree changes. Pass 2: {3,2} below 1->3 is negative; leaving arcs 3->0
    // (0+11-1 = 10) and 3->1 (0+3-1 = 2): moves by 2. Pass 3: {1,2,3} is
    // worth 100 e^-0.01 - 300 e^-0.03 < 0 and moves by 3->0's slack
    // 0+11-3 = 8. Pass 4 moves nothing.
    gpr::problem p;
    ASSERT_EQ(
        name(setuptext(&p, "4 0\n0 2 2 1 1 0 3 1 1 0\n1 1 4 1 3 0\n1 1 4 1 3 0\n0 1 2 1 1 -3\n",
                       params(50, 10, 0.01))),
        "solved");
    p.sol.cf = {0, 100, -300, 0};
    gpr::solvecycle(&p.sol);
    EXPECT_EQ(p.sol.nrits, 4);
    EXPECT_NEAR(p.sol.npv, 100 * std::exp(-0.09) - 300 * std::exp(-0.11), 1e-9);
    EXPECT_EQ(p.sol.st, (startlist{0, 8, 10, 11}));
}

TEST(Search, ShiftBoundaries) {
    // In twostep the set {1, 2} below 0->1 is worth dcf[1]: exactly -1e-05
    // is not negative and is gathered, the next double below it is moved.
    gpr::problem p;
    ASSERT_EQ(name(setuptext(&p, twostep, params(50, 5, 0.01))), "solved");
    begin(&p);
    p.sol.dcf[1] = -1e-05;
    EXPECT_FALSE(gpr::searchpass(&p.sol));
    EXPECT_EQ(p.sol.npv, -1e-05);
    begin(&p);
    p.sol.dcf[1] = std::nextafter(-1e-05, -1.0);
    EXPECT_TRUE(gpr::searchpass(&p.sol));

    // 0->1, 0->2 (0), 2->3 (3); 1 lists no successor. {1} (cash flow -100)
    // has no leaving arc: it moves by noshift without a tree arc, and the
    // next pass no longer reaches it and counts only 2: 50 e^-0.03.
    ASSERT_EQ(name(setuptext(&p, "4 0\n0 2 2 1 1 0 3 1 1 0\n2 0\n3 1 4 1 3 0\n0 0\n",
                             params(50, 5, 0.01))),
              "solved");
    p.sol.cf = {0, -100, 50, 0};
    begin(&p);
    EXPECT_TRUE(gpr::searchpass(&p.sol));
    EXPECT_EQ(p.sol.st, (startlist{0, gpr::noshift, 0, 3}));
    EXPECT_TRUE(p.sol.dropped[1]);
    EXPECT_EQ(treearcs(p.sol), (arclist{{0, 2}, {2, 3}}));
    EXPECT_FALSE(gpr::searchpass(&p.sol));
    EXPECT_NEAR(p.sol.npv, 50 * std::exp(-0.03), 1e-9);

    // twostep with a deadline slack of 999999 or more: the only leaving arc
    // of {1,2} is the deadline arc with exactly that slack. The set moves by
    // it and keeps the arc: npv -100 e^(-1e-6 (slack + 1)).
    for (int slack : {999999, 1000000}) {
        ASSERT_EQ(name(setuptext(&p, twostep, params(50, slack, 1e-6))), "solved");
        p.sol.cf = {0, -100, 0};
        gpr::solvecycle(&p.sol);
        EXPECT_EQ(p.sol.nrits, 2);
        EXPECT_EQ(treearcs(p.sol), (arclist{{1, 2}, {2, 0}}));
        EXPECT_NEAR(p.sol.npv, -100 * std::exp(-1e-6 * (slack + 1)), 1e-9);
    }
}

// Networks on which earlier rules reported a wrong optimum. Each expected
// value is worked out by hand and agrees with the LP model (gprlp).
TEST(Search, SoundnessReproductions) {
    const struct {
        const char *why, *text;
        int pctneg, slack;
        double rate, optimum;
        int at, start; // one activity (0-based) and its optimal start
    } cases[] = {
        // All cash flows negative. Nothing bounds 1 from above: {1} is
        // dropped. {2} then leaves by 2->3 (slack 999998), not by the arc
        // 2->1 into the dropped 1, which would hang it below a part no pass
        // reaches; {2,3} and then {2,3,4} move up to the deadline 10. 2 ends
        // a million units late, worth nothing: -366 e^-0.1.
        {"an arc into a dropped set",
         "5 0\n0 4  2 1 1 0  3 1 1 0  4 1 1 0  5 1 1 0\n0 0\n"
         "0 2  4 1 1 -999998  2 1 1 0\n0 1  5 1 3 0\n0 0\n",
         100, 10, 0.01, -366 * std::exp(-0.1), 3, 10},
        // 2 lists 3 only through a maximal lag (the reverse arc 3->2 of 0
        // acts, the pair 2->3 itself constrains nothing). Earliest: 3 at 0,
        // 4 at 1e6, 2 at 2e6, end at 2e6; all cash flows positive, so the
        // earliest schedule: 239 e^-2 + 356 + 366 e^-1.
        {"a pair listed through a maximal lag only",
         "5 0\n0 2 4 1 1 1000000 3 1 1 0\n0 2 3 2 1 0 5 1 3 0\n0 1 5 1 3 0\n"
         "0 2 2 1 1 1000000 5 1 3 0\n0 0\n",
         0, 10, 0.000001, 239 * std::exp(-2.0) + 356 + 366 * std::exp(-1.0), 2, 0},
        // 2 is reached only through 1 -> 2 of -1000: it starts before the
        // project, at -1000: 239 + 356 e^10.
        {"a start far before the project",
         "4 0\n0 2 2 1 1 0 4 1 1 0\n0 1 3 1 1 -1000\n"
         "0 1 4 1 3 0\n0 0\n",
         0, 0, 0.01, 239 + 356 * std::exp(10.0), 2, -1000},
        // 1 lasts 5 and meets the end dummy start to start: raised to finish
        // to start, the critical path is 5, and slack 0 is feasible.
        {"a relation into the end dummy shorter than the duration",
         "3 0\n0 1 2 1 1 0\n5 1 3 1 1 0\n0 0\n", 50, 0, 0.01, -239 * std::exp(-0.05), 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        gpr::problem p;
        ASSERT_EQ(name(solvetext(&p, c.text, params(c.pctneg, c.slack, c.rate))), "solved");
        EXPECT_NEAR(p.sol.npv, c.optimum, 1e-9 * std::fabs(c.optimum));
        EXPECT_EQ(p.sol.st[c.at], c.start);
        EXPECT_FALSE(p.sol.dropped[c.at]);
    }
    // In the first case 1 alone is dropped, and 2 moved by 999998 + 10.
    gpr::problem p;
    ASSERT_EQ(name(solvetext(&p, cases[0].text, params(100, 10, 0.01))), "solved");
    EXPECT_EQ(p.sol.nrits, 5);
    for (int i = 0; i < 5; i++) EXPECT_EQ(p.sol.dropped[i], i == 1) << i;
    EXPECT_EQ(p.sol.st[2], 1000008);
}

TEST(Search, LongChainNeedsNoDeepRecursion) {
    // 100000 activities in one chain 0 -> 1 -> ... -> end (finish-to-start,
    // duration 1), every cash flow positive: one pass walks the chain
    // 100000 deep and moves nothing. A recursive walk would overflow the
    // stack.
    const int n = 100000;
    std::string text = std::to_string(n) + " 0\n0 1 2 1 3 0\n";
    for (int i = 2; i < n; i++) text += "1 1 " + std::to_string(i + 1) + " 1 3 0\n";
    text += "0 0\n";
    gpr::problemparams run = params(0, 2, 1e-6);
    run.limits = gpr::runlimits::none();
    gpr::problem p;
    ASSERT_EQ(name(solvetext(&p, text, run)), "solved");
    EXPECT_EQ(p.sol.nrits, 1);
    EXPECT_EQ(p.sol.st[n - 1], n - 2);
    EXPECT_EQ(p.deadline, n);
}

TEST(Search, EscapeFromAnyTreeReachesTheOptimum) {
    // The way out of a ring of degenerate passes must reach the optimum from
    // whatever schedule and tree the passes had: after a few passes of the
    // search, escape's value equals the full search's (the search's optimum
    // is checked against the LP model elsewhere).
    int compared = 0;
    for (uint64_t seed = 1; seed <= 60; seed++) {
        SCOPED_TRACE(seed);
        const std::string text = randominstance(seed, plantnone, 40, 30);
        gpr::problem full, early;
        const gpr::problemparams run = params((int)(seed % 5) * 25, (int)(seed % 3) * 5, 0.05);
        if (solvetext(&full, text, run) != gpr::outcome::solved) continue;
        ASSERT_EQ(setuptext(&early, text, run), gpr::outcome::solved);
        begin(&early);
        for (uint64_t k = 0; k < seed % 7 && gpr::searchpass(&early.sol); k++) {
        }
        gpr::escape(&early.sol);
        EXPECT_NEAR(early.sol.npv, full.sol.npv, 1e-6 * std::max(1.0, std::fabs(full.sol.npv)));
        compared++;
    }
    EXPECT_GT(compared, 40);
}
