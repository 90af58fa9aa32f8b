// gprgen, run as a program in a scratch folder: reproducible files, the
// requested numbering and shape, instances that maxnpv loads and solves, and
// its command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <tuple>

#include "support/testsupport.h"

namespace {

// Runs gprgen with the arguments, output to gen.out/gen.err; returns the exit status.
int gprgen(const std::string &args) {
    int status = std::system((GPRGEN_BINARY " " + args + " >gen.out 2>gen.err").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every file of a folder: name -> text.
std::map<std::string, std::string> contents(const std::string &dir) {
    std::map<std::string, std::string> files;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        files[e.path().filename().string()] = readfile(e.path().string());
    return files;
}

// What a set of files holds: activity counts, relation types, maximal lags.
struct tally {
    std::set<int> counts, rels;
    int maxlags = 0;
    // A file is "n K capacities", then per activity its duration, K demands,
    // m and m entries "successor bound relation value".
    void add(const std::string &text) {
        std::istringstream in(text);
        int n = 0, k = 0, v, m, bound, rel;
        in >> n >> k;
        counts.insert(n);
        for (int c = 0; c < k; c++) in >> v;
        for (int i = 0; i < n; i++) {
            for (int c = 0; c <= k; c++) in >> v;
            for (in >> m; m > 0 && in >> v >> bound >> rel >> v; m--) {
                rels.insert(rel);
                maxlags += bound == 2;
            }
        }
    }
};

TEST(gprgen, SameSeedSameFilesAndNumbering) {
    scratchdir scratch;
    for (const char *run : {"--seed 7 --out a", "--seed 7 --out b", "--seed 8 --out c",
                            "--first -2 --count 3 --out d"})
        ASSERT_EQ(gprgen(std::string("--count 20 --min-act 5 --max-act 120 ") + run), 0) << run;
    auto a = contents("a"), c = contents("c"), d = contents("d");
    int same = 0;
    for (const auto &[name, text] : a) same += c[name] == text;
    EXPECT_EQ(a.size(), 20u);
    EXPECT_EQ(a, contents("b"));
    EXPECT_EQ(same, 0);
    EXPECT_TRUE(d.size() == 3 && d.count("D-2.gpr") && d.count("D-1.gpr") && d.count("D0.gpr"));
}

// Each set is loaded and solved under its own run parameters and scanned.
TEST(gprgen, HonoursTheShapeAndEveryInstanceSolves) {
    scratchdir scratch;
    const std::tuple<const char *, int, int, double> runs[] = {
        {"--count 100 --min-act 5 --max-act 9 --resources 3 --seed 4", 50, 10, 0.01},
        {"--count 150 --min-act 2 --max-act 60 --seed 12 --maxlag 100", 100, 0, 0.05},
        {"--count 50 --act 40 --relations fs --maxlag 0 --resources 0", 0, 3, 0.1},
        {"--count 10 --act 52 --seed 5", 30, 25, 0.001},
        {"--count 1 --act 1000 --seed 16", 50, 10, 0.01},
    };
    tally t[5];
    int row = 0, solved = 0;
    for (auto [options, pctneg, dlextra, interest] : runs) {
        std::string dir = "set" + std::to_string(row);
        ASSERT_EQ(gprgen(std::string(options) + " --out " + dir), 0) << options;
        setparams(pctneg, dlextra, interest);
        for (const auto &[name, text] : contents(dir)) {
            EXPECT_EQ(loadandsolve(text), 0) << options << ", " << name;
            t[row].add(text);
            solved++;
        }
        row++;
    }
    EXPECT_EQ(solved, 311);
    EXPECT_EQ(t[0].counts, (std::set<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(t[0].rels, (std::set<int>{1, 2, 3, 4}));
    EXPECT_EQ(t[2].rels, std::set<int>{3}); // finish-to-start only
    EXPECT_EQ(t[2].maxlags, 0);
    EXPECT_EQ(t[3].maxlags, 100); // the default 20 percent of 50 real activities: 10 per file
    EXPECT_EQ(t[4].counts, std::set<int>{1000});
}

TEST(gprgen, HelpAndBadCommandLines) {
    scratchdir scratch;
    EXPECT_EQ(gprgen("--help"), 0);
    for (const char *args :
         {"--bogus 3", "--count", "--count 0", "--count ten", "--act 1", "--act 1001",
          "--min-act 50 --max-act 10", "--maxlag 101", "--maxlag -1", "--seed -1", "--seed 12abc",
          "--relations ss", "--first 9999999 --count 2", "stray"})
        EXPECT_EQ(gprgen(std::string(args) + " --out bad"), 2) << args;
    EXPECT_FALSE(std::filesystem::exists("bad")); // nothing is written after a bad command line
}

} // namespace
