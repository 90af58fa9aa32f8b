// The raw checker of tools/rcheck decides whether the schedules of the
// resource-constrained solver (and of the oracles) are feasible, so each of
// its rules is tried on hand-made instances with a schedule on the boundary
// (accepted) and one a time unit past it (rejected, with the rule named);
// its readers are tried on broken files; and it must accept every schedule
// that the solver and the LP model find for random instances of every odd
// kind (normalisation of listed pairs only, phantom pairs, activities before
// the project, postponed sets), whose feasibility they establish by other
// means. The rcheck program is run as a script runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lpmodel.h"
#include "maxnpv/maxnpv.h"
#include "rawcheck.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

using starts = std::vector<long long>;

// The checker's verdict on schedule s of the instance text; "unreadable: "
// and the reason when the text cannot be read.
std::string verdict(const std::string &text, long long deadline, const starts &s,
                    const std::vector<char> &postponed = {}, const rawclaim *claim = nullptr,
                    rawformat fmt = rawformat::gpr, bool boundall = false) {
    rawinstance inst;
    std::string why = rawread(text, fmt, &inst);
    if (!why.empty()) return "unreadable: " + why;
    return rawcheck(inst, deadline, s, postponed, claim, boundall);
}

bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// Activity 2 (duration 3) and activity 3 (duration 2) after the start dummy,
// before the end dummy, and the relation under test from 2 to 3 on line 3.
std::string pairtext(int bound, int type, int lag) {
    return "4 0\n"
           "0  2  2 1 1 0  3 1 1 0\n"
           "3  2  3 " +
           std::to_string(bound) + " " + std::to_string(type) + " " + std::to_string(lag) +
           "  4 1 3 0\n"
           "2  1  4 1 3 0\n"
           "0  0\n";
}

TEST(RawCheck, EveryRelationTypeInItsOwnTerms) {
    // Activity 2 starts at 2 and finishes at 5; the lag is 1. For each bound
    // and type: the start of activity 3 on the boundary, and one past it.
    struct relcase {
        int bound, type;
        long long ok, broken;
        const char *reason;
    };
    const relcase cases[] = {
        {1, 1, 3, 2,
         "minimal SS lag 1 from activity 2 to activity 3 is broken: start(3) = 2 is "
         "before start(2) = 2 plus 1"},
        {1, 2, 1, 0,
         "minimal SF lag 1 from activity 2 to activity 3 is broken: finish(3) = 2 is "
         "before start(2) = 2 plus 1"},
        {1, 3, 6, 5,
         "minimal FS lag 1 from activity 2 to activity 3 is broken: start(3) = 5 is "
         "before finish(2) = 5 plus 1"},
        {1, 4, 4, 3,
         "minimal FF lag 1 from activity 2 to activity 3 is broken: finish(3) = 5 is "
         "before finish(2) = 5 plus 1"},
        {2, 1, 3, 4,
         "maximal SS lag 1 from activity 2 to activity 3 is broken: start(3) = 4 is "
         "after start(2) = 2 plus 1"},
        {2, 2, 1, 2,
         "maximal SF lag 1 from activity 2 to activity 3 is broken: finish(3) = 4 is "
         "after start(2) = 2 plus 1"},
        {2, 3, 6, 7,
         "maximal FS lag 1 from activity 2 to activity 3 is broken: start(3) = 7 is "
         "after finish(2) = 5 plus 1"},
        {2, 4, 4, 5,
         "maximal FF lag 1 from activity 2 to activity 3 is broken: finish(3) = 7 is "
         "after finish(2) = 5 plus 1"},
    };
    for (const relcase &c : cases) {
        const std::string text = pairtext(c.bound, c.type, 1);
        SCOPED_TRACE(text);
        EXPECT_EQ(verdict(text, 20, {0, 2, c.ok, 10}), "");
        EXPECT_EQ(verdict(text, 20, {0, 2, c.broken, 10}), std::string("line 3: the ") + c.reason);
    }
    // Codes that imply nothing are no relation at all.
    EXPECT_EQ(verdict(pairtext(3, 1, 1), 20, {0, 2, 0, 10}), "");
    EXPECT_EQ(verdict(pairtext(1, 5, 1), 20, {0, 2, 0, 10}), "");
    // A relation of an activity with itself.
    EXPECT_EQ(verdict("3 0\n0 1 2 1 1 0\n2 2 3 1 3 0 2 1 1 1\n0 0\n", 20, {0, 0, 5}),
              "line 3: the minimal SS lag 1 from activity 2 to activity 2 is broken: start(2) = 0 "
              "is before start(2) = 0 plus 1");
}

