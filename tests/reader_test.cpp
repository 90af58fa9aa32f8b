// The instance reader and the temporal analysis it ends with: conversion of
// every relation into a start-to-start lag, the lists, the appended reverse
// pairs of maximal lags, earliest starts, deadline and normalisation, and the
// reports of every file that is skipped.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "input/cashflow.h"
#include "input/loadinstance.h"
#include "network/bitrow.h"
#include "network/common_gpr.h"
#include "support/testsupport.h"

namespace {

struct entry {
    int s, bound, relation, value; // s: file number of the named activity
};
struct record {
    int dur;
    std::vector<entry> entries;
};

// An instance without resources, one record per line.
std::string gpr(const std::vector<record> &records) {
    std::string text = std::to_string(records.size()) + " 0\n";
    for (const record &r : records) {
        text += std::to_string(r.dur) + " " + std::to_string(r.entries.size());
        for (const entry &e : r.entries)
            text += "  " + std::to_string(e.s) + " " + std::to_string(e.bound) + " " +
                    std::to_string(e.relation) + " " + std::to_string(e.value);
        text += "\n";
    }
    return text;
}

std::vector<int> succrow(int i) {
    return std::vector<int>(succ[i], succ[i] + nrsucc[i]);
}
std::vector<int> predrow(int i) {
    return std::vector<int>(pred[i], pred[i] + nrpred[i]);
}
std::vector<int64_t> starts() {
    return std::vector<int64_t>(st, st + nract);
}

struct outcome {
    int result;
    std::string console, errors, output, info;
};

// Runs the reader on D<number>.gpr as it stands in the working directory,
// with fresh result files, and collects everything it wrote.
outcome load(int number) {
    std::remove("output.txt");
    std::remove("info.out");
    std::strcpy(prefix, "D");
    probnr = number;
    outfile = std::fopen("output.txt", "a");
    infofile = std::fopen("info.out", "a");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    outcome o;
    o.result = loadinstance();
    o.console = testing::internal::GetCapturedStdout();
    o.errors = testing::internal::GetCapturedStderr();
    std::fclose(outfile);
    std::fclose(infofile);
    outfile = infofile = nullptr;
    o.output = readfile("output.txt");
    o.info = readfile("info.out");
    return o;
}

outcome loadgpr(const std::string &text, int number = 1) {
    writefile("D" + std::to_string(number) + ".gpr", text);
    return load(number);
}

} // namespace

TEST(Reader, EightConversions) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    // Activity 2 (index 1, duration 2) names activities 3..10 (durations
    // 5 7 5 11 5 9 5 13), one relation of each kind, in shuffled order.
    std::vector<record> recs = {{0, {{2, 1, 1, 0}}},
                                {2,
                                 {{10, 2, 4, 3},
                                  {3, 1, 1, 3},
                                  {8, 2, 2, 4},
                                  {5, 1, 3, 6},
                                  {7, 2, 1, 5},
                                  {4, 1, 2, 4},
                                  {9, 2, 3, 6},
                                  {6, 1, 4, 1}}}};
    for (int d : {5, 7, 5, 11, 5, 9, 5, 13}) recs.push_back({d, {}});
    recs.push_back({0, {}});
    ASSERT_EQ(loadgpr(gpr(recs)).result, 1);

    EXPECT_EQ(lag[1][2], 3);          // SS min: v
    EXPECT_EQ(lag[1][3], 4 - 7);      // SF min: v - dur[s]
    EXPECT_EQ(lag[1][4], 6 + 2);      // FS min: v + dur[i]
    EXPECT_EQ(lag[1][5], 1 - 11 + 2); // FF min: v - dur[s] + dur[i]
    EXPECT_EQ(lag[6][1], -5);         // SS max: -v
    EXPECT_EQ(lag[7][1], 9 - 4);      // SF max: -(v - dur[s])
    EXPECT_EQ(lag[8][1], -(6 + 2));   // FS max: -(v + dur[i])
    EXPECT_EQ(lag[9][1], -(3 - 13 + 2));
    for (int s = 2; s <= 5; s++) EXPECT_EQ(lag[s][1], nolag) << "reverse cell of min lag " << s;
    for (int s = 6; s <= 9; s++) EXPECT_EQ(lag[1][s], nolag) << "forward cell of max lag " << s;

    EXPECT_EQ(succrow(1), (std::vector<int>{9, 2, 7, 4, 6, 3, 8, 5}));
    for (int s = 2; s <= 9; s++) EXPECT_EQ(predrow(s), std::vector<int>{1}) << s;
    // Reverse pairs of the maximal lags, appended in reading order.
    for (int s = 2; s <= 5; s++) EXPECT_EQ(nrsucc[s], 0) << s;
    for (int s = 6; s <= 9; s++) EXPECT_EQ(succrow(s), std::vector<int>{1}) << s;
    EXPECT_EQ(predrow(1), (std::vector<int>{0, 9, 7, 6, 8}));
    // The listed arcs act; a max-lag pair (1, s) carries no relation.
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 0, 3, -3, 8, -8, -999, -999, -999, -999, -999}));
}

