// The resource-constrained search is checked against methods that share
// nothing with it: enumeration of every start vector of tiny random
// instances (support/rcbrute), the time-indexed MIP of gprlp --resources on
// UBO10 instances, and the published makespans of those instances; every
// schedule it returns goes through the checker of tools/rcheck, which reads
// the instance file itself. A search stopped by a limit must keep the
// anytime contract: a schedule it returns is feasible and no better than the
// optimum, its bound is no lower than the optimum, and no limit turns a
// proof into another answer.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "lpmodel.h"
#include "maxnpv/maxnpv.h"
#include "rawcheck.h"
#include "search/rcsearch.h"
#include "support/randominstance.h"
#include "support/rcbrute.h"
#include "support/rctiny.h"
#include "support/testsupport.h"

namespace {

maxnpv::network networkof(const std::string &text, const char *ext = ".gpr") {
    maxnpv::network net;
    std::string why;
    scratchdir dir;
    writefile(std::string("p") + ext, text);
    EXPECT_EQ(maxnpv::readnetwork(std::string("p") + ext, &net, &why), maxnpv::status::solved)
        << why;
    return net;
}

maxnpv::options resourceoptions(long long deadline, double interest, long long maxnodes = 0) {
    maxnpv::options opt;
    opt.interest = interest;
    opt.absolute = true;
    opt.deadline = deadline;
    opt.resources = true;
    opt.maxnodes = maxnodes;
    return opt;
}

std::vector<long long> startsof(const maxnpv::result &r) {
    return std::vector<long long>(r.start.begin(), r.start.end());
}

// The tolerance within which two values of one instance agree.
double tolerance(const tinycase &c, const std::vector<long long> &s) {
    return 1e-9 * std::max(1.0, size(c.cf, c.p.dur, s, c.interest));
}

TEST(ResourceSearch, TinyInstancesMatchEnumeration) {
    int solved = 0, byresources = 0, byrelations = 0, unreached = 0, limited = 0;
    for (uint64_t seed = 1; seed <= 700; seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const tinycase c = tiny(seed);
        const rcanswer want = rcbrute(c.p, c.deadline, c.cf, c.interest);
        if (want.kind == rckind::notbounded) continue; // postponed without limit: no oracle
        const std::string text = rcgprtext(c.p);
        const maxnpv::network net = networkof(text);
        const maxnpv::result r =
            maxnpv::solver().solve(net, c.cf, resourceoptions(c.deadline, c.interest));
        switch (want.kind) {
        case rckind::solved: {
            ASSERT_EQ(r.status, maxnpv::status::solved) << r.reason;
            const double tol = tolerance(c, want.start);
            EXPECT_NEAR(r.npv, (double)want.npv, tol);
            EXPECT_NEAR(r.bound, r.npv, tol);
            EXPECT_EQ(
                checked(text, rawformat::gpr, c.deadline, startsof(r), c.cf, c.interest, r.npv),
                "");
            solved++;
            // Every node limit keeps the anytime contract.
            for (long long most = 1; most < r.nodes; most++) {
                const maxnpv::result cut = maxnpv::solver().solve(
                    net, c.cf, resourceoptions(c.deadline, c.interest, most));
                ASSERT_TRUE(cut.status == maxnpv::status::solved ||
                            cut.status == maxnpv::status::limit)
                    << cut.reason;
                EXPECT_GE(cut.bound, (double)want.npv - tol);
                if (cut.status == maxnpv::status::solved) {
                    EXPECT_NEAR(cut.npv, r.npv, tol);
                }
                if (!cut.hasschedule) continue;
                EXPECT_LE(cut.npv, (double)want.npv + tol);
                EXPECT_EQ(checked(text, rawformat::gpr, c.deadline, startsof(cut), c.cf, c.interest,
                                  cut.npv),
                          "");
                limited += cut.status == maxnpv::status::limit;
            }
            break;
        }
        case rckind::resources:
            EXPECT_EQ(r.status, maxnpv::status::infeasible);
            EXPECT_NE(r.reason.find("resource"), std::string::npos) << r.reason;
            byresources++;
            break;
        case rckind::relations:
            EXPECT_EQ(r.status, maxnpv::status::infeasible);
            EXPECT_EQ(r.reason.find("resource"), std::string::npos) << r.reason;
            byrelations++;
            break;
        case rckind::unreached:
            EXPECT_EQ(r.status, maxnpv::status::notconnected) << r.reason;
            unreached++;
            break;
        case rckind::notbounded:
            break;
        }
    }
    // Every kind of outcome was met.
    EXPECT_GT(solved, 100);
    EXPECT_GT(byresources, 20);
    EXPECT_GT(byrelations, 20);
    EXPECT_GT(unreached, 0);
    EXPECT_GT(limited, 0);
}

// An activity that alone needs more than a capacity is named at once; the
// relations' own reasons say nothing of resources.
TEST(ResourceSearch, ReasonsSayWhatExcludesEverySchedule) {
    // Two activities of duration 2 in sequence, resource capacity 3.
    const std::string text = "4 1 3\n"
                             "0 0 1 2 1 3 0\n"
                             "2 4 1 3 1 3 0\n"
                             "2 1 1 4 1 3 0\n"
                             "0 0 0\n";
    const maxnpv::network net = networkof(text);
    const std::vector<double> cf = {0, 100, 100, 0};
    maxnpv::result r = maxnpv::solver().solve(net, cf, resourceoptions(10, 0.01));
    EXPECT_EQ(r.status, maxnpv::status::infeasible);
    EXPECT_NE(r.reason.find("activity 2 needs 4 units of resource 1, whose capacity is 3"),
              std::string::npos)
        << r.reason;
    // The relations alone miss the deadline.
    const std::string fits = "4 1 4\n"
                             "0 0 1 2 1 3 0\n"
                             "2 4 1 3 1 3 0\n"
                             "2 1 1 4 1 3 0\n"
                             "0 0 0\n";
    r = maxnpv::solver().solve(networkof(fits), cf, resourceoptions(3, 0.01));
    EXPECT_EQ(r.status, maxnpv::status::infeasible);
    EXPECT_EQ(r.reason.find("resource"), std::string::npos) << r.reason;
    // Two activities that may overlap but must not, both held in [0, 2]
    // by a maximal lag from the start dummy: the resources exclude them.
    const std::string held = "4 1 4\n"
                             "0 0 4 2 1 1 0 3 1 1 0 2 2 1 0 3 2 1 0\n"
                             "2 3 1 4 1 3 0\n"
                             "2 3 1 4 1 3 0\n"
                             "0 0 0\n";
    r = maxnpv::solver().solve(networkof(held), cf, resourceoptions(10, 0.01));
    EXPECT_EQ(r.status, maxnpv::status::infeasible);
    EXPECT_NE(r.reason.find("the resources exclude every schedule"), std::string::npos) << r.reason;
}

// UBO10 instances with the published makespans: those listed unsat are
// infeasible at their critical path, the others solved at a quarter above
// their least makespan with the optimum of the MIP (on a few, where the
// MIP is quick) and a schedule the checker accepts.
TEST(ResourceSearch, Ubo10AgainstTheMipAndThePublishedMakespans) {
    const std::string folder = std::string(MAXNPV_TESTDATA) + "/rcpsp/";
    std::ifstream list(folder + "optimum.csv");
    std::string line;
    std::getline(list, line); // header
    int unsat = 0, feasible = 0, mip = 0;
    while (std::getline(list, line)) {
        const std::string name = line.substr(0, line.find(',')),
                          optimum = line.substr(line.find(',') + 1);
        SCOPED_TRACE(name);
        const std::string sch = readfile(folder + name);
        const maxnpv::network net = networkof(sch, ".sch");
        const std::vector<double> cf = maxnpv::randomcashflows(net, 50);
        maxnpv::options opt = resourceoptions(0, 0.01);
        if (optimum == "unsat") {
            opt.absolute = false;
            opt.slack = 0; // the critical path
            const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
            EXPECT_EQ(r.status, maxnpv::status::infeasible) << r.reason;
            unsat++;
            continue;
        }
        const long long makespan = std::stoll(optimum);
        // Nothing ends before the least makespan; something ends there.
        opt.deadline = makespan - 1;
        EXPECT_EQ(maxnpv::solver().solve(net, cf, opt).status, maxnpv::status::infeasible);
        opt.deadline = makespan;
        EXPECT_EQ(maxnpv::solver().solve(net, cf, opt).status, maxnpv::status::solved);
        opt.deadline = (makespan * 5 + 3) / 4;
        const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
        ASSERT_EQ(r.status, maxnpv::status::solved) << r.reason;
        rawinstance inst;
        ASSERT_EQ(rawread(sch, rawformat::sch, &inst), "");
        rawclaim claim{cf, 0.01, r.npv};
        EXPECT_EQ(rawcheck(inst, opt.deadline, startsof(r), {}, &claim), "");
        feasible++;
        if (mip >= 4) continue;
        scratchdir dir;
        writefile("p.gpr", schtogpr(sch));
        lpoptions lp;
        lp.cashflows = cf;
        lp.deadline = opt.deadline;
        lp.interest = 0.01;
        const lpresult m = rcsolve("p.gpr", lp);
        ASSERT_EQ(m.kind, lpsolved) << m.reason;
        EXPECT_NEAR(r.npv, m.npv, 1e-7 * std::fabs(m.npv));
        mip++;
    }
    EXPECT_EQ(unsat, 17);
    EXPECT_EQ(feasible, 10);
}

} // namespace

