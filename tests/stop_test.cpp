// The stop hook of maxnpv::options: a solve or a sweep that it ends comes
// back with status::limit, its reason and the best schedule found, and the
// solver is left as the solve found it. A long solve is needed for the hook
// to be asked at all: the classic search on a window network of 1000
// activities takes minutes, so every stop here comes at the hook's first or
// second question, about 10 ms into the search; a time limit far beyond that
// ends the solve anyway should the hook never be asked.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "support/randominstance.h"

namespace {

const char stopped[] = "the solve was stopped";
constexpr double safety = 120; // seconds: the time limit that ends a solve the hook missed

// Zero durations; every activity from the third on starts 0 or 1 time unit
// after each of four random earlier ones (minimal and maximal SS lags); the
// second follows the start dummy, the last real one precedes the end dummy.
maxnpv::network window(uint64_t seed, int n) {
    testrng rng{seed};
    maxnpv::network net;
    net.durations.assign(n, 0);
    net.entries.resize(n);
    net.entries[0].push_back({2, 1, 3, 0});
    for (int j = 2; j < n - 1; j++)
        for (int k = 0; k < 4; k++) {
            const int from = rng.range(1, j - 1);
            net.entries[from].push_back({j + 1, 1, 1, 0});
            net.entries[from].push_back({j + 1, 2, 1, 1});
        }
    net.entries[n - 2].push_back({n, 1, 3, 0});
    return net;
}

maxnpv::options classic(double interest) {
    maxnpv::options opt;
    opt.interest = interest;
    opt.slack = 10;
    opt.method = maxnpv::method::classic;
    opt.timelimit = safety;
    return opt;
}

// A hook that answers true from its call number `at` on, counting its calls.
struct hook {
    int at = 1;
    int calls = 0;
    bool operator()() { return ++calls >= at; }
};

// Whether every relation of the window network holds at r's starts (all SS:
// min 0, max 1) and the end dummy starts by the deadline.
bool feasible(const maxnpv::network &net, const maxnpv::result &r) {
    const int n = (int)net.durations.size();
    if ((int)r.start.size() != n || r.start[0] != 0 || r.start[n - 1] > r.deadline) return false;
    for (int i = 0; i < n; i++)
        for (const maxnpv::entry &e : net.entries[i]) {
            const long long gap = r.start[e.successor - 1] - r.start[i];
            if (e.bound == 1 ? gap < e.lag : gap > e.lag) return false;
        }
    return true;
}

// The result fields that a solve's search decides.
void expectsame(const maxnpv::result &a, const maxnpv::result &b) {
    EXPECT_STREQ(maxnpv::statusname(a.status), maxnpv::statusname(b.status));
    EXPECT_EQ(a.reason, b.reason);
    EXPECT_EQ(a.passes, b.passes);
    EXPECT_EQ(a.npv, b.npv);
    EXPECT_EQ(a.start, b.start);
    EXPECT_EQ(a.tree, b.tree);
}

} // namespace

TEST(StopHook, EndsALongSolveWithItsBestSchedule) {
    const maxnpv::network net = window(1, 1000);
    const std::vector<double> cf = maxnpv::randomcashflows(net, 50);
    maxnpv::options opt = classic(0.01);
    hook h;
    opt.stop = [&h] { return h(); };
    const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
    ASSERT_EQ(r.status, maxnpv::status::limit) << r.reason;
    EXPECT_EQ(r.reason, stopped);
    EXPECT_EQ(h.calls, 1); // the solve ends at the first true
    EXPECT_GT(r.passes, 1);
    EXPECT_TRUE(feasible(net, r));
    // The npv is that schedule's: every activity finishes at its start.
    double npv = 0;
    for (size_t i = 0; i < cf.size(); i++)
        if (!r.unbounded[i]) npv += cf[i] * std::exp(-0.01 * (double)r.start[i]);
    EXPECT_NEAR(r.npv, npv, 1e-9 * std::fabs(npv));

    // A hook that never answers true changes nothing: a window network the
    // search finishes gives the result of a solve without one.
    const maxnpv::network small = window(2, 60);
    const std::vector<double> smallcf = maxnpv::randomcashflows(small, 50);
    maxnpv::options quiet = classic(0.01);
    hook never{1 << 30};
    quiet.stop = [&never] { return never(); };
    expectsame(maxnpv::solver().solve(small, smallcf, quiet),
               maxnpv::solver().solve(small, smallcf, classic(0.01)));
}

