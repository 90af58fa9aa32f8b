// The report operations with chosen solve times instead of measured ones: the
// statistics formula and its undefined corners, and the exact records and
// console texts of solved and skipped problems.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/reports.h"
#include "network/common_gpr.h"
#include "support/testsupport.h"

namespace {

const char statshead[] = "\n\n Average computation time (seconds)    : ";

// A scratch folder with output.txt as the result file and the statistics
// zeroed, as at the start of a run.
class Reports : public ::testing::Test {
  protected:
    void SetUp() override {
        std::strcpy(outname, "output.txt");
        sumtime = 0.0f;
        sumsq = 0.0;
        nrsolved = 0;
        avgtime = -1.0f;
        stddev = -1.0;
    }
    void TearDown() override {
        if (outfile != nullptr) std::fclose(outfile);
        outfile = nullptr;
    }

    // Reports one solved problem with the given time; the record goes to
    // output.txt, the console text is returned.
    std::string solved(int number, int passes, double value, float time) {
        probnr = number;
        nrits = passes;
        npv = value;
        elapsed = time;
        outfile = std::fopen("output.txt", "a");
        EXPECT_NE(outfile, nullptr);
        testing::internal::CaptureStdout();
        reportresult();
        std::string console = testing::internal::GetCapturedStdout();
        std::fclose(outfile);
        outfile = nullptr;
        return console;
    }

    std::string skipped(int number, int kind) {
        probnr = number;
        outfile = std::fopen("output.txt", "a");
        EXPECT_NE(outfile, nullptr);
        testing::internal::CaptureStdout();
        reportskip(kind);
        std::string console = testing::internal::GetCapturedStdout();
        std::fclose(outfile);
        outfile = nullptr;
        return console;
    }

    // Runs reportstats; returns its console text after checking that
    // output.txt received the same text.
    std::string stats() {
        std::remove("output.txt");
        testing::internal::CaptureStdout();
        reportstats();
        std::string console = testing::internal::GetCapturedStdout();
        EXPECT_EQ(readfile("output.txt"), console);
        EXPECT_EQ(console.find("nan"), std::string::npos);
        return console;
    }

    scratchdir dir;
};

} // namespace

TEST_F(Reports, StatisticsWithFewSolvedProblems) {
    // None solved: both fields 0.000.
    EXPECT_EQ(stats(), std::string(statshead) + "   0.000  (standard deviation :    0.000)");
    EXPECT_EQ(avgtime, 0.0f);
    EXPECT_EQ(stddev, 0.0);

    // One: the average is its time, the deviation 0.
    solved(1, 1, 10.0, 1.234f);
    EXPECT_EQ(stats(), std::string(statshead) + "   1.234  (standard deviation :    0.000)");
    EXPECT_EQ(stddev, 0.0);

    // Two of 1 and 2 seconds: mean 1.5, deviation sqrt((2*5 - 9) / 2) = 0.70711.
    SetUp();
    solved(1, 1, 10.0, 1.0f);
    solved(2, 1, 10.0, 2.0f);
    EXPECT_EQ(stats(), std::string(statshead) + "   1.500  (standard deviation :    0.707)");
    EXPECT_NEAR(stddev, std::sqrt(0.5), 1e-12);
}