// Any order drawn from an optimal schedule holds the optimum: enumerating
// the schedules that meet the instance's relations and the order's arcs,
// with the resources lifted, must give the resource-constrained optimum
// again, with a schedule that meets the resources. A holder chosen before it
// finished, or units handed on twice, would show as a better schedule that
// overloads a resource; an arc the schedule breaks, as a worse optimum.
TEST(ResourceSearch, DrawnOrdersOfAnOptimumHoldIt) {
    int checkedorders = 0;
    for (uint64_t seed = 1; seed <= 300; seed++) {
        const tinycase c = tiny(seed);
        const rcanswer want = rcbrute(c.p, c.deadline, c.cf, c.interest);
        if (want.kind != rckind::solved) continue;
        const int n = (int)c.p.dur.size(), nrres = (int)c.p.capacity.size();
        std::vector<int> demand(n * nrres);
        for (int i = 0; i < n; i++)
            for (int k = 0; k < nrres; k++) demand[i * nrres + k] = c.p.demand[i][k];
        gpr::rcmodel m;
        m.nract = n, m.nrres = nrres;
        m.dur = c.p.dur.data(), m.capacity = c.p.capacity.data(), m.demand = demand.data();
        const std::vector<int64_t> st(want.start.begin(), want.start.end());
        const std::vector<char> none(n, 0);
        gpr::rcchainwork work;
        std::vector<gpr::rcarc> arcs;
        for (uint64_t draw = 0; draw <= 3; draw++) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", draw " + std::to_string(draw));
            uint64_t noise = 0x51ED + draw;
            gpr::chainschedule(m, st, none, &work, &arcs, draw == 0 ? nullptr : &noise);
            rcproblem lifted = c.p;
            for (int &cap : lifted.capacity) cap = 1 << 20;
            for (const gpr::rcarc &a : arcs) lifted.entries.push_back({a.from, a.to, 1, 1, a.lag});
            const rcanswer got = rcbrute(lifted, c.deadline, c.cf, c.interest);
            ASSERT_EQ(got.kind, rckind::solved);
            EXPECT_NEAR((double)got.npv, (double)want.npv, tolerance(c, want.start));
            EXPECT_TRUE(rcfeasible(c.p, c.deadline, got.start));
            checkedorders++;
        }
    }
    EXPECT_GT(checkedorders, 200);
}