TEST(RawCheck, DummiesDeadlineAndTheListedPairs) {
    const std::string text = pairtext(1, 1, 0);
    EXPECT_EQ(verdict(text, 10, {0, 2, 3, 10}), "");
    EXPECT_EQ(verdict(text, 10, {1, 2, 3, 10}), "the start dummy (activity 1) starts at 1, not 0");
    EXPECT_EQ(verdict(text, 9, {0, 2, 3, 10}),
              "the end dummy (activity 4) starts at 10, after the deadline 9");
    EXPECT_EQ(verdict(text, 10, {0, 2, 3}), "the schedule has 3 starts for 4 activities");

    // Activity 3 follows activity 2 by a lag of -5 only. Listed by the start
    // dummy through an entry that implies nothing, it starts at 0 or later;
    // unlisted, it may start before the project.
    const std::string listed = "4 0\n"
                               "0  2  2 1 1 0  3 3 1 0\n"
                               "3  2  3 1 1 -5  4 1 3 0\n"
                               "2  1  4 1 3 0\n"
                               "0  0\n";
    EXPECT_EQ(verdict(listed, 10, {0, 2, 0, 10}), "");
    EXPECT_EQ(verdict(listed, 10, {0, 2, -1, 10}),
              "line 2: activity 3 starts at -1, before the start dummy, which the pair (1, 3) of "
              "this line ties it to");
    const std::string unlisted = "4 0\n"
                                 "0  1  2 1 1 0\n"
                                 "3  2  3 1 1 -5  4 1 3 0\n"
                                 "2  1  4 1 3 0\n"
                                 "0  0\n";
    EXPECT_EQ(verdict(unlisted, 10, {0, 2, -3, 10}), "");
    // A maximal lag of activity 3 to the start dummy lists the reverse pair.
    const std::string reverse = "4 0\n"
                                "0  1  2 1 1 0\n"
                                "3  2  3 1 1 -5  4 1 3 0\n"
                                "2  2  4 1 3 0  1 2 1 10\n"
                                "0  0\n";
    EXPECT_EQ(verdict(reverse, 10, {0, 2, -1, 10}),
              "line 4: activity 3 starts at -1, before the start dummy, which the pair (1, 3) of "
              "this line ties it to");

    // A listed pair into the end dummy keeps its activity's finish before
    // the end dummy's start, whatever the relation's own lag says; an
    // activity that reaches the end dummy only through others need not.
    const std::string ends = "4 0\n"
                             "0  2  2 1 1 0  3 1 1 0\n"
                             "3  2  4 1 1 0  3 1 1 0\n"
                             "1  1  4 1 3 0\n"
                             "0  0\n";
    EXPECT_EQ(verdict(ends, 10, {0, 2, 2, 5}), "");
    EXPECT_EQ(verdict(ends, 10, {0, 2, 2, 4}),
              "line 3: activity 2 finishes at 5, after the end dummy starts at 4, which the pair "
              "(2, 4) of this line ties it to");
    const std::string through = "4 0\n"
                                "0  2  2 1 1 0  3 1 1 0\n"
                                "3  1  3 1 1 0\n"
                                "1  1  4 1 3 0\n"
                                "0  0\n";
    EXPECT_EQ(verdict(through, 10, {0, 2, 2, 3}), "");

    // Under bound-all every activity is held so, listed or not.
    EXPECT_EQ(verdict(through, 10, {0, 2, 2, 3}, {}, nullptr, rawformat::gpr, true),
              "activity 2 finishes at 5, after the end dummy starts at 3, which bound-all ties "
              "every activity to");
    EXPECT_EQ(verdict(unlisted, 10, {0, 2, -3, 10}, {}, nullptr, rawformat::gpr, true),
              "activity 3 starts at -3, before the start dummy, which bound-all ties every "
              "activity to");
    EXPECT_EQ(verdict(through, 10, {0, 2, 2, 5}, {}, nullptr, rawformat::gpr, true), "");
}

