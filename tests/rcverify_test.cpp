// Checks of results under renewable resources: the resource step of the
// library's check on hand-built networks (ties at equal times, activities of
// duration 0, far-off times, postponed activities, resources of the wrong
// form), and maxnpv verify on documents of solve --resources, altered ones
// judged against rcheck, which reads the instance itself, and against use
// counted time unit by time unit here.
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

maxnpv::network parsed(const std::string &text) {
    maxnpv::network net;
    std::string why;
    EXPECT_EQ(maxnpv::parsegpr(text, &net, &why), maxnpv::status::solved) << why;
    return net;
}

// Two resources of capacities 3 and 4. Activity 2 (duration 2) needs 2 and
// 1, 3 (duration 3) 3 and 1, 4 (duration 0) 5 and 9, more than either
// capacity, and 5 (duration 1) 1 and 3; all follow the start dummy and lead
// to the end dummy.
const char twotext[] = "6 2 3 4\n"
                       "0 0 0 4 2 1 3 0 3 1 3 0 4 1 3 0 5 1 3 0\n"
                       "2 2 1 1 6 1 3 0\n"
                       "3 3 1 1 6 1 3 0\n"
                       "0 5 9 1 6 1 3 0\n"
                       "1 1 3 1 6 1 3 0\n"
                       "0 0 0 0\n";

// A schedule of it without cash flows (npv 0), deadline as given.
maxnpv::result schedule(std::vector<long long> start) {
    maxnpv::result r;
    r.status = maxnpv::status::solved;
    r.hasschedule = true;
    r.npv = 0;
    r.start = std::move(start);
    r.unbounded.assign(r.start.size(), false);
    return r;
}

maxnpv::options under(long long deadline, bool resources = true) {
    maxnpv::options opt;
    opt.interest = 0.01;
    opt.absolute = true;
    opt.deadline = deadline;
    opt.resources = resources;
    return opt;
}

// "feasible" or the reason of the schedule's check.
std::string scheduleof(const maxnpv::network &net, const std::vector<double> &cf,
                       const maxnpv::options &opt, const maxnpv::result &r) {
    std::string why;
    const maxnpv::verdict v = maxnpv::checkschedule(net, cf, opt, r, &why);
    EXPECT_EQ(v == maxnpv::verdict::rejected, !why.empty()) << why;
    return v == maxnpv::verdict::feasible ? "feasible" : why;
}

} // namespace

TEST(ResourceCheck, EveryTimeOfTheScheduleWithinTheCapacities) {
    const maxnpv::network net = parsed(twotext);
    const std::vector<double> none(6, 0);
    // 2 over [0, 2), 3 over [2, 5), 5 over [5, 6): resource 1 is full at
    // 2..4 and resource 2 at 5. 2 finishes at 2 where 3 starts, and 3
    // finishes at 5 where 5 starts: neither pair meets. 4 (duration 0) at 2
    // uses nothing though it needs more than both capacities.
    EXPECT_EQ(scheduleof(net, none, under(6), schedule({0, 0, 2, 2, 5, 6})), "feasible");
    // One unit earlier, 3 meets 2 at time 1: 2 + 3 of resource 1.
    EXPECT_EQ(scheduleof(net, none, under(6), schedule({0, 0, 1, 2, 5, 6})),
              "resource 1 is overloaded at time 1: the running activities 2, 3 need 5 of its "
              "capacity 3");
    // 5 one unit earlier meets 3 at time 4: 3 + 1 of resource 1 and 1 + 3
    // of resource 2, full; the lower resource is named first.
    EXPECT_EQ(scheduleof(net, none, under(6), schedule({0, 0, 2, 2, 4, 6})),
              "resource 1 is overloaded at time 4: the running activities 3, 5 need 4 of its "
              "capacity 3");
    maxnpv::network wider = net;
    wider.capacities = {4, 3};
    EXPECT_EQ(scheduleof(wider, none, under(6), schedule({0, 0, 2, 2, 4, 6})),
              "resource 2 is overloaded at time 4: the running activities 3, 5 need 4 of its "
              "capacity 3");
    maxnpv::network narrow = net;
    narrow.capacities = {2, 4};
    EXPECT_EQ(scheduleof(narrow, none, under(6), schedule({0, 0, 2, 2, 5, 6})),
              "resource 1 is overloaded at time 2: the running activity 3 needs 3 of its "
              "capacity 2");
    // Without the resources asked for, only the relations count.
    EXPECT_EQ(scheduleof(net, none, under(6, false), schedule({0, 0, 1, 2, 4, 6})), "feasible");

    // Times far beyond any walk over time units: a deadline of 10^15.
    const long long far = 1000000000000000;
    EXPECT_EQ(scheduleof(net, none, under(far), schedule({0, 0, far - 4, 0, far - 1, far})),
              "feasible");
    EXPECT_EQ(scheduleof(net, none, under(far), schedule({0, 0, far - 3, 0, far - 1, far})),
              "resource 1 is overloaded at time 999999999999999: the running activities 3, 5 "
              "need 4 of its capacity 3");

    // The relations come first, and the npv must still be the schedule's.
    EXPECT_EQ(scheduleof(net, none, under(5), schedule({0, 0, 1, 2, 4, 6})).find("the deadline 5"),
              0u);
    const std::vector<double> cf{0, 100, 0, 0, 0, 0};
    maxnpv::result paid = schedule({0, 0, 2, 2, 5, 6});
    paid.npv = 100 * std::exp(-0.02);
    EXPECT_EQ(scheduleof(net, cf, under(6), paid), "feasible");
    paid.npv = 100;
    EXPECT_EQ(scheduleof(net, cf, under(6), paid).find("the npv 100 is not the schedule's value"),
              0u);
}

