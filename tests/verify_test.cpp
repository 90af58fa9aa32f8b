// Certificates of optimality: the multipliers of hand-worked instances, the
// check accepting the results of both methods on thousands of generated
// instances and rejecting altered ones, the strict JSON reader, and maxnpv
// verify run as a program on documents of maxnpv solve.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "support/randominstance.h"
#include "support/testsupport.h"
#include "verify/certjson.h"
#include "verify/jsonread.h"

namespace {

maxnpv::network parsed(const std::string &text) {
    maxnpv::network net;
    std::string why;
    EXPECT_EQ(maxnpv::parsegpr(text, &net, &why), maxnpv::status::solved) << why;
    return net;
}

maxnpv::options run(double interest, long long slack, maxnpv::method m) {
    maxnpv::options opt;
    opt.interest = interest;
    opt.slack = slack;
    opt.method = m;
    return opt;
}

// The worked instance of five activities: cash flows 0, -239, 356, 366, 0
// (pctneg 50), deadline 15, interest 0.01; optimal starts 0, 12, 0, 1, 15.
const char workedtext[] = "5 1 10\n0 0 3 2 1 3 0 3 1 3 0 4 1 3 0\n3 2 1 5 1 3 0\n"
                          "2 3 1 4 1 1 1\n4 1 1 5 1 3 0\n0 0 0\n";

// Its certificate worked out by hand. The tree is 1->3, 3->4, 2->5 and the
// deadline arc 5->1. Each value is the discounted cash flow of the part of
// the tree the arc holds away from activity 1: 4 below 3->4, 3 and 4 below
// 1->3, 2 below 2->5 (an arc out of that part, so minus its value), and 2
// again below 5->1, whose part {5, 2} is entered through the deadline arc.
maxnpv::result workedresult() {
    const double d2 = -239 * std::exp(-0.15), d3 = 356 * std::exp(-0.02),
                 d4 = 366 * std::exp(-0.05);
    maxnpv::result r;
    r.status = maxnpv::status::solved;
    r.npv = d2 + d3 + d4;
    r.start = {0, 12, 0, 1, 15};
    r.unbounded.assign(5, false);
    r.tree = {{1, 3}, {2, 5}, {3, 4}, {5, 1}};
    r.treelag = {0, 3, 1, -15};
    r.multiplier = {d3 + d4, -d2, d4, -d2};
    r.hasdeadline = true;
    r.deadline = 15;
    r.criticalpath = 5;
    return r;
}

std::string verdictof(const maxnpv::network &net, const std::vector<double> &cf,
                      const maxnpv::options &opt, const maxnpv::result &r) {
    std::string why;
    return maxnpv::verify(net, cf, opt, r, &why) == maxnpv::verdict::optimal ? "optimal" : why;
}

} // namespace

TEST(Certificate, HandWorkedInstances) {
    // The worked instance: the hand's multipliers verify, and the solver's
    // tree carries the same ones with either method.
    const maxnpv::network net = parsed(workedtext);
    const std::vector<double> cf = maxnpv::randomcashflows(net, 50);
    ASSERT_EQ(cf, (std::vector<double>{0, -239, 356, 366, 0}));
    const maxnpv::result hand = workedresult();
    EXPECT_EQ(verdictof(net, cf, run(0.01, 10, maxnpv::method::fast), hand), "optimal");
    for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
        maxnpv::result r = maxnpv::solver().solve(net, cf, run(0.01, 10, m));
        ASSERT_EQ(r.status, maxnpv::status::solved);
        EXPECT_EQ(r.start, hand.start);
        ASSERT_EQ(r.tree.size(), hand.tree.size());
        ASSERT_EQ(r.treelag.size(), hand.tree.size());
        for (size_t k = 0; k < hand.tree.size(); k++) {
            size_t at = 0;
            while (at < r.tree.size() && r.tree[at] != hand.tree[k]) at++;
            ASSERT_LT(at, r.tree.size()) << "arc " << k;
            EXPECT_EQ(r.treelag[at], hand.treelag[k]);
            EXPECT_NEAR(r.multiplier[at], hand.multiplier[k], 1e-9);
        }
    }

    // A maximal lag holds a positive activity to a negative one: 2 (-100)
    // may start at most 2 after 3 (+50), both of duration 1, deadline 11,
    // interest 0.1. Delaying both together gains, so 2 ends at the deadline
    // (start 10) and 3 starts at 8; the tree is 2->4, 2->3 (lag -2) and the
    // deadline arc 4->1. 3's value enters through 2->3; 2->4 carries what is
    // left of 2's value, and so does the deadline arc.
    const maxnpv::network pair = parsed("4 0\n0 2 2 1 1 0 3 1 1 0\n1 1 4 1 3 0\n"
                                        "1 2 4 1 3 0 2 2 1 2\n0 0\n");
    const std::vector<double> pcf{0, -100, 50, 0};
    const double d2 = -100 * std::exp(-1.1), d3 = 50 * std::exp(-0.9);
    maxnpv::result h;
    h.status = maxnpv::status::solved;
    h.npv = d2 + d3;
    h.start = {0, 10, 8, 11};
    h.unbounded.assign(4, false);
    h.tree = {{2, 4}, {2, 3}, {4, 1}};
    h.treelag = {1, -2, -11};
    h.multiplier = {-d2 - d3, d3, -d2 - d3};
    const maxnpv::options popt = run(0.1, 10, maxnpv::method::fast);
    EXPECT_EQ(verdictof(pair, pcf, popt, h), "optimal");
    maxnpv::result solved = maxnpv::solver().solve(pair, pcf, popt);
    EXPECT_EQ(solved.start, h.start);
    EXPECT_NEAR(solved.npv, h.npv, 1e-12);
    // One time unit earlier for both is feasible but worse: the tree still
    // binds, yet 4->1 is slack, so the deadline arc cannot carry a value.
    maxnpv::result early = h;
    early.start = {0, 9, 7, 10};
    early.npv = -100 * std::exp(-1.0) + 50 * std::exp(-0.8);
    EXPECT_EQ(verdictof(pair, pcf, popt, early).find("tree arc 4->1"), 0u);

    // Postponed without limit: activity 2 (-10) leads nowhere, so it leaves
    // the npv; the end dummy sits at 0 below a deadline of 5.
    const maxnpv::network loose = parsed("3 0\n0 2 2 1 1 0 3 1 1 0\n4 0\n0 0\n");
    const std::vector<double> lcf{0, -10, 0};
    maxnpv::result p;
    p.status = maxnpv::status::solved;
    p.npv = 0;
    p.start = {0, 0, 0};
    p.unbounded = {false, true, false};
    p.tree = {{1, 3}};
    p.treelag = {0};
    p.multiplier = {0};
    const maxnpv::options lopt = run(0.05, 5, maxnpv::method::fast);
    EXPECT_EQ(verdictof(loose, lcf, lopt, p), "optimal");
    // A positive activity dragged along: 3 (+4) must start 1 after 2 (-10),
    // and nothing bounds either. Within the set, measured from 2's start,
    // 2->3 carries 3's value 4 e^-0.05 from 2, which can spare it.
    const maxnpv::network drag =
        parsed("4 0\n0 3 2 1 1 0 3 1 1 0 4 1 1 0\n0 1 3 1 1 1\n0 0\n0 0\n");
    maxnpv::result d;
    d.status = maxnpv::status::solved;
    d.start = {0, 0, 1, 0};
    d.unbounded = {false, true, true, false};
    d.tree = {{1, 4}};
    d.treelag = {0};
    d.multiplier = {0};
    d.postponedtree = {{2, 3}};
    d.postponedlag = {1};
    d.postponedvalue = {4 * std::exp(-0.05)};
    EXPECT_EQ(verdictof(drag, {0, -10, 4, 0}, lopt, d), "optimal");
    maxnpv::result dsolved = maxnpv::solver().solve(drag, {0, -10, 4, 0}, lopt);
    EXPECT_EQ(dsolved.unbounded, d.unbounded);
    ASSERT_EQ(dsolved.postponedvalue.size(), 1u);
    EXPECT_NEAR(dsolved.postponedvalue[0], d.postponedvalue[0], 1e-12);
    // Worth 20, 3 pays for staying with 2 (20 e^-0.05 > 10): 2 cannot spare
    // enough, and the check says so at 3.
    d.postponedvalue = {10};
    EXPECT_EQ(verdictof(drag, {0, -10, 20, 0}, lopt, d).rfind("activity 3 is postponed, but", 0),
              0u);
    EXPECT_EQ(maxnpv::solver().solve(drag, {0, -10, 20, 0}, lopt).unbounded,
              std::vector<bool>(4, false));
    d.postponedvalue = {-4 * std::exp(-0.05)};
    EXPECT_NE(verdictof(drag, {0, -10, 4, 0}, lopt, d).find("below 0"), std::string::npos);

    // With a relation from 2 to the end dummy, 2 can no longer be put off.
    const maxnpv::network bound = parsed("3 0\n0 2 2 1 1 0 3 1 1 0\n4 1 3 1 3 0\n0 0\n");
    EXPECT_EQ(verdictof(bound, lcf, lopt, p).find("activity 2 is postponed without limit"), 0u);
}

