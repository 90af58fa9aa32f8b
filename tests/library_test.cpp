// The library used the wrong way: a moved-from solver, null pointers,
// values at the ends of their types, a network whose parts do not match,
// enum values outside the enums, and allocations that fail. Each must come
// back as a status with a reason (under the sanitizers: without undefined
// behaviour), never as a crash or an exception.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "support/testsupport.h"

namespace {

// Allocations of failfrom bytes or more throw while set; 0: none do.
size_t failfrom = 0;

const std::string example = readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr");
const std::vector<double> examplecf = {0, -239.5, 356, 366.25, 0};
constexpr long long examplecp = 5; // the example's critical path length

maxnpv::options exampleoptions() {
    maxnpv::options opt;
    opt.interest = 0.01;
    opt.slack = 5;
    return opt;
}

maxnpv::network examplenet() {
    maxnpv::network net;
    std::string why;
    EXPECT_EQ(maxnpv::parsegpr(example, &net, &why), maxnpv::status::solved) << why;
    return net;
}

// A chain of n activities of duration 1, each a start-to-start lag of 1
// after the one before.
maxnpv::network chain(int n) {
    maxnpv::network net;
    net.durations.assign(n, 1);
    net.entries.resize(n);
    for (int i = 0; i + 1 < n; i++) net.entries[i].push_back({i + 2, 1, 1, 1});
    return net;
}

} // namespace

