// Checks of results under renewable resources: the library's resource step
// on a hand-built network, and maxnpv verify on documents of solve
// --resources, altered ones judged against rcheck (which reads the instance
// itself) and against use counted time unit by time unit here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "support/testsupport.h"
#include "verify/certjson.h"

namespace {

// Capacities 3 and 4. Activity 2 (duration 2) needs 2 and 1, 3 (duration
// 3) 3 and 1, 4 (duration 0) 5 and 9, beyond both capacities, 5 (duration
// 1) 1 and 3; each follows the start dummy and leads to the end dummy.
const char twotext[] = "6 2 3 4\n0 0 0 4 2 1 3 0 3 1 3 0 4 1 3 0 5 1 3 0\n2 2 1 1 6 1 3 0\n"
                       "3 3 1 1 6 1 3 0\n0 5 9 1 6 1 3 0\n1 1 3 1 6 1 3 0\n0 0 0 0\n";

// "feasible" or the reason of checkschedule under the resources, deadline
// the end dummy's start, no cash flows.
std::string scheduleof(const maxnpv::network &net, const std::vector<long long> &start,
                       maxnpv::status st = maxnpv::status::solved, bool hasschedule = true) {
    maxnpv::result r;
    r.status = st;
    r.hasschedule = hasschedule;
    r.start = start;
    r.unbounded.assign(start.size(), false);
    r.unbounded[1] = start[1] < 0; // a start below 0 marks activity 2 postponed
    maxnpv::options opt;
    opt.absolute = true;
    opt.deadline = start.back();
    opt.resources = true;
    std::string why;
    const maxnpv::verdict v =
        maxnpv::checkschedule(net, std::vector<double>(start.size(), 0), opt, r, &why);
    return v == maxnpv::verdict::feasible ? "feasible" : why;
}

} // namespace

TEST(ResourceCheck, TheSweepOfAHandBuiltNetwork) {
    maxnpv::network net;
    ASSERT_EQ(maxnpv::parsegpr(twotext, &net, nullptr), maxnpv::status::solved);
    const long long far = 1000000000000000;
    const struct {
        std::vector<int> capacities;
        std::vector<long long> start;
        std::string says;
    } cases[] = {
        // 2 finishes at 2 where 3 starts, 3 at 5 where 5 starts: neither pair
        // meets; 4 at 2 needs more than either capacity, but runs no time.
        {{3, 4}, {0, 0, 2, 2, 5, 6}, "feasible"},
        {{3, 4},
         {0, 0, 1, 2, 5, 6},
         "resource 1 is overloaded at time 1: the running activities 2, 3 need 5 of its capacity "
         "3"},
        {{2, 4},
         {0, 0, 2, 2, 5, 6},
         "resource 1 is overloaded at time 2: the running activity 3 needs 3 of its capacity 2"},
        {{4, 3},
         {0, 0, 2, 2, 4, 6},
         "resource 2 is overloaded at time 4: the running activities 3, 5 need 4 of its capacity "
         "3"},
        // Times no walk over time units could reach.
        {{3, 4}, {0, 0, far - 4, 0, far - 1, far}, "feasible"},
        {{3, 4},
         {0, 0, far - 3, 0, far - 1, far},
         "resource 1 is overloaded at time 999999999999999: the running activities 3, 5 need 4 "
         "of its capacity 3"},
        {{-1, 4}, {0, 0, 2, 2, 5, 6}, "the capacity of resource 1 is -1, below 0"},
    };
    for (const auto &c : cases) {
        maxnpv::network at = net;
        at.capacities = c.capacities;
        EXPECT_EQ(scheduleof(at, c.start), c.says);
    }
    EXPECT_EQ(scheduleof(net, {0, 0, 2, 2, 5, 6}, maxnpv::status::limit), "feasible");
    EXPECT_EQ(scheduleof(net, {0, 0, 2, 2, 5, 6}, maxnpv::status::limit, false),
              "the result's status is 'limit reached' and holds no schedule");

    // Activity 2 (duration 4) leads nowhere and is put off: it uses nothing,
    // but must fit the capacity alone.
    maxnpv::parsegpr("3 1 1\n0 0 2 2 1 3 0 3 1 3 0\n4 1 0\n0 0 0\n", &net, nullptr);
    EXPECT_EQ(scheduleof(net, {0, -1, 5}), "feasible");
    net.capacities = {0};
    EXPECT_EQ(scheduleof(net, {0, -1, 5}),
              "activity 2 is postponed, but needs 1 of resource 1, more than its capacity 0: no "
              "schedule can run it");

    // With all cash flows positive the optimum without resources starts
    // everything at 0, using 6 and 5: within capacities of 6 and 5 it is the
    // optimum under them, within 3 and 4 it is not.
    ASSERT_EQ(maxnpv::parsegpr(twotext, &net, nullptr), maxnpv::status::solved);
    const std::vector<double> cf{0, 10, 20, 5, 30, 0};
    maxnpv::options opt;
    opt.slack = 2;
    const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
    ASSERT_EQ(std::vector<long long>(r.start.begin(), r.start.end() - 1),
              std::vector<long long>(5, 0));
    opt.resources = true;
    std::string why;
    EXPECT_EQ(maxnpv::verify(net, cf, opt, r, &why), maxnpv::verdict::rejected);
    EXPECT_EQ(why, "resource 1 is overloaded at time 0: the running activities 2, 3, 5 need 6 of "
                   "its capacity 3");
    net.capacities = {6, 5};
    EXPECT_EQ(maxnpv::verify(net, cf, opt, r, &why), maxnpv::verdict::optimal) << why;
}