TEST(Reader, DuplicatesMaxRuleAndPredOrder) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    std::string text = gpr({{0, {{2, 1, 1, 0}, {3, 1, 1, 0}}},
                            {4,
                             {{3, 1, 1, 3},
                              {3, 1, 1, 8}, // raises 3 to 8
                              {4, 1, 1, 8},
                              {4, 1, 3, 0},   // FS 0 + dur 4 = 4 stays below 8
                              {5, 1, 3, 0},   // FS 0 from duration 4: 4
                              {5, 2, 1, 5}}}, // SS max 5: lag[4][1] = -5
                            {3, {{6, 1, 1, 3}}},
                            {2, {{3, 1, 1, -20}, {6, 1, 1, 2}}},
                            {1, {{2, 1, 1, -7}, {6, 1, 1, 1}}}, // -7 towards 1: stays -5
                            {0, {}}});
    ASSERT_EQ(loadgpr(text).result, 1);
    EXPECT_EQ(lag[1][2], 8);
    EXPECT_EQ(lag[1][3], 8);
    EXPECT_EQ(lag[1][4], 4);
    EXPECT_EQ(lag[4][1], -5);
    EXPECT_EQ(lag[3][2], -20);
    EXPECT_EQ(succrow(1), (std::vector<int>{2, 2, 3, 3, 4, 4}));
    EXPECT_EQ(succrow(4), (std::vector<int>{1, 5})) << "reverse pair was listed already";
    EXPECT_EQ(predrow(1), (std::vector<int>{0, 4}));
    EXPECT_EQ(predrow(2), (std::vector<int>{0, 1, 1, 3}));
    EXPECT_EQ(predrow(3), (std::vector<int>{1, 1}));
    EXPECT_EQ(predrow(5), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(nrpred[0], 0);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 0, 8, 8, 4, 11}));

    // The next load counts its predecessors afresh.
    ASSERT_EQ(loadgpr(gpr({{0, {{2, 1, 1, 0}}}, {1, {{3, 1, 3, 0}}}, {0, {}}})).result, 1);
    EXPECT_EQ(predrow(1), std::vector<int>{0});
    EXPECT_EQ(predrow(2), std::vector<int>{1});
    EXPECT_EQ(nrpred[0], 0);
}

TEST(Reader, IgnoredTypesSentinelAndReset) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    lag[2][1] = 9;
    lag[500][3] = 7;
    lag[999][999] = 5;
    lag[1000][1000] = 5;
    pow2[3] = 0;
    msbtab[9] = 0;
    std::string text = gpr({{0, {{2, 1, 1, 1000000}}},
                            {3,
                             {{3, 3, 1, 5},
                              {3, 1, 5, 5},
                              {3, 0, 1, 5},
                              {3, 1, 0, 5},
                              {3, 2, 5, 5}, // no relation, so no reverse pair either
                              {3, INT_MAX, INT_MIN, 7},
                              {4, 1, 1, -999999},  // the sentinel itself: no relation
                              {4, 1, 1, -1000000}, // below it: no relation
                              {5, 1, 3, -1000000}}},
                            {2, {}},
                            {2, {}},
                            {2, {}},
                            {0, {}}});
    ASSERT_EQ(loadgpr(text).result, 1);
    EXPECT_EQ(lag[1][2], nolag);
    EXPECT_EQ(lag[2][1], nolag);
    EXPECT_EQ(succrow(1), (std::vector<int>{2, 2, 2, 2, 2, 2, 3, 3, 4}));
    EXPECT_EQ(predrow(2), (std::vector<int>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(nrsucc[2], 0);
    EXPECT_EQ(lag[1][3], nolag);
    EXPECT_EQ(lag[1][4], -999997);
    // The sentinel is an ordinary number on a listed pair: 1000000 - 999999.
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 1000000, 1, 1, 3, -999}));

    // The whole matrix is reset before the relations are stored.
    EXPECT_EQ(lag[500][3], nolag);
    EXPECT_EQ(lag[999][999], 0);
    EXPECT_EQ(lag[1000][1000], nolag);
    EXPECT_EQ(lag[3][3], 0);
    EXPECT_EQ(pow2[3], 8u);
    EXPECT_EQ(msbtab[9], 3);

    // White space of every kind, signs, and the limits of the values.
    text = "3\t1 -2147483648\r\n0 2147483647 1 +2 1 1 -1000000\r\n"
           "1000000\v0\f1 3 1 3 +0\r\n0 0 0\r\n";
    ASSERT_EQ(loadgpr(text).result, 1);
    EXPECT_EQ(dur[1], 1000000);
    EXPECT_EQ(succrow(0), std::vector<int>{1});
    EXPECT_EQ(lag[1][2], 1000000);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, -999, 999001}));
}