TEST(Certificate, GeneratedInstancesVerifyAndAlteredOnesFail) {
    // Instances of 5 to 30 activities of every planted kind that still
    // solves, with drawn cash flows, both methods, and rates from 0 up.
    const plantkind plants[] = {plantnone,    plantnone,     plantdropped,  plantinto0,   plantwide,
                                plantphantom, plantnegchain, plantshortend, planttightmax};
    const double rates[] = {0, 0.005, 0.01, 0.05, 0.2};
    testrng rng{20261207};
    int solved = 0, moved = 0, negated = 0, dropped = 0, carried = 0;
    for (int k = 0; k < 1800; k++) {
        const plantkind plant = plants[rng.below(sizeof plants / sizeof plants[0])];
        const std::string text = randominstance(rng.next(), plant, rng.range(5, 30), rng.below(60));
        maxnpv::network net;
        std::string why;
        if (maxnpv::parsegpr(text, &net, &why) != maxnpv::status::solved) continue;
        const std::vector<double> cf = maxnpv::randomcashflows(net, rng.range(0, 100));
        const double rate = rates[rng.below(5)];
        const long long slack = rng.range(0, 40);
        for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
            const maxnpv::options opt = run(rate, slack, m);
            const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
            if (r.status != maxnpv::status::solved) continue;
            solved++;
            SCOPED_TRACE("rate " + std::to_string(rate) + ", slack " + std::to_string(slack) +
                         "\n" + text);
            ASSERT_EQ(verdictof(net, cf, opt, r), "optimal") << maxnpv::methodname(m);

            // A real activity that is not postponed moved one time unit later.
            const int n = (int)r.start.size();
            for (int i = 1; i + 1 < n; i++)
                if (!r.unbounded[i]) {
                    maxnpv::result bad = r;
                    bad.start[i]++;
                    EXPECT_NE(verdictof(net, cf, opt, bad), "optimal") << "start of " << i + 1;
                    moved++;
                    break;
                }
            // Inside a postponed set, the largest value taken away.
            size_t top = 0;
            for (size_t a = 0; a < r.postponedvalue.size(); a++)
                if (r.postponedvalue[a] > r.postponedvalue[top]) top = a;
            if (!r.postponedvalue.empty() && r.postponedvalue[top] > 1e-3) {
                maxnpv::result bad = r;
                bad.postponedvalue[top] = 0;
                EXPECT_NE(verdictof(net, cf, opt, bad).find("gains by staying"), std::string::npos);
                carried++;
            }
            // The arc of the largest value negated, then dropped.
            size_t big = 0;
            for (size_t a = 0; a < r.multiplier.size(); a++)
                if (std::fabs(r.multiplier[a]) > std::fabs(r.multiplier[big])) big = a;
            if (rate == 0 || r.multiplier.empty() || std::fabs(r.multiplier[big]) < 1e-3) continue;
            maxnpv::result bad = r;
            bad.multiplier[big] = -bad.multiplier[big];
            EXPECT_NE(verdictof(net, cf, opt, bad).find("below 0"), std::string::npos);
            negated++;
            bad = r;
            bad.tree.erase(bad.tree.begin() + big);
            bad.treelag.erase(bad.treelag.begin() + big);
            bad.multiplier.erase(bad.multiplier.begin() + big);
            EXPECT_NE(verdictof(net, cf, opt, bad).find("does not balance"), std::string::npos);
            dropped++;
        }
    }
    EXPECT_GT(solved, 2000);
    EXPECT_GT(moved, 1500);
    EXPECT_GT(negated, 1000);
    EXPECT_EQ(dropped, negated);
    EXPECT_GT(carried, 8); // postponed sets that hold positive activities
}

