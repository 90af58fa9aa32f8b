// The instance reader and the temporal analysis that follows it: conversion
// of every relation into a start-to-start lag, the rows, the appended reverse
// pairs of maximal lags, normalisation, earliest starts and deadline, the
// cash flows, and the reasons of every file that is rejected. Instances are
// written as text: "nract nrres", then one record per line
// "dur count {s bound relation value}".
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <string>
#include <vector>

#include "input/boundall.h"
#include "input/cashflow.h"
#include "input/loadinstance.h"
#include "network/deadline.h"
#include "network/earlystarts.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

using gpr::network;
using startlist = std::vector<int64_t>;
const int64_t U = gpr::nostart;

// Reads and analyses text with the dialogue's limits.
std::string analysed(const std::string &text, network *net, std::string *reason = nullptr) {
    std::string why;
    int reached;
    gpr::outcome kind = gpr::readnetwork(text.data(), text.size(), gpr::runlimits(), net,
                                         reason ? reason : &why, &reached);
    if (kind == gpr::outcome::solved) kind = gpr::analyse(net, reason ? reason : &why);
    return name(kind);
}

// The activities row i names, in order.
std::vector<int> row(const network &net, int i) {
    return std::vector<int>(net.succ.begin() + net.rowstart[i],
                            net.succ.begin() + net.rowstart[i + 1]);
}

// The lag of the pair (i, j) as the rows hold it; "unlisted" pairs have none.
std::string lagof(const network &net, int i, int j) {
    for (int e = net.rowstart[i]; e < net.rowstart[i + 1]; e++)
        if (net.succ[e] == j) return net.lag[e] == gpr::nolag ? "none" : std::to_string(net.lag[e]);
    return "unlisted";
}

// The activities that name v, in the order of v's predecessor row.
std::vector<int> predorder(const network &net, int v) {
    std::vector<std::pair<int, int>> keyed;
    for (int e = 0; e < net.entries(); e++)
        if (net.succ[e] == v && net.firstpos[e] == e)
            keyed.push_back({net.predkey[e], net.owner[e]});
    std::sort(keyed.begin(), keyed.end());
    std::vector<int> owners;
    for (auto [key, owner] : keyed) owners.push_back(owner);
    return owners;
}

} // namespace

TEST(Reader, ConversionsMaxRuleAndLists) {
    // Entries of activity 2 (index 1, duration 2) in this order, towards
    // activities 3..10 (durations 5 7 5 11 5 9 5 13, records read later),
    // with the 0-based pair each one's lag lands on and that pair's lag
    // after the whole file.
    const struct {
        int s, bound, relation, value, from, to;
        const char *lag;
    } table[] = {
        {10, 2, 4, 3, 9, 1, "8"},        // FF max: -(3 - 13 + 2)
        {3, 1, 1, 3, 1, 2, "8"},         // SS min: 3, raised by the next entry
        {3, 1, 1, 8, 1, 2, "8"},         // SS min: 8
        {8, 2, 2, 4, 7, 1, "5"},         // SF max: -(4 - 9)
        {5, 1, 3, 6, 1, 4, "8"},         // FS min: 6 + 2
        {7, 2, 1, 5, 6, 1, "-5"},        // SS max: -5; activity 7's own SS min -7 to 2 is weaker
        {4, 1, 2, 4, 1, 3, "-3"},        // SF min: 4 - 7
        {9, 2, 3, 6, 8, 1, "-8"},        // FS max: -(6 + 2)
        {6, 1, 4, 1, 1, 5, "-8"},        // FF min: 1 - 11 + 2
        {7, 3, 1, -50, 6, 1, "-5"},      // bound type 3: no relation either way
        {4, 2, 0, 50, 3, 1, "unlisted"}, // relation type 0: none, so no reverse pair either
        {10, 2, 4, 3, 1, 9, "none"},     // a maximal lag's own pair constrains nothing
    };
    std::string text =
        "11 0\n0 3 2 1 1 0 9 1 1 20 11 1 1 0\n2 " + std::to_string(std::size(table) - 1);
    for (size_t k = 0; k + 1 < std::size(table); k++)
        for (int v : {table[k].s, table[k].bound, table[k].relation, table[k].value})
            text += " " + std::to_string(v);
    text += "\n5 0\n7 0\n5 0\n11 0\n5 1 2 1 1 -7\n9 0\n5 0\n13 0\n0 0\n";
    network net;
    ASSERT_EQ(analysed(text, &net), "solved");
    for (const auto &r : table)
        EXPECT_EQ(lagof(net, r.from, r.to), r.lag) << r.s << " " << r.relation;

    EXPECT_EQ(row(net, 1), (std::vector<int>{9, 2, 2, 7, 4, 6, 3, 8, 5, 6, 3}));
    // Reverse pairs of the maximal lags in reading order; activity 7 lists 2
    // itself, and bound type 3 and relation type 0 get none.
    EXPECT_EQ(predorder(net, 1), (std::vector<int>{0, 6, 9, 7, 8}));
    for (int s : {3, 6, 7, 8, 9}) EXPECT_EQ(row(net, s), std::vector<int>(s != 3, 1)) << s;
    // Only listed pairs with a relation act, the appended ones too: 0 -> 9
    // (20), 9 -> 2 (-8) gives activity 2 the start 12. A maximal lag's own
    // pair (2, s) carries nothing, so 7, 8 and 10 are not reached at all,
    // and nor is anything from them.
    EXPECT_EQ(net.est, (startlist{0, 12, 20, 9, 20, 4, U, U, 20, U, 0}));
}