TEST(RawCheck, ResourcesAtEveryTime) {
    // Resource 1 has 2 units, resource 2 has 1. Activity 2 (duration 3)
    // needs 2 and 0, activity 3 (duration 2) 1 and 1, activity 4 (duration 0)
    // 9 and 9, which it never uses.
    const std::string text = "5 2 2 1\n"
                             "0 0 0  3  2 1 1 0  3 1 1 0  4 1 1 0\n"
                             "3 2 0  1  5 1 3 0\n"
                             "2 1 1  1  5 1 3 0\n"
                             "0 9 9  1  5 1 3 0\n"
                             "0 0 0  0\n";
    EXPECT_EQ(verdict(text, 10, {0, 0, 3, 1, 5}), ""); // 3 starts as 2 finishes
    EXPECT_EQ(verdict(text, 10, {0, 1, 3, 1, 5}),
              "resource 1 is used 3 at time 3, more than its capacity 2 (activity 2 needs 2, "
              "activity 3 needs 1)");
    EXPECT_EQ(verdict(text, 10, {0, 0, 2, 1, 5}),
              "resource 1 is used 3 at time 2, more than its capacity 2 (activity 2 needs 2, "
              "activity 3 needs 1)");
    // Resource 2: a second activity of 1 unit beside activity 3.
    const std::string two = "5 2 9 1\n"
                            "0 0 0  3  2 1 1 0  3 1 1 0  4 1 1 0\n"
                            "3 2 1  1  5 1 3 0\n"
                            "2 1 1  1  5 1 3 0\n"
                            "0 9 9  1  5 1 3 0\n"
                            "0 0 0  0\n";
    EXPECT_EQ(verdict(two, 10, {0, 0, 2, 1, 6}),
              "resource 2 is used 2 at time 2, more than its capacity 1 (activity 2 needs 1, "
              "activity 3 needs 1)");
    EXPECT_EQ(verdict(two, 10, {0, 0, 3, 1, 6}), "");
}

TEST(RawCheck, PostponedActivities) {
    // Activity 3 follows activity 2 and is tied to the end dummy only when
    // the text says so; activity 2 bounds it from below only.
    const std::string free = "4 1 2\n"
                             "0 0  1  2 1 1 0\n"
                             "3 1  2  4 1 3 0  3 1 1 0\n"
                             "2 2  0\n"
                             "0 0  0\n";
    const std::vector<char> third = {0, 0, 1, 0};
    EXPECT_EQ(verdict(free, 10, {0, 0, 0, 3}, third), "");
    // ... and does not overflow a resource there: it needs 2 of 2.
    const std::string big = "4 1 2\n"
                            "0 0  1  2 1 1 0\n"
                            "3 1  2  4 1 3 0  3 1 1 0\n"
                            "2 3  0\n"
                            "0 0  0\n";
    EXPECT_EQ(verdict(big, 10, {0, 0, 0, 3}, third),
              "the postponed activity 3 needs 3 units of resource 1, which has 2");
    // Postponing activity 2, which a relation holds before the end dummy,
    // is wrong; so is postponing an activity that a listed pair (here
    // through an entry that implies nothing) ties to the end dummy, or a
    // dummy.
    EXPECT_EQ(verdict(free, 10, {0, 0, 0, 3}, {0, 1, 1, 0}),
              "line 3: the minimal FS lag 0 from activity 2 to activity 4 bounds the postponed "
              "activity 2 by activity 4, which is not postponed");
    const std::string tied = "4 0\n"
                             "0  2  2 1 1 0  3 1 1 0\n"
                             "3  1  4 1 3 0\n"
                             "2  1  4 3 1 0\n"
                             "0  0\n";
    EXPECT_EQ(verdict(tied, 10, {0, 0, 0, 3}, third),
              "line 4: activity 3 is postponed, after the end dummy starts at 3, which the pair "
              "(3, 4) of this line ties it to");
    const std::string chain = "4 0\n"
                              "0  1  2 1 1 0\n"
                              "3  1  3 1 1 0\n"
                              "2  0\n"
                              "0  0\n";
    EXPECT_EQ(verdict(chain, 10, {0, 0, 3, 3}, {0, 1, 0, 0}),
              "line 3: the minimal SS lag 0 from activity 2 to activity 3 bounds the postponed "
              "activity 2 by activity 3, which is not postponed");
    EXPECT_EQ(verdict(chain, 10, {0, 0, 3, 3}, {0, 1, 1, 0}), "");
    EXPECT_EQ(verdict(chain, 10, {0, 0, 3, 3}, {0, 0, 0, 1}),
              "the end dummy (activity 4) is postponed");
}

