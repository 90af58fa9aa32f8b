// What a schedule asks of the renewable resources, and the warnings about
// it: the sweep of network/resourceuse against a count over every integer
// time (random schedules, hand-worked ones, the rule for the worst resource,
// 64-bit sums and far times), and the lines that maxnpv solve and maxnpv
// batch print, run as the built program without a terminal, while the
// dialogue prints nothing new.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "network/resourceuse.h"
#include "support/testsupport.h"

namespace {

// A schedule with its resources, measured two ways.
struct plan {
    std::vector<int> capacity, demand; // demand[i * K + k]
    std::vector<int64_t> start, dur;
    std::vector<char> leftout;

    int nrres() const { return (int)capacity.size(); }
    bool counts(size_t i) const { return !leftout[i] && start[i] != gpr::nostart; }
    bool runs(size_t i, int64_t t) const {
        return counts(i) && dur[i] > 0 && start[i] <= t && t < start[i] + dur[i];
    }

    gpr::resourceuse measured(bool profiles = false) const {
        gpr::resourceuse use;
        gpr::measureuse(capacity, demand, start, dur, &leftout, profiles, &use);
        return use;
    }
};

// The same by a count over every integer time of the span.
struct brute {
    int64_t first = 0, last = 0, overloaded = 0, firstover = 0, lastover = 0;
    std::vector<int64_t> peak;
    std::vector<std::vector<int64_t>> use; // [resource][t - first]
    int worst = -1;

    explicit brute(const plan &p) {
        bool any = false;
        for (size_t i = 0; i < p.start.size(); i++) {
            if (!p.counts(i)) continue;
            const int64_t finish = p.start[i] + std::max<int64_t>(0, p.dur[i]);
            first = any ? std::min(first, p.start[i]) : p.start[i];
            last = any ? std::max(last, finish) : finish;
            any = true;
        }
        const int nrres = p.nrres();
        peak.assign(nrres, 0);
        use.assign(nrres, std::vector<int64_t>(last - first, 0));
        for (int64_t t = first; t < last; t++) {
            bool over = false;
            for (int k = 0; k < nrres; k++) {
                int64_t sum = 0;
                for (size_t i = 0; i < p.start.size(); i++)
                    if (p.runs(i, t)) sum += p.demand[i * nrres + k];
                use[k][t - first] = sum;
                peak[k] = std::max(peak[k], sum);
                over = over || sum > p.capacity[k];
            }
            if (!over) continue;
            if (overloaded++ == 0) firstover = t;
            lastover = t;
        }
        // The worst: the largest peak / capacity (capacity 0: beyond every
        // ratio), then the larger excess, then the lower number. The values
        // of the random plans are small, so long double ratios of different
        // fractions differ.
        auto ratio = [&](int k) {
            return p.capacity[k] == 0 ? (long double)INFINITY
                                      : (long double)peak[k] / p.capacity[k];
        };
        for (int k = 0; k < nrres; k++) {
            if (peak[k] <= p.capacity[k]) continue;
            if (worst < 0 || ratio(k) > ratio(worst) ||
                (ratio(k) == ratio(worst) &&
                 peak[k] - p.capacity[k] > peak[worst] - p.capacity[worst]))
                worst = k;
        }
    }
};

// A random plan: starts -20..40 (a few at nostart), durations -2..8,
// demands 0..12 (about a third 0), capacities 0..30, about one activity in
// eight left out.
plan randomplan(std::mt19937 &rng, int n, int nrres) {
    auto draw = [&rng](int lo, int hi) { return lo + (int)(rng() % (unsigned)(hi - lo + 1)); };
    plan p;
    for (int k = 0; k < nrres; k++) p.capacity.push_back(draw(0, 30));
    for (int i = 0; i < n; i++) {
        p.start.push_back(draw(0, 30) == 0 ? gpr::nostart : draw(-20, 40));
        p.dur.push_back(draw(-2, 8));
        p.leftout.push_back(draw(0, 7) == 0);
        for (int k = 0; k < nrres; k++) p.demand.push_back(draw(0, 2) == 0 ? 0 : draw(1, 12));
    }
    return p;
}

ran maxnpv(const std::string &args, const std::string &input = "") {
    return runbinary(MAXNPV_BINARY, args, input);
}

// Activities 2 (duration 2) and 3 (duration 3) both follow the start dummy
// and lead to the end dummy; each needs 2 of resource 1 (capacity 3) and 1 of
// resource 2 (capacity 1). With the deadline at the critical path 3,
// activity 3 starts at 0 and activity 2 at 0 or 1: both run in period 1
// whatever the cash flows, and with positive cash flows they both start at
// 0, using 4 of 3 and 2 of 1 in periods 0 and 1, 2 of 3 and 1 of 1 in period
// 2. The worst is resource 2 (twice its capacity against 4/3).
const char overloading[] = "4 2 3 1\n0 0 0 2 2 1 1 0 3 1 1 0\n2 2 1 1 4 1 3 0\n"
                           "3 2 1 1 4 1 3 0\n0 0 0 0\n";
const char bare[] = "4 0\n0 2 2 1 1 0 3 1 1 0\n2 1 4 1 3 0\n3 1 4 1 3 0\n0 0\n";
const char roomy[] = "4 1 10\n0 0 2 2 1 1 0 3 1 1 0\n2 4 1 4 1 3 0\n3 5 1 4 1 3 0\n0 0 0\n";

} // namespace

