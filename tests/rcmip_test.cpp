// The time-indexed MIP of gprlp --resources is the oracle that a
// resource-constrained solver is checked against, so it is checked itself
// by methods that share nothing with it: enumeration of every start vector
// of tiny random instances (tests/support/rcbrute), the LP model where no
// resource binds, optima worked out by hand, and the published makespans of
// UBO10 instances (feasible at the optimal makespan, infeasible one time unit
// below it). Every schedule it returns must pass the checker of
// tools/rcheck, which reads the instance file itself; and that checker must
// agree with the enumeration's own statement of feasibility on schedules
// near the optima.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "format/instformat.h"
#include "lpmodel.h"
#include "rawcheck.h"
#include "support/randominstance.h"
#include "support/rcbrute.h"
#include "support/rctiny.h"
#include "support/testsupport.h"

namespace {

// The rcbrute kind that a model outcome stands for.
rckind kindof(const lpresult &r) {
    switch (r.kind) {
    case lpsolved:
        return rckind::solved;
    case lpinfeasible:
        return r.byresources ? rckind::resources : rckind::relations;
    case lpunlinked:
        return rckind::unreached;
    case lpnotbounded:
        return rckind::notbounded;
    default:
        ADD_FAILURE() << "the model gave " << lpkindname(r.kind) << ": " << r.reason;
        return rckind::solved;
    }
}

const char *kindname(rckind k) {
    switch (k) {
    case rckind::solved:
        return "solved";
    case rckind::relations:
        return "relations";
    case rckind::resources:
        return "resources";
    case rckind::unreached:
        return "unreached";
    case rckind::notbounded:
        break;
    }
    return "not bounded";
}

lpoptions optionsof(const tinycase &c) {
    lpoptions opt;
    opt.cashflows = c.cf;
    opt.deadline = c.deadline;
    opt.interest = c.interest;
    return opt;
}

TEST(ResourceMip, MatchesEnumerationOnTinyInstances) {
    scratchdir dir;
    std::map<rckind, int> seen;
    int binding = 0, lps = 0;
    for (uint64_t seed = 1; seed <= 500; seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const tinycase c = tiny(seed);
        const std::string text = rcgprtext(c.p);
        SCOPED_TRACE(text);
        writefile("t.gpr", text);
        const lpresult mip = rcsolve("t.gpr", optionsof(c));
        const rcanswer brute = rcbrute(c.p, c.deadline, c.cf, c.interest);
        ASSERT_EQ(kindname(kindof(mip)), kindname(brute.kind)) << mip.reason;
        seen[brute.kind]++;
        if (brute.kind != rckind::solved) continue;
        const double scale = size(c.cf, c.p.dur, brute.start, c.interest);
        EXPECT_NEAR(mip.npv, (double)brute.npv, 1e-9 * scale);
        EXPECT_EQ(
            checked(text, rawformat::gpr, c.deadline, mip.schedule, c.cf, c.interest, mip.npv), "");
        EXPECT_EQ(checked(text, rawformat::gpr, c.deadline, brute.start, c.cf, c.interest,
                          (double)brute.npv),
                  "");

        // Without the resources the optimum is the LP's (when it is known
        // at a positive rate), and the resources bind when it is larger.
        rcproblem free = c.p;
        free.capacity.clear();
        for (auto &d : free.demand) d.clear();
        writefile("free.gpr", rcgprtext(free));
        const rcanswer unlimited = rcbrute(free, c.deadline, c.cf, c.interest);
        ASSERT_EQ(kindname(unlimited.kind), "solved");
        EXPECT_GE((double)unlimited.npv, (double)brute.npv - 1e-9 * scale);
        if ((double)unlimited.npv > (double)brute.npv + 1e-9 * scale) binding++;
        const lpresult freemip = rcsolve("free.gpr", optionsof(c));
        ASSERT_EQ(freemip.kind, lpsolved) << freemip.reason;
        EXPECT_NEAR(freemip.npv, (double)unlimited.npv, 1e-9 * scale);
        if (c.interest > 0) {
            const lpresult lp = lpsolve("free.gpr", optionsof(c));
            ASSERT_EQ(lp.kind, lpsolved) << lp.reason;
            EXPECT_NEAR(lp.npv, (double)unlimited.npv, 1e-9 * scale);
            lps++;
        }
    }
    std::printf("solved %d, resources %d, relations %d, not bounded %d; resources binding %d, "
                "LPs %d\n",
                seen[rckind::solved], seen[rckind::resources], seen[rckind::relations],
                seen[rckind::notbounded], binding, lps);
    // Every outcome is met, and the resources often decide the optimum.
    EXPECT_GE(seen[rckind::solved], 200);
    EXPECT_GE(seen[rckind::resources], 40);
    EXPECT_GE(seen[rckind::relations], 40);
    EXPECT_GE(seen[rckind::notbounded], 40);
    EXPECT_GE(binding, 60);
    EXPECT_GE(lps, 180);
}

// The raw checker and the enumeration's own statement of feasibility
// (difference constraints and a resource profile) must agree on every
// schedule near an optimum: each optimum of the tiny instances, moved by a
// time unit or two at one or two activities.
TEST(ResourceMip, CheckerAgreesWithTheEnumerationsFeasibility) {
    int accepted = 0, rejected = 0;
    for (uint64_t seed = 1; seed <= 300; seed++) {
        const tinycase c = tiny(seed);
        const rcanswer brute = rcbrute(c.p, c.deadline, c.cf, c.interest);
        if (brute.kind != rckind::solved) continue;
        const std::string text = rcgprtext(c.p);
        rawinstance inst;
        ASSERT_EQ(rawread(text, rawformat::gpr, &inst), "");
        testrng rng{seed * 7919};
        for (int k = 0; k < 20; k++) {
            std::vector<long long> s = brute.start;
            for (int moves = rng.range(1, 2); moves > 0; moves--)
                s[rng.below((int)s.size())] += rng.range(-2, 2);
            const std::string why = rawcheck(inst, c.deadline, s, {});
            ASSERT_EQ(why.empty(), rcfeasible(c.p, c.deadline, s))
                << text << "deadline " << c.deadline << ", checker: " << why;
            (why.empty() ? accepted : rejected)++;
        }
    }
    EXPECT_GE(accepted, 500);
    EXPECT_GE(rejected, 1000);
}

// Two activities of one resource unit that cannot overlap, and an activity
// that nothing ties to the end dummy.
//   activity 2: duration 2, cash flow 100;  activity 3: duration 3, cash
//   flow 100; both need the single unit; the deadline is 6, the rate 0.1.
// Without the resource both start at 0. With it, one must wait for the
// other: 2 first gives 100 e^-0.2 + 100 e^-0.5 = 142.52614127906153, 3
// first 100 e^-0.3 + 100 e^-0.5 = 134.73...; so 2 starts at 0 and 3 at 2.
// Activity 4 (duration 1, cash flow -50, no demand) follows the start
// dummy only: it has no latest start, and the model refuses the instance;
// with every activity bounded it finishes by the deadline, at 5..6, and
// adds -50 e^-0.6: 115.08555947436021.
TEST(ResourceMip, HandWorkedOptima) {
    scratchdir dir;
    writefile("two.gpr", "4 1 1\n"
                         "0 0  2  2 1 1 0  3 1 1 0\n"
                         "2 1  1  4 1 3 0\n"
                         "3 1  1  4 1 3 0\n"
                         "0 0  0\n");
    lpoptions opt;
    opt.cashflows = {0, 100, 100, 0};
    opt.deadline = 6;
    opt.interest = 0.1;
    lpresult r = rcsolve("two.gpr", opt);
    ASSERT_EQ(r.kind, lpsolved) << r.reason;
    EXPECT_NEAR(r.npv, 142.52614127906153, 1e-12);
    ASSERT_EQ(r.schedule.size(), 4u);
    EXPECT_EQ(r.schedule[1], 0); // the end dummy, of cash flow 0, may start at 5 or 6
    EXPECT_EQ(r.schedule[2], 2);

    writefile("loose.gpr", "5 1 1\n"
                           "0 0  3  2 1 1 0  3 1 1 0  4 1 1 0\n"
                           "2 1  1  5 1 3 0\n"
                           "3 1  1  5 1 3 0\n"
                           "1 0  0\n"
                           "0 0  0\n");
    opt.cashflows = {0, 100, 100, -50, 0};
    r = rcsolve("loose.gpr", opt);
    EXPECT_EQ(r.kind, lpnotbounded);
    EXPECT_NE(r.reason.find("activity 4 has no latest start"), std::string::npos) << r.reason;
    opt.boundall = true;
    r = rcsolve("loose.gpr", opt);
    ASSERT_EQ(r.kind, lpsolved) << r.reason;
    EXPECT_NEAR(r.npv, 115.08555947436021, 1e-12);
    EXPECT_EQ(r.schedule, (std::vector<long long>{0, 0, 2, 5, 6}));

    // A demand beyond the capacity, and a deadline that the relations miss.
    writefile("over.gpr", "3 1 2\n0 0  1  2 1 1 0\n1 3  1  3 1 3 0\n0 0  0\n");
    opt = lpoptions();
    opt.deadline = 5;
    r = rcsolve("over.gpr", opt);
    EXPECT_EQ(r.kind, lpinfeasible);
    EXPECT_TRUE(r.byresources);
    EXPECT_NE(r.reason.find("activity 2 needs 3 units of resource 1, which has 2"),
              std::string::npos)
        << r.reason;
    opt.deadline = 0;
    r = rcsolve("two.gpr", opt);
    EXPECT_EQ(r.kind, lpinfeasible);
    EXPECT_FALSE(r.byresources);

    // Negative resource values are refused with their line.
    writefile("neg.gpr", "3 1 2\n0 0  1  2 1 1 0\n1 -1  1  3 1 3 0\n0 0  0\n");
    r = rcsolve("neg.gpr", opt);
    EXPECT_EQ(r.kind, lpunreadable);
    EXPECT_NE(r.reason.find("line 3: the demand of activity 2 for resource 1 is -1"),
              std::string::npos)
        << r.reason;
}

TEST(ResourceMip, PublishedMakespansOfUbo10) {
    const std::string folder = std::string(MAXNPV_TESTDATA) + "/rcpsp/";
    std::ifstream list(folder + "optimum.csv");
    std::string line;
    std::getline(list, line); // header
    scratchdir dir;
    int unsat = 0, feasible = 0;
    while (std::getline(list, line)) {
        const std::string name = line.substr(0, line.find(',')),
                          optimum = line.substr(line.find(',') + 1);
        SCOPED_TRACE(name);
        const std::string sch = readfile(folder + name), gpr = schtogpr(sch);
        ASSERT_FALSE(gpr.empty());
        writefile("p.gpr", gpr);
        lpoptions opt;
        testrng rng{(uint64_t)feasible + 1};
        for (int i = 0; i < 12; i++) opt.cashflows.push_back(rng.range(-500, 500));
        opt.interest = 0.01;
        if (optimum == "unsat") {
            opt.slack = 0; // the critical path
            const lpresult r = rcsolve("p.gpr", opt);
            EXPECT_EQ(r.kind, lpinfeasible) << r.reason;
            EXPECT_TRUE(r.byresources);
            unsat++;
            continue;
        }
        const long long makespan = std::stoll(optimum);
        // No schedule ends before the least makespan; one ends there.
        opt.deadline = makespan - 1;
        lpresult r = rcsolve("p.gpr", opt);
        EXPECT_EQ(r.kind, lpinfeasible) << r.reason;
        opt.deadline = makespan;
        const lpresult tight = rcsolve("p.gpr", opt);
        ASSERT_EQ(tight.kind, lpsolved) << tight.reason;
        EXPECT_EQ(tight.schedule.back(), makespan);
        // A quarter more time: a schedule the checker accepts, worth at
        // least the tighter one (every schedule of the tighter deadline
        // still counts).
        opt.deadline = (makespan * 5 + 3) / 4;
        r = rcsolve("p.gpr", opt);
        ASSERT_EQ(r.kind, lpsolved) << r.reason;
        EXPECT_GE(r.npv, tight.npv - 1e-9 * std::fabs(tight.npv));
        EXPECT_EQ(
            checked(sch, rawformat::sch, *opt.deadline, r.schedule, opt.cashflows, 0.01, r.npv),
            "");
        feasible++;
    }
    EXPECT_EQ(unsat, 17);
    EXPECT_EQ(feasible, 10);
}

TEST(ResourceMip, LimitsReportTheBestScheduleAndABound) {
    // psp22 a quarter above its makespan takes GLPK some 40 nodes. Node
    // limits stop it at the same place on every run: whatever it has found
    // then must be a schedule that the checker accepts and that is no better
    // than the optimum, and the bound must hold for the optimum.
    scratchdir dir;
    const std::string sch = readfile(std::string(MAXNPV_TESTDATA) + "/rcpsp/psp22.sch");
    writefile("p.gpr", schtogpr(sch));
    lpoptions opt;
    testrng rng{22};
    for (int i = 0; i < 12; i++) opt.cashflows.push_back(rng.range(-500, 500));
    opt.interest = 0.01;
    opt.deadline = 39;
    const lpresult full = rcsolve("p.gpr", opt);
    ASSERT_EQ(full.kind, lpsolved) << full.reason;
    const double tolerance = 1e-9 * std::fabs(full.npv);
    int bounds = 0, schedules = 0;
    for (long long limit : {1, 2, 5, 10, 20}) {
        SCOPED_TRACE("node limit " + std::to_string(limit));
        opt.nodelimit = limit;
        const lpresult r = rcsolve("p.gpr", opt);
        if (r.kind == lpsolved) continue; // done before the limit
        ASSERT_EQ(r.kind, lplimit) << r.reason;
        if (r.hasbound) {
            bounds++;
            EXPECT_LE(full.npv, r.bound + tolerance);
        }
        if (!r.schedule.empty()) {
            schedules++;
            EXPECT_LE(r.npv, full.npv + tolerance);
            EXPECT_LE(r.npv, r.bound + tolerance);
            EXPECT_EQ(checked(sch, rawformat::sch, 40, r.schedule, opt.cashflows, 0.01, r.npv), "");
        }
    }
    EXPECT_GE(bounds, 3);
    EXPECT_GE(schedules, 1);
}

// gprlp itself, as a script runs it.
TEST(ResourceMip, CommandLine) {
    scratchdir dir;
    writefile("two.gpr", "4 1 1\n"
                         "0 0  2  2 1 1 0  3 1 1 0\n"
                         "2 1  1  4 1 3 0\n"
                         "3 1  1  4 1 3 0\n"
                         "0 0  0\n");
    writefile("cf.txt", "0 100 100 0\n");
    ran r = runbinary(GPRLP_BINARY,
                      "--resources --schedule --cashflows cf.txt --deadline 6 two.gpr 0 0 0.1");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream out(r.out);
    std::string first;
    std::getline(out, first);
    EXPECT_NEAR(std::stod(first), 142.52614127906153, 1e-12);
    EXPECT_NE(r.out.find("\nnodes "), std::string::npos);
    EXPECT_NE(r.out.find("\n1 0\n2 0\n3 2\n"), std::string::npos) << r.out;

    // Infeasible by the deadline, and by the resources.
    r = runbinary(GPRLP_BINARY, "--resources --cashflows cf.txt --deadline 4 two.gpr 0 0 0.1");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out.substr(0, 28), "infeasible\ncause resources\ng") << r.out;
    EXPECT_NE(r.err.find("the resources exclude every schedule"), std::string::npos) << r.err;
    r = runbinary(GPRLP_BINARY, "--resources --cashflows cf.txt --deadline 2 two.gpr 0 0 0.1");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out.substr(0, 28), "infeasible\ncause relations\ng") << r.out;

    // Not bounded; an interest rate of 0 is allowed with --resources only.
    writefile("loose.gpr", "4 1 1\n0 0  2  2 1 1 0  3 1 1 0\n1 1  1  4 1 3 0\n1 0  0\n0 0  0\n");
    r = runbinary(GPRLP_BINARY, "--resources loose.gpr 50 0 0");
    EXPECT_EQ(r.status, 6) << r.err;
    EXPECT_EQ(r.out.substr(0, 12), "not bounded\n");
    r = runbinary(GPRLP_BINARY, "--resources --bound-all loose.gpr 50 0 0");
    EXPECT_EQ(r.status, 0) << r.err;
    r = runbinary(GPRLP_BINARY, "loose.gpr 50 0 0");
    EXPECT_EQ(r.status, 1);

    // Bad use.
    r = runbinary(GPRLP_BINARY, "--time-limit 5 two.gpr 50 0 0.01");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--time-limit needs --resources"), std::string::npos) << r.err;
    r = runbinary(GPRLP_BINARY, "--node-limit 5 two.gpr 50 0 0.01");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--node-limit needs --resources"), std::string::npos) << r.err;
    r = runbinary(GPRLP_BINARY, "--resources --time-limit -1 two.gpr 50 0 0.01");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--time-limit needs a positive number"), std::string::npos) << r.err;

    // A limit: "limit", the best npv or none, the bound or none.
    const std::string hard = std::string(MAXNPV_TESTDATA) + "/rcpsp/psp59.sch";
    r = runbinary(GPRLP_BINARY,
                  "--resources --node-limit 30 --deadline 40 '" + hard + "' 50 0 0.01");
    EXPECT_EQ(r.status, 5) << r.err;
    std::istringstream limited(r.out);
    std::string kind, best, bound;
    std::getline(limited, kind);
    std::getline(limited, best);
    std::getline(limited, bound);
    EXPECT_EQ(kind, "limit");
    EXPECT_EQ(best.substr(0, 5), "best ");
    EXPECT_EQ(bound.substr(0, 6), "bound ");
    EXPECT_NE(r.err.find("the node limit of 30 ended the search"), std::string::npos) << r.err;
    r = runbinary(GPRLP_BINARY,
                  "--resources --time-limit 0.001 --deadline 80 '" + hard + "' 50 0 0.01");
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_EQ(r.out.substr(0, 6), "limit\n");

    // A .sch file with its resources; the schedule it prints is accepted.
    const std::string sch = std::string(MAXNPV_TESTDATA) + "/rcpsp/psp11.sch";
    r = runbinary(GPRLP_BINARY, "--resources --schedule --deadline 26 '" + sch + "' 50 0 0.01");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<long long> s;
    std::istringstream lines(r.out);
    for (std::string l; std::getline(lines, l);) {
        long long number, start;
        if (std::sscanf(l.c_str(), "%lld %lld", &number, &start) == 2 &&
            number == (long long)s.size() + 1)
            s.push_back(start);
    }
    ASSERT_EQ(s.size(), 12u) << r.out;
    EXPECT_EQ(
        checked(readfile(sch), rawformat::sch, 26, s, std::vector<double>(12, 0.0), 0.01, 0.0), "");
}

} // namespace
