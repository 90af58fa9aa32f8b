// The instance reader and the temporal analysis it ends with: conversion of
// every relation into a start-to-start lag, the lists, the appended reverse
// pairs of maximal lags, earliest starts, deadline and normalisation, and the
// reports of every file that is skipped. Instances are written out as files:
// "nract nrres", then one record per line "dur count {s bound relation value}".
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "support/testsupport.h"

namespace {

const auto succrow = [](int i) { return std::vector<int>(succ[i], succ[i] + nrsucc[i]); };
const auto starts = [] { return std::vector<int64_t>(st, st + nract); };

struct outcome {
    int result;
    std::string console, errors, output, info;
};

// Writes text as D<number>.gpr (no file at all for an empty text), runs the
// reader with fresh result files and collects everything it wrote.
outcome loadgpr(const std::string &text, int number = 1) {
    if (!text.empty()) writefile("D" + std::to_string(number) + ".gpr", text);
    std::strcpy(prefix, "D");
    probnr = number;
    openresults("output.txt", "info.out", true);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    outcome o{loadinstance(), testing::internal::GetCapturedStdout(),
              testing::internal::GetCapturedStderr(), "", ""};
    closeresults();
    o.output = readfile("output.txt");
    o.info = readfile("info.out");
    return o;
}

} // namespace

TEST(Reader, ConversionsMaxRuleAndLists) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    // Entries of activity 2 (index 1, duration 2) in this order, towards
    // activities 3..10 (durations 5 7 5 11 5 9 5 13, records read later),
    // with the 0-based cell each leaves after the whole file.
    const struct {
        int s, bound, relation, value, from, to, cell;
    } table[] = {
        {10, 2, 4, 3, 9, 1, 8},     // FF max: -(3 - 13 + 2)
        {3, 1, 1, 3, 1, 2, 8},      // SS min: 3, raised by the next entry
        {3, 1, 1, 8, 1, 2, 8},      // SS min: 8
        {8, 2, 2, 4, 7, 1, 5},      // SF max: -(4 - 9)
        {5, 1, 3, 6, 1, 4, 8},      // FS min: 6 + 2
        {7, 2, 1, 5, 6, 1, -5},     // SS max: -5; activity 7's own SS min -7 to 2 comes later
        {4, 1, 2, 4, 1, 3, -3},     // SF min: 4 - 7
        {9, 2, 3, 6, 8, 1, -8},     // FS max: -(6 + 2)
        {6, 1, 4, 1, 1, 5, -8},     // FF min: 1 - 11 + 2
        {7, 3, 1, -50, 6, 1, -5},   // bound type 3: no relation either way
        {4, 2, 0, 50, 3, 1, nolag}, // relation type 0: none, so no reverse pair either
    };
    std::string text = "11 0\n0 3 2 1 1 0 9 1 1 20 11 1 1 0\n2 " + std::to_string(std::size(table));
    for (const auto &r : table)
        for (int v : {r.s, r.bound, r.relation, r.value}) text += " " + std::to_string(v);
    text += "\n5 0\n7 0\n5 0\n11 0\n5 1 2 1 1 -7\n9 0\n5 0\n13 0\n0 0\n";
    lag[1][9] = 9; // a stale cell of an earlier instance on a listed pair must not act
    ASSERT_EQ(loadgpr(text).result, 1);
    for (const auto &r : table) EXPECT_EQ(lag[r.from][r.to], r.cell) << r.s << " " << r.relation;

    EXPECT_EQ(succrow(1), (std::vector<int>{9, 2, 2, 7, 4, 6, 3, 8, 5, 6, 3}));
    // Reverse pairs of the maximal lags in reading order; activity 7 lists 2
    // itself, and bound type 3 and relation type 0 get none.
    EXPECT_EQ(std::vector<int>(pred[1], pred[1] + nrpred[1]), (std::vector<int>{0, 6, 9, 7, 8}));
    for (int s : {3, 6, 7, 8, 9}) EXPECT_EQ(succrow(s), std::vector<int>(s != 3, 1)) << s;
    // Only listed arcs act, the appended one too: 0 -> 9 (20), 9 -> 2 (-8) gives
    // activity 2 the start 12. A maximal lag's own pair (2, s) carries nothing,
    // so 7, 8 and 10 are not reached at all, and nor is anything from them.
    const int64_t U = nostart;
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 12, 20, 9, 20, 4, U, U, 20, U, 0}));
}

