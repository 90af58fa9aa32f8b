// gprgen, run as a program in a scratch folder: reproducible files, the
// requested numbering and shape, instances that maxnpv loads and solves, and
// its command line. The shapes are checked by properties computed here from
// the files alone: entries per activity, relation types, the windows, and a
// schedule found by our own sweeps over the relations.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
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

constexpr int ss = 1, sf = 2, fs = 3, ff = 4; // relation types of the file
constexpr int minbound = 1, maxbound = 2;     // bound types of the file
constexpr int filemag = 1000000;              // largest magnitude of a duration or lag
constexpr int64_t noschedule = INT64_MIN;

// Runs gprgen with the arguments, output to gen.out/gen.err; returns the exit status.
int gprgen(const std::string &args) {
    int status = std::system((GPRGEN_BINARY " " + args + " >gen.out 2>gen.err").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One instance as the file has it: "n K" and K capacities, then per
// activity its duration, K demands, m and m entries "successor bound
// relation value" (successors from 1, stored here from 0).
struct instance {
    int n = 0;
    std::vector<int> dur, capacity;
    std::vector<std::vector<int>> demand; // per activity, K values
    std::vector<std::vector<std::array<int, 4>>> rec;
    bool wellformed = false; // every value was there and nothing followed

    explicit instance(const std::string &text) {
        std::istringstream in(text);
        int k = 0, v, m;
        if (!(in >> n >> k) || n < 2 || k < 0) return;
        for (int c = 0; c < k; c++) in >> v, capacity.push_back(v);
        dur.resize(n);
        demand.assign(n, std::vector<int>(k));
        rec.resize(n);
        for (int i = 0; i < n; i++) {
            in >> dur[i];
            for (int c = 0; c < k; c++) in >> demand[i][c];
            for (in >> m; m > 0 && in; m--) {
                std::array<int, 4> e;
                in >> e[0] >> e[1] >> e[2] >> e[3];
                e[0]--;
                rec[i].push_back(e);
            }
        }
        std::string rest;
        wellformed = !in.fail() && !(in >> rest);
    }

    int entries() const {
        int total = 0;
        for (const auto &r : rec) total += (int)r.size();
        return total;
    }

    // The start-to-start length of a relation, as the file's rules define it.
    int64_t sslength(int i, const std::array<int, 4> &e) const {
        int64_t v = e[3];
        if (e[2] == sf || e[2] == ff) v -= dur[e[0]];
        if (e[2] == fs || e[2] == ff) v += dur[i];
        return v;
    }

    // Earliest starts under every minimal and maximal lag, from the start
    // dummy at 0, by sweeps over all relations until nothing changes; empty
    // when the sweeps do not settle (a cycle of positive length).
    std::vector<int64_t> earliest() const {
        std::vector<std::tuple<int, int, int64_t>> arcs; // from, to, length
        for (int i = 0; i < n; i++)
            for (const auto &e : rec[i]) {
                if (e[1] == minbound) arcs.emplace_back(i, e[0], sslength(i, e));
                if (e[1] == maxbound) arcs.emplace_back(e[0], i, -sslength(i, e));
            }
        std::vector<int64_t> st(n, noschedule);
        st[0] = 0;
        for (int sweep = 0; sweep <= n; sweep++) {
            bool raised = false;
            for (auto [from, to, length] : arcs)
                if (st[from] != noschedule && st[from] + length > st[to]) {
                    st[to] = st[from] + length;
                    raised = true;
                }
            if (!raised) return st;
        }
        return {};
    }

    // Whether every activity is reached from the start dummy and reaches the
    // end dummy through minimal lags.
    bool startstoend() const {
        std::vector<std::vector<int>> fwd(n), back(n);
        for (int i = 0; i < n; i++)
            for (const auto &e : rec[i])
                if (e[1] == minbound) fwd[i].push_back(e[0]), back[e[0]].push_back(i);
        auto reachesall = [&](int from, const std::vector<std::vector<int>> &next) {
            std::vector<char> seen(n, 0);
            std::vector<int> stack{from};
            seen[from] = 1;
            while (!stack.empty()) {
                int u = stack.back();
                stack.pop_back();
                for (int v : next[u])
                    if (!seen[v]) seen[v] = 1, stack.push_back(v);
            }
            return std::count(seen.begin(), seen.end(), 1) == n;
        };
        return reachesall(0, fwd) && reachesall(n - 1, back);
    }
};

// The files gprgen wrote into a folder (name -> text) and what they hold.
struct fileset {
    std::map<std::string, std::string> files;
    std::vector<instance> inst;
    std::set<int> counts, rels;
    int maxlags = 0, entries = 0, activities = 0, fsentries = 0;
    explicit fileset(const std::string &dir) {
        for (const auto &e : std::filesystem::directory_iterator(dir))
            files[e.path().filename().string()] = readfile(e.path().string());
        for (const auto &[name, text] : files) {
            inst.emplace_back(text);
            const instance &g = inst.back();
            counts.insert(g.n);
            activities += g.n;
            entries += g.entries();
            for (const auto &r : g.rec)
                for (const auto &e : r) {
                    rels.insert(e[2]);
                    maxlags += e[1] == maxbound;
                    fsentries += e[2] == fs;
                }
        }
    }
    double perentry() const { return (double)entries / activities; }
};

// Each set is generated, loaded and solved under its own run parameters, and
// scanned; set 1 repeats set 0, set 2 differs from it only in the seed.
TEST(Gprgen, WritesWhatIsAskedAndEveryInstanceSolves) {
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
        {"--shape dense --count 20 --min-act 2 --max-act 150", 50, 0, 0.01},
        {"--shape sparse --count 40 --min-act 2 --max-act 300", 100, 10, 0.01},
        {"--shape window --count 40 --min-act 2 --max-act 30", 50, 0, 0.01},
    };
    std::vector<fileset> set;
    for (const auto &[options, pctneg, dlextra, interest] : runs) {
        ASSERT_EQ(gprgen(options + " --out " + std::to_string(set.size())), 0) << options;
        set.emplace_back(std::to_string(set.size()));
        for (const auto &[file, text] : set.back().files) {
            gpr::problem p;
            EXPECT_EQ(name(solvetext(&p, text, params(pctneg, dlextra, interest))), "solved")
                << options << ", " << file;
        }
    }
    EXPECT_EQ(set[0].files, set[1].files); // the same seed gives byte-identical files
    for (const auto &[name, text] : set[0].files) EXPECT_NE(text, set[2].files.at(name)) << name;
    const auto &numbered = set[5].files;
    EXPECT_EQ(numbered.size(), 10u);
    EXPECT_EQ(numbered.count("D-4.gpr") + numbered.count("D5.gpr"), 2u);
    EXPECT_EQ(set[0].counts, (std::set<int>{5, 6, 7, 8, 9}));
    EXPECT_EQ(set[0].rels, (std::set<int>{ss, sf, fs, ff}));
    EXPECT_EQ(set[4].rels, std::set<int>{fs}); // finish-to-start only
    EXPECT_EQ(set[4].maxlags, 0);
    EXPECT_EQ(set[5].maxlags, 100); // the default 20 percent of 50 real activities: 10 per file
}

// The random shape is the one of the bundled examples: the options of
// examples/regenerate.sh still give their bytes.
TEST(Gprgen, ReproducesTheBundledExamples) {
    scratchdir scratch;
    const std::pair<int, int> examples[] = {{2, 10}, {3, 100}, {4, 500}, {5, 1000}}; // file, acts
    for (auto [number, acts] : examples) {
        std::string args = "--seed 2024 --first " + std::to_string(number) + " --count 1 --act " +
                           std::to_string(acts) +
                           " --maxlag 20 --relations mixed --resources 1 --out ex";
        ASSERT_EQ(gprgen(args), 0) << args;
        std::string name = "D" + std::to_string(number) + ".gpr";
        EXPECT_EQ(readfile("ex/" + name), readfile(MAXNPV_EXAMPLES "/" + name)) << name;
    }
}

// Dense, sparse and window networks of a few hundred activities: their
// entries per activity, relation types and structure, and a schedule from
// the start dummy that meets every relation.
TEST(Gprgen, ShapesHaveTheirStructure) {
    scratchdir scratch;
    ASSERT_EQ(gprgen("--shape dense --count 5 --act 400 --out dense"), 0);
    ASSERT_EQ(gprgen("--shape sparse --count 5 --act 400 --out sparse"), 0);
    ASSERT_EQ(gprgen("--shape window --count 5 --act 400 --out window"), 0);
    fileset dense("dense"), sparse("sparse"), window("window");
    for (const fileset *set : {&dense, &sparse, &window})
        for (const instance &g : set->inst) {
            ASSERT_TRUE(g.wellformed);
            EXPECT_EQ(g.n, 400);
            std::vector<int64_t> st = g.earliest();
            ASSERT_FALSE(st.empty()); // no cycle of positive length
            EXPECT_TRUE(std::all_of(st.begin(), st.end(), [](int64_t t) { return t >= 0; }));
        }

    EXPECT_GT(dense.perentry(), 15.5);
    EXPECT_LT(dense.perentry(), 18.5);
    EXPECT_EQ(dense.rels, (std::set<int>{ss, sf, fs, ff}));
    EXPECT_GT(dense.maxlags, dense.entries / 4);
    EXPECT_GT(sparse.perentry(), 1.5);
    EXPECT_LT(sparse.perentry(), 2.0);
    EXPECT_GT(sparse.fsentries, sparse.entries * 7 / 10);
    EXPECT_GT(sparse.maxlags, 0);
    for (const fileset *set : {&dense, &sparse})
        for (const instance &g : set->inst) EXPECT_TRUE(g.startstoend());

    // Window: zero durations; the start dummy names the first real activity
    // only, and only the last real one names the end dummy; every later real
    // activity is named by four windows (a minimal start-to-start lag of 0
    // and a maximal one of 1) from earlier real activities, and by nothing else.
    for (const instance &g : window.inst) {
        int end = g.n - 1;
        EXPECT_TRUE(std::all_of(g.dur.begin(), g.dur.end(), [](int d) { return d == 0; }));
        ASSERT_EQ(g.rec[0].size(), 1u);
        EXPECT_EQ(g.rec[0][0][0], 1);
        std::vector<int> lows(g.n), highs(g.n), endnamed;
        for (int i = 0; i < g.n; i++)
            for (const auto &e : g.rec[i]) {
                if (e[0] == end) {
                    endnamed.push_back(i);
                    continue;
                }
                if (i == 0) continue;
                ASSERT_LT(i, e[0]) << i << "->" << e[0];
                ASSERT_EQ(e[2], ss) << i << "->" << e[0];
                if (e[1] == minbound && e[3] == 0)
                    lows[e[0]]++;
                else if (e[1] == maxbound && e[3] == 1)
                    highs[e[0]]++;
                else
                    ADD_FAILURE() << "not a window: " << i << "->" << e[0];
            }
        EXPECT_EQ(endnamed, std::vector<int>{end - 1});
        for (int j = 2; j < end; j++) {
            EXPECT_EQ(lows[j], 4) << j;
            EXPECT_EQ(highs[j], 4) << j;
        }
    }
}

// Adversarial instances keep to the file's rules, stay small, and hold the
// odd structures they are made for; a run of them meets every outcome of the
// solver.
TEST(Gprgen, AdversarialInstancesCoverTheOddCases) {
    scratchdir scratch;
    ASSERT_EQ(gprgen("--shape adversarial --count 400 --resources 0 --out adv"), 0);
    fileset adv("adv");
    std::map<std::string, int> seen;
    for (const instance &g : adv.inst) {
        ASSERT_TRUE(g.wellformed);
        EXPECT_GE(g.n, 5);
        EXPECT_LE(g.n, 40);
        int end = g.n - 1;
        for (int i = 0; i < g.n; i++) {
            EXPECT_LE(std::abs(g.dur[i]), filemag);
            seen["negative duration"] += g.dur[i] < 0;
            std::set<std::array<int, 4>> distinct;
            for (const auto &e : g.rec[i]) {
                ASSERT_GE(e[0], 0);
                ASSERT_LT(e[0], g.n);
                ASSERT_LE(std::abs(e[3]), filemag);
                seen["self-loop"] += e[0] == i;
                seen["into the start dummy"] += e[0] == 0 && i != end;
                seen["end dummy names the start dummy"] += e[0] == 0 && i == end;
                seen["out of the end dummy"] += i == end;
                seen["bound type outside 1..2"] += e[1] < minbound || e[1] > maxbound;
                seen["relation type outside 1..4"] += e[2] < ss || e[2] > ff;
                seen["lag of magnitude 1000000"] += std::abs(e[3]) == filemag;
                seen["lag -500 or -5000"] += e[3] == -500 || e[3] == -5000;
                seen["duplicate entry"] += !distinct.insert(e).second;
                seen["into the end dummy shorter than the duration"] +=
                    e[0] == end && e[1] == minbound && g.sslength(i, e) < g.dur[i];
            }
        }
        std::vector<int> named(g.n, 0);
        for (const auto &r : g.rec)
            for (const auto &e : r) named[e[0]]++;
        for (int j = 1; j < end; j++) {
            seen["activity nothing names"] += named[j] == 0;
            seen["real activity naming nothing"] += g.rec[j].empty();
        }
        seen["end dummy not named"] += named[end] == 0;
        seen["cycle of positive length"] += g.earliest().empty();
    }
    for (const auto &[kind, count] : seen) EXPECT_GT(count, 0) << kind;
    EXPECT_EQ(seen.size(), 15u);

    std::set<std::string> outcomes;
    for (const auto &[file, text] : adv.files) {
        gpr::problem p;
        outcomes.insert(name(solvetext(&p, text, params(100, 0, 0.01))));
    }
    EXPECT_EQ(outcomes.count("solved"), 1u);
    EXPECT_GT(outcomes.size(), 1u) << "solved and skipped instances";
}

// Activity counts far beyond the solver's 1000: the header and records are
// whole, every activity lies between the dummies, and the maximal lags
// leave a schedule.
TEST(Gprgen, LargeNetworks) {
    scratchdir scratch;
    for (const char *shape : {"random --maxlag 100", "sparse"}) {
        ASSERT_EQ(gprgen(std::string("--act 50000 --count 1 --out big --force --shape ") + shape),
                  0);
        instance g(readfile("big/D1.gpr"));
        ASSERT_TRUE(g.wellformed) << shape;
        EXPECT_EQ(g.n, 50000) << shape;
        EXPECT_TRUE(g.startstoend()) << shape;
        EXPECT_FALSE(g.earliest().empty()) << shape;
    }
}

// FNV-1a of a file's bytes.
uint64_t fnv1a(const std::string &s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

// The peak use of resource k in the schedule st (activities of duration 0
// or less use nothing), by a count over every time.
int64_t peakuse(const instance &g, const std::vector<int64_t> &st, int k) {
    int64_t last = 0, peak = 0;
    for (int i = 0; i < g.n; i++) last = std::max(last, st[i] + std::max(0, g.dur[i]));
    for (int64_t t = 0; t < last; t++) {
        int64_t use = 0;
        for (int i = 0; i < g.n; i++)
            if (g.dur[i] > 0 && st[i] <= t && t < st[i] + g.dur[i]) use += g.demand[i][k];
        peak = std::max(peak, use);
    }
    return peak;
}

// Without the resource options a seed gives the files it always gave: these
// are the hashes of files that gprgen wrote before it could draw resources
// of its own (revision 5c6b165), for every shape. With them, the networks stay
// those files' networks; only the capacities and demands change.
TEST(Gprgen, ResourceOptionsLeaveTheNetworksAsTheSeedGivesThem) {
    scratchdir scratch;
    const struct {
        const char *options;
        uint64_t d1, d2;
    } runs[] = {
        {"--shape random --act 30 --resources 3", 0x477f160fe31ba8ebULL, 0x33453b455ef19cd6ULL},
        {"--shape dense --act 30 --resources 3", 0x1a70dde7fa684f9bULL, 0xf7670988e95fab9cULL},
        {"--shape sparse --act 30 --resources 3", 0xe2cdbc876a6754f5ULL, 0xd9a9d4705d018661ULL},
        {"--shape window --act 30 --resources 3", 0xeaf9d61c3af08ae7ULL, 0x61a98d8e60ac0bbbULL},
        {"--shape adversarial --resources 2", 0x2f27e71b74c104f5ULL, 0x6accf60f296bd055ULL},
    };
    for (const auto &r : runs) {
        SCOPED_TRACE(r.options);
        const std::string base = std::string(r.options) + " --seed 7 --count 2 --force --out ";
        ASSERT_EQ(gprgen(base + "plain"), 0);
        EXPECT_EQ(fnv1a(readfile("plain/D1.gpr")), r.d1);
        EXPECT_EQ(fnv1a(readfile("plain/D2.gpr")), r.d2);
        ASSERT_EQ(gprgen(base + "drawn --resource-factor 0.5"), 0);
        for (const char *file : {"D1.gpr", "D2.gpr"}) {
            const instance plain(readfile(std::string("plain/") + file));
            const instance drawn(readfile(std::string("drawn/") + file));
            ASSERT_TRUE(plain.wellformed && drawn.wellformed);
            EXPECT_EQ(drawn.dur, plain.dur);
            EXPECT_EQ(drawn.rec, plain.rec);
            EXPECT_EQ(drawn.capacity.size(), plain.capacity.size());
            EXPECT_NE(drawn.demand, plain.demand);
        }
    }
    ASSERT_EQ(gprgen("--seed 7 --count 1 --act 30 --resources 2 --bound-all --maxlag 40 "
                     "--relations fs --out bounds"),
              0);
    EXPECT_EQ(fnv1a(readfile("bounds/D1.gpr")), 0x363518228a7c1457ULL);
}

// The resources in the sense of ProGen: a real activity uses each type with
// the probability of the resource factor and at least one, with demands
// 1..10; capacities lie at the resource strength between the largest single
// demand and the peak of the earliest-start schedule, as computed here from
// the relations of the files alone.
TEST(Gprgen, ResourceFactorAndStrength) {
    scratchdir scratch;
    const struct {
        const char *shape;
        const char *rf, *rs;
        double factor;
        int strength; // percent
    } runs[] = {
        {"random", "0.25", "0", 0.25, 0}, {"random --maxlag 60", "0.5", "0.37", 0.5, 37},
        {"dense", "1", "1", 1, 100},      {"sparse", "0.75", "0.5", 0.75, 50},
        {"random", "0", "0.6", 0, 60},
    };
    for (const auto &r : runs) {
        SCOPED_TRACE(std::string(r.shape) + " " + r.rf + " " + r.rs);
        ASSERT_EQ(gprgen(std::string("--shape ") + r.shape +
                         " --count 8 --min-act 20 --max-act 120 --resources 4 --resource-factor " +
                         r.rf + " --resource-strength " + r.rs + " --force --out set"),
                  0);
        long long used = 0, pairs = 0;
        std::set<int> values;
        for (const instance &g : fileset("set").inst) {
            ASSERT_TRUE(g.wellformed);
            ASSERT_EQ(g.capacity.size(), 4u);
            const std::vector<int64_t> st = g.earliest();
            ASSERT_FALSE(st.empty());
            for (int i = 0; i < g.n; i++) {
                const bool dummy = i == 0 || i == g.n - 1;
                int uses = 0;
                for (int d : g.demand[i]) {
                    EXPECT_TRUE(d == 0 || (!dummy && d >= 1 && d <= 10)) << i << ": " << d;
                    uses += d > 0;
                    if (d > 0) values.insert(d);
                }
                if (!dummy) {
                    EXPECT_EQ(uses > 0, r.factor > 0) << i;
                    used += uses;
                    pairs += 4;
                }
            }
            for (int k = 0; k < 4; k++) {
                int least = 0;
                for (int i = 0; i < g.n; i++) least = std::max(least, g.demand[i][k]);
                const int64_t most = std::max<int64_t>(least, peakuse(g, st, k));
                // round(RS * (Kmax - Kmin)), halves up
                const int64_t want = least + (r.strength * (most - least) + 50) / 100;
                EXPECT_EQ(g.capacity[k], want) << "resource " << k + 1;
            }
        }
        const double share = (double)used / pairs;
        // Each type with probability RF, and one more where that drew none:
        // (1 - RF)^4 / 4 of the pairs on top.
        const double expected = r.factor + std::pow(1 - r.factor, 4) / 4 * (r.factor > 0);
        EXPECT_NEAR(share, expected, 0.04);
        if (r.factor > 0) {
            EXPECT_EQ(values.size(), 10u);
        }
    }
    // Window networks have only zero durations: nothing is ever used, and each
    // capacity is the largest single demand.
    ASSERT_EQ(gprgen("--shape window --count 3 --act 60 --resources 2 --resource-strength 1 "
                     "--force --out set"),
              0);
    for (const instance &g : fileset("set").inst)
        for (int k = 0; k < 2; k++) {
            int least = 0;
            for (int i = 0; i < g.n; i++) least = std::max(least, g.demand[i][k]);
            EXPECT_EQ(g.capacity[k], least);
        }
    // The same options and seed give the same files.
    ASSERT_EQ(gprgen("--count 3 --act 50 --resources 3 --resource-strength 0.2 --out a"), 0);
    ASSERT_EQ(gprgen("--count 3 --act 50 --resources 3 --resource-strength=0.2 --out b"), 0);
    EXPECT_EQ(fileset("a").files, fileset("b").files);
}

TEST(Gprgen, HelpAndBadCommandLines) {
    scratchdir scratch;
    EXPECT_EQ(gprgen("--help"), 0);
    for (const char *args : {"--bogus 3",
                             "--count",
                             "--count 0",
                             "--count ten",
                             "--count=",
                             "--count ' 5'",
                             "--count 5x",
                             "--act 1",
                             "--act 10000001",
                             "--min-act 50 --max-act 10",
                             "--maxlag 101",
                             "--seed 12abc",
                             "--seed -1",
                             "--relations ss",
                             "--first 9999999 --count 2",
                             "stray",
                             "--shape blob",
                             "--force=yes",
                             "--count 2 --count=3",
                             "--act 5 --min-act 3",
                             "--max-act=9 --act 5",
                             "--shape window --maxlag 10",
                             "--shape dense --relations fs",
                             "--shape adversarial --act 20",
                             "--resource-factor 1.5",
                             "--resource-factor -0.1",
                             "--resource-strength half",
                             "--resource-strength=",
                             "--resource-factor 0.5 --resource-factor 0.5"}) {
        EXPECT_EQ(gprgen(std::string(args) + " --out bad"), 2) << args;
        std::string err = readfile("gen.err");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << args << ": " << err;
    }
    EXPECT_FALSE(std::filesystem::exists("bad")); // nothing is written after a bad command line
}

// --name=value means --name value; existing files stay unless --force.
TEST(Gprgen, OptionFormsAndExistingFiles) {
    scratchdir scratch;
    ASSERT_EQ(gprgen("--count=3 --act=12 --seed=9 --shape=sparse --out=eq"), 0);
    ASSERT_EQ(gprgen("--count 3 --act 12 --seed 9 --shape sparse --out sp"), 0);
    EXPECT_EQ(fileset("eq").files, fileset("sp").files);
    EXPECT_EQ(fileset("eq").files.size(), 3u);

    writefile("sp/D2.gpr", "mine");
    EXPECT_EQ(gprgen("--count 5 --act 12 --out sp"), 2); // D1..D3 exist
    EXPECT_NE(readfile("gen.err").find("D1.gpr"), std::string::npos);
    EXPECT_EQ(readfile("sp/D2.gpr"), "mine");
    EXPECT_FALSE(std::filesystem::exists("sp/D4.gpr"));
    EXPECT_FALSE(std::filesystem::exists("sp/D5.gpr"));
    EXPECT_EQ(gprgen("--count 2 --first 4 --act 12 --out sp"), 0); // D4, D5 are new
    EXPECT_EQ(gprgen("--count 5 --act 12 --out sp --force"), 0);
    EXPECT_NE(readfile("sp/D2.gpr"), "mine");
}

} // namespace