TEST(ResourceCheck, PostponedActivitiesStatusesAndTheFormOfTheResources) {
    // Activity 2 (-10, duration 4) leads nowhere and is put off: it uses
    // nothing, but must fit the capacity alone.
    const maxnpv::network loose = parsed("3 1 1\n0 0 2 2 1 3 0 3 1 3 0\n4 1 0\n0 0 0\n");
    const std::vector<double> cf{0, -10, 0};
    maxnpv::result p = schedule({0, 0, 0});
    p.unbounded = {false, true, false};
    EXPECT_EQ(scheduleof(loose, cf, under(5), p), "feasible");
    maxnpv::network tight = loose;
    tight.demands[1] = {2};
    EXPECT_EQ(scheduleof(tight, cf, under(5), p),
              "activity 2 is postponed, but needs 2 of resource 1, more than its capacity 1: "
              "no schedule can run it");

    // A schedule is needed: solved, or a limit that found one.
    const maxnpv::network net = parsed(twotext);
    const std::vector<double> none(6, 0);
    maxnpv::result r = schedule({0, 0, 2, 2, 5, 6});
    r.status = maxnpv::status::limit;
    EXPECT_EQ(scheduleof(net, none, under(6), r), "feasible");
    std::string why;
    EXPECT_EQ(maxnpv::verify(net, none, under(6), r, &why), maxnpv::verdict::rejected);
    EXPECT_EQ(why, "the result's status is 'limit reached', not solved");
    r.hasschedule = false;
    EXPECT_EQ(scheduleof(net, none, under(6), r),
              "the result's status is 'limit reached' and holds no schedule");
    r.status = maxnpv::status::infeasible;
    EXPECT_EQ(scheduleof(net, none, under(6), r),
              "the result's status is 'infeasible' and holds no schedule");

    // Resources of the wrong form; fewer rows, or an empty one, are all 0.
    const maxnpv::result a = schedule({0, 0, 2, 2, 5, 6});
    const struct {
        void (*alter)(maxnpv::network *);
        std::string says;
    } forms[] = {
        {[](maxnpv::network *n) { n->capacities[0] = -1; },
         "the capacity of resource 1 is -1, below 0"},
        {[](maxnpv::network *n) { n->demands[2] = {3}; },
         "the demands of activity 3 hold 1 values for 2 resources"},
        {[](maxnpv::network *n) { n->demands[4][1] = -3; },
         "the demand of activity 5 for resource 2 is -3, below 0"},
        {[](maxnpv::network *n) {
             n->demands.push_back({0, 0});
         },
         "the network has 7 rows of demands for 6 activities"},
        {[](maxnpv::network *n) { n->demands.resize(3), n->demands[1].clear(); }, "feasible"},
    };
    for (const auto &f : forms) {
        maxnpv::network bad = net;
        f.alter(&bad);
        EXPECT_EQ(scheduleof(bad, none, under(6), a), f.says);
    }
}

