// The report operations with chosen solve times instead of measured ones: the
// statistics formula and its undefined corners, and the skip records.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/reports.h"
#include "platform/runfile.h"
#include "support/testsupport.h"

namespace {

// Reports one solved problem per time, then the statistics; returns what
// output.txt then holds after the result records, and checks that the
// console shows the same statistics text.
std::string statsof(const std::vector<float> &times) {
    scratchdir dir;
    runfile out;
    int err;
    EXPECT_TRUE(out.open("output.txt", &err));
    EXPECT_TRUE(out.start(&err));
    gpr::timestats t;
    printed shown = capture([&] {
        for (float s : times) gpr::reportresult(&out, &t, 1, 1, 0.0, s);
        out.start(&err); // the result records are dropped: only the statistics stay
        gpr::reportstats(&out, t);
    });
    EXPECT_TRUE(out.close(&err));
    std::string written = readfile("output.txt");
    EXPECT_EQ(shown.out.substr(shown.out.size() - written.size()), written);
    return written;
}

} // namespace

TEST(Statistics, OnePassFormulaAndItsUndefinedCorners) {
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

TEST(Statistics, SkipRecordsLeaveTheStatisticsAlone) {
    scratchdir dir;
    runfile out;
    int err;
    ASSERT_TRUE(out.open("output.txt", &err));
    ASSERT_TRUE(out.start(&err));
    gpr::timestats t;
    t.sumtime = 1.5f, t.sumsq = 2.25, t.nrsolved = 1;
    using gpr::outcome;
    const std::pair<int, outcome> skips[] = {{7, outcome::notfound},
                                             {8, outcome::toomany},
                                             {-9, outcome::invalid},
                                             {10, outcome::infeasible},
                                             {123456, outcome::unlinked}};
    printed shown = capture([&] {
        for (auto [number, kind] : skips) gpr::reportskip(&out, number, kind);
    });
    EXPECT_EQ(shown.out, "\t\t\t\t\t not found\t\t\t\t\t maxact too low\t\t\t\t\t invalid file"
                         "\t\t\t\t\t infeasible\t\t\t\t\t not connected");
    ASSERT_TRUE(out.close(&err));
    EXPECT_EQ(readfile("output.txt"), "\n    7    problem not found"
                                      "\n    8    too many activities"
                                      "\n   -9    invalid instance file"
                                      "\n   10    no feasible schedule"
                                      "\n123456    activities not connected");
    EXPECT_EQ(t.sumtime, 1.5f);
    EXPECT_EQ(t.sumsq, 2.25);
    EXPECT_EQ(t.nrsolved, 1);
}