// Every allocation of the test program comes here, so that one can fail on
// purpose. The replacements pair malloc with free, which GCC's check of
// new against delete cannot see through once they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void *operator new(size_t size) {
    if (failfrom != 0 && size >= failfrom) throw std::bad_alloc();
    if (void *p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void *operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete[](void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void *p, size_t) noexcept {
    std::free(p);
}

TEST(Library, MovedFromSolverStartsAfresh) {
    const maxnpv::network net = examplenet();
    maxnpv::solver a;
    ASSERT_EQ(a.solve(net, examplecf, exampleoptions()).status, maxnpv::status::solved);
    maxnpv::solver b(std::move(a));
    // The moved-from solver has no earlier solve to resolve, and solves anew.
    maxnpv::result again = a.resolve(examplecf, exampleoptions());
    EXPECT_EQ(again.status, maxnpv::status::invalid);
    EXPECT_EQ(again.reason, "resolve needs an earlier solve of a network");
    maxnpv::result fresh = a.solve(net, examplecf, exampleoptions());
    maxnpv::result moved = b.resolve(examplecf, exampleoptions());
    ASSERT_EQ(fresh.status, maxnpv::status::solved) << fresh.reason;
    ASSERT_EQ(moved.status, maxnpv::status::solved) << moved.reason;
    EXPECT_EQ(fresh.start, moved.start);
    maxnpv::solver c;
    c = std::move(b);
    EXPECT_EQ(b.solve(net, examplecf, exampleoptions()).start, fresh.start);
    // One lag and one multiplier per tree arc.
    EXPECT_EQ(fresh.treelag.size(), fresh.tree.size());
    EXPECT_EQ(fresh.multiplier.size(), fresh.tree.size());
}

TEST(Library, NullPointersAreAStatus) {
    scratchdir dir;
    writefile("D1.gpr", example);
    std::string why;
    EXPECT_EQ(maxnpv::readnetwork("D1.gpr", nullptr, &why), maxnpv::status::invalid);
    EXPECT_EQ(why, "no network to read into (a null pointer)");
    why.clear();
    EXPECT_EQ(maxnpv::parsegpr(example, nullptr, &why), maxnpv::status::invalid);
    EXPECT_EQ(why, "no network to read into (a null pointer)");
    why.clear();
    EXPECT_EQ(maxnpv::parsenetwork(example, nullptr, &why), maxnpv::status::invalid);
    EXPECT_EQ(why, "no network to read into (a null pointer)");
    // Without a place for the reason the status alone comes back.
    maxnpv::network net;
    EXPECT_EQ(maxnpv::readnetwork("D1.gpr", &net, nullptr), maxnpv::status::solved);
    EXPECT_EQ(net.durations, (std::vector<int>{0, 3, 2, 4, 0}));
    EXPECT_EQ(maxnpv::readnetwork("missing.gpr", &net, nullptr), maxnpv::status::notfound);
    EXPECT_EQ(maxnpv::parsegpr("5 x", &net, nullptr), maxnpv::status::invalid);
    EXPECT_EQ(maxnpv::parsenetwork("", nullptr, nullptr), maxnpv::status::invalid);
}

TEST(Library, AFileNameWithANulByteIsRefused) {
    // The system would read "D1.gpr", the part before the NUL.
    scratchdir dir;
    writefile("D1.gpr", example);
    maxnpv::network net;
    std::string why;
    const std::string name("D1.gpr\0/../other.gpr", 21);
    EXPECT_EQ(maxnpv::readnetwork(name, &net, &why), maxnpv::status::notfound);
    EXPECT_EQ(why, "cannot open the file: its name holds a NUL byte");
    EXPECT_TRUE(net.durations.empty());
}

TEST(Library, ValuesAtTheEndsOfTheirTypes) {
    const maxnpv::network net = examplenet();
    maxnpv::options opt = exampleoptions();
    // The deadline is the critical path plus the slack, and must fit 64 bits.
    opt.slack = LLONG_MAX;
    maxnpv::result r = maxnpv::solver().solve(net, examplecf, opt);
    EXPECT_EQ(r.status, maxnpv::status::invalid);
    EXPECT_EQ(r.reason, "the critical path 5 plus the slack 9223372036854775807 does not fit 64 "
                        "bits");
    // The largest slack that fits: activity 2, the only negative cash flow,
    // is bounded by the deadline alone and goes beyond any discount.
    opt.slack = LLONG_MAX - examplecp;
    r = maxnpv::solver().solve(net, examplecf, opt);
    ASSERT_EQ(r.status, maxnpv::status::solved) << r.reason;
    EXPECT_EQ(r.deadline, LLONG_MAX);
    EXPECT_NEAR(r.npv, 356 * std::exp(-0.02) + 366.25 * std::exp(-0.05), 1e-9);
    // The smallest slack fits too: a deadline before the critical path.
    opt.slack = LLONG_MIN;
    EXPECT_EQ(maxnpv::solver().solve(net, examplecf, opt).status, maxnpv::status::infeasible);

    // Successor numbers outside 1..n, at the ends of int.
    for (int to : {INT_MIN, 0, 6, INT_MAX}) {
        SCOPED_TRACE(to);
        maxnpv::network bad = net;
        bad.entries[0][0].successor = to;
        r = maxnpv::solver().solve(bad, examplecf, exampleoptions());
        EXPECT_EQ(r.status, maxnpv::status::invalid);
        EXPECT_EQ(r.reason, "the successor number of entry 1 of activity 1 is " +
                                std::to_string(to) + ", expected 1 to 5");
    }
    // Lags and durations at the ends of int are refused by the checks.
    maxnpv::network wide = net;
    wide.entries[1][0].lag = INT_MIN;
    EXPECT_EQ(maxnpv::solver().solve(wide, examplecf, exampleoptions()).status,
              maxnpv::status::invalid);
    wide = net;
    wide.durations[2] = INT_MAX;
    EXPECT_EQ(maxnpv::solver().solve(wide, examplecf, exampleoptions()).status,
              maxnpv::status::invalid);
}

TEST(Library, MismatchedPartsAndUnknownEnumValues) {
    maxnpv::network net = examplenet();
    // A sixth row of entries for five activities: its relation would be lost.
    net.entries.push_back({{1, 1, 1, 0}});
    maxnpv::result r = maxnpv::solver().solve(net, examplecf, exampleoptions());
    EXPECT_EQ(r.status, maxnpv::status::invalid);
    EXPECT_EQ(r.reason,
              "the network has 6 rows of entries for 5 activities (one row per activity at most)");
    // Fewer rows: the activities without a row have no entries.
    net = chain(4);
    net.entries.resize(3);
    EXPECT_EQ(maxnpv::solver().solve(net, {0, 1, 1, 0}, exampleoptions()).status,
              maxnpv::status::solved);

    EXPECT_STREQ(maxnpv::statusname(static_cast<maxnpv::status>(-1)), "unknown");
    EXPECT_STREQ(maxnpv::statusname(static_cast<maxnpv::status>(7)), "unknown");
    EXPECT_STREQ(maxnpv::statusname(static_cast<maxnpv::status>(INT_MAX)), "unknown");
    EXPECT_STREQ(maxnpv::statusname(maxnpv::status::limit), "limit reached");
    EXPECT_STREQ(maxnpv::methodname(static_cast<maxnpv::method>(2)), "unknown");
    EXPECT_STREQ(maxnpv::methodname(static_cast<maxnpv::method>(INT_MIN)), "unknown");
    // An unknown method is no crash either: the solve takes the default.
    maxnpv::options opt = exampleoptions();
    opt.method = static_cast<maxnpv::method>(9);
    EXPECT_EQ(maxnpv::solver().solve(examplenet(), examplecf, opt).status, maxnpv::status::solved);
}

TEST(Library, FailedAllocationsAreAStatus) {
    // 200000 activities: every per-activity array is well above a megabyte.
    constexpr int n = 200000;
    constexpr size_t megabyte = 1 << 20;
    const maxnpv::network net = chain(n);
    const std::vector<double> cf(n, 1.0);
    std::string text = std::to_string(n) + " 0\n";
    for (int i = 0; i + 1 < n; i++) text += "1 1 " + std::to_string(i + 2) + " 1 1 1\n";
    text += "0 0\n";
    maxnpv::solver s;
    maxnpv::result r;
    maxnpv::network read;
    std::string why;
    maxnpv::status gpr, any;
    failfrom = megabyte;
    r = s.solve(net, cf, exampleoptions());
    gpr = maxnpv::parsegpr(text, &read, &why);
    any = maxnpv::parsenetwork(text, &read, nullptr);
    failfrom = 0;
    EXPECT_EQ(r.status, maxnpv::status::invalid);
    EXPECT_EQ(r.reason, "cannot allocate memory for 200000 activities");
    EXPECT_EQ(gpr, maxnpv::status::invalid);
    EXPECT_EQ(why, "cannot allocate memory for 200000 activities");
    EXPECT_EQ(any, maxnpv::status::invalid);
    // A ProGen/max header of a million values is counted, not stored: its
    // count is refused without the 32 MB that a million strings would take
    // (the 2 MB text may be copied).
    std::string header;
    for (int k = 0; k < 1000000; k++) header += "1 ";
    header += "\n";
    failfrom = 8 * megabyte;
    any = maxnpv::parsenetwork(header, &read, &why, 0, maxnpv::format::sch);
    failfrom = 0;
    EXPECT_EQ(any, maxnpv::status::invalid);
    EXPECT_NE(why.find("the header has 1000000 values, expected 4"), std::string::npos) << why;
    // The solver forgot the failed solve and works once memory is back.
    EXPECT_EQ(s.resolve(cf, exampleoptions()).status, maxnpv::status::invalid);
    r = s.solve(examplenet(), examplecf, exampleoptions());
    EXPECT_EQ(r.status, maxnpv::status::solved) << r.reason;
}

TEST(Library, CommandLineOutOfMemoryEndsWithTheReason) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer does not run under a limit of virtual memory";
#else
    // A chain of 600000 activities under a limit of 200 MB of virtual memory:
    // the solve cannot get its memory, and says so instead of aborting.
    scratchdir dir;
    constexpr int n = 600000;
    std::string text = std::to_string(n) + " 0\n";
    for (int i = 0; i + 1 < n; i++) text += "1 1 " + std::to_string(i + 2) + " 1 1 1\n";
    text += "0 0\n";
    writefile("chain.gpr", text);
    const std::string command = "ulimit -v 200000; setsid -w '" + std::string(MAXNPV_BINARY) +
                                "' solve chain.gpr --pctneg 50 --slack 5 --interest 0.01 --json "
                                "> out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string out = readfile("out.txt"), err = readfile("err.txt");
    EXPECT_TRUE(out.find("\"reason\": \"cannot allocate memory for 600000 activities\"") !=
                    std::string::npos ||
                err == "maxnpv: cannot allocate memory\n")
        << out.substr(0, 300) << err;
#endif
}