TEST(Certificate, LongProjectsVerify) {
    // Networks of a few hundred activities whose windows reach far in time.
    for (uint64_t seed = 1; seed <= 12; seed++) {
        const maxnpv::network net = parsed(randomproject(seed, 300));
        const std::vector<double> cf = maxnpv::randomcashflows(net, 60);
        for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
            const maxnpv::options opt = run(0.01, 50, m);
            const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
            ASSERT_EQ(r.status, maxnpv::status::solved);
            EXPECT_EQ(verdictof(net, cf, opt, r), "optimal") << seed << maxnpv::methodname(m);
        }
    }
}

TEST(Certificate, EveryShapeOfTheGeneratorVerifies) {
    // gprgen's shapes, with and without every activity bounded, deadlines by
    // slack and by factor; window and dense networks make the fast method
    // move sets by minimum cuts, adversarial ones have faults of every kind.
    scratchdir dir;
    const long long movelimit = 100000;
    const char *shapes[] = {"random", "dense", "sparse", "window", "adversarial"};
    int solved = 0;
    for (int s = 0; s < 5; s++) {
        const std::string folder = shapes[s];
        const std::string args = std::string(s == 4 ? "" : " --min-act 10 --max-act 90") +
                                 " --count 60 --seed " + std::to_string(s + 11) + " --out " +
                                 folder + " --shape " + folder;
        ASSERT_EQ(
            std::system((std::string("'") + GPRGEN_BINARY + "'" + args + " > /dev/null").c_str()),
            0);
        for (int k = 1; k <= 60; k++) {
            maxnpv::network net;
            std::string why;
            const std::string file = folder + "/D" + std::to_string(k) + ".gpr";
            if (maxnpv::readnetwork(file, &net, &why) != maxnpv::status::solved) continue;
            const std::vector<double> cf = maxnpv::randomcashflows(net, 20 + k % 70);
            for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
                maxnpv::options opt = run(k % 3 == 0 ? 0.05 : 0.01, k % 7 * 5, m);
                opt.boundall = k % 2 == 0;
                if (k % 5 == 0) opt.deadlinefactor = 1.3;
                opt.maxpasses = movelimit; // a solve stopped by it proves nothing: skipped
                const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
                if (r.status != maxnpv::status::solved) continue;
                solved++;
                EXPECT_EQ(verdictof(net, cf, opt, r), "optimal")
                    << file << " " << maxnpv::methodname(m);
                // The same network without the bounds is another problem.
                if (opt.boundall &&
                    std::any_of(r.unbounded.begin(), r.unbounded.end(), [](bool u) { return u; }))
                    ADD_FAILURE() << file << ": postponed under --bound-all";
            }
        }
    }
    EXPECT_GT(solved, 400);
}

TEST(Certificate, PostponedChainsReachBeyondTheRangeOfDoubles) {
    // A chain of 2000 activities one time unit apart that leads nowhere,
    // mostly negative: put off as a whole, its far end discounted at 0.5
    // from the chain's start is below the smallest double.
    const int n = 2002;
    std::string text = std::to_string(n) + " 0\n0 2 2 1 1 0 " + std::to_string(n) + " 1 1 0\n";
    for (int a = 2; a < n; a++)
        text += a + 1 < n ? "1 1 " + std::to_string(a + 1) + " 1 3 0\n" : "1 0\n";
    text += "0 0\n";
    const maxnpv::network net = parsed(text);
    std::vector<double> cf(n, 0);
    for (int i = 1; i + 1 < n; i++) cf[i] = i % 3 == 0 ? 3 : -5;
    for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
        const maxnpv::options opt = run(0.5, 5, m);
        const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
        ASSERT_EQ(r.status, maxnpv::status::solved);
        EXPECT_EQ(std::count(r.unbounded.begin(), r.unbounded.end(), true), n - 2);
        EXPECT_EQ(verdictof(net, cf, opt, r), "optimal") << maxnpv::methodname(m);
    }
}

TEST(Certificate, ResultsThatDoNotFitAreRejected) {
    const maxnpv::network net = parsed(workedtext);
    const std::vector<double> cf{0, -239, 356, 366, 0};
    const maxnpv::options opt = run(0.01, 10, maxnpv::method::fast);
    struct altered {
        const char *reason; // how the reason starts
        void (*change)(maxnpv::result *);
    };
    const altered cases[] = {
        {"the result's status", [](maxnpv::result *r) { r->status = maxnpv::status::limit; }},
        {"the result's deadline", [](maxnpv::result *r) { r->deadline = 16; }},
        {"the result's critical path", [](maxnpv::result *r) { r->criticalpath = 4; }},
        {"the start dummy (activity 1) starts at 1",
         [](maxnpv::result *r) {
             for (long long &s : r->start) s++;
         }},
        {"the relation 3->4", [](maxnpv::result *r) { r->start[3] = 0; }},
        {"the deadline 15 does not hold", [](maxnpv::result *r) { r->start[4] = 16; }},
        {"tree arc 2->4 is no relation",
         [](maxnpv::result *r) {
             r->tree[1] = {2, 4};
         }},
        {"tree arc 3->4 has lag 2", [](maxnpv::result *r) { r->treelag[2] = 2; }},
        {"tree arc 2->5 (start(5) >= start(2) + 3) does not bind",
         [](maxnpv::result *r) { r->start[1] = 11; }},
        {"activity 3 does not balance", [](maxnpv::result *r) { r->multiplier[2] *= 1.001; }},
        {"the npv", [](maxnpv::result *r) { r->npv += 1e-6; }},
        {"the end dummy (activity 5) is postponed",
         [](maxnpv::result *r) { r->unbounded[4] = true; }},
        {"5 activities, but", [](maxnpv::result *r) { r->start.pop_back(); }},
    };
    for (const altered &c : cases) {
        maxnpv::result r = workedresult();
        c.change(&r);
        EXPECT_EQ(verdictof(net, cf, opt, r).rfind(c.reason, 0), 0u) << c.reason;
    }
    // The deadline as the options state it.
    maxnpv::options absolute = opt;
    absolute.absolute = true;
    absolute.deadline = 15;
    EXPECT_EQ(verdictof(net, cf, absolute, workedresult()), "optimal");
    absolute.deadline = 14;
    EXPECT_EQ(verdictof(net, cf, absolute, workedresult()).rfind("the result's deadline", 0), 0u);
    // Other cash flows make other balances.
    std::vector<double> other = cf;
    other[2] = 355;
    EXPECT_EQ(verdictof(net, other, opt, workedresult()).rfind("activity 3 does not balance", 0),
              0u);
}