TEST(TemporalAnalysis, EarliestStartsDeadlineAndNormalisation) {
    scratchdir dir;
    setparams(50, 10, 0.01);
    // 1 -> 2 (SS 3), 1 -> 3 (SS 5), 2 -> 3 (SS 4), 3 -> 4 (SS 2).
    const std::string example = "4 0\n0 2 2 1 1 3 3 1 1 5\n6 1 3 1 1 4\n5 1 4 1 1 2\n0 0\n";
    ASSERT_EQ(loadgpr(example).result, 1);
    // The normalisation comes first and raises the arc 3 -> 4 to the
    // duration 5 of activity 3: the critical path is 12, the deadline 22.
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 3, 7, 12}));
    EXPECT_EQ(deadline, 22);
    dlextra = INT_MAX; // beyond 32 bits the deadline is taken at its limit
    ASSERT_EQ(loadgpr(example).result, 1);
    EXPECT_EQ(deadline, INT_MAX);

    // The start dummy lasts 2: its negative and missing lags become 0, lags
    // into the end dummy at least the duration; 3 is listed by nobody.
    dlextra = 0;
    const char *start2 = "5 0\n2 3 2 1 1 -4 4 1 1 7 5 1 1 1\n3 1 5 1 1 1\n4 0\n2 1 5 1 1 10\n0 0\n";
    ASSERT_EQ(loadgpr(start2).result, 1);
    const int64_t U = nostart;
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 0, U, 7, 17}));
    EXPECT_EQ(deadline, 17);
    EXPECT_EQ((std::vector<int>{lag[0][1], lag[0][2], lag[0][3], lag[0][4], lag[1][4], lag[2][4]}),
              (std::vector<int>{0, 0, 7, 2, 3, 4}));

    // An activity that nothing reaches raises nothing, not even the start
    // dummy through its lag of 1005. 2 -> 4 (SS 2) and back 4 -> 2 (SS -2)
    // make a cycle of length 0, which is feasible; 2 -> 4 is raised to the
    // duration 1 of activity 2 (no effect), and 4 starts at 3 + 2.
    ASSERT_EQ(loadgpr("4 0\n0 1 2 1 1 3\n1 1 4 1 1 2\n1 1 1 1 1 1005\n0 1 2 1 1 -2\n").result, 1);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 3, U, 5}));

    // Exactly 1000 in the chain 1 -> 999 -> 998 -> ... -> 2 -> 1000 (SS 2):
    // each sweep raises one more start, the worst order for the
    // positive-cycle bound.
    std::string chain = "1000 0\n0 1 999 1 1 2\n1 1 1000 1 1 2\n";
    for (int n = 3; n <= 999; n++) chain += "1 1 " + std::to_string(n - 1) + " 1 1 2\n";
    chain += "0 0\n";
    ASSERT_EQ(loadgpr(chain).result, 1);
    for (int i = 1; i < 999; i++) ASSERT_EQ(st[i], 2 * (999 - i)) << i;
    EXPECT_EQ(st[999], 1998);
}

// Skipped files: the problem number in the name, console text and record;
// the reason line on stderr; the files of the test data that are rejected.
TEST(Reader, SkippedAndRejectedFiles) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    const struct {
        const char *text;
        int number;
        const char *verdict, *reason;
    } skipped[] = {
        {"", -3, "\n      D-3\t\t\t\t\t not found\n   -3    problem not found", ""},
        {"1001 1 7\n", INT_MIN,
         "\n D-2147483648\t\t\t\t\t maxact too low\n-2147483648    too many activities", ""},
        // The cycle 2 -> 3 (SS 3), 3 -> 2 (SS -2) has length 1.
        {"4 0\n0 1 2 1 1 0\n1 1 3 1 1 3\n1 2 2 1 1 -2 4 1 1 1\n0 0\n", 0,
         "\n       D0\t\t\t\t\t infeasible\n    0    no feasible schedule",
         "D0.gpr: no feasible schedule"},
    };
    for (const auto &c : skipped) {
        outcome o = loadgpr(c.text, c.number);
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(o.console + o.output, c.verdict);
        EXPECT_EQ(o.errors.rfind(c.reason, 0), 0u) << o.errors;
        EXPECT_EQ(*c.reason ? "" : o.errors + o.info, "") << "nothing read, nothing drawn";
    }

    const auto bad = [](const char *name) {
        return readfile(std::string(MAXNPV_TESTDATA) + "/badinput/" + name + ".gpr");
    };
    std::string entries;
    for (int k = 0; k < 1000; k++) entries += "2 1 1 0\n";
    // 1000 entries in one record, all naming activity 2: both limits met.
    const std::string full = "3 0\n0 1000\n" + entries;
    ASSERT_EQ(loadgpr(full + "0 1 3 1 1 0\n0 0\n").result, 1);
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
        // Activity 3 can start at -1000000: at the rate 0.01 its discount
        // factor exp(10000) is beyond any double.
        {"4 0\n0 2 2 1 1 0 4 1 1 0\n0 1 3 1 1 -1000000\n0 1 4 1 3 0\n0 0\n", "",
         "leave the range of a double: activity 3 can finish at -1000000"},
        // The reverse pair of a maximal lag does not fit the full predecessor row.
        {full + "0 1 3 2 1 5\n0 0\n", "", "needs the reverse arc 3->2"},
    };
    for (const auto &row : invalid) {
        outcome o = loadgpr(row.text);
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(o.console + o.output,
                  "\n       D1\t\t\t\t\t invalid file\n    1    invalid instance file");
        EXPECT_EQ(o.errors.rfind("D1.gpr: " + std::string(row.where), 0), 0u) << o.errors;
        EXPECT_NE(o.errors.find(row.phrase), std::string::npos) << o.errors;
        EXPECT_EQ(o.errors.find('\n'), o.errors.size() - 1) << "one line: " << o.errors;
    }
    // Rejected in the record of activity 3 (index 2): entries 0..2 are logged.
    outcome o = loadgpr("5 0\n0 1 2 1 1 0\n1 1 3 1 1 0\n1 1 7 1 1 0\n1 0\n0 0\n");
    EXPECT_EQ(o.info, "(0/0) (1/-239) (2/356) ");
    EXPECT_EQ(o.errors, "D1.gpr: line 4, value 17: the successor number of entry 1 of activity "
                        "3 is 7, expected 1 to 5\n");

    // Accepted at the limits: white space of every kind, signs, 32-bit ends,
    // magnitudes of 1000000. A converted lag of -1000000 is a relation like
    // any other; into the end dummy it is raised to the duration 1000000.
    const char *limits = "3\t1 -2147483648\r\n0 2147483647 1 +2 1 3 +1000000\r\n"
                         "1000000\v0\f1 3 1 1 -1000000\r\n0 0 0\r\n";
    ASSERT_EQ(loadgpr(limits).result, 1);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 1000000, 2000000}));
}