TEST(Analysis, EarliestStartsDeadlineAndNormalisation) {
    // 1 -> 2 (SS 3), 1 -> 3 (SS 5), 2 -> 3 (SS 4), 3 -> 4 (SS 2). The
    // normalisation comes first and raises the arc 3 -> 4 to the duration 5
    // of activity 3: the critical path is 12, the deadline 22.
    network net;
    const std::string example = "4 0\n0 2 2 1 1 3 3 1 1 5\n6 1 3 1 1 4\n5 1 4 1 1 2\n0 0\n";
    ASSERT_EQ(analysed(example, &net), "solved");
    EXPECT_EQ(net.est, (startlist{0, 3, 7, 12}));
    EXPECT_EQ(gpr::deadlineof(net, 10), 22);
    // Times are 64-bit: a slack at the 32-bit limit still adds up exactly,
    // and a sum beyond 64 bits is held at half the range, far enough from
    // overflow for the range check that rejects it.
    EXPECT_EQ(gpr::deadlineof(net, INT_MAX), 12LL + INT_MAX);
    EXPECT_EQ(gpr::deadlineof(net, INT64_MAX - 5), INT64_MAX / 2);

    // The start dummy lasts 2: its negative lags become 0, lags into the end
    // dummy at least the duration of their source; 3 is listed by nobody.
    const char *start2 = "5 0\n2 3 2 1 1 -4 4 1 1 7 5 1 1 1\n3 1 5 1 1 1\n4 0\n2 1 5 1 1 10\n0 0\n";
    ASSERT_EQ(analysed(start2, &net), "solved");
    EXPECT_EQ(net.est, (startlist{0, 0, U, 7, 17}));
    EXPECT_EQ((std::vector<std::string>{lagof(net, 0, 1), lagof(net, 0, 3), lagof(net, 0, 4),
                                        lagof(net, 1, 4), lagof(net, 3, 4)}),
              (std::vector<std::string>{"0", "7", "2", "3", "10"}));

    // An activity that nothing reaches raises nothing, not even the start
    // dummy through its lag of 1005. 2 -> 4 (SS 2) and back 4 -> 2 (SS -2)
    // make a cycle of length 0, which is feasible.
    ASSERT_EQ(analysed("4 0\n0 1 2 1 1 3\n1 1 4 1 1 2\n1 1 1 1 1 1005\n0 1 2 1 1 -2\n", &net),
              "solved");
    EXPECT_EQ(net.est, (startlist{0, 3, U, 5}));

    // Exactly 1000 in the chain 1 -> 999 -> 998 -> ... -> 2 -> 1000 (SS 2):
    // each sweep raises one more start, the worst order for the
    // positive-cycle bound.
    std::string chain = "1000 0\n0 1 999 1 1 2\n1 1 1000 1 1 2\n";
    for (int n = 3; n <= 999; n++) chain += "1 1 " + std::to_string(n - 1) + " 1 1 2\n";
    chain += "0 0\n";
    ASSERT_EQ(analysed(chain, &net), "solved");
    for (int i = 1; i < 999; i++) ASSERT_EQ(net.est[i], 2 * (999 - i)) << i;
    EXPECT_EQ(net.est[999], 1998);

    // Cycles of positive length: the reason names the activity that the
    // sweeps still raise last in sweep nract+1. 2 -> 3 (SS 3) and 3 -> 2
    // (SS -2) have length 1; every sweep raises 3 through 2's row, then the
    // end dummy and last 2 through 3's row, read from its last entry.
    std::string reason;
    ASSERT_EQ(analysed("4 0\n0 1 2 1 1 0\n1 1 3 1 1 3\n1 2 2 1 1 -2 4 1 1 1\n0 0\n", &net, &reason),
              "infeasible");
    EXPECT_EQ(reason, "no feasible schedule: a cycle of positive length in the relations keeps "
                      "raising the start of activity 2; the cycle: 2 -> 3 -> 2 (length 1)");
}