TEST(TemporalAnalysis, EarliestStartsDeadlineAndNormalisation) {
    scratchdir dir;
    const std::string example =
        gpr({{0, {{2, 1, 1, 3}, {3, 1, 1, 5}}}, {6, {{3, 1, 1, 4}}}, {5, {{4, 1, 1, 2}}}, {0, {}}});
    setparams(50, 10, 0.01);
    ASSERT_EQ(loadgpr(example).result, 1);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 3, 7, 9}));
    // Taken before the normalisation raises the arc 3 -> 4 to its duration 5.
    EXPECT_EQ(deadline, 19);
    EXPECT_EQ(lag[0][1], 3);
    EXPECT_EQ(lag[0][2], 5);
    EXPECT_EQ(lag[0][3], 0);
    EXPECT_EQ(lag[1][3], 6);
    EXPECT_EQ(lag[2][3], 5);
    EXPECT_EQ(lag[1][2], 4);
    EXPECT_EQ(lag[0][0], 0);
    EXPECT_EQ(lag[3][3], 0);
    EXPECT_EQ(lag[3][0], nolag);

    dlextra = 0;
    ASSERT_EQ(loadgpr(example).result, 1);
    EXPECT_EQ(deadline, 9);
    dlextra = -4;
    ASSERT_EQ(loadgpr(example).result, 1);
    EXPECT_EQ(deadline, 5);
    dlextra = INT_MAX;
    ASSERT_EQ(loadgpr(example).result, 1);
    EXPECT_EQ(deadline, INT_MAX) << "beyond 32 bits the deadline is taken at its limit";

    // Normalisation, the start dummy with a duration of 2.
    dlextra = 0;
    ASSERT_EQ(loadgpr(gpr({{2, {{2, 1, 1, -4}, {4, 1, 1, 7}, {5, 1, 1, 1}}},
                           {3, {{5, 1, 1, 1}}},
                           {4, {}},
                           {2, {{5, 1, 1, 10}}},
                           {0, {}}}))
                  .result,
              1);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, -4, -999, 7, 17}));
    EXPECT_EQ(deadline, 17);
    EXPECT_EQ(lag[0][1], 0);
    EXPECT_EQ(lag[0][2], 0);
    EXPECT_EQ(lag[0][3], 7);
    EXPECT_EQ(lag[0][4], 2);
    EXPECT_EQ(lag[1][4], 3);
    EXPECT_EQ(lag[2][4], 4);
    EXPECT_EQ(lag[3][4], 10);
    EXPECT_EQ(lag[4][4], 0);
    EXPECT_EQ(lag[2][1], nolag);
    EXPECT_EQ(lag[4][0], nolag);

    // An arc from an unreached activity (-999) raises the start dummy:
    // -999 + 1005 = 6, then 6 + 3 and 9 + 2.
    ASSERT_EQ(
        loadgpr(gpr({{0, {{2, 1, 1, 3}}}, {1, {{4, 1, 1, 2}}}, {1, {{1, 1, 1, 1005}}}, {0, {}}}))
            .result,
        1);
    EXPECT_EQ(starts(), (std::vector<int64_t>{6, 9, -999, 11}));
}