namespace {

// A result of net with these starts and tree arcs (from, to, lag, value),
// the npv the given one, the deadline and critical path as stated.
maxnpv::result claimed(std::vector<long long> start, std::vector<std::array<double, 4>> arcs,
                       double npv, long long deadline, long long criticalpath) {
    maxnpv::result r;
    r.status = maxnpv::status::solved;
    r.npv = npv;
    r.start = std::move(start);
    r.unbounded.assign(r.start.size(), false);
    for (const auto &[from, to, lag, value] : arcs) {
        r.tree.push_back({(int)from, (int)to});
        r.treelag.push_back((long long)lag);
        r.multiplier.push_back(value);
    }
    r.hasdeadline = true;
    r.deadline = deadline;
    r.criticalpath = criticalpath;
    return r;
}

maxnpv::options absolute(double interest, long long deadline) {
    maxnpv::options opt;
    opt.interest = interest;
    opt.absolute = true;
    opt.deadline = deadline;
    return opt;
}

} // namespace

TEST(Certificate, FarFromOptimalUnconnectedOrNotFiniteIsRejected) {
    // Activity 2 (+500) at the deadline instead of at 0: the tree 2->3,
    // 3->1 balances it, with values of -500 e^(-rate * deadline) each. Where
    // they stand that is -1e-6 (rate 0.2, deadline 100) or -7.6e-6 (0.01,
    // 1800), above the search's -1e-5; grown to activity 2's earliest start
    // 0 it is -500, what moving 2 there gains. The solver's optimum, 2 at
    // 0 worth 500, verifies.
    const maxnpv::network late = parsed("3 0\n0 1 2 1 3 0\n0 1 3 1 3 0\n0 0\n");
    const std::vector<double> cf{0, 500, 0};
    for (const auto &[rate, deadline] : {std::pair<double, long long>{0.2, 100}, {0.01, 1800}}) {
        const double there = 500 * std::exp(-rate * deadline);
        const maxnpv::result r =
            claimed({0, deadline, deadline}, {{2, 3, 0, -there}, {3, 1, -(double)deadline, -there}},
                    there, deadline, 0);
        EXPECT_EQ(verdictof(late, cf, absolute(rate, deadline), r).rfind("tree arc 2->3", 0), 0u)
            << rate;
        for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
            maxnpv::options opt = absolute(rate, deadline);
            opt.method = m;
            const maxnpv::result best = maxnpv::solver().solve(late, cf, opt);
            EXPECT_EQ(best.npv, 500);
            EXPECT_EQ(verdictof(late, cf, opt, best), "optimal");
        }
    }

    // Activity 3 (-5) is reached from the start dummy by no relation: solve
    // calls the instance not connected. A schedule with 3 at the deadline 10
    // and its balanced tree is no proof of anything.
    const maxnpv::network loose = parsed("4 0\n0 1 2 1 1 0\n0 1 4 1 3 0\n0 1 4 1 3 0\n0 0\n");
    const std::vector<double> lcf{0, 5, -5, 0};
    const double d3 = -5 * std::exp(-0.1);
    const maxnpv::result unlinked =
        claimed({0, 0, 10, 10}, {{1, 2, 0, 5}, {3, 4, 0, -d3}, {4, 1, -10, -d3}}, 5 + d3, 10, 0);
    const std::string said = "activities not connected: no chain of relations leads from the "
                             "start dummy to activity 3";
    EXPECT_EQ(verdictof(loose, lcf, absolute(0.01, 10), unlinked), said);
    const maxnpv::result solved = maxnpv::solver().solve(loose, lcf, absolute(0.01, 10));
    EXPECT_EQ(solved.status, maxnpv::status::notconnected);
    EXPECT_EQ(solved.reason, said);

    // Activity 3 may start a million before the project; at 0.02 its growth
    // e^20000 is beyond a long double. With a cash flow of 0 it adds 0: the
    // optimum is 5, and an npv of 1e300 is not the schedule's value. With a
    // cash flow of 1 its discounted cash flow is beyond any range.
    const maxnpv::network far = parsed("4 0\n0 1 2 1 1 0\n0 2 3 1 1 -1000000 4 1 3 0\n0 0\n0 0\n");
    for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
        maxnpv::options opt = absolute(0.02, 0);
        opt.method = m;
        maxnpv::result r = maxnpv::solver().solve(far, {0, 5, 0, 0}, opt);
        ASSERT_EQ(r.status, maxnpv::status::solved) << r.reason;
        EXPECT_EQ(r.npv, 5);
        EXPECT_EQ(verdictof(far, {0, 5, 0, 0}, opt, r), "optimal") << maxnpv::methodname(m);
        r.npv = 1e300;
        const std::string npv = verdictof(far, {0, 5, 0, 0}, opt, r);
        EXPECT_EQ(npv.rfind("the npv 1.0000000000000001e+300 is not the schedule's value 5", 0), 0u)
            << npv;
        r.npv = 5;
        EXPECT_EQ(verdictof(far, {0, 5, 1, 0}, opt, r),
                  "the discounted cash flow of activity 3, finishing at -1000000, is beyond the "
                  "range of a double");
        r.discounted[1] = 5.5;
        EXPECT_EQ(verdictof(far, {0, 5, 0, 0}, opt, r),
                  "activity 2 has the discounted cash flow 5.5, but its cash flow discounted "
                  "from its finish 0 is 5");
        r.discounted[1] = std::nan("");
        EXPECT_EQ(verdictof(far, {0, 5, 0, 0}, opt, r).rfind("activity 2 has the discounted", 0),
                  0u);
    }
}