TEST(ResourceCheck, AnOptimumWithoutResourcesThatMeetsThemIsOptimalUnderThem) {
    // All cash flows positive: the optimum starts everything at 0, where
    // resource 1 carries 2 + 3 + 1 and resource 2 carries 1 + 1 + 3.
    const maxnpv::network net = parsed(twotext);
    const std::vector<double> cf{0, 10, 20, 5, 30, 0};
    maxnpv::options opt;
    opt.interest = 0.01;
    opt.slack = 2;
    const maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
    ASSERT_EQ(r.status, maxnpv::status::solved);
    for (int i = 0; i < 5; i++) ASSERT_EQ(r.start[i], 0) << i;
    std::string why;
    opt.resources = true;
    EXPECT_EQ(maxnpv::verify(net, cf, opt, r, &why), maxnpv::verdict::rejected);
    EXPECT_EQ(why, "resource 1 is overloaded at time 0: the running activities 2, 3, 5 need 6 of "
                   "its capacity 3");
    maxnpv::network roomy = net;
    roomy.capacities = {6, 5}; // exactly the use at 0
    EXPECT_EQ(maxnpv::verify(roomy, cf, opt, r, &why), maxnpv::verdict::optimal) << why;
    EXPECT_EQ(maxnpv::checkschedule(roomy, cf, opt, r, &why), maxnpv::verdict::feasible) << why;
}

namespace {

const std::string rcpsp = std::string(MAXNPV_TESTDATA) + "/rcpsp/";

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

// The whole number after "key": in the text from at on.
long long wholeafter(const std::string &text, const std::string &key, size_t at = 0) {
    const size_t found = text.find("\"" + key + "\": ", at);
    EXPECT_NE(found, std::string::npos) << key;
    return std::atoll(text.c_str() + found + key.size() + 4);
}

// The line of activity number k in a document, and where it starts.
size_t activityline(const std::string &doc, long long k) {
    return doc.find("{\"activity\": " + std::to_string(k) + ",");
}

// The line verify prints for rcheck's rejection of an overload: "rejected:
// resource K is used U at time T, more than its capacity C (activity a needs
// x, activity b needs y)".
std::string overloadline(const std::string &rcheck) {
    const size_t used = rcheck.find(" is used "), at = rcheck.find(" at time "),
                 more = rcheck.find(", more than its capacity "), open = rcheck.find(" (");
    if (rcheck.rfind("rejected: resource ", 0) != 0 || used == std::string::npos ||
        at == std::string::npos || more == std::string::npos || open == std::string::npos)
        return "";
    std::string running;
    int count = 0;
    for (size_t a = rcheck.find("activity ", open); a != std::string::npos;
         a = rcheck.find("activity ", a + 1)) {
        running += (count++ ? ", " : " ") + std::to_string(std::atoll(rcheck.c_str() + a + 9));
    }
    return rcheck.substr(0, used) + " is overloaded at time " +
           rcheck.substr(at + 9, more - at - 9) + ": the running " +
           (count == 1 ? "activity" : "activities") + running +
           (count == 1 ? " needs " : " need ") + rcheck.substr(used + 9, at - used - 9) +
           " of its capacity " + rcheck.substr(more + 25, open - more - 25) + "\n";
}

// Each resource's largest use, counted time unit by time unit over the
// document's schedule with the instance's demands.
std::vector<long long> peakbyunits(const std::string &doc, const maxnpv::network &net) {
    std::vector<long long> peak(net.capacities.size(), 0);
    const long long end = wholeafter(doc, "deadline");
    for (long long t = 0; t <= end; t++)
        for (size_t k = 0; k < peak.size(); k++) {
            long long use = 0;
            for (size_t i = 0; i < net.durations.size(); i++) {
                const size_t line = activityline(doc, (long long)i);
                const long long s = wholeafter(doc, "start", line);
                if (s <= t && t < s + net.durations[i] && i < net.demands.size())
                    use += net.demands[i][k];
            }
            peak[k] = std::max(peak[k], use);
        }
    return peak;
}

std::string list(const std::vector<long long> &v) {
    std::string out = "[";
    for (size_t k = 0; k < v.size(); k++) out += (k ? ", " : "") + std::to_string(v[k]);
    return out + "]";
}

} // namespace