// The earliest starts against plain relaxation rounds over every arc (as
// many rounds as activities: a start still raised in the last round means a
// cycle of positive length), on random networks with maximal lags, planted
// faults and long projects: the same starts, and infeasible exactly when
// the rounds find such a cycle.
TEST(Analysis, EarliestStartsMatchPlainRelaxation) {
    const plantkind plants[] = {plantnone,   plantloadcycle, plantnormcycle,
                                plantorphan, planttightmax,  plantwide};
    int feasible = 0, cycles = 0;
    for (uint64_t k = 0; k < 900; k++) {
        const std::string text =
            k % 30 == 29 ? randomproject(k, 300 + (int)k)
                         : randominstance(k, plants[k % 6], k % 3 ? 60 : 400, 20 + k % 60);
        network net;
        std::string reason;
        const std::string kind = analysed(text, &net, &reason);
        if (kind != "solved" && kind != "infeasible") continue; // unreadable, or no path to the end
        const int n = net.nract;
        startlist st(n, U);
        st[0] = 0;
        bool raised = true;
        for (int round = 0; round < n && raised; round++) {
            raised = false;
            for (int i = 0; i < n; i++)
                for (int e = net.rowstart[i]; e < net.rowstart[i + 1]; e++) {
                    if (st[i] == U || net.lag[e] == gpr::nolag) continue;
                    const int j = net.succ[e];
                    if (st[j] == U || st[i] + net.lag[e] > st[j])
                        st[j] = st[i] + net.lag[e], raised = true;
                }
        }
        if (raised) {
            EXPECT_EQ(kind, "infeasible") << "instance " << k;
            cycles++;
        } else if (kind == "solved") {
            EXPECT_EQ(net.est, st) << "instance " << k;
            feasible++;
        } else {
            ADD_FAILURE() << "instance " << k << ": " << reason;
        }
    }
    EXPECT_GT(feasible, 400);
    EXPECT_GT(cycles, 40);
}

// The count of activities the deadline does not bound, against relaxation
// rounds from every activity on its own: activity i is bounded when its
// longest chain of arcs to the end dummy (not through it) covers its
// duration.
TEST(Analysis, UnboundedActivitiesMatchChainsFromEveryActivity) {
    int loose = 0, checked = 0;
    for (uint64_t k = 0; k < 300; k++) {
        const std::string text =
            randominstance(1000 + k, k % 2 ? plantwide : plantnone, 40, 10 + k % 50);
        network net;
        if (analysed(text, &net) != "solved") continue;
        const int n = net.nract, end = n - 1;
        int expected = 0;
        for (int from = 1; from < end; from++) {
            startlist chain(n, U);
            chain[from] = 0;
            for (int round = 0; round < n; round++)
                for (int i = 0; i < end; i++) // the end dummy's arcs lead nowhere
                    for (int e = net.rowstart[i]; e < net.rowstart[i + 1]; e++) {
                        const int j = net.succ[e];
                        if (chain[i] != U && net.lag[e] != gpr::nolag &&
                            (chain[j] == U || chain[i] + net.lag[e] > chain[j]))
                            chain[j] = chain[i] + net.lag[e];
                    }
            expected += chain[end] == U || chain[end] < net.dur[from];
        }
        EXPECT_EQ(gpr::notbounded(net), expected) << "instance " << k;
        loose += expected > 0;
        checked++;
    }
    EXPECT_GT(checked, 200);
    EXPECT_GT(loose, 30); // the generator leaves some activities unbounded
}

