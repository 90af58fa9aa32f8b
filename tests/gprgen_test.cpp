// gprgen, run as a program in a scratch folder: reproducible files, the
// requested numbering and shape, instances that maxnpv loads and solves, and
// its command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <tuple>
#include <vector>

#include "support/testsupport.h"

namespace {

// Runs gprgen with the arguments, output to gen.out/gen.err; returns the exit status.
int gprgen(const std::string &args) {
    int status = std::system((GPRGEN_BINARY " " + args + " >gen.out 2>gen.err").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The files gprgen wrote into a folder (name -> text) and what they hold:
// activity counts, relation types, maximal lags. A file is "n K" and K
// capacities, then per activity its duration, K demands, m and m entries
// "successor bound relation value".
struct fileset {
    std::map<std::string, std::string> files;
    std::set<int> counts, rels;
    int maxlags = 0;
    explicit fileset(const std::string &dir) {
        for (const auto &e : std::filesystem::directory_iterator(dir)) {
            std::istringstream in(files[e.path().filename().string()] =
                                      readfile(e.path().string()));
            int n = 0, k = 0, v, m, bound, rel;
            in >> n >> k;
            counts.insert(n);
            for (int i = 0; i < n; i++) {
                // the capacities before the first activity, then duration and demands
                for (int c = i == 0 ? -k : 0; c <= k; c++) in >> v;
                for (in >> m; m > 0 && in >> v >> bound >> rel >> v; m--)
                    rels.insert(rel), maxlags += bound == 2;
            }
        }
    }
};

// Each set is generated, loaded and solved under its own run parameters, and
// scanned; set 1 repeats set 0, set 2 differs from it only in the seed.
TEST(gprgen, WritesWhatIsAskedAndEveryInstanceSolves) {
    scratchdir scratch;
    // options, pctneg, dlextra, interest
    const std::tuple<std::string, int, int, double> runs[] = {
        {"--count 100 --min-act 5 --max-act 9 --resources 3 --seed 4", 50, 10, 0.01},
        {"--count 100 --min-act 5 --max-act 9 --resources 3 --seed 4", 100, 0, 0.05},
        {"--count 100 --min-act 5 --max-act 9 --resources 3 --seed 5", 0, 3, 0.1},
        {"--count 100 --min-act 2 --max-act 60 --maxlag 100", 100, 0, 0.05},
        {"--count 50 --act 40 --relations fs --maxlag 0 --resources 0", 0, 3, 0.1},
        {"--count 10 --act 52 --first -4", 30, 25, 0.001},
        {"--count 1 --act 1000 --seed 16", 50, 10, 0.01},
    };
    std::vector<fileset> set;
    for (const auto &[options, pctneg, dlextra, interest] : runs) {
        ASSERT_EQ(gprgen(options + " --out " + std::to_string(set.size())), 0) << options;
        set.emplace_back(std::to_string(set.size()));
        setparams(pctneg, dlextra, interest);
        for (const auto &[name, text] : set.back().files)
            EXPECT_EQ(loadandsolve(text), 0) << options << ", " << name;
    }
    EXPECT_EQ(set[0].files, set[1].files); // the same seed gives byte-identical files
    for (const auto &[name, text] : set[0].files) EXPECT_NE(text, set[2].files.at(name)) << name;
    const auto &numbered = set[5].files;
    EXPECT_TRUE(numbered.size() == 10 && numbered.count("D-4.gpr") && numbered.count("D5.gpr"));
    EXPECT_EQ(set[0].counts, (std::set<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(set[0].rels, (std::set<int>{1, 2, 3, 4}));
    EXPECT_TRUE(set[4].rels == std::set<int>{3} && set[4].maxlags == 0); // finish-to-start only
    EXPECT_EQ(set[5].maxlags, 100); // the default 20 percent of 50 real activities: 10 per file
}

TEST(gprgen, HelpAndBadCommandLines) {
    scratchdir scratch;
    EXPECT_EQ(gprgen("--help"), 0);
    for (const char *args :
         {"--bogus 3", "--count", "--count 0", "--count ten", "--act 1", "--act 1001",
          "--min-act 50 --max-act 10", "--maxlag 101", "--seed 12abc", "--relations ss",
          "--first 9999999 --count 2", "stray"})
        EXPECT_EQ(gprgen(std::string(args) + " --out bad"), 2) << args;
    EXPECT_FALSE(std::filesystem::exists("bad")); // nothing is written after a bad command line
}

} // namespace