namespace {

const std::string rcpsp = std::string(MAXNPV_TESTDATA) + "/rcpsp/";

ran program(const std::string &args) {
    return runbinary(MAXNPV_BINARY, args);
}

std::string replaced(std::string text, const std::string &from, const std::string &to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The start of activity k (numbered from 0) in a document.
long long startof(const std::string &doc, size_t k) {
    const size_t line = doc.find("{\"activity\": " + std::to_string(k) + ",");
    return std::atoll(doc.c_str() + doc.find("\"start\": ", line) + 9);
}

// The text solve writes for activity k's start and finish.
std::string timed(const maxnpv::network &net, size_t k, long long start) {
    return "\"start\": " + std::to_string(start) +
           ", \"finish\": " + std::to_string(start + net.durations[k]) + ",";
}

// rcheck's "rejected: resource K is used U at time T, more than its capacity
// C (activity a needs x, ...)" as verify says it; "" for another rejection.
std::string asverify(const std::string &rcheck) {
    const size_t used = rcheck.find(" is used "), at = rcheck.find(" at time "),
                 more = rcheck.find(", more than its capacity "), open = rcheck.find(" (");
    if (rcheck.rfind("rejected: resource ", 0) != 0 || more == std::string::npos) return "";
    std::string running;
    int count = 0;
    for (size_t a = rcheck.find("activity ", open); a != std::string::npos;
         a = rcheck.find("activity ", a + 1))
        running += (count++ ? ", " : " ") + std::to_string(std::atoll(rcheck.c_str() + a + 9));
    return rcheck.substr(0, used) + " is overloaded at time " +
           rcheck.substr(at + 9, more - at - 9) + ": the running " +
           (count == 1 ? "activity" : "activities") + running +
           (count == 1 ? " needs " : " need ") + rcheck.substr(used + 9, at - used - 9) +
           " of its capacity " + rcheck.substr(more + 25, open - more - 25) + "\n";
}

} // namespace

TEST(ResourceVerify, DocumentsOfSolveAndAlteredOnes) {
    scratchdir dir;
    const std::string common = " --pctneg 50 --interest 0.01 --json --certificate";
    // psp11 at twice its critical path: the optimum without resources
    // overloads them (rcheck says so), so the search's schedule comes without
    // a certificate; at 1.5 times psp25's that optimum meets them; psp20
    // stopped after three nodes has a schedule and a gap; psp15 no schedule.
    const std::string runs[][3] = {
        {"psp11.sch", " --resources --deadline-factor 2", "feasible (schedule checked)"},
        {"psp25.sch", " --resources --deadline-factor 1.5", "optimal (certificate checked)"},
        {"psp20.sch", " --resources --deadline-factor 1.5 --node-limit 3",
         "feasible (schedule checked)"},
        {"psp11.sch", " --deadline-factor 2", "optimal (certificate checked)"},
        {"psp15.sch", " --resources --deadline-factor 2",
         "rejected: the result's status is 'infeasible' and holds no schedule"},
    };
    for (const auto &run : runs) {
        writefile("r.json", program("solve " + rcpsp + run[0] + run[1] + common).out);
        const ran check = runbinary(RCHECK_BINARY, rcpsp + run[0] + " r.json");
        const bool resources = run[1].find("--resources") != std::string::npos;
        if (run[0] != "psp15.sch") {
            EXPECT_EQ(check.out.rfind(resources ? "accepted" : "rejected: resource 1 is used", 0),
                      0u)
                << run[0] << run[1] << ": " << check.out;
        }
        const ran v = program("verify " + rcpsp + run[0] + " r.json --pctneg 50");
        EXPECT_EQ(v.out, run[2] + "\n") << run[0] << run[1] << ": " << v.err;
        EXPECT_EQ(v.status, run[2][0] == 'r' ? 1 : 0);
    }

    const std::string file = rcpsp + "psp11.sch";
    maxnpv::network net;
    ASSERT_EQ(maxnpv::readnetwork(file, &net, nullptr), maxnpv::status::solved);
    const std::string doc =
        program("solve " + file + " --resources --deadline-factor 2" + common).out;
    auto verify = [&](const std::string &text) {
        writefile("bad.json", text);
        return program("verify " + file + " bad.json --pctneg 50");
    };
    // An activity moved by one time unit so that the relations still hold
    // but a resource is overloaded, as rcheck finds it.
    std::string moved;
    for (size_t i = 1; i + 1 < net.durations.size() && moved.empty(); i++)
        for (long long delta : {1, -1}) {
            const long long s = startof(doc, i);
            writefile("bad.json", replaced(doc, timed(net, i, s), timed(net, i, s + delta)));
            moved = asverify(runbinary(RCHECK_BINARY, file + " bad.json").out);
            if (moved.empty()) continue;
            EXPECT_EQ(program("verify " + file + " bad.json").out, moved) << i << " by " << delta;
            break;
        }
    EXPECT_NE(moved, "");

    // Each resource's peak, counted unit by unit up to the deadline.
    std::vector<long long> peak(5, 0);
    for (long long t = 0; t < 48; t++)
        for (size_t k = 0; k < 5; k++) {
            long long use = 0;
            for (size_t i = 0; i < net.durations.size(); i++)
                if (startof(doc, i) <= t && t < startof(doc, i) + net.durations[i])
                    use += net.demands[i][k];
            peak[k] = std::max(peak[k], use);
        }
    const std::string peaks = "[" + std::to_string(peak[0]) + ", " + std::to_string(peak[1]);
    const std::string three = "\"demands\": [" + std::to_string(net.demands[3][0]) + ",";
    const std::string cases[][2] = {
        {replaced(doc, "\"capacities\": [12, 13", "\"capacities\": [12, 14"),
         "the result states the capacity 14 of resource 2, the instance 13"},
        {replaced(doc, "\"capacities\": [12, 13, 13, 12, 11]", "\"capacities\": [12]"),
         "the result states 1 capacities, the instance has 5 resources"},
        {replaced(doc, three, "\"demands\": [99,"),
         "activity 3 needs 99 of resource 1 in the result, " + std::to_string(net.demands[3][0]) +
             " in the instance"},
        {replaced(doc, "\"peak\": " + peaks, "\"peak\": [99, " + std::to_string(peak[1])),
         "the result states the peak use 99 of resource 1, but its schedule's is " +
             std::to_string(peak[0])},
        {replaced(doc, "\"gap\": 0,", "\"gap\": 0.01,"),
         "the gap 0.01 is not (bound - npv) / max(|bound|, |npv|) = 0"},
        {replaced(doc, "\"bound\": ", "\"bound\": 900.5, \"x\": "),
         "the bound 900.5 is below the npv "},
        {replaced(doc, "\"bound\": ", "\"bound\": 2000.5, \"x\": "),
         "the result is solved, but its bound 2000.5 is not its npv "},
        {replaced(doc, "\"npv\": ", "\"npv\": 900.5, \"x\": "),
         "the npv 900.5 is not the schedule's value "},
    };
    for (const auto &c : cases) {
        std::string text = c[0];
        const size_t x = text.find(", \"x\": "); // the number replaced
        if (x != std::string::npos) text.erase(x, text.find(',', x + 2) - x);
        const ran v = verify(text);
        EXPECT_EQ(v.status, 1) << c[1];
        EXPECT_EQ(v.out.rfind("rejected: " + c[1], 0), 0u) << v.out << v.err;
    }

    // What a solve does not write is no result of one: exit status 2.
    const std::string plain = program("solve " + file + " --deadline-factor 2" + common).out;
    const std::string refused[][2] = {
        {replaced(doc, "\"resources\": true", "\"resources\": false"), "resources: not true"},
        {replaced(doc, "\"time_limit\": 60", "\"time_limit\": 0"), "time_limit: not above 0"},
        {replaced(doc, "\"gap\": 0,", "\"gap\": null,"), "gap: null in a result with a schedule"},
        {replaced(doc, ", \"demands\": [0, 0, 0, 0, 0]}", "}"),
         "an activity without \"demands\" in a result under the resources"},
        {replaced(plain, "\"passes\": ", "\"nodes\": 3, \"passes\": "),
         "nodes: given without \"resources\""},
    };
    for (const auto &r : refused) {
        const ran v = verify(r[0]);
        EXPECT_EQ(v.status, 2) << r[1];
        EXPECT_NE(v.err.find(r[1]), std::string::npos) << v.err;
    }

    // Of demand lists longer than the instance has resources, only that many
    // are kept.
    std::string longer = doc;
    for (size_t at = 0; (at = longer.find("\"demands\": [", at)) != std::string::npos; at += 12)
        longer.insert(at + 12, "7, 7, 7, ");
    gpr::certdoc cert;
    std::string why;
    ASSERT_TRUE(gpr::readcertdoc(longer, gpr::certlimitsof(net), &cert, &why)) << why;
    EXPECT_EQ(cert.demands.size(), 5 * net.durations.size());
    EXPECT_EQ(cert.demandcount[0], 8u);
    EXPECT_FALSE(gpr::checkresources(cert, net, &why));
    EXPECT_EQ(why, "activity 0 has 8 demands in the result, one per resource of the instance's 5");
}

TEST(ResourceVerify, AHandMadeInstanceWhoseOptimumWithoutResourcesFitsThem) {
    // Activities 2 and 3 (+100 each, duration 2) need 1 unit each of the one
    // resource of capacity 2, and 4 (-50, duration 3) needs 2. The deadline
    // is 8 (critical path 3 plus 5): 2 and 3 run over [0, 2), 4 as late as
    // it can, over [5, 8). That meets the resource, so it is the optimum
    // under it too.
    scratchdir dir;
    writefile("T.gpr", "5 1 2\n0 0 3 2 1 3 0 3 1 3 0 4 1 3 0\n2 1 1 5 1 3 0\n2 1 1 5 1 3 0\n"
                       "3 2 1 5 1 3 0\n0 0 0\n");
    writefile("cf.txt", "0 100 100 -50 0\n");
    const ran solve = program("solve T.gpr --cashflows cf.txt --slack 5 --interest 0.01 --json "
                              "--certificate --resources");
    ASSERT_EQ(solve.status, 0) << solve.err;
    writefile("r.json", solve.out);
    EXPECT_EQ(program("verify T.gpr r.json --cashflows cf.txt").out,
              "optimal (certificate checked)\n");
    // 4 over [1, 4) still meets every relation and the deadline, but meets
    // 2 and 3 at time 1.
    writefile("bad.json",
              replaced(solve.out, "\"start\": 5, \"finish\": 8,", "\"start\": 1, \"finish\": 4,"));
    const ran v = program("verify T.gpr bad.json --cashflows cf.txt");
    EXPECT_EQ(v.status, 1);
    EXPECT_EQ(v.out, "rejected: resource 1 is overloaded at time 1: the running activities 2, 3, 4 "
                     "need 4 of its capacity 2\n");

    // Under a capacity of 1, 2 (+50) and 4 (+40) cannot both start at 0, so
    // the search's schedule stands without a certificate; 3 (-10) leads
    // nowhere and is put off, using nothing.
    writefile("P.gpr", "5 1 1\n0 0 3 2 1 3 0 3 1 3 0 4 1 3 0\n2 1 1 5 1 3 0\n4 1 0\n"
                       "2 1 1 5 1 3 0\n0 0 0\n");
    writefile("cf.txt", "0 50 -10 40 0\n");
    writefile("p.json", program("solve P.gpr --cashflows cf.txt --slack 4 --interest 0.05 --json "
                                "--certificate --resources")
                            .out);
    EXPECT_NE(readfile("p.json").find("\"unbounded\": true"), std::string::npos);
    EXPECT_EQ(program("verify P.gpr p.json --cashflows cf.txt").out,
              "feasible (schedule checked)\n");
}