TEST(Reader, RejectedFiles) {
    const auto bad = [](const char *file) {
        return readfile(std::string(MAXNPV_TESTDATA) + "/badinput/" + file + ".gpr");
    };
    std::string entries;
    for (int k = 0; k < 1000; k++) entries += "2 1 1 0\n";
    // 1000 entries in one record, all naming activity 2: both limits met.
    const std::string full = "3 0\n0 1000\n" + entries;
    network net;
    ASSERT_EQ(analysed(full + "0 1 3 1 1 0\n0 0\n", &net), "solved");
    const struct {
        std::string text;
        const char *where;  // "line L, value V", or none
        std::string phrase; // part of the reason
    } invalid[] = {
        {bad("ends-early"), "line 3, value 14", "number of entry 1 of activity 2, found the end"},
        {bad("token-not-integer"), "line 3, value 11", "\"4.5\", which is not a decimal integer"},
        {bad("token-sign-only"), "line 2, value 8", "type of entry 1 of activity 1, found \"+\""},
        {bad("integer-beyond-32-bits"), "line 2, value 5", "2147483648, which does not fit"},
        {bad("one-activity"), "line 1, value 1", "activity count is 1"},
        // Bytes outside printable ASCII are escaped, a long token is cut.
        {bad("token-with-terminal-controls"), "line 1, value 2",
         "found \"\\x1B]0;pwned\\x07\\x1B[2J\", which is not"},
        {bad("token-too-long-to-echo"), "line 2, value 8",
         "found \"" + std::string(30, '7') + std::string(10, 'x') + "...\", which is not"},
        {bad("negative-resource-count"), "line 1, value 2", "resource type count is -1"},
        {bad("negative-capacity"), "line 1, value 4",
         "the capacity of resource 2 is -1, expected 0 to 2147483647"},
        {bad("negative-demand"), "line 4, value 23",
         "the demand of activity 3 for resource 1 is -2, expected 0 to 2147483647"},
        {bad("successor-count-negative"), "line 3, value 10", "count of activity 2 is -1"},
        {bad("successor-count-too-large"), "line 2, value 4", "count of activity 1 is 1001"},
        {bad("successor-number-zero"), "line 3, value 5", "entry 1 of activity 1 is 0, expected 1"},
        {bad("successor-number-too-large"), "line 4, value 9", "entry 2 of activity 1 is 4"},
        {bad("duration-too-large"), "line 3, value 9", "duration of activity 2 is 1000001"},
        {bad("lag-too-large"), "line 2, value 8", "lag value of entry 1 of activity 1 is -1000001"},
        // The end dummy names activity 2 once more.
        {full + "0 0\n0 1\n2 1 1 0\n", "line 1005, value 4009",
         "activity 2 is named as a successor more than 1000 times"},
        // The end dummy lists 1000 successors other than activity 1.
        {"3 0\n0 0\n0 0\n0 1000\n" + entries, "", "no room for the deadline arc"},
        // The reverse pair of a maximal lag does not fit the full predecessor row.
        {full + "0 1 3 2 1 5\n0 0\n", "", "needs the reverse arc 3->2"},
    };
    for (const auto &r : invalid) {
        SCOPED_TRACE(r.phrase);
        std::string reason;
        EXPECT_EQ(analysed(r.text, &net, &reason), "invalid");
        EXPECT_EQ(reason.rfind(r.where, 0), 0u) << reason;
        EXPECT_NE(reason.find(r.phrase), std::string::npos) << reason;
    }

    // Too many activities: the reason says how to lift the limit.
    std::string reason;
    EXPECT_EQ(analysed("1001 1 7\n", &net, &reason), "too many activities");
    EXPECT_EQ(reason, "1001 activities, more than the limit of 1000; maxnpv batch and maxnpv "
                      "solve take a higher one with --max-activities");

    // Accepted at the limits: white space of every kind, signs, 32-bit ends
    // (a bound type of -2147483648 takes part in the lists and implies no
    // lag), magnitudes of 1000000. A converted lag of -1000000 is a relation
    // like any other; into the end dummy it is raised to the duration 1000000.
    const char *limits = "3\t1 2147483647\r\n0 2147483647 2 +2 1 3 +1000000 2 -2147483648 1 0\r\n"
                         "1000000\v0\f1 3 1 1 -1000000\r\n0 0 0\r\n";
    ASSERT_EQ(analysed(limits, &net), "solved");
    EXPECT_EQ(net.est, (startlist{0, 1000000, 2000000}));
    EXPECT_EQ(net.capacity, std::vector<int>{INT_MAX});
    EXPECT_EQ(net.demand, (std::vector<int>{INT_MAX, 0, 0}));
}