TEST(Certificate, ClassicResultsProveThemselvesAtEveryRate) {
    // The classic search leaves subtrees of values down to -1e-5 where they
    // stand; far out at high rates their wrong signs, grown to the earliest
    // starts, would prove nothing. Its results through the library carry a
    // tree that proves them: no value, grown, below -1e-5, so the npv is
    // the fast method's less at most 1e-5 per tree arc.
    int checked = 0;
    for (uint64_t seed = 1; seed <= 10; seed++) {
        const maxnpv::network net = parsed(randomproject(seed, 120));
        const std::vector<double> cf = maxnpv::randomcashflows(net, 30 + 5 * (int)seed);
        for (double rate : {0.0001, 0.05, 0.2, 1.0}) {
            maxnpv::options opt = run(rate, (long long)seed * 7, maxnpv::method::classic);
            const maxnpv::result c = maxnpv::solver().solve(net, cf, opt);
            opt.method = maxnpv::method::fast;
            const maxnpv::result f = maxnpv::solver().solve(net, cf, opt);
            if (c.status != maxnpv::status::solved || f.status != maxnpv::status::solved) continue;
            checked++;
            EXPECT_EQ(verdictof(net, cf, opt, c), "optimal") << seed << " " << rate;
            EXPECT_GE(c.npv, f.npv - 1e-5 * (double)c.tree.size()) << seed << " " << rate;
        }
    }
    EXPECT_GT(checked, 30);
}

TEST(Certificate, SolvesThatFallBackToTheClassicSearchProveThemselves) {
    // 3416 activities whose starts lie 3796 apart at a rate of 3: values
    // relative to a subtree leave the range of long double, so the fast
    // method hands the instance to the classic search, whose tree does not
    // prove its schedule; the fast method goes on from that schedule. Both
    // methods end at the optimum that gprlp finds, and prove it.
    scratchdir dir;
    ASSERT_EQ(std::system((std::string("'") + GPRGEN_BINARY +
                           "' --shape random --min-act 1000 --max-act 5000 --first 11 --count 1 "
                           "--seed 9 --out far > /dev/null")
                              .c_str()),
              0);
    maxnpv::network net;
    std::string why;
    ASSERT_EQ(maxnpv::readnetwork("far/D11.gpr", &net, &why), maxnpv::status::solved) << why;
    ASSERT_EQ(net.durations.size(), 3416u);
    const std::vector<double> cf = maxnpv::randomcashflows(net, 88);
    for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
        const maxnpv::options opt = run(3, 166, m);
        const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
        ASSERT_EQ(r.status, maxnpv::status::solved) << r.reason;
        EXPECT_EQ(r.criticalpath, 3796);
        EXPECT_NEAR(r.npv, 516.01271717846487, 1e-9) << maxnpv::methodname(m);
        EXPECT_EQ(verdictof(net, cf, opt, r), "optimal") << maxnpv::methodname(m);
    }
}

TEST(JsonReader, TakesJsonAndNothingElse) {
    const std::string text = " {\"a\": [1, -0.5e+3, true, null], \"b\": \"x\\u00e9\\ud83d\\ude00"
                             "\\n\\\"\"} \n";
    gpr::jsonreader rd(text);
    std::string key, number, b;
    bool more, truth = false;
    ASSERT_TRUE(rd.beginobject() && rd.member(&key, 8, &more) && more) << rd.reason();
    EXPECT_EQ(key, "a");
    ASSERT_TRUE(rd.beginarray() && rd.element(&more) && more && rd.number(&number));
    EXPECT_EQ(number, "1");
    ASSERT_TRUE(rd.element(&more) && more && rd.number(&number));
    double x;
    long long whole;
    EXPECT_TRUE(gpr::jsonreal(number, &x));
    EXPECT_EQ(x, -500.0);
    EXPECT_FALSE(gpr::jsonwhole(number, -1000, 1000, &whole)); // has an exponent
    EXPECT_TRUE(gpr::jsonwhole("1", 0, 1, &whole));
    EXPECT_FALSE(gpr::jsonwhole("1", 2, 3, &whole));
    ASSERT_TRUE(rd.element(&more) && more);
    EXPECT_EQ(rd.peek(), gpr::jsonkind::boolean);
    ASSERT_TRUE(rd.boolean(&truth) && truth);
    ASSERT_TRUE(rd.element(&more) && more && rd.null() && rd.element(&more) && !more);
    ASSERT_TRUE(rd.member(&key, 8, &more) && more && key == "b");
    ASSERT_TRUE(rd.string(&b, 64)) << rd.reason();
    EXPECT_EQ(b, "x\xc3\xa9\xf0\x9f\x98\x80\n\"");
    ASSERT_TRUE(rd.member(&key, 8, &more) && !more && rd.finish()) << rd.reason();
    // A string longer than asked for fails; so does a name.
    gpr::jsonreader longer(text);
    EXPECT_FALSE(longer.beginobject() && longer.member(&key, 0, &more));
    EXPECT_EQ(longer.reason(), "line 1, column 5: a string longer than 0 bytes");

    const char *bad[] = {
        "",
        "{",
        "[1,]",
        "[,1]",
        "{\"a\":1,}",
        "01",
        "-",
        "1.",
        "1e",
        ".5",
        "+1",
        "NaN",
        "[1] 2",
        "tru",
        "\"\\x\"",
        "\"\\ud800\"",
        "\"\\udc00\"",
        "\"a\nb\"",
        "\"\xff\"",
        "\"\xc0\xaf\"",
        "{1:2}",
        "\xef\xbb\xbf{}",
        "[1 2]",
        "\"\\u12\"",
        "{\"a\" 1}",
    };
    std::string why;
    for (const char *t : bad) EXPECT_FALSE(gpr::jsonwellformed(t, &why)) << t;
    // The depth bound: 32 levels read, 33 do not.
    const std::string deep =
        std::string(gpr::jsonmaxdepth, '[') + std::string(gpr::jsonmaxdepth, ']');
    EXPECT_TRUE(gpr::jsonwellformed(deep, &why)) << why;
    EXPECT_FALSE(gpr::jsonwellformed("[" + deep + "]", &why));
    EXPECT_EQ(why, "line 1, column 33: arrays and objects nested too deep");
    EXPECT_FALSE(gpr::jsonwellformed("[\n 1,\n x]", &why));
    EXPECT_EQ(why, "line 3, column 2: not a JSON value");
    EXPECT_FALSE(gpr::jsonwellformed("1" + std::string(gpr::jsonmaxnumber, '0'), &why));
}