TEST(ResourceVerify, SolvesOfTheUboSet) {
    scratchdir dir;
    const std::string common = " --pctneg 50 --interest 0.01 --json --certificate";
    // psp11 at twice its critical path: its optimum without resources
    // overloads resource 1 (rcheck says so), so the search's schedule comes
    // without a certificate; psp25 at 1.5 times it: that optimum meets them.
    // psp20, stopped after three nodes, has a schedule and a gap.
    const struct {
        std::string file, args, line;
    } runs[] = {
        {"psp11.sch", " --resources --deadline-factor 2", "feasible (schedule checked)\n"},
        {"psp25.sch", " --resources --deadline-factor 1.5", "optimal (certificate checked)\n"},
        {"psp20.sch", " --resources --deadline-factor 1.5 --node-limit 3",
         "feasible (schedule checked)\n"},
        {"psp11.sch", " --deadline-factor 2", "optimal (certificate checked)\n"},
    };
    for (const auto &run : runs) {
        const ran solve = program("solve " + rcpsp + run.file + run.args + common);
        ASSERT_NE(solve.out, "") << solve.err;
        writefile("r.json", solve.out);
        const ran check = runbinary(RCHECK_BINARY, rcpsp + run.file + " r.json");
        const bool resources = run.args.find("--resources") != std::string::npos;
        EXPECT_EQ(check.out.rfind(resources ? "accepted" : "rejected: resource 1 is used", 0), 0u)
            << run.file << run.args << ": " << check.out;
        const ran v = program("verify " + rcpsp + run.file + " r.json --pctneg 50");
        EXPECT_EQ(v.out, run.line) << run.file << run.args << ": " << v.err;
        EXPECT_EQ(v.status, 0);
        EXPECT_EQ(v.err, "");
    }

    // No schedule: nothing to check.
    const ran none =
        program("solve " + rcpsp + "psp15.sch --resources --deadline-factor 2" + common);
    ASSERT_EQ(none.status, 1) << none.err;
    writefile("none.json", none.out);
    writefile("cut.json", replaced(none.out, "\"infeasible\"", "\"limit reached\""));
    for (const std::string status : {"infeasible", "limit reached"}) {
        const ran v = program("verify " + rcpsp + "psp15.sch " +
                              (status == "infeasible" ? "none.json" : "cut.json"));
        EXPECT_EQ(v.status, 1);
        EXPECT_EQ(v.out,
                  "rejected: the result's status is '" + status + "' and holds no schedule\n");
    }
}

TEST(ResourceVerify, AHandMadeInstanceWhoseOptimumWithoutResourcesFitsThem) {
    // Activities 2 and 3 (+100 each, duration 2) need 1 unit each of the one
    // resource of capacity 2, and 4 (-50, duration 3) needs 2. The critical
    // path is 3 and the deadline 8: 2 and 3 run over [0, 2), 4 as late as it
    // can, over [5, 8). That meets the resource, so it is the optimum under
    // it too, npv 200 e^-0.02 - 50 e^-0.08.
    scratchdir dir;
    writefile("T.gpr", "5 1 2\n0 0 3 2 1 3 0 3 1 3 0 4 1 3 0\n2 1 1 5 1 3 0\n2 1 1 5 1 3 0\n"
                       "3 2 1 5 1 3 0\n0 0 0\n");
    writefile("cf.txt", "0 100 100 -50 0\n");
    const ran solve = program("solve T.gpr --cashflows cf.txt --slack 5 --interest 0.01 --json "
                              "--certificate --resources");
    ASSERT_EQ(solve.status, 0) << solve.err;
    EXPECT_EQ(wholeafter(solve.out, "start", activityline(solve.out, 4)), 5);
    writefile("r.json", solve.out);
    ran v = program("verify T.gpr r.json --cashflows cf.txt");
    EXPECT_EQ(v.out, "optimal (certificate checked)\n") << v.err;
    EXPECT_EQ(v.status, 0);
    // 4 moved to [1, 4) still meets every relation and the deadline, but
    // meets 2 and 3 at time 1.
    writefile("bad.json",
              replaced(solve.out, "\"start\": 5, \"finish\": 8,", "\"start\": 1, \"finish\": 4,"));
    v = program("verify T.gpr bad.json --cashflows cf.txt");
    EXPECT_EQ(v.status, 1);
    EXPECT_EQ(v.out, "rejected: resource 1 is overloaded at time 1: the running activities 2, 3, 4 "
                     "need 4 of its capacity 2\n");
    const ran check = runbinary(RCHECK_BINARY, "T.gpr bad.json");
    EXPECT_EQ(check.out.rfind("rejected: resource 1 is used 4 at time 1", 0), 0u) << check.out;
}