TEST(StopHook, LeavesTheSolverAsItFoundIt) {
    // 1 -> 2 (SS 0), 1 -> 3 (SS 0), 2 -> 4 (SS 3): the deadline bounds
    // activity 2, not activity 3, so notbounded() says 1 for this network
    // and something else for the window network.
    maxnpv::network small;
    small.durations = {0, 3, 2, 0};
    small.entries = {{{2, 1, 1, 0}, {3, 1, 1, 0}}, {{4, 1, 1, 3}}, {}, {}};
    const std::vector<double> smallcf = {0, 10, -10, 0};
    const maxnpv::network big = window(3, 1000);
    const std::vector<double> bigcf = maxnpv::randomcashflows(big, 50);
    maxnpv::options later = classic(0.02);
    later.slack = 7;

    // Solved, then resolved at another rate and deadline: what the stopped
    // solve in between must not disturb.
    maxnpv::solver alone;
    ASSERT_EQ(alone.solve(small, smallcf, classic(0.01)).status, maxnpv::status::solved);
    const int loose = alone.notbounded();
    EXPECT_EQ(loose, 1);
    const maxnpv::result want = alone.resolve(smallcf, later);

    maxnpv::solver s;
    ASSERT_EQ(s.solve(small, smallcf, classic(0.01)).status, maxnpv::status::solved);
    maxnpv::options stopping = classic(0.01);
    hook h;
    stopping.stop = [&h] { return h(); };
    const maxnpv::result cut = s.solve(big, bigcf, stopping);
    ASSERT_EQ(cut.reason, stopped);
    ASSERT_EQ(cut.start.size(), big.durations.size()); // it did take the big network
    EXPECT_EQ(s.notbounded(), loose);
    expectsame(s.resolve(smallcf, later), want);

    // Stopped in a resolve: the schedule a resolve starts from stays the one
    // before it, so the next resolve moves as it would have.
    maxnpv::solver t;
    maxnpv::options capped = classic(0.01);
    capped.maxpasses = 2000;
    ASSERT_EQ(t.solve(big, bigcf, capped).status, maxnpv::status::limit);
    maxnpv::solver u;
    ASSERT_EQ(u.solve(big, bigcf, capped).status, maxnpv::status::limit);
    h.calls = 0;
    stopping.slack = 12;
    ASSERT_EQ(t.resolve(bigcf, stopping).reason, stopped);
    capped.slack = 11;
    expectsame(t.resolve(bigcf, capped), u.resolve(bigcf, capped));

    // A new solver that is stopped knows no solve afterwards.
    maxnpv::solver fresh;
    h.calls = 0;
    ASSERT_EQ(fresh.solve(big, bigcf, stopping).reason, stopped);
    EXPECT_EQ(fresh.notbounded(), -1);
    const maxnpv::result none = fresh.resolve(bigcf, classic(0.01));
    EXPECT_EQ(none.status, maxnpv::status::invalid);
    EXPECT_EQ(none.reason, "resolve needs an earlier solve of a network");
}

TEST(StopHook, EndsASweep) {
    const maxnpv::network net = window(4, 1000);
    const std::vector<double> cf = maxnpv::randomcashflows(net, 50);
    maxnpv::sweepgrid grid;
    grid.deadlines = {0, 5, 10};
    grid.interests = {0.01, 0.02};
    const auto unsolved = [](const maxnpv::sweeppoint &p) {
        EXPECT_EQ(p.outcome.status, maxnpv::status::limit);
        EXPECT_EQ(p.outcome.reason, stopped);
        EXPECT_TRUE(p.outcome.start.empty());
        EXPECT_FALSE(p.outcome.hasdeadline);
        EXPECT_EQ(p.outcome.method, maxnpv::method::classic);
    };

    // Asked before the first point: a true then solves nothing.
    maxnpv::options opt = classic(0.01);
    hook h;
    opt.stop = [&h] { return h(); };
    std::vector<maxnpv::sweeppoint> points = maxnpv::sweep(net, cf, opt, grid);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(h.calls, 1);
    for (size_t k = 0; k < points.size(); k++) {
        SCOPED_TRACE(k);
        unsolved(points[k]);
        EXPECT_EQ(points[k].deadline, grid.deadlines[k % 3]);
        EXPECT_EQ(points[k].interest, grid.interests[k / 3]);
    }

    // False before the first point, true inside its solve: that point keeps
    // its best schedule, the others are not solved.
    h = hook{2};
    points = maxnpv::sweep(net, cf, opt, grid);
    EXPECT_EQ(h.calls, 2);
    ASSERT_EQ(points[0].outcome.reason, stopped);
    EXPECT_TRUE(points[0].outcome.hasdeadline);
    EXPECT_EQ(points[0].outcome.deadline, points[0].outcome.criticalpath);
    EXPECT_TRUE(feasible(net, points[0].outcome));
    for (size_t k = 1; k < points.size(); k++) {
        SCOPED_TRACE(k);
        unsolved(points[k]);
    }
}