TEST(Library, ANetworkSaysHowItsReasonsNumberTheActivities) {
    // A .sch file numbers its activities from 0, the others from 1; the
    // unreached activity 2 of the file below is named so. No other first
    // number is taken.
    const std::string sch = "2\t1\t0\t0\n0\t1\t1\t1\t[0]\n1\t1\t1\t3\t[1]\n"
                            "2\t1\t1\t3\t[1]\n3\t1\t0\n\n"
                            "0\t1\t0\t0\n1\t1\t1\t1\n2\t1\t1\t1\n3\t1\t0\t0\n4\n";
    maxnpv::network net;
    ASSERT_EQ(maxnpv::parsenetwork(sch, &net, nullptr, 0, maxnpv::format::sch),
              maxnpv::status::solved);
    EXPECT_EQ(net.firstnumber, 0);
    maxnpv::solver s;
    const std::vector<double> cf(net.durations.size(), 1.0);
    maxnpv::result r = s.solve(net, cf, {});
    EXPECT_EQ(r.status, maxnpv::status::notconnected);
    EXPECT_EQ(r.reason, "activities not connected: no chain of relations leads from the start "
                        "dummy to activity 2");
    net.firstnumber = 1;
    r = s.solve(net, cf, {});
    EXPECT_EQ(r.reason, "activities not connected: no chain of relations leads from the start "
                        "dummy to activity 3");
    net.firstnumber = 2;
    r = s.solve(net, cf, {});
    EXPECT_EQ(r.status, maxnpv::status::invalid);
    EXPECT_EQ(r.reason, "the first activity number is 2, expected 0 or 1");
}