TEST(ResourceVerify, AlteredDocumentsAreRejected) {
    scratchdir dir;
    const std::string file = rcpsp + "psp11.sch";
    maxnpv::network net;
    std::string why;
    ASSERT_EQ(maxnpv::readnetwork(file, &net, &why), maxnpv::status::solved) << why;
    const ran solve = program("solve " + file +
                              " --resources --deadline-factor 2 --pctneg 50 "
                              "--interest 0.01 --json --certificate");
    ASSERT_EQ(solve.status, 0) << solve.err;
    const std::string doc = solve.out;
    ASSERT_NE(doc.find("\"relations\": []"), std::string::npos); // the search's schedule
    auto verify = [&](const std::string &text) {
        writefile("bad.json", text);
        return program("verify " + file + " bad.json --pctneg 50");
    };

    // One activity moved by a time unit so that the relations still hold but
    // a resource is overloaded, as rcheck finds it.
    bool moved = false;
    for (size_t i = 1; i + 1 < net.durations.size() && !moved; i++)
        for (long long delta : {1, -1}) {
            const size_t line = activityline(doc, (long long)i);
            const long long s = wholeafter(doc, "start", line), d = net.durations[i];
            const std::string from =
                "\"start\": " + std::to_string(s) + ", \"finish\": " + std::to_string(s + d) + ",";
            const std::string to = "\"start\": " + std::to_string(s + delta) +
                                   ", \"finish\": " + std::to_string(s + delta + d) + ",";
            std::string text = doc;
            text.replace(doc.find(from, line), from.size(), to);
            writefile("bad.json", text);
            const std::string expect =
                overloadline(runbinary(RCHECK_BINARY, file + " bad.json").out);
            if (expect.empty()) continue;
            const ran v = verify(text);
            EXPECT_EQ(v.status, 1);
            EXPECT_EQ(v.out, expect) << "activity " << i << " moved by " << delta;
            moved = true;
            break;
        }
    EXPECT_TRUE(moved);

    // The figures that the document states.
    const std::vector<long long> peak = peakbyunits(doc, net);
    std::vector<long long> caps(net.capacities.begin(), net.capacities.end()), more = caps,
                                                                               over = peak;
    more[1]++;
    over[0]++;
    const size_t three = activityline(doc, 3), demands = doc.find("\"demands\": [", three) + 12;
    const long long need = std::atoll(doc.c_str() + demands);
    ASSERT_EQ(need, net.demands[3][0]);
    std::string needmore = doc;
    needmore.replace(demands, std::to_string(need).size(), std::to_string(need + 1));
    const struct {
        std::string text, line;
    } cases[] = {
        {replaced(doc, "\"capacities\": " + list(caps), "\"capacities\": " + list(more)),
         "rejected: the result states the capacity " + std::to_string(more[1]) +
             " of resource 2, the instance " + std::to_string(caps[1]) + "\n"},
        {replaced(doc, "\"capacities\": " + list(caps), "\"capacities\": " + list({caps[0]})),
         "rejected: the result states 1 capacities, the instance has 5 resources\n"},
        {needmore, "rejected: activity 3 needs " + std::to_string(need + 1) +
                       " of resource 1 in the result, " + std::to_string(need) +
                       " in the instance\n"},
        {replaced(doc, "\"peak\": " + list(peak), "\"peak\": " + list(over)),
         "rejected: the result states the peak use " + std::to_string(over[0]) +
             " of resource 1, but its schedule's is " + std::to_string(peak[0]) + "\n"},
        {replaced(doc, "\"gap\": 0,", "\"gap\": 0.01,"),
         "rejected: the gap 0.01 is not (bound - npv) / max(|bound|, |npv|) = 0\n"},
    };
    for (const auto &c : cases) {
        const ran v = verify(c.text);
        EXPECT_EQ(v.status, 1) << c.line;
        EXPECT_EQ(v.out, c.line);
    }
    const struct {
        std::string from, to, starts;
    } money[] = {
        {"\"bound\": ", "\"bound\": 900.5, \"was\": ",
         "rejected: the bound 900.5 is below the npv "},
        {"\"bound\": ", "\"bound\": 2000.5, \"was\": ",
         "rejected: the result is solved, but its bound 2000.5 is not its npv "},
        {"\"npv\": ", "\"npv\": 900.5, \"was\": ",
         "rejected: the npv 900.5 is not the schedule's value "},
    };
    for (const auto &m : money) {
        // The old number becomes a member of its own, taken out again here.
        std::string text = replaced(doc, m.from, m.to);
        const size_t was = text.find(", \"was\": ");
        text.erase(was, text.find(',', was + 2) - was);
        const ran v = verify(text);
        EXPECT_EQ(v.status, 1) << text.substr(0, 300);
        EXPECT_EQ(v.out.rfind(m.starts, 0), 0u) << v.out << v.err;
    }

    // What a solve does not write is not a result of one: exit status 2.
    const std::string plain = program("solve " + file +
                                      " --deadline-factor 2 --pctneg 50 --interest 0.01 --json "
                                      "--certificate")
                                  .out;
    const std::string refused[][2] = {
        {replaced(doc, "\"resources\": true", "\"resources\": false"), "resources: not true"},
        {replaced(doc, "\"nodes\": ", "\"nodes\": -"), "nodes: not a whole number in range"},
        {replaced(doc, "\"time_limit\": 60", "\"time_limit\": 0"), "time_limit: not above 0"},
        {replaced(doc, "\"gap\": 0,", "\"gap\": null,"), "gap: null in a result with a schedule"},
        {replaced(doc, "\"peak\": " + list(peak), "\"peak\": null"),
         "peak: null in a result with a schedule"},
        {replaced(doc, ", \"demands\": [0, 0, 0, 0, 0]}", "}"),
         "activities: an activity without \"demands\" in a result under the resources"},
        {replaced(doc, "  \"bound\": ", "  \"bound_\": "), "the document: an unknown member"},
        {replaced(plain, "\"passes\": ", "\"nodes\": 3, \"passes\": "),
         "nodes: given without \"resources\""},
        {replaced(plain, "\"unbounded\": false}", "\"unbounded\": false, \"demands\": [1]}"),
         "activities: \"demands\" given without \"resources\""},
    };
    for (const auto &r : refused) {
        const ran v = verify(r[0]);
        EXPECT_EQ(v.status, 2) << r[1];
        EXPECT_EQ(v.out, "");
        EXPECT_NE(v.err.find(r[1]), std::string::npos) << v.err;
        EXPECT_EQ(std::count(v.err.begin(), v.err.end(), '\n'), 1) << v.err;
    }
}