TEST(JsonReader, KeepsNoMoreOfADocumentThanTheInstanceCanNeed) {
    // A document of 3000 activities read for a network of five keeps five
    // and counts the rest; a list of numbers where objects belong fails at
    // its first element; names are the solve's, each once.
    const maxnpv::network net = [] {
        maxnpv::network n;
        maxnpv::parsegpr("5 0\n0 1 2 1 1 0\n0 1 3 1 1 0\n0 1 4 1 1 0\n0 1 5 1 1 0\n0 0\n", &n,
                         nullptr);
        return n;
    }();
    const gpr::certlimits lim = gpr::certlimitsof(net);
    EXPECT_EQ(lim.activities, 5u);
    std::string doc = "{\"instance\": \"x\", \"status\": \"solved\", \"reason\": null, \"npv\": 0, "
                      "\"passes\": 0, \"deadline\": 0, \"critical_path\": 0, \"interest\": 0.01, "
                      "\"numbering\": \"from 1\", \"arcs\": [], \"activities\": [";
    for (int k = 0; k < 3000; k++)
        doc += std::string(k ? "," : "") + "{\"activity\": " + std::to_string(k + 1) +
               ", \"duration\": 0, \"cashflow\": 0, \"start\": 0, \"finish\": 0, "
               "\"discounted\": 0, \"unbounded\": false}";
    doc += "]}";
    gpr::certdoc cert;
    std::string why;
    ASSERT_TRUE(gpr::readcertdoc(doc, lim, &cert, &why)) << why;
    EXPECT_EQ(cert.activitycount, 3000u);
    EXPECT_EQ(cert.durations.size(), 5u);
    EXPECT_EQ(cert.r.start.size(), 5u);
    EXPECT_FALSE(cert.certified);

    const std::string head = doc.substr(0, doc.find("\"activities\": [") + 15);
    EXPECT_FALSE(gpr::readcertdoc(head + "0,0,0,0]}", lim, &cert, &why));
    EXPECT_EQ(why.substr(why.find(": ") + 2), "activities[0]: not an object");
    const struct {
        std::string text, says;
    } wrong[] = {
        {"{\"status\": \"solved\", \"status\": \"solved\"}",
         "the document: the member \"status\" given twice"},
        {"{\"status\": \"solved\", \"\\u001bnote\": 1}",
         "the document: an unknown member \"\\x1bnote\""},
        {"{\"status\": \"solved\"}", "the document: no member \"instance\""},
    };
    for (const auto &w : wrong) {
        EXPECT_FALSE(gpr::readcertdoc(w.text, lim, &cert, &why)) << w.text;
        EXPECT_EQ(why.substr(why.find(": ") + 2), w.says) << why;
    }
}

