// solvebench, run as a program on the bundled examples: both methods solve
// every instance to the same optimum, the summary names the method and counts
// what a limit stopped, and bad values of the options fail with status 2.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/testsupport.h"

namespace {

constexpr int examplecount = 5;    // examples/D1.gpr .. D5.gpr
constexpr double npvdigits = 1e-5; // solvebench prints the npv with five decimals
constexpr int badusage = 2;        // exit status of a bad command line

// Runs solvebench with the arguments, output to sb.out/sb.err; returns the exit status.
int solvebench(const std::string &args) {
    int status = std::system((SOLVEBENCH_BINARY " " + args + " >sb.out 2>sb.err").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One instance row of the output: the file name and its last column.
struct row {
    std::string file, npv;
};

std::vector<row> rows(const std::string &text, std::string *summary) {
    std::vector<row> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (w.empty() || w[0] == "folder") continue;
        if (w[0] == "summary") {
            *summary = line;
            continue;
        }
        out.push_back({w[1], w.back()});
    }
    return out;
}

class SolvebenchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory("set");
        for (int n = 1; n <= examplecount; n++) {
            const std::string name = "D" + std::to_string(n) + ".gpr";
            std::filesystem::copy_file(std::string(MAXNPV_EXAMPLES) + "/" + name, "set/" + name);
        }
    }
    scratchdir dir;
};

TEST_F(SolvebenchTest, BothMethodsReachTheSameOptimumOnEveryExample) {
    ASSERT_EQ(solvebench("--repeat 1 --method classic set"), 0) << readfile("sb.err");
    std::string csum, fsum;
    std::vector<row> classic = rows(readfile("sb.out"), &csum);
    ASSERT_EQ(solvebench("--repeat 2 --method fast --pctneg 50 --dlextra 10 set"), 0)
        << readfile("sb.err");
    std::vector<row> fast = rows(readfile("sb.out"), &fsum);

    ASSERT_EQ(classic.size(), (size_t)examplecount);
    ASSERT_EQ(fast.size(), (size_t)examplecount);
    for (int k = 0; k < examplecount; k++) {
        SCOPED_TRACE(classic[k].file);
        EXPECT_EQ(classic[k].file, "D" + std::to_string(k + 1));
        EXPECT_EQ(fast[k].file, classic[k].file);
        const double a = std::atof(classic[k].npv.c_str()), b = std::atof(fast[k].npv.c_str());
        EXPECT_NEAR(a, b, npvdigits * std::max(1.0, std::fabs(a)));
    }
    EXPECT_NE(csum.find("5 solved, limited 0"), std::string::npos) << csum;
    EXPECT_NE(csum.find("method classic"), std::string::npos) << csum;
    EXPECT_NE(fsum.find("method fast"), std::string::npos) << fsum;
}

// A limit of 0 is none: nothing is listed as stopped.
TEST_F(SolvebenchTest, ATimeLimitOfZeroStopsNothing) {
    ASSERT_EQ(solvebench("--repeat 1 --method classic --time-limit 0 set"), 0);
    std::string sum;
    for (const row &r : rows(readfile("sb.out"), &sum)) EXPECT_NE(r.npv, "limit") << r.file;
    EXPECT_NE(sum.find("limited 0"), std::string::npos) << sum;
}

TEST_F(SolvebenchTest, BadMethodOrTimeLimitIsABadCommandLine) {
    for (const char *args : {"--method quick set", "--method set", "--time-limit -1 set",
                             "--time-limit inf set", "--time-limit 1s set"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(solvebench(args), badusage);
        EXPECT_EQ(readfile("sb.out"), "");
        EXPECT_EQ(readfile("sb.err").rfind("solvebench: ", 0), 0u) << readfile("sb.err");
    }
}

} // namespace