TEST(ResourceUse, HandWorkedSchedule) {
    // (start, duration, demands): 1 (0, 3, 2 1), 2 (1, 2, 3 0), 3 (3, 2, 4 1),
    // 4 (2, 0, 9 9: zero duration, uses nothing), 5 (6, 1, 1 1: left out),
    // dummies at 0 and 5; capacities 4 and 1. Resource 1 uses 2, 5, 5, 4, 4
    // in periods 0..4: 3 finishes where 1 and 2 finish, so they never add
    // up to 6 or 8; resource 2 uses 1 throughout, at its capacity.
    plan p;
    p.capacity = {4, 1};
    p.start = {0, 0, 1, 3, 2, 6, 5};
    p.dur = {0, 3, 2, 2, 0, 1, 0};
    p.demand = {0, 0, 2, 1, 3, 0, 4, 1, 9, 9, 1, 1, 0, 0};
    p.leftout = {0, 0, 0, 0, 0, 1, 0};
    gpr::resourceuse use = p.measured(true);
    EXPECT_EQ(use.peak, (std::vector<int64_t>{5, 1}));
    EXPECT_EQ(use.first, 0);
    EXPECT_EQ(use.last, 5);
    EXPECT_EQ(use.periods(), 5);
    EXPECT_EQ(use.overloaded, 2);
    EXPECT_EQ(use.firstover, 1);
    EXPECT_EQ(use.lastover, 2);
    EXPECT_EQ(use.worst, 0);
    ASSERT_EQ(use.profile.size(), 2u);
    auto steps = [](const std::vector<gpr::usestep> &s) {
        std::vector<std::pair<int64_t, int64_t>> out;
        for (const gpr::usestep &x : s) out.push_back({x.from, x.use});
        return out;
    };
    EXPECT_EQ(steps(use.profile[0]),
              (std::vector<std::pair<int64_t, int64_t>>{{0, 2}, {1, 5}, {3, 4}, {5, 0}}));
    EXPECT_EQ(steps(use.profile[1]), (std::vector<std::pair<int64_t, int64_t>>{{0, 1}, {5, 0}}));

    // No resources, or nothing scheduled: nothing to measure.
    plan none = p;
    none.capacity.clear();
    none.demand.clear();
    use = none.measured(true);
    EXPECT_TRUE(use.peak.empty() && use.profile.empty());
    EXPECT_EQ(use.worst, -1);
    EXPECT_EQ(use.periods(), 5);
    none = p;
    std::fill(none.leftout.begin(), none.leftout.end(), 1);
    use = none.measured();
    EXPECT_EQ(use.periods(), 0);
    EXPECT_EQ(use.peak, (std::vector<int64_t>{0, 0}));
}

TEST(ResourceUse, WorstResourceRule) {
    // One activity of duration 1 with demands d against capacities c.
    auto worst = [](std::vector<int> c, std::vector<int> d) {
        plan p;
        p.capacity = c;
        p.demand = d;
        p.start = {0};
        p.dur = {1};
        p.leftout = {0};
        return p.measured().worst;
    };
    EXPECT_EQ(worst({10, 4, 3}, {11, 9, 3}), 1);    // 9/4 beats 11/10; 3/3 is no overload
    EXPECT_EQ(worst({100, 0, 1}, {1000, 1, 9}), 1); // a capacity of 0 beats every ratio
    EXPECT_EQ(worst({0, 0}, {1, 5}), 1);            // two of them: the larger excess
    EXPECT_EQ(worst({2, 5}, {4, 10}), 1);           // twice each: the larger excess, 5
    EXPECT_EQ(worst({3, 3, 3}, {6, 6, 6}), 0);      // all alike: the lowest number
    EXPECT_EQ(worst({5, 7}, {5, 7}), -1);           // at capacity is not over it
}

TEST(ResourceUse, SixtyFourBitSumsAndFarTimes) {
    // Three activities of demand 2^31-1 at once: a sum beyond 32 bits.
    plan p;
    p.capacity = {INT_MAX};
    p.demand = {INT_MAX, INT_MAX, INT_MAX, 0};
    p.start = {5, 5, 6, 0};
    p.dur = {3, 3, 3, 0};
    p.leftout = {0, 0, 0, 0};
    gpr::resourceuse use = p.measured(true);
    EXPECT_EQ(use.peak[0], 3LL * INT_MAX);
    EXPECT_EQ(use.overloaded, 3); // periods 5, 6, 7
    EXPECT_EQ(use.firstover, 5);
    EXPECT_EQ(use.lastover, 7);
    EXPECT_EQ(use.worst, 0);
    // Times beyond +-2^60 are taken at that bound: no sum overflows.
    p.start = {INT64_MAX - 1, INT64_MAX - 1, INT64_MIN + 1, 0};
    p.dur = {INT64_MAX, 4, 2, 0};
    use = p.measured(true);
    EXPECT_EQ(use.first, -gpr::usetimebound);
    EXPECT_EQ(use.last, 2 * gpr::usetimebound);
    EXPECT_EQ(use.peak[0], 2LL * INT_MAX);
    EXPECT_EQ(use.overloaded, 4);
    EXPECT_EQ(use.firstover, gpr::usetimebound);
}