TEST(TemporalAnalysis, PositiveCycleIsInfeasible) {
    scratchdir dir;
    setparams(0, 0, 0.01);
    auto cycle = [](int back) {
        return gpr({{0, {{2, 1, 1, 0}}},
                    {1, {{3, 1, 1, 3}}},
                    {1, {{2, 1, 1, back}, {4, 1, 1, 1}}},
                    {0, {}}});
    };
    outcome o = loadgpr(cycle(-2));
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.console, "\n       D1\t\t\t\t\t infeasible");
    EXPECT_EQ(o.output, "\n    1    no feasible schedule");
    EXPECT_EQ(o.errors.rfind("D1.gpr: no feasible schedule", 0), 0u) << o.errors;
    EXPECT_EQ(o.info, "(0/0) (1/239) (2/356) (3/0) ");
    EXPECT_EQ(instfile, nullptr);

    // A cycle of length 0 is feasible.
    ASSERT_EQ(loadgpr(cycle(-3)).result, 1);
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 0, 3, 4}));

    // A cycle closed only by the reverse pair of a maximal lag:
    // start 3 >= start 2 + 3 and start 3 <= start 2 + 2.
    o = loadgpr(gpr(
        {{0, {{2, 1, 1, 0}}}, {1, {{3, 1, 1, 3}, {3, 2, 1, 2}}}, {1, {{4, 1, 3, 0}}}, {0, {}}}));
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.output, "\n    1    no feasible schedule");
}

TEST(Reader, MaximalLagGivenOneWayActs) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    // Activity 2 may start at most 3 after activity 1 starts; activity 2
    // cannot start before 10, so activity 1 cannot start before 7.
    ASSERT_EQ(loadgpr(gpr({{0, {{2, 1, 1, 0}, {3, 1, 1, 10}}},
                           {2, {{3, 2, 1, 3}}},
                           {4, {{4, 1, 3, 0}}},
                           {0, {}}}))
                  .result,
              1);
    EXPECT_EQ(lag[2][1], -3);
    EXPECT_EQ(lag[1][2], nolag);
    EXPECT_EQ(succrow(1), std::vector<int>{2});
    EXPECT_EQ(succrow(2), (std::vector<int>{3, 1}));
    EXPECT_EQ(predrow(1), (std::vector<int>{0, 2}));
    EXPECT_EQ(predrow(2), (std::vector<int>{0, 1}));
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 7, 10, 14}));
    EXPECT_EQ(deadline, 14);

    // Listed both ways already: nothing is appended, the max-rule keeps -3.
    ASSERT_EQ(loadgpr(gpr({{0, {{2, 1, 1, 0}, {3, 1, 1, 10}}},
                           {2, {{3, 2, 1, 3}}},
                           {4, {{2, 1, 1, -5}, {4, 1, 3, 0}}},
                           {0, {}}}))
                  .result,
              1);
    EXPECT_EQ(lag[2][1], -3);
    EXPECT_EQ(succrow(2), (std::vector<int>{1, 3}));
    EXPECT_EQ(predrow(1), (std::vector<int>{0, 2}));
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 7, 10, 14}));

    // Two owners and a duplicate towards activity 4: one reverse pair per
    // owner, in reading order. FF max 1 (durations 2 and 3): -(1-3+2) = 0;
    // FS max 2 from duration 1: -(2+1) = -3.
    ASSERT_EQ(loadgpr(gpr({{0, {{2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 6}}},
                           {2, {{4, 2, 1, 1}, {4, 2, 4, 1}}},
                           {1, {{4, 2, 3, 2}}},
                           {3, {{5, 1, 3, 0}}},
                           {0, {}}}))
                  .result,
              1);
    EXPECT_EQ(lag[3][1], 0);
    EXPECT_EQ(lag[3][2], -3);
    EXPECT_EQ(succrow(3), (std::vector<int>{4, 1, 2}));
    EXPECT_EQ(predrow(1), (std::vector<int>{0, 3}));
    EXPECT_EQ(predrow(2), (std::vector<int>{0, 3}));
    EXPECT_EQ(starts(), (std::vector<int64_t>{0, 6, 3, 6, 9}));
}