namespace {

// Runs maxnpv with the arguments in the working folder.
ran program(const std::string &args) {
    return runbinary(MAXNPV_BINARY, args);
}

// The text with the first occurrence of from replaced by to.
std::string replaced(std::string text, const std::string &from, const std::string &to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(VerifyMode, ChecksTheDocumentsOfSolve) {
    scratchdir dir;
    writefile("D1.gpr", workedtext);
    const std::string solve = "solve D1.gpr --pctneg 50 --slack 10 --interest 0.01 --json";
    ran plain = program(solve);
    ASSERT_EQ(plain.status, 0) << plain.err;
    ran cert = program(solve + " --certificate");
    ASSERT_EQ(cert.status, 0) << cert.err;
    // The certificate is one more member at the end; the rest is unchanged.
    const size_t at = cert.out.find(",\n  \"certificate\": {\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(cert.out.substr(0, at) + "\n}\n", plain.out);
    // The value of 2->5 is 239 e^-0.15 at the end dummy's start 15: its
    // multiplier is 239.
    EXPECT_NE(cert.out.find("{\"from\": 2, \"to\": 5, \"lag\": 3, \"relation\": \"start(5) >= "
                            "start(2) + 3\", \"value\": 205.70920636"),
              std::string::npos);
    EXPECT_NE(cert.out.find("\"multiplier\": 239}"), std::string::npos);
    EXPECT_NE(cert.out.find("\"postponed\": [],\n    \"postponed_relations\": []\n  }\n}\n"),
              std::string::npos);
    writefile("r.json", cert.out);

    ran ok = program("verify D1.gpr r.json");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "optimal (certificate checked)\n");
    EXPECT_EQ(ok.err, "");
    ok = program("verify D1.gpr r.json --pctneg 50");
    EXPECT_EQ(ok.out, "optimal (certificate checked)\n");
    writefile("cf.txt", "0 -239 356 366 0\n");
    ok = program("verify D1.gpr r.json --cashflows=cf.txt");
    EXPECT_EQ(ok.out, "optimal (certificate checked)\n");

    // Altered documents: exit status 1 and one line.
    struct altered {
        std::string from, to, line;
    };
    const altered cases[] = {
        {"\"start\": 12,", "\"start\": 11,",
         "not optimal: tree arc 2->5 (start(5) >= start(2) + 3) does not bind: "
         "start(5) = 15, start(2) = 11\n"},
        {"\"value\": 205.7092063655888, \"multiplier\": 239}",
         "\"value\": -205.7092063655888, \"multiplier\": -239}", ""},
        {"\"multiplier\": 239}", "\"multiplier\": -239}", ""},
        {"      {\"from\": 3, \"to\": 4, \"lag\": 1, \"relation\": \"start(4) >= start(3) + 1\", "
         "\"value\": 348.14996936726135, \"multiplier\": 351.6489347297503},\n",
         "", ""},
        {"\"cashflow\": 356", "\"cashflow\": 357", ""},
        {"\"postponed\": []", "\"postponed\": [{\"activity\": 2, \"offset\": 0}]",
         "not optimal: activity 2 is postponed in the certificate, but not in the schedule\n"},
        {"\"status\": \"solved\"", "\"status\": \"limit reached\"",
         "not optimal: the result's status is 'limit reached', not solved\n"},
    };
    for (const altered &c : cases) {
        writefile("bad.json", replaced(cert.out, c.from, c.to));
        ran r = program("verify D1.gpr bad.json");
        EXPECT_EQ(r.status, 1) << c.to;
        EXPECT_EQ(r.out.rfind("not optimal: ", 0), 0u) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        if (!c.line.empty()) {
            EXPECT_EQ(r.out, c.line);
        }
    }
    writefile("cf.txt", "0 -239 356 365 0\n");
    ran r = program("verify D1.gpr r.json --cashflows cf.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "not optimal: activity 4 has the cash flow 366 in the result, 365 in cf.txt\n");

    // Bad use: exit status 2, one line on standard error, nothing else.
    writefile("plain.json", plain.out);
    writefile("broken.json", cert.out.substr(0, cert.out.size() / 2));
    writefile("other.json", "{\"status\": \"solved\"}");
    const std::string usage[] = {
        "verify D1.gpr",
        "verify D1.gpr r.json extra",
        "verify D1.gpr missing.json",
        "verify missing.gpr r.json",
        "verify D1.gpr plain.json",
        "verify D1.gpr broken.json",
        "verify D1.gpr other.json",
        "verify D1.gpr r.json --pctneg 101",
        "verify D1.gpr r.json --pctneg 5 --cashflows cf.txt",
        "verify D1.gpr r.json --seed 3",
        "verify D1.gpr r.json --format xyz",
        "verify D1.gpr r.json --interest 0.1",
        "solve D1.gpr --pctneg 50 --slack 10 --interest 0.01 --certificate",
    };
    for (const std::string &args : usage) {
        ran u = program(args);
        EXPECT_EQ(u.status, 2) << args;
        EXPECT_EQ(u.out, "") << args;
        EXPECT_EQ(u.err.rfind("maxnpv ", 0), 0u) << args << ": " << u.err;
        EXPECT_EQ(std::count(u.err.begin(), u.err.end(), '\n'), 1) << args << ": " << u.err;
    }
    EXPECT_NE(program("verify D1.gpr plain.json").err.find("carries no certificate"),
              std::string::npos);
}

TEST(VerifyMode, PostponedSetsAndBothNumberings) {
    scratchdir dir;
    // Activities 2 and 3 lead nowhere; with both negative they are put off.
    writefile("P.gpr", "5 0\n0 3 2 1 1 0 3 1 1 0 4 1 1 0\n0 1 3 1 1 2\n0 0\n1 1 5 1 3 0\n0 0\n");
    writefile("cf.txt", "0 -5 -7 9 0\n");
    for (const char *method : {"fast", "classic"}) {
        ran s = program(std::string("solve P.gpr --cashflows cf.txt --slack 3 --interest 0.02 "
                                    "--json --certificate --method ") +
                        method);
        ASSERT_EQ(s.status, 0) << s.err;
        const std::string later = "\"postponed\": [\n      {\"activity\": 2, \"offset\": 0},\n"
                                  "      {\"activity\": 3, \"offset\": 2}\n    ]";
        EXPECT_NE(s.out.find(later), std::string::npos) << s.out;
        // 2->3 binds inside the set and carries nothing: both are negative.
        EXPECT_NE(s.out.find("\"postponed_relations\": [\n      {\"from\": 2, \"to\": 3, "
                             "\"lag\": 2, \"relation\": \"start(3) >= start(2) + 2\", "
                             "\"value\": 0}\n    ]"),
                  std::string::npos)
            << s.out;
        writefile("p.json", s.out);
        ran v = program("verify P.gpr p.json --cashflows cf.txt");
        EXPECT_EQ(v.out, "optimal (certificate checked)\n") << method;
        // Not postponing 3 breaks nothing the schedule shows, but the
        // certificate lists it.
        writefile("q.json", replaced(s.out, ",\n      {\"activity\": 3, \"offset\": 2}", ""));
        EXPECT_EQ(program("verify P.gpr q.json").out,
                  "not optimal: activity 3 is not postponed in the certificate, but in the "
                  "schedule\n");
    }
    // A .sch file numbers activities from 0, and so do the reasons.
    const std::string sch = std::string(MAXNPV_TESTDATA) + "/sch/example.sch";
    ran s =
        program("solve '" + sch + "' --pctneg 40 --slack 5 --interest 0.01 --json --certificate");
    ASSERT_EQ(s.status, 0) << s.err;
    writefile("s.json", s.out);
    EXPECT_EQ(program("verify '" + sch + "' s.json --pctneg 40").out,
              "optimal (certificate checked)\n");
    writefile("t.json", replaced(s.out, "\"start\": 0,", "\"start\": -1,"));
    EXPECT_EQ(program("verify '" + sch + "' t.json").out,
              "not optimal: the start dummy (activity 0) starts at -1, not 0\n");
}

TEST(VerifyMode, DocumentsOfGeneratedInstances) {
    // Through the documents of solve, far starts and extreme values
    // included: every solved one verifies with the cash flows pinned.
    scratchdir dir;
    const char *shapes[] = {"adversarial", "window", "dense"};
    const int count = 60;
    int checked = 0;
    for (int s = 0; s < 3; s++) {
        const std::string folder = shapes[s];
        const std::string args = std::string(s == 0 ? "" : " --min-act 10 --max-act 60") +
                                 " --count " + std::to_string(count) + " --seed " +
                                 std::to_string(15 + s) + " --out " + folder + " --shape " +
                                 folder + " > /dev/null";
        ASSERT_EQ(std::system((std::string("'") + GPRGEN_BINARY + "'" + args).c_str()), 0);
        for (int k = 1; k <= count; k++) {
            const std::string file = folder + "/D" + std::to_string(k) + ".gpr";
            const std::string cf = " --pctneg " + std::to_string(20 + k % 70);
            const std::string deadline =
                k % 5 ? " --slack " + std::to_string(k % 7 * 5) : " --deadline-factor 1.3";
            ran solved = program(
                "solve " + file + cf + deadline + " --interest " + (k % 3 ? "0.01" : "0.05") +
                " --method " + (s == 0 || k % 2 ? "classic" : "fast") +
                (k % 2 ? "" : " --bound-all") + " --max-passes 100000 --json --certificate");
            if (solved.status != 0) continue; // not solved, or stopped by the limit
            writefile("r.json", solved.out);
            ran v = program("verify " + file + " r.json" + cf);
            EXPECT_EQ(v.status, 0) << file << ": " << v.out << v.err;
            EXPECT_EQ(v.out, "optimal (certificate checked)\n") << file;
            checked++;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(VerifyMode, EveryMemberIsCheckedAndShownSafely) {
    scratchdir dir;
    writefile("D1.gpr", workedtext);
    ran cert = program("solve D1.gpr --pctneg 50 --slack 10 --interest 0.01 --json --certificate");
    ASSERT_EQ(cert.status, 0) << cert.err;
    const std::string doc = cert.out;
    // Members that only the document states, each altered: exit status 1
    // and the line that names it; all of them at once are no better.
    struct altered {
        std::vector<std::pair<std::string, std::string>> edits;
        std::string line; // how the line starts
    };
    const std::string d3 = "\"discounted\": 348.95072769720485";
    const altered cases[] = {
        {{{"\"start\": 12, \"finish\": 15,", "\"start\": 12, \"finish\": 16,"}},
         "not optimal: activity 2 finishes at 16, not at its start 12 plus its duration 3\n"},
        {{{d3, "\"discounted\": 348.95"}},
         "not optimal: activity 3 has the discounted cash flow 348.94999999999999, but its cash "
         "flow discounted from its finish 2 is 348.950727697204"}, // 356 e^-0.02
        {{{"{\"from\": 3, \"to\": 4, \"lag\": 1},", "{\"from\": 3, \"to\": 4, \"lag\": 2},"}},
         "not optimal: arc 3 of the result is 3->4 with lag 2, but relation 3 of its certificate "
         "is 3->4 with lag 1\n"},
        {{{"    {\"from\": 3, \"to\": 4, \"lag\": 1},\n", ""}},
         "not optimal: the result lists 3 arcs, its certificate 4 relations\n"},
        {{{"\"relation\": \"start(4) >= start(3) + 1\"",
           "\"relation\": \"start(4) >= start(3) + 7\""}},
         "not optimal: certificate.relations[2] reads \"start(4) >= start(3) + 7\", but its "
         "from, to and lag make \"start(4) >= start(3) + 1\"\n"},
        {{{"\"start\": 12, \"finish\": 15,", "\"start\": 12, \"finish\": 16,"},
          {d3, "\"discounted\": 348"},
          {"{\"from\": 3, \"to\": 4, \"lag\": 1},", "{\"from\": 3, \"to\": 1, \"lag\": 1},"}},
         "not optimal: "},
        {{{"\"status\": \"solved\"", "\"status\": \"\\u001b[31mred\""}},
         "not optimal: the result's status is '\\x1b[31mred', not solved\n"},
    };
    for (const altered &c : cases) {
        std::string text = doc;
        for (const auto &[from, to] : c.edits) text = replaced(text, from, to);
        writefile("bad.json", text);
        ran r = program("verify D1.gpr bad.json");
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_EQ(r.out.rfind(c.line, 0), 0u) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    }
    // Documents that are not a solve's: exit status 2, one line that says
    // what, with no raw control byte.
    const altered refused[] = {
        {{{"\"method\": \"fast\",", "\"method\": \"fast\", \"note\": 1,"}},
         "an unknown member \"note\""},
        {{{"\"method\": \"fast\",", "\"method\": \"fast\", \"\\u001b[2J\": 1,"}},
         "an unknown member \"\\x1b[2J\""},
        {{{"\"passes\": 2,", "\"passes\": 2, \"passes\": 3,"}},
         "the member \"passes\" given twice"},
        {{{"\"reason\": null", "\"reason\": \"fine\""}}, "reason: not null in a solved result"},
        {{{"\"method\": \"fast\"", "\"method\": \"magic\""}}, "neither \"fast\" nor \"classic\""},
        {{{"\"npv\": 491.3914906988774", "\"npv\": null"}}, "npv: null in a solved result"},
        {{{"\"finish\": 2,", ""}}, "activities[2]: no member \"finish\""},
    };
    for (const altered &c : refused) {
        std::string text = doc;
        for (const auto &[from, to] : c.edits) text = replaced(text, from, to);
        writefile("bad.json", text);
        ran r = program("verify D1.gpr bad.json");
        EXPECT_EQ(r.status, 2) << r.out << r.err;
        EXPECT_NE(r.err.find(c.line), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    }
    // A file name is shown safely too.
    writefile("odd\x1b[2J.json", "{");
    ran odd = program("verify D1.gpr 'odd\x1b[2J.json'");
    EXPECT_EQ(odd.status, 2);
    EXPECT_EQ(odd.err.rfind("maxnpv verify: odd\\x1b[2J.json is not JSON: ", 0), 0u) << odd.err;

    // A document longer than a result of the instance can be is refused
    // before it is read.
    writefile("long.json", doc + std::string(1 << 20, ' '));
    ran lengthy = program("verify D1.gpr long.json");
    EXPECT_EQ(lengthy.status, 2);
    EXPECT_NE(lengthy.err.find("long.json holds 1050273 bytes"), std::string::npos) << lengthy.err;
    EXPECT_NE(lengthy.err.find("more than a result of D1.gpr (5 activities) can take"),
              std::string::npos)
        << lengthy.err;

    // A certificate of the solver's own whose values are below DBL_MIN
    // (a cash flow of -5e-320): value and multiplier agree as far as such
    // doubles can.
    writefile("T.gpr", "3 0\n0 1 2 1 3 0\n0 1 3 1 3 0\n0 0\n");
    writefile("tiny.txt", "0 -5e-320 0\n");
    ran tiny = program("solve T.gpr --cashflows tiny.txt --slack 17 --interest 0.05 --json "
                       "--certificate");
    ASSERT_EQ(tiny.status, 0) << tiny.err;
    writefile("tiny.json", tiny.out);
    EXPECT_EQ(program("verify T.gpr tiny.json --cashflows tiny.txt").out,
              "optimal (certificate checked)\n");
}

TEST(VerifyMode, ADocumentCostsAboutItsOwnSize) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer does not run under a limit of virtual memory";
#else
    // 30 MB of a list of numbers where the activities belong, for a chain
    // of 20,000 activities (whose results may be that long): read within
    // 300 MB of virtual memory, and refused with its reason.
    scratchdir dir;
    constexpr int n = 20000;
    std::string text = std::to_string(n) + " 0\n";
    for (int i = 0; i + 1 < n; i++) text += "1 1 " + std::to_string(i + 2) + " 1 1 1\n";
    text += "0 0\n";
    writefile("chain.gpr", text);
    std::string doc = "{\"activities\": [";
    for (int k = 0; k < 15000000; k++) doc += "0,";
    doc += "0]}";
    writefile("zeros.json", doc);
    doc = std::string();
    const std::string command = "ulimit -v 300000; setsid -w '" + std::string(MAXNPV_BINARY) +
                                "' verify chain.gpr zeros.json > out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(readfile("err.txt"), "maxnpv verify: zeros.json is not a result of maxnpv solve: "
                                   "line 1, column 17: activities[0]: not an object\n");
#endif
}