TEST(Reader, CashFlowsAsFarAsTheReadingGot) {
    gpr::lcg g(0);
    for (int draw : {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612})
        EXPECT_EQ(g.next(), draw);

    // Eight activities; activity 5's sign draw is 0 modulo 100, so pctneg 0
    // keeps it positive. Both dummies consume their draws and get 0.
    const std::pair<int, std::vector<int>> rows[] = {
        {50, {0, -239, 356, 366, -451, -354, 143, 0}},
        {0, {0, 239, 356, 366, 451, 354, 143, 0}},
        {100, {0, -239, -356, -366, -451, -354, -143, 0}}};
    for (const auto &[pct, flows] : rows) {
        gpr::problem p;
        setuptext(&p, "8 0\n0 1 8 1 1 0\n0 0\n0 0\n0 0\n0 0\n0 0\n0 0\n0 0\n",
                  params(pct, 0, 0.01));
        EXPECT_EQ(p.cf, flows) << pct;
    }
    // Rejected in the record of activity 3 (index 2): activities 0..2 drew.
    gpr::problem p;
    EXPECT_EQ(name(setuptext(&p, "5 0\n0 1 2 1 1 0\n1 1 3 1 1 0\n1 1 7 1 1 0\n1 0\n0 0\n",
                             params(50, 0, 0.01))),
              "invalid");
    EXPECT_EQ(p.cf, (std::vector<int>{0, -239, 356}));
    EXPECT_EQ(p.reason, "line 4, value 17: the successor number of entry 1 of activity 3 is 7, "
                        "expected 1 to 5");
    // Rejected in the header, or above the limit: nothing drawn.
    for (const char *text : {"5 x\n", "1001 0\n"}) {
        setuptext(&p, text, params(50, 0, 0.01));
        EXPECT_TRUE(p.cf.empty()) << text;
    }

    // Activity 3 can start at -1000000: at the rate 0.01 its discount
    // factor exp(10000) is beyond any double, so the instance cannot be
    // represented.
    EXPECT_EQ(name(setuptext(&p, "4 0\n0 2 2 1 1 0 4 1 1 0\n0 1 3 1 1 -1000000\n0 1 4 1 3 0\n0 0\n",
                             params(50, 0, 0.01))),
              "invalid");
    EXPECT_EQ(p.reason.rfind("the discounted cash flows leave the range of a double: activity 3 "
                             "can finish at -1000000",
                             0),
              0u);
}

// The resource data of records that a program fills itself is checked as the
// reader checks a file's, and reaches the network as read: one capacity per
// type, one demand per activity and type, none of them negative.
TEST(Reader, ResourceDataOfRecords) {
    const std::string text = "4 2 7 0\n0 0 0 2 2 1 3 0 3 1 3 0\n2 3 1 1 4 1 3 0\n"
                             "3 0 2147483647 1 4 1 3 0\n0 0 0 0\n";
    gpr::records rec;
    std::string why;
    int reached;
    ASSERT_EQ(gpr::scanrecords(text.data(), text.size(), gpr::runlimits(), &rec, &why, &reached),
              gpr::outcome::solved);
    EXPECT_EQ(rec.capacity, (std::vector<int>{7, 0}));
    EXPECT_EQ(rec.demand, (std::vector<int>{0, 0, 3, 1, 0, INT_MAX, 0, 0}));
    network net;
    ASSERT_EQ(gpr::buildnetwork(rec, gpr::runlimits(), &net, &why), gpr::outcome::solved);
    EXPECT_EQ(net.nrres, 2);
    EXPECT_EQ(net.capacity, rec.capacity);
    EXPECT_EQ(net.demand, rec.demand);
    ASSERT_EQ(gpr::checkrecords(rec, gpr::runlimits(), &why), gpr::outcome::solved) << why;

    const struct {
        void (*change)(gpr::records *);
        const char *reason;
    } bad[] = {
        {[](gpr::records *r) { r->capacity.pop_back(); },
         "the network has 2 resource types but 1 capacities"},
        {[](gpr::records *r) { r->demand.push_back(0); },
         "the network has 4 activities and 2 resource types but 9 demands, expected 8"},
        {[](gpr::records *r) { r->nrres = -1; },
         "the resource type count is -1, expected 0 or more"},
        {[](gpr::records *r) { r->capacity[1] = -5; },
         "the capacity of resource 2 is -5, expected 0 to 2147483647"},
        {[](gpr::records *r) { r->demand[5] = INT_MIN; },
         "the demand of activity 3 for resource 2 is -2147483648, expected 0 to 2147483647"},
    };
    for (const auto &b : bad) {
        gpr::records changed = rec;
        b.change(&changed);
        EXPECT_EQ(name(gpr::checkrecords(changed, gpr::runlimits(), &why)), "invalid") << b.reason;
        EXPECT_EQ(why, b.reason);
    }
}