TEST(ResourceVerify, TheLimitsKeepNoMoreDemandsThanTheInstanceHasResources) {
    // A network of one resource: demand lists of 1000 are counted, one kept.
    const maxnpv::network net = parsed("3 1 4\n0 0 1 2 1 3 0\n2 1 1 3 1 3 0\n0 0 0\n");
    const gpr::certlimits lim = gpr::certlimitsof(net);
    EXPECT_EQ(lim.resources, 1u);
    std::string many = "[";
    for (int k = 0; k < 1000; k++) many += std::string(k ? ", " : "") + "1";
    many += "]";
    std::string doc = "{\"instance\": \"x\", \"status\": \"solved\", \"reason\": null, \"npv\": 0, "
                      "\"passes\": 0, \"resources\": true, \"bound\": 0, \"gap\": 0, \"nodes\": 1, "
                      "\"time_limit\": null, \"deadline\": 2, \"critical_path\": 2, "
                      "\"interest\": 0.01, \"numbering\": \"from 1\", \"capacities\": " +
                      many + ", \"peak\": " + many + ", \"arcs\": [], \"activities\": [";
    for (int k = 0; k < 3; k++)
        doc += std::string(k ? "," : "") + "{\"activity\": " + std::to_string(k + 1) +
               ", \"duration\": 0, \"cashflow\": 0, \"start\": 0, \"finish\": 0, "
               "\"discounted\": 0, \"unbounded\": false, \"demands\": " +
               many + "}";
    doc += "]}";
    gpr::certdoc cert;
    std::string why;
    ASSERT_TRUE(gpr::readcertdoc(doc, lim, &cert, &why)) << why;
    EXPECT_EQ(cert.capacitycount, 1000u);
    EXPECT_EQ(cert.capacities.size(), 1u);
    EXPECT_EQ(cert.peak.size(), 1u);
    EXPECT_EQ(cert.demands.size(), 3u);
    EXPECT_EQ(cert.demandcount, (std::vector<size_t>{1000, 1000, 1000}));
    EXPECT_FALSE(gpr::checkresources(cert, net, &why));
    EXPECT_EQ(why, "the result states 1000 capacities, the instance has 1 resources");
    EXPECT_FALSE(gpr::checksearch(cert, &why));
}