TEST(Library, CountsTheActivitiesTheDeadlineDoesNotBound) {
    // 1 -> 2 (SS 0), 1 -> 3 (SS 0), 2 -> 4 (SS 3): activity 2 (duration 3)
    // reaches the end dummy by a lag that covers its duration; activity 3
    // (duration 2) reaches nothing, so the deadline does not bound it.
    maxnpv::network net;
    net.durations = {0, 3, 2, 0};
    net.entries = {{{2, 1, 1, 0}, {3, 1, 1, 0}}, {{4, 1, 1, 3}}, {}, {}};
    maxnpv::solver s;
    EXPECT_EQ(s.notbounded(), -1); // nothing solved yet
    const std::vector<double> cf = {0, 10, -10, 0};
    ASSERT_EQ(s.solve(net, cf, exampleoptions()).status, maxnpv::status::solved);
    EXPECT_EQ(s.notbounded(), 1);
    maxnpv::options bounded = exampleoptions();
    bounded.boundall = true;
    ASSERT_EQ(s.solve(net, cf, bounded).status, maxnpv::status::solved);
    EXPECT_EQ(s.notbounded(), 0);
    // 3 -> 2 (SS 1) closes a cycle of length 1 with 2 -> 3 (SS 0): no
    // feasible schedule, nothing analysed.
    net.entries = {{{2, 1, 1, 0}}, {{3, 1, 1, 0}, {4, 1, 1, 3}}, {{2, 1, 1, 1}}, {}};
    EXPECT_EQ(s.solve(net, cf, exampleoptions()).status, maxnpv::status::infeasible);
    EXPECT_EQ(s.notbounded(), -1);
}

// The renewable resources travel with the network: read from the file, and
// checked when a caller's network is solved (fewer rows than activities and
// empty rows are zero demands; more rows, rows of another length and
// negative values are invalid, the activities named as the network numbers
// them).
TEST(Library, ResourcesOfANetwork) {
    maxnpv::network net = examplenet(); // examples/D1.gpr: "5 1 10", demands 0 2 3 1 0
    EXPECT_EQ(net.capacities, std::vector<int>{10});
    EXPECT_EQ(net.demands, (std::vector<std::vector<int>>{{0}, {2}, {3}, {1}, {0}}));
    maxnpv::network bare;
    ASSERT_EQ(maxnpv::parsegpr("2 0\n0 1 2 1 1 0\n0 0\n", &bare, nullptr), maxnpv::status::solved);
    EXPECT_TRUE(bare.capacities.empty());
    EXPECT_TRUE(bare.demands.empty());
    // Of a .sm file the renewable resources only: the columns of its
    // non-renewable and doubly constrained resources are left out.
    maxnpv::network mixed;
    std::string why;
    ASSERT_EQ(maxnpv::readnetwork(MAXNPV_TESTDATA "/sm/mixed-resources.sm", &mixed, &why),
              maxnpv::status::solved)
        << why;
    EXPECT_EQ(mixed.capacities, (std::vector<int>{6, 5}));
    EXPECT_EQ(mixed.demands, (std::vector<std::vector<int>>{
                                 {0, 0}, {3, 1}, {2, 0}, {0, 4}, {5, 2}, {1, 1}, {0, 0}}));

    maxnpv::network fewer = examplenet();
    fewer.capacities = {4, 0};
    fewer.demands = {{0, 0}, {}, {5, 9}};
    const maxnpv::result solved = maxnpv::solver().solve(fewer, examplecf, exampleoptions());
    EXPECT_EQ(solved.status, maxnpv::status::solved) << solved.reason;

    const struct {
        std::vector<int> capacities;
        std::vector<std::vector<int>> demands;
        int firstnumber;
        const char *reason;
    } bad[] = {
        {{10},
         {{0}, {2}, {3}, {1}, {0}, {0}},
         1,
         "the network has 6 rows of demands for 5 activities (one row per activity at most)"},
        {{10},
         {{0}, {2, 1}},
         1,
         "the demands of activity 2 hold 2 values, expected 1 (one per "
         "capacity)"},
        {{},
         {{0}, {2}},
         0,
         "the demands of activity 0 hold 1 values, expected 0 (one per "
         "capacity)"},
        {{10, -1}, {}, 1, "the capacity of resource 2 is -1, expected 0 or more"},
        {{10, 3},
         {{0, 0}, {1, -3}},
         0,
         "the demand of activity 1 for resource 2 is -3, expected 0 or more"},
    };
    for (const auto &b : bad) {
        SCOPED_TRACE(b.reason);
        net = examplenet();
        net.capacities = b.capacities;
        net.demands = b.demands;
        net.firstnumber = b.firstnumber;
        maxnpv::result r = maxnpv::solver().solve(net, examplecf, exampleoptions());
        EXPECT_EQ(r.status, maxnpv::status::invalid);
        EXPECT_EQ(r.reason, b.reason);
    }
}
