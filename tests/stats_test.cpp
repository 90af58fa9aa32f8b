// The report operations with chosen solve times instead of measured ones: the
// statistics formula and its undefined corners, and the skip records.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "driver/reports.h"
#include "network/common_gpr.h"
#include "support/testsupport.h"

namespace {

// Zeroes the statistics as at the start of a run, reports one solved problem
// per time, and returns what reportstats writes to output.txt (the end-to-end
// runs check that the console shows the same text).
std::string statsof(const std::vector<float> &times) {
    scratchdir dir;
    std::strcpy(outname, "output.txt");
    sumtime = 0.0f, sumsq = 0.0, nrsolved = 0;
    testing::internal::CaptureStdout();
    openresults("results.txt", "info.out", true);
    for (float t : times) elapsed = t, reportresult();
    closeresults();
    openresults("output.txt", "info.out", true);
    reportstats();
    closeresults();
    testing::internal::GetCapturedStdout();
    return readfile("output.txt");
}

} // namespace

TEST(Reports, Statistics) {
    // Five solves of 1 ms: the single-precision sum rounds upward, so
    // n*Q - S*S comes out negative.
    float s = 0.0f;
    for (int k = 0; k < 5; k++) s = s + 0.001f;
    ASSERT_LT(5 * (5 * ((double)0.001f * 0.001f)) - (double)s * s, 0.0) << "case did not arise";

    const std::pair<std::vector<float>, const char *> cases[] = {
        {{}, "   0.000  (standard deviation :    0.000)"},
        // One: the average is its time, the deviation 0.
        {{1.234f}, "   1.234  (standard deviation :    0.000)"},
        // 1 and 2: sqrt((2*5 - 3*3) / 2) = 0.70711.
        {{1.0f, 2.0f}, "   1.500  (standard deviation :    0.707)"},
        // 1, 2, 4: S = 7, Q = 21, sqrt((3*21 - 49) / 6) = 1.52753.
        {{1.0f, 2.0f, 4.0f}, "   2.333  (standard deviation :    1.528)"},
        {{0.3f, 0.3f}, "   0.300  (standard deviation :    0.000)"},
        {{0.001f, 0.001f, 0.001f, 0.001f, 0.001f}, "   0.001  (standard deviation :    0.000)"},
    };
    const std::string head = "\n\n Average computation time (seconds)    : ";
    for (const auto &c : cases) EXPECT_EQ(statsof(c.first), head + c.second) << c.first.size();
}

TEST(Reports, SkipRecordsLeaveTheStatisticsAlone) {
    scratchdir dir;
    sumtime = 1.5f, sumsq = 2.25, nrsolved = 1;
    openresults("output.txt", "info.out", true);
    const int numbers[] = {7, 8, -9, 10, 123456}; // one per kind
    testing::internal::CaptureStdout();
    for (int kind = 0; kind < 5; kind++) probnr = numbers[kind], reportskip(kind);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\t\t\t\t\t not found\t\t\t\t\t maxact too low\t\t\t\t\t invalid file"
              "\t\t\t\t\t infeasible\t\t\t\t\t not connected");
    closeresults();
    EXPECT_EQ(readfile("output.txt"), "\n    7    problem not found"
                                      "\n    8    too many activities"
                                      "\n   -9    invalid instance file"
                                      "\n   10    no feasible schedule"
                                      "\n123456    activities not connected");
    EXPECT_TRUE(sumtime == 1.5f && sumsq == 2.25 && nrsolved == 1);
}