TEST(RawCheck, ClaimedNetPresentValue) {
    // Activity 2 (duration 3, cash flow 100) at 2, activity 3 (duration 2,
    // cash flow -40) at 3, interest 0.1: 100 e^-0.5 - 40 e^-0.5 = 60 e^-0.5.
    const std::string text = pairtext(1, 1, 0);
    rawclaim claim{{0, 100, -40, 0}, 0.1, 60 * std::exp(-0.5)};
    EXPECT_EQ(verdict(text, 10, {0, 2, 3, 10}, {}, &claim), "");
    claim.npv += 1e-6;
    EXPECT_TRUE(has(verdict(text, 10, {0, 2, 3, 10}, {}, &claim), "the claimed npv 36.39"));
    // A postponed activity's cash flow is left out.
    const std::string open = "4 0\n"
                             "0  2  2 1 1 0  3 1 1 0\n"
                             "3  1  4 1 3 0\n"
                             "2  0\n"
                             "0  0\n";
    claim.npv = 100 * std::exp(-0.5);
    EXPECT_EQ(verdict(open, 10, {0, 2, 0, 10}, {0, 0, 1, 0}, &claim), "");
}

TEST(RawCheck, ProgenMaxFiles) {
    // Two real activities and one resource of 3 units, numbered from 0.
    const std::string sch = "2\t1\t0\t0\n"
                            "0\t1\t2\t1\t2\t[-2]\t[0]\n"
                            "1\t1\t1\t3\t[2]\n"
                            "2\t1\t1\t3\t[-4]\n"
                            "3\t1\t0\n"
                            "0\t1\t0\t0\n"
                            "1\t1\t4\t2\n"
                            "2\t1\t3\t2\n"
                            "3\t1\t0\t0\n"
                            "3\n";
    EXPECT_EQ(verdict(sch, 20, {0, 0, 4, 7}, {}, nullptr, rawformat::sch), "");
    EXPECT_EQ(verdict(sch, 20, {0, 2, 6, 3}, {}, nullptr, rawformat::sch),
              "line 3: the minimal SS lag 2 from activity 1 to activity 3 is broken: start(3) = 3 "
              "is before start(1) = 2 plus 2");
    EXPECT_EQ(verdict(sch, 20, {0, 0, 3, 7}, {}, nullptr, rawformat::sch),
              "resource 1 is used 4 at time 3, more than its capacity 3 (activity 1 needs 2, "
              "activity 2 needs 2)");
    // Listed from the start dummy by a lag of -2: no start before 0 all
    // the same.
    EXPECT_EQ(verdict(sch, 20, {0, -1, 4, 7}, {}, nullptr, rawformat::sch),
              "line 2: activity 1 starts at -1, before the start dummy, which the pair (0, 1) of "
              "this line ties it to");
}