TEST(Reader, MissingFileAndActivityLimit) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    lcgseed(12345);
    lcgrand();
    outcome o = load(5);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.console, "\n       D5\t\t\t\t\t not found");
    EXPECT_EQ(o.output, "\n    5    problem not found");
    EXPECT_EQ(o.errors, "");
    EXPECT_EQ(o.info, "");
    EXPECT_EQ(instfile, nullptr);
    EXPECT_EQ(lcgrand(), 38) << "the generator is seeded also for a missing file";

    lcgrand();
    o = loadgpr("1001 1 7\n", 2);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.console, "\n       D2\t\t\t\t\t maxact too low");
    EXPECT_EQ(o.output, "\n    2    too many activities");
    EXPECT_EQ(o.info, "");
    EXPECT_EQ(instfile, nullptr);
    EXPECT_EQ(lcgrand(), 38);

    // Exactly 1000 activities, each naming the one before it (lag 2): every
    // sweep can raise only one more start, the worst order for the sweeps.
    std::vector<record> recs = {{0, {}}};
    for (int n = 2; n <= 1000; n++) recs.push_back({1, {{n - 1, 1, 1, 2}}});
    o = loadgpr(gpr(recs), 3);
    ASSERT_EQ(o.result, 1) << o.errors;
    EXPECT_EQ(o.console, "\n       D3");
    EXPECT_EQ(nract, 1000);
    for (int i = 0; i < 1000; i++) ASSERT_EQ(st[i], -999 + 2 * (999 - i)) << i;
    EXPECT_EQ(o.info.substr(o.info.size() - 8), "(999/0) ");
}

TEST(Reader, ProblemNumbersAndFileNames) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    const std::string text = gpr({{0, {{2, 1, 1, 0}}}, {1, {{3, 1, 3, 0}}}, {0, {}}});
    const struct {
        int number;
        const char *name, *console;
    } cases[] = {{7, "D7.gpr", "\n       D7"},
                 {0, "D0.gpr", "\n       D0"},
                 {-3, "D-3.gpr", "\n      D-3"},
                 {1234567, "D1234567.gpr", "\n D1234567"},
                 {INT_MAX, "D2147483647.gpr", "\n D2147483647"},
                 {INT_MIN, "D-2147483648.gpr", "\n D-2147483648"}};
    for (const auto &c : cases) {
        outcome o = loadgpr(text, c.number);
        EXPECT_EQ(o.result, 1) << c.number;
        EXPECT_STREQ(instname, c.name);
        EXPECT_EQ(o.console, c.console);
    }
    outcome o = load(-2000000000);
    EXPECT_EQ(o.console, "\n D-2000000000\t\t\t\t\t not found");
    EXPECT_EQ(o.output, "\n-2000000000    problem not found");
}

TEST(Reader, FirstPassRejectionKeepsDrawnCashFlows) {
    scratchdir dir;
    setparams(0, 0, 0.01);
    // Rejected in the record of activity 3 (index 2): entries 0..2 are logged.
    outcome o = loadgpr("5 0\n0 1 2 1 1 0\n1 1 3 1 1 0\n1 1 7 1 1 0\n1 0\n0 0\n");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.info, "(0/0) (1/239) (2/356) ");
    EXPECT_EQ(o.errors, "D1.gpr: line 4, value 17: the successor number of entry 1 of activity "
                        "3 is 7, expected 1 to 5\n");
    o = loadgpr("5 0\nx\n");
    EXPECT_EQ(o.info, "(0/0) ");
    o = loadgpr("5 x\n");
    EXPECT_EQ(o.info, "");
}

namespace {

// Expects D<number>.gpr to be rejected as invalid at the given place, with
// a reason that contains the phrase.
void expectinvalid(int number, const char *where, const std::string &phrase) {
    SCOPED_TRACE("D" + std::to_string(number) + ".gpr");
    outcome o = load(number);
    char console[64], output[64];
    std::snprintf(console, sizeof console, "\n %8s\t\t\t\t\t invalid file",
                  ("D" + std::to_string(number)).c_str());
    std::snprintf(output, sizeof output, "\n%5d    invalid instance file", number);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(instfile, nullptr);
    EXPECT_EQ(o.console, console);
    EXPECT_EQ(o.output, output);
    const std::string head = "D" + std::to_string(number) + ".gpr: " + where;
    EXPECT_EQ(o.errors.rfind(head, 0), 0u) << o.errors;
    EXPECT_NE(o.errors.find(phrase), std::string::npos) << o.errors;
    EXPECT_EQ(o.errors.find('\n'), o.errors.size() - 1) << "one line: " << o.errors;
}

} // namespace