TEST(ResourceUse, AgreesWithACountOverEveryTime) {
    std::mt19937 rng(20261208);
    int overloadedplans = 0;
    for (int round = 0; round < 600; round++) {
        const int n = 1 + round % 40, nrres = round % 5;
        const plan p = randomplan(rng, n, nrres);
        const brute b(p);
        const gpr::resourceuse use = p.measured(true);
        SCOPED_TRACE(round);
        ASSERT_EQ(use.first, b.first);
        ASSERT_EQ(use.last, b.last);
        ASSERT_EQ(use.peak, b.peak);
        ASSERT_EQ(use.overloaded, b.overloaded);
        if (b.overloaded > 0) {
            overloadedplans++;
            ASSERT_EQ(use.firstover, b.firstover);
            ASSERT_EQ(use.lastover, b.lastover);
        }
        ASSERT_EQ(use.worst, b.worst);
        // The profile, read at every time of the span, is the count.
        ASSERT_EQ((int)use.profile.size(), nrres);
        for (int k = 0; k < nrres; k++) {
            const std::vector<gpr::usestep> &steps = use.profile[k];
            ASSERT_FALSE(steps.empty());
            EXPECT_EQ(steps.front().from, b.first);
            EXPECT_EQ(steps.back().use, 0);
            for (size_t j = 1; j < steps.size(); j++) {
                ASSERT_LT(steps[j - 1].from, steps[j].from);
                ASSERT_NE(steps[j - 1].use, steps[j].use); // no step without a change
            }
            size_t j = 0;
            for (int64_t t = b.first; t < b.last; t++) {
                while (j + 1 < steps.size() && steps[j + 1].from <= t) j++;
                ASSERT_EQ(steps[j].use, b.use[k][t - b.first]) << "resource " << k << " t " << t;
            }
        }
    }
    EXPECT_GT(overloadedplans, 100);
}

TEST(ResourceWarnings, SolveWarnsOnceWhenTheScheduleOverloads) {
    scratchdir dir;
    writefile("r.gpr", overloading);
    writefile("bare.gpr", bare);
    writefile("roomy.gpr", roomy);
    writefile("cf.txt", "0 10 10 0\n");
    ran r = maxnpv("solve r.gpr --cashflows cf.txt --slack 0 --interest 0.01");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "maxnpv solve: warning: r.gpr: the schedule overloads a resource in 2 of 3 "
                     "periods (worst: resource 2, peak 2 of capacity 1); --resources takes the "
                     "resources into account\n");
    // The JSON document is as without resources: no resource data unless asked for.
    r = maxnpv("solve r.gpr --cashflows cf.txt --slack 0 --interest 0.01 --json");
    EXPECT_EQ(r.out.find("capacities"), std::string::npos);
    EXPECT_EQ(r.out.find("demands"), std::string::npos);
    EXPECT_NE(r.err.find("2 of 3 periods"), std::string::npos);
    // No resources, or resources that suffice, or no schedule: no warning.
    for (const char *args :
         {"bare.gpr --cashflows cf.txt --slack 0", "roomy.gpr --pctneg 50 --slack 0",
          "r.gpr --cashflows cf.txt --deadline 2"}) {
        r = maxnpv(std::string("solve ") + args + " --interest 0.01");
        EXPECT_EQ(r.err, "") << args;
    }
}

TEST(ResourceWarnings, BatchCountsTheOverloadingSchedulesAndTheDialogueStaysQuiet) {
    scratchdir dir;
    writefile("D1.gpr", overloading);
    writefile("D2.gpr", bare);
    writefile("D3.gpr", roomy);
    const char line[] = "maxnpv batch: warning: 1 of 3 schedules overloads a resource; --resources "
                        "takes the resources into account\n";
    for (const char *jobs : {"1", "2"}) {
        ran batch = maxnpv(std::string("batch --first 1 --last 3 --pctneg 50 --slack 0 "
                                       "--interest 0.01 --jobs ") +
                           jobs);
        EXPECT_EQ(batch.status, 0);
        EXPECT_EQ(batch.err, line) << jobs;
    }
    ran one = maxnpv("batch --first 1 --last 1 --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(one.err, "maxnpv batch: warning: 1 of 1 schedule overloads a resource; --resources "
                       "takes the resources into account\n");
    ran none = maxnpv("batch --first 2 --last 3 --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(none.err, "");
    ran dialogue = maxnpv("", "1 3 50 0 0.01\n");
    EXPECT_EQ(dialogue.status, 0);
    EXPECT_EQ(dialogue.err, "");
}