TEST(RawCheck, RejectedFilesNameTheLine) {
    rawinstance inst;
    EXPECT_EQ(rawread("4 0\n0 1 2 1 1 0\nx\n", rawformat::gpr, &inst),
              "line 3: expected the duration of activity 2 (a whole number), found \"x\"");
    EXPECT_EQ(rawread("4 0\n0 1 2 1 1 0\n", rawformat::gpr, &inst),
              "line 2: expected the duration of activity 2, found the end of the file");
    EXPECT_EQ(rawread("4 0\n0 1 9 1 1 0\n", rawformat::gpr, &inst),
              "line 2: the successor of entry 1 of activity 1 is 9, expected 1 to 4");
    EXPECT_EQ(rawread("3 1 2\n0 0 0\n1 -1 0\n0 0 0\n", rawformat::gpr, &inst),
              "line 3: the demand of activity 2 for resource 1 is -1, expected 0 to 2147483647");
    EXPECT_EQ(rawread("2 0\n0 0\n0 0\n7\n", rawformat::gpr, &inst),
              "line 4: expected the end of the file after the last activity, found \"7\"");
    EXPECT_EQ(rawread("1 0\n", rawformat::gpr, &inst),
              "line 1: the activity count is 1, expected 2 to 2147483647");
    EXPECT_EQ(rawread("0 0 1 0\n", rawformat::sch, &inst),
              "line 1: the number of non-renewable resources is 1, expected 0 to 0");
    EXPECT_EQ(rawread("0 1 0 0\n0 1 1 1 [0]\n1 1 0\n0 1 0 0\n1 1 0 0\n", rawformat::sch, &inst),
              "line 6: expected the capacity line, found the end of the file");
    EXPECT_EQ(rawread("0 0 0 0\n0 1 1 1 0\n", rawformat::sch, &inst),
              "line 2: the lag of successor 1 of activity 0 is \"0\", expected a whole number in "
              "brackets");
    EXPECT_EQ(rawread("0 0 0 0\n1 1 0\n", rawformat::sch, &inst),
              "line 2: the activity number is 1, expected 0 to 0");
}

// The solver's schedules and the LP model's for random instances of every
// kind are feasible by other means (the LP cross-check and maxnpv verify
// test them); the checker must accept them all, npv included.
TEST(RawCheck, AcceptsTheSchedulesOfTheSolverAndTheLp) {
    scratchdir dir;
    int solved = 0, postponed = 0, boundall = 0;
    for (int plant = plantnone; plant <= plantshortend; plant++) {
        for (uint64_t seed = 1; seed <= 40; seed++) {
            const std::string text = randominstance(seed * 31 + plant, (plantkind)plant, 14, 40);
            SCOPED_TRACE(text);
            maxnpv::network net;
            std::string why;
            ASSERT_EQ(maxnpv::parsegpr(text, &net, &why), maxnpv::status::solved) << why;
            maxnpv::options run;
            run.interest = 0.01 * (1 + seed % 5);
            run.slack = (long long)(seed % 7);
            const std::vector<double> cf = maxnpv::randomcashflows(net, (int)(seed * 13 % 101));
            const maxnpv::result r = maxnpv::solver().solve(net, cf, run);
            if (r.status != maxnpv::status::solved) continue;
            std::vector<char> away(r.start.size());
            for (size_t i = 0; i < away.size(); i++) away[i] = r.unbounded[i];
            rawclaim claim{cf, run.interest, r.npv};
            EXPECT_EQ(verdict(text, r.deadline, r.start, away, &claim), "");
            solved++;
            for (char a : away) postponed += a;

            writefile("D1.gpr", text);
            lpoptions opt;
            opt.cashflows = cf;
            opt.slack = run.slack;
            opt.interest = run.interest;
            const lpresult lp = lpsolve("D1.gpr", opt);
            ASSERT_EQ(lp.kind, lpsolved) << lp.reason;
            starts s(lp.schedule.begin(), lp.schedule.end());
            for (size_t i = 0; i < s.size(); i++) {
                away[i] = s[i] == lpunbounded;
                if (away[i]) s[i] = 0;
            }
            claim.npv = lp.npv;
            EXPECT_EQ(verdict(text, lp.deadline, s, away, &claim), "");

            // Under bound-all, which the checker must then apply.
            run.boundall = true;
            const maxnpv::result bounded = maxnpv::solver().solve(net, cf, run);
            if (bounded.status != maxnpv::status::solved) continue;
            for (size_t i = 0; i < away.size(); i++) away[i] = bounded.unbounded[i];
            claim.npv = bounded.npv;
            EXPECT_EQ(
                verdict(text, bounded.deadline, bounded.start, away, &claim, rawformat::gpr, true),
                "");
            boundall++;
        }
    }
    EXPECT_GE(boundall, 200);
    EXPECT_GE(solved, 250);
    EXPECT_GE(postponed, 20);
}