TEST_F(Reports, StatisticsFormula) {
    // Times 1, 2 and 4 seconds: S = 7, Q = 21, n = 3; the deviation is
    // sqrt((63 - 49) / 6) = 1.527525, the mean 2.333.
    for (float t : {1.0f, 2.0f, 4.0f}) solved(1, 1, 0.0, t);
    EXPECT_EQ(nrsolved, 3);
    EXPECT_EQ(sumtime, 7.0f);
    EXPECT_EQ(sumsq, 21.0);
    EXPECT_EQ(stats(), std::string(statshead) + "   2.333  (standard deviation :    1.528)");
    EXPECT_NEAR(stddev, 1.5275252316519468, 1e-12);
    EXPECT_EQ(avgtime, (float)(7.0 / 3.0));

    // Equal times give exactly 0.
    SetUp();
    solved(1, 1, 0.0, 0.3f);
    solved(2, 1, 0.0, 0.3f);
    EXPECT_EQ(stats(), std::string(statshead) + "   0.300  (standard deviation :    0.000)");
    EXPECT_EQ(stddev, 0.0);

    // Five solves of 1 ms: the single-precision sum rounds upward, so
    // n*Q - S*S comes out negative; the deviation is 0, not nan.
    SetUp();
    for (int k = 0; k < 5; k++) solved(k, 1, 0.0, 0.001f);
    float s = 0.0f;
    for (int k = 0; k < 5; k++) s = s + 0.001f;
    double q = 5 * ((double)0.001f * (double)0.001f);
    ASSERT_LT(5 * q - (double)s * (double)s, 0.0) << "the case this checks did not arise";
    EXPECT_EQ(stats(), std::string(statshead) + "   0.001  (standard deviation :    0.000)");
    EXPECT_EQ(stddev, 0.0);

    // A solve of 0 ms counts as solved with time 0.
    SetUp();
    EXPECT_EQ(solved(4, 2, 1.5, 0.0f), "   optimal      1.50      0.000");
    EXPECT_EQ(nrsolved, 1);
    EXPECT_EQ(stats(), std::string(statshead) + "   0.000  (standard deviation :    0.000)");

    // Many solved problems: half of 1 s and half of 2 s out of 100000 give
    // (1e5 * 2.5e5 - 1.5e5^2) / (1e5 * 99999) = 0.2500025, root 0.5000025.
    SetUp();
    nrsolved = 100000;
    sumtime = 150000.0f;
    sumsq = 250000.0;
    EXPECT_EQ(stats(), std::string(statshead) + "   1.500  (standard deviation :    0.500)");
    EXPECT_NEAR(stddev, std::sqrt(2.5e9 / (1e5 * 99999.0)), 1e-12);
}

TEST_F(Reports, RecordsOfSolvedAndSkippedProblems) {
    std::string console = solved(1, 3, 491.39149, 0.25f);
    EXPECT_EQ(console, "   optimal    491.39      0.250");
    EXPECT_EQ(solved(-12, 12345, -1234.5678, 12.5f), "   optimal  -1234.57     12.500");
    EXPECT_EQ(solved(123456, 7, 123456.789, 1234.5f), "   optimal  123456.79   1234.500");
    EXPECT_EQ(readfile("output.txt"), "\n    1     3   491.39      0.2500"
                                      "\n  -12 12345 -1234.57     12.5000"
                                      "\n123456     7 123456.79   1234.5000");

    // Skips of every kind; none touches the statistics.
    const float sum = sumtime;
    const double squares = sumsq;
    const int count = nrsolved;
    std::remove("output.txt");
    std::FILE *inst = std::fopen("D8.gpr", "w");
    ASSERT_NE(inst, nullptr);
    instfile = inst;
    EXPECT_EQ(skipped(7, 0), "\t\t\t\t\t not found");
    EXPECT_EQ(skipped(8, 1), "\t\t\t\t\t maxact too low");
    EXPECT_EQ(instfile, nullptr) << "too many activities leaves the instance file open";
    EXPECT_EQ(skipped(-9, 2), "\t\t\t\t\t invalid file");
    EXPECT_EQ(skipped(10, 3), "\t\t\t\t\t infeasible");
    EXPECT_EQ(skipped(123456, 4), "\t\t\t\t\t not connected");
    EXPECT_EQ(readfile("output.txt"), "\n    7    problem not found"
                                      "\n    8    too many activities"
                                      "\n   -9    invalid instance file"
                                      "\n   10    no feasible schedule"
                                      "\n123456    activities not connected");
    EXPECT_EQ(sumtime, sum);
    EXPECT_EQ(sumsq, squares);
    EXPECT_EQ(nrsolved, count);
}