TEST(Reader, MalformedFiles) {
    const struct {
        const char *file, *where, *phrase;
    } table[] = {
        {"empty-file.gpr", "line 1, value 1: ", "expected the activity count, found the end"},
        {"ends-early.gpr", "line 3, value 14: ",
         "expected the successor number of entry 1 of activity 2, found the end of the file"},
        {"token-not-integer.gpr", "line 3, value 11: ",
         "expected the duration of activity 2, found \"4.5\", which is not a decimal integer"},
        {"token-sign-only.gpr",
         "line 2, value 8: ", "expected the bound type of entry 1 of activity 1, found \"+\""},
        {"token-trailing-letters.gpr",
         "line 1, value 3: ", "expected resource value 1 of the header, found \"10kg\""},
        {"integer-beyond-32-bits.gpr", "line 2, value 5: ",
         "resource value 1 of activity 1 is 2147483648, which does not fit 32 bits"},
        {"integer-below-32-bits.gpr", "line 2, value 9: ",
         "relation type of entry 1 of activity 1 is -2147483649, which does not fit 32 bits"},
        {"one-activity.gpr", "line 1, value 1: ", "activity count is 1"},
        {"negative-resource-count.gpr", "line 1, value 2: ", "resource type count is -1"},
        {"successor-count-negative.gpr",
         "line 3, value 10: ", "successor count of activity 2 is -1, expected 0 to 1000"},
        {"successor-count-too-large.gpr",
         "line 2, value 4: ", "successor count of activity 1 is 1001, expected 0 to 1000"},
        {"successor-number-zero.gpr",
         "line 3, value 5: ", "successor number of entry 1 of activity 1 is 0, expected 1 to 3"},
        {"successor-number-beyond-count.gpr",
         "line 4, value 9: ", "successor number of entry 2 of activity 1 is 4, expected 1 to 3"},
        {"duration-too-large.gpr",
         "line 3, value 9: ", "duration of activity 2 is 1000001, expected -1000000 to 1000000"},
        {"lag-too-large.gpr", "line 2, value 8: ",
         "lag value of entry 1 of activity 1 is -1000001, expected -1000000 to 1000000"},
    };
    const std::string folder = std::string(MAXNPV_TESTDATA) + "/badinput";
    std::set<std::string> listed, present;
    for (const auto &row : table) listed.insert(row.file);
    for (const auto &f : std::filesystem::directory_iterator(folder))
        present.insert(f.path().filename().string());
    EXPECT_EQ(present, listed) << "every file of badinput needs its row";

    scratchdir dir;
    setparams(50, 0, 0.01);
    int number = 1;
    for (const auto &row : table) {
        SCOPED_TRACE(row.file);
        writefile("D" + std::to_string(number) + ".gpr", readfile(folder + "/" + row.file));
        expectinvalid(number++, row.where, row.phrase);
    }
}

TEST(Reader, ListLimits) {
    scratchdir dir;
    setparams(50, 0, 0.01);
    auto repeat = [](const std::string &line, int times) {
        std::string text;
        for (int k = 0; k < times; k++) text += line;
        return text;
    };
    // 1000 entries in one record, all naming activity 2: both limits met.
    const std::string head = "3 0\n0 1000\n" + repeat("2 1 1 0\n", 1000);
    ASSERT_EQ(loadgpr(head + "0 0\n0 0\n").result, 1);
    EXPECT_EQ(nrsucc[0], 1000);
    EXPECT_EQ(nrpred[1], 1000);

    // The end dummy names activity 2 once more: line 1005, value 4009.
    writefile("D2.gpr", head + "0 0\n0 1\n2 1 1 0\n");
    expectinvalid(
        2, "line 1005, value 4009: ", "activity 2 is named as a successor more than 1000 times");

    // The end dummy lists 1000 successors other than activity 1 (999 fit).
    writefile("D3.gpr", "3 0\n0 0\n0 0\n0 1000\n" + repeat("2 1 1 0\n", 1000));
    expectinvalid(3, "", "no room for the deadline arc");
    ASSERT_EQ(loadgpr("3 0\n0 0\n0 0\n0 999\n" + repeat("2 1 1 0\n", 999)).result, 1);

    // The reverse pair of a maximal lag does not fit the full predecessor row.
    writefile("D4.gpr", "3 0\n0 1000\n" + repeat("2 1 1 0\n", 1000) + "0 1 3 2 1 5\n0 0\n");
    expectinvalid(4, "", "needs the reverse arc 3->2");
}