// rcheck as a benchmark script runs it.
TEST(RawCheck, CommandLine) {
    scratchdir dir;
    // One resource of 2 units that activities 2 and 3 (2 units each) cannot
    // share; without the resource the solver overlaps them.
    writefile("r.gpr", "4 1 2\n"
                       "0 0  2  2 1 1 0  3 1 1 0\n"
                       "3 2  1  4 1 3 0\n"
                       "2 2  1  4 1 3 0\n"
                       "0 0  0\n");
    writefile("cf.txt", "0 100 100 0\n");
    ran r = runbinary(MAXNPV_BINARY,
                      "solve r.gpr --cashflows cf.txt --deadline 9 --interest 0.01 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    writefile("solved.json", r.out);
    r = runbinary(RCHECK_BINARY, "r.gpr solved.json");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "rejected: resource 1 is used 4 at time 0, more than its capacity 2 "
                     "(activity 2 needs 2, activity 3 needs 2)\n");

    // Without resources the same schedule is accepted, as JSON and as CSV.
    writefile("f.gpr", "4 0\n"
                       "0  2  2 1 1 0  3 1 1 0\n"
                       "3  1  4 1 3 0\n"
                       "2  1  4 1 3 0\n"
                       "0  0\n");
    r = runbinary(MAXNPV_BINARY, "solve f.gpr --cashflows cf.txt --deadline 9 --interest 0.01 "
                                 "--json --schedule s.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    writefile("f.json", r.out);
    r = runbinary(RCHECK_BINARY, "f.gpr f.json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "accepted\n");
    r = runbinary(RCHECK_BINARY, "--deadline 9 f.gpr s.csv");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "accepted\n");
    r = runbinary(RCHECK_BINARY, "--bound-all --deadline 9 f.gpr s.csv");
    EXPECT_EQ(r.status, 0) << r.err;
    r = runbinary(RCHECK_BINARY, "--deadline 2 f.gpr s.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "rejected: the end dummy (activity 4) starts at 3, after the deadline 2\n");
    r = runbinary(RCHECK_BINARY, "--deadline 9 --interest 0.01 --npv 1 f.gpr -", readfile("s.csv"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, 28), "rejected: the claimed npv 1 ");

    // A document without a schedule, a CSV without a deadline, a result of
    // another instance, bad use.
    r = runbinary(MAXNPV_BINARY,
                  "solve f.gpr --cashflows cf.txt --deadline 1 --interest 0.01 --json");
    writefile("none.json", r.out);
    r = runbinary(RCHECK_BINARY, "f.gpr none.json");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "no schedule: status infeasible\n");
    r = runbinary(RCHECK_BINARY, "f.gpr s.csv");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "rcheck: the deadline is unknown: give --deadline\n");
    writefile("g.gpr", "4 0\n0 2 2 1 1 0 3 1 1 0\n4 1 4 1 3 0\n2 1 4 1 3 0\n0 0\n");
    r = runbinary(RCHECK_BINARY, "g.gpr f.json");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "rejected: activity 2 has the duration 3 in the result, 4 in the file\n");
    r = runbinary(RCHECK_BINARY, "f.gpr");
    EXPECT_EQ(r.status, 2);
    r = runbinary(RCHECK_BINARY, "--deadline x f.gpr s.csv");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "rcheck: --deadline needs a whole number\n");
    writefile("bad.json", "{\"activities\": [}");
    r = runbinary(RCHECK_BINARY, "f.gpr bad.json");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "bad.json: the result is not JSON: byte 17")) << r.err;
    writefile("bad.gpr", "4 0\n0 2 2 1 1 0 3 1 1 0\n3 1 4 1 3\n");
    r = runbinary(RCHECK_BINARY, "bad.gpr f.json");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "rcheck: bad.gpr: line 3: expected the lag of entry 1 of activity 2, found "
                     "the end of the file\n");

    // A .sch file: its results number the activities from 0.
    const std::string sch = std::string(MAXNPV_TESTDATA) + "/sch/nores.sch";
    r = runbinary(MAXNPV_BINARY,
                  "solve '" + sch + "' --pctneg 50 --slack 3 --interest 0.01 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    writefile("sch.json", r.out);
    r = runbinary(RCHECK_BINARY, "'" + sch + "' sch.json");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
}

} // namespace
