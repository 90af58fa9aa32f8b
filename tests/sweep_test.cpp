// Sweeps over deadlines and interest rates: the ranges as the command line
// reads them, the library's sweep against a closed form and against fresh
// solves of every point, maxnpv sweep against independent runs of maxnpv
// solve, and the chart's structure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver/sweepmode.h"
#include "maxnpv/maxnpv.h"
#include "report/linechart.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

ran cli(const std::string &args) {
    return runbinary(MAXNPV_BINARY, args);
}

std::vector<std::vector<std::string>> csvrows(const std::string &text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f(1);
        for (char c : line) {
            if (c == ',')
                f.emplace_back();
            else
                f.back().push_back(c);
        }
        rows.push_back(f);
    }
    return rows;
}

std::string jsonfield(const std::string &doc, const std::string &key) {
    size_t at = doc.find("\"" + key + "\": ");
    if (at == std::string::npos) return "";
    at += key.size() + 4;
    return doc.substr(at, doc.find_first_of(",}\n", at) - at);
}

size_t count(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

bool closeto(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// Two activities after the start dummy, both finish-to-start before the end
// dummy: activity 2 (duration 2, +100) is best as early as possible, activity
// 3 (duration 3, -50) as late as the deadline D allows. The critical path is
// 3, and npv(D, r) = 100 e^(-2r) - 50 e^(-rD).
maxnpv::network twoactivities() {
    maxnpv::network net;
    net.durations = {0, 2, 3, 0};
    const int minimal = 1, finishstart = 3;
    net.entries = {{{2, minimal, finishstart, 0}, {3, minimal, finishstart, 0}},
                   {{4, minimal, finishstart, 0}},
                   {{4, minimal, finishstart, 0}},
                   {}};
    return net;
}

const std::vector<double> twocashflows = {0, 100, -50, 0};

} // namespace

TEST(Sweep, RangesOfDeadlinesAndRates) {
    std::vector<long long> d;
    ASSERT_TRUE(gpr::wholerange("0:10:5", -100, 100, &d));
    EXPECT_EQ(d, (std::vector<long long>{0, 5, 10}));
    ASSERT_TRUE(gpr::wholerange("-3:9:4", -100, 100, &d));
    EXPECT_EQ(d, (std::vector<long long>{-3, 1, 5, 9}));
    ASSERT_TRUE(gpr::wholerange("2:4", -100, 100, &d));
    EXPECT_EQ(d, (std::vector<long long>{2, 3, 4}));
    ASSERT_TRUE(gpr::wholerange("7", -100, 100, &d));
    EXPECT_EQ(d, (std::vector<long long>{7}));
    ASSERT_TRUE(gpr::wholerange("1:100000", 0, 1000000, &d));
    EXPECT_EQ(d.size(), 100000u);
    for (const char *bad : {"5:1", "1:4:0", "1:4:-1", "a", "1:2:3:4", "", ":", "1:", "2.5",
                            "0:100000", "0:200", "-200"})
        EXPECT_FALSE(gpr::wholerange(bad, -100, 100000, &d) && std::string(bad) != "0:200") << bad;
    EXPECT_FALSE(gpr::wholerange("0:200", -100, 100, &d));
    // The whole range of 64-bit deadlines does not overflow the count.
    EXPECT_FALSE(
        gpr::wholerange("-4611686018427387904:4611686018427387904", -(1LL << 62), 1LL << 62, &d));

    std::vector<double> r;
    ASSERT_TRUE(gpr::raterange("0.01", &r));
    EXPECT_EQ(r, (std::vector<double>{0.01}));
    ASSERT_TRUE(gpr::raterange("0,0.02,0.005", &r));
    EXPECT_EQ(r, (std::vector<double>{0, 0.02, 0.005}));
    // 0.3 is reached within the tolerance and is then B itself; each point is
    // A + k*STEP, not a running sum (three sums of 0.1 are 0.30000000000000004,
    // ten are 0.9999999999999999).
    ASSERT_TRUE(gpr::raterange("0:0.3:0.1", &r));
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r.back(), 0.3);
    ASSERT_TRUE(gpr::raterange("0.05:1.05:0.1", &r));
    ASSERT_EQ(r.size(), 11u);
    for (int k = 0; k < 10; k++) EXPECT_EQ(r[k], 0.05 + k * 0.1) << k;
    EXPECT_EQ(r.back(), 1.05);
    ASSERT_TRUE(gpr::raterange("0:0.25:0.1", &r)); // B not on a step: left out
    EXPECT_EQ(r.size(), 3u);
    EXPECT_LT(r.back(), 0.25);
    for (const char *bad : {"-0.01", "0:0.1", "0.1:0:0.01", "0:1:0", "0:1:-0.1", "x", "0,,1", "0,",
                            "nan", "inf", "0:1:1e-9", "1:2:3:4", ""})
        EXPECT_FALSE(gpr::raterange(bad, &r)) << bad;
}

TEST(Sweep, LibraryPointsFollowTheClosedFormAndFreshSolves) {
    const maxnpv::network net = twoactivities();
    maxnpv::sweepgrid grid;
    grid.deadlines = {-4, -1, 0, 2, 7, 20};
    grid.interests = {0.01, 0, 0.05};
    maxnpv::options opt;
    std::vector<maxnpv::sweeppoint> points = maxnpv::sweep(net, twocashflows, opt, grid);
    ASSERT_EQ(points.size(), 18u);
    for (size_t r = 0; r < 3; r++)
        for (size_t k = 0; k < 6; k++) {
            const maxnpv::sweeppoint &p = points[r * 6 + k];
            const double rate = grid.interests[r];
            EXPECT_EQ(p.deadline, grid.deadlines[k]);
            EXPECT_EQ(p.interest, rate);
            if (grid.deadlines[k] < 0) {
                // Below the critical path nothing is feasible.
                EXPECT_EQ(p.outcome.status, maxnpv::status::infeasible) << r << " " << k;
                continue;
            }
            const double deadline = 3.0 + (double)grid.deadlines[k];
            ASSERT_EQ(p.outcome.status, maxnpv::status::solved) << r << " " << k;
            EXPECT_EQ(p.outcome.deadline, 3 + grid.deadlines[k]);
            EXPECT_TRUE(
                closeto(p.outcome.npv, 100 * std::exp(-2 * rate) - 50 * std::exp(-rate * deadline)))
                << p.outcome.npv << " at " << r << " " << k;
        }

    // Absolute deadlines and both methods on generated projects: every
    // point as a fresh solve gives it.
    for (uint64_t seed : {11u, 12u, 13u})
        for (maxnpv::method m : {maxnpv::method::fast, maxnpv::method::classic}) {
            maxnpv::network proj;
            std::string why;
            ASSERT_EQ(maxnpv::parsegpr(randomproject(seed, 60), &proj, &why),
                      maxnpv::status::solved)
                << why;
            const std::vector<double> cf = maxnpv::randomcashflows(proj, 50);
            maxnpv::options base;
            base.method = m;
            maxnpv::result cp = maxnpv::solver().solve(proj, cf, base);
            ASSERT_TRUE(cp.hasdeadline) << cp.reason;
            maxnpv::sweepgrid g;
            g.absolute = true;
            for (long long d = cp.criticalpath - 4; d <= cp.criticalpath + 40; d += 4)
                g.deadlines.push_back(d);
            g.interests = {0.002, 0.02, 0.1};
            std::vector<maxnpv::sweeppoint> got = maxnpv::sweep(proj, cf, base, g);
            ASSERT_EQ(got.size(), g.deadlines.size() * 3);
            int solved = 0;
            for (const maxnpv::sweeppoint &p : got) {
                maxnpv::options fresh = base;
                fresh.absolute = true;
                fresh.deadline = p.deadline;
                fresh.interest = p.interest;
                maxnpv::result want = maxnpv::solver().solve(proj, cf, fresh);
                ASSERT_EQ(p.outcome.status, want.status) << seed << " " << p.deadline;
                if (want.status != maxnpv::status::solved) continue;
                solved++;
                EXPECT_TRUE(closeto(p.outcome.npv, want.npv))
                    << seed << " deadline " << p.deadline << " rate " << p.interest << ": "
                    << p.outcome.npv << " against " << want.npv;
            }
            EXPECT_GE(solved, (int)got.size() - 3);
        }

    // An empty grid gives no points.
    EXPECT_TRUE(maxnpv::sweep(net, twocashflows, opt, maxnpv::sweepgrid()).empty());
}

TEST(Sweep, CommandLineRowsEqualIndependentSolves) {
    scratchdir dir;
    writefile("a&b<c>.gpr", randomproject(21, 40));
    // The slack range starts below 0, where the deadline is infeasible: one
    // point of each of the four rates.
    ran r = cli("sweep 'a&b<c>.gpr' --pctneg 50 --seed 4 --slack -2:22:6 "
                "--interest 0.01,0:0.04:0.02 --csv t.csv --plot p.svg");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("4 of 20 points not solved"), std::string::npos) << r.err;
    std::vector<std::vector<std::string>> rows = csvrows(readfile("t.csv"));
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(readfile("t.csv").substr(0, 44), "deadline,interest,status,npv,passes,seconds\n");
    const char *rates[] = {"0.01", "0", "0.02", "0.04"};
    for (size_t k = 1; k < rows.size(); k++) {
        const std::vector<std::string> &f = rows[k];
        ASSERT_EQ(f.size(), 6u) << k;
        const int slack = -2 + 6 * (int)((k - 1) % 5);
        EXPECT_EQ(f[1], rates[(k - 1) / 5]) << k;
        ran one = cli("solve 'a&b<c>.gpr' --pctneg 50 --seed 4 --json --slack " +
                      std::to_string(slack) + " --interest " + f[1]);
        const std::string status = jsonfield(one.out, "status");
        EXPECT_EQ("\"" + f[2] + "\"", status) << k;
        EXPECT_EQ(f[0], jsonfield(one.out, "deadline")) << k;
        if (slack < 0) {
            EXPECT_EQ(f[2], "infeasible") << k;
            EXPECT_EQ(f[3], "") << k;
            continue;
        }
        ASSERT_EQ(f[2], "solved") << k;
        EXPECT_TRUE(closeto(std::stod(f[3]), std::stod(jsonfield(one.out, "npv"))))
            << f[3] << " against " << jsonfield(one.out, "npv");
    }

    // The chart: one titled line per rate, escaped names, labelled axes,
    // well-formed XML; the infeasible point starts no line.
    const std::string svg = readfile("p.svg");
    EXPECT_EQ(count(svg, "<g class=\"series\""), 4u);
    EXPECT_EQ(count(svg, "<path class=\"line\""), 4u);
    EXPECT_EQ(count(svg, " M"), 0u); // no line is broken after its start
    EXPECT_EQ(count(svg, "<circle class=\"point\""), 16u);
    for (const char *rate : {"interest 0.01", "interest 0</", "interest 0.02", "interest 0.04"})
        EXPECT_NE(svg.find(rate), std::string::npos) << rate;
    EXPECT_NE(svg.find("npv of a&amp;b&lt;c&gt;.gpr against the deadline"), std::string::npos);
    EXPECT_EQ(svg.find("a&b"), std::string::npos);
    EXPECT_NE(svg.find(">deadline (time units)</text>"), std::string::npos);
    EXPECT_NE(svg.find(">net present value</text>"), std::string::npos);
    EXPECT_EQ(std::system("/usr/bin/python3 -c \"import xml.etree.ElementTree as e; "
                          "e.parse('p.svg')\""),
              0);

    // Absolute deadlines on standard output, and the grid's points.
    ran abs = cli("sweep 'a&b<c>.gpr' --pctneg 50 --deadline 100:130:15 --interest 0.01 "
                  "--method classic");
    std::vector<std::vector<std::string>> arows = csvrows(abs.out);
    ASSERT_EQ(arows.size(), 4u) << abs.err;
    EXPECT_EQ(arows[1][0], "100");
    EXPECT_EQ(arows[3][0], "130");
}

TEST(Sweep, ALineBreaksWhereAPointHasNoValue) {
    chartseries s;
    s.label = "interest <1>";
    s.x = {1, 2, 3, 4, 5, 6, 7};
    s.y = {5, 6, 0, 7, 8, 0, 9};
    s.has = {true, true, false, true, true, false, true};
    chartlabels labels{"t", "x & y", "z"};
    const std::string svg = linechart(labels, {s});
    // Two runs in one path, the last point alone as a dot.
    EXPECT_EQ(count(svg, "<path class=\"line\""), 1u);
    EXPECT_EQ(count(svg, " M"), 1u);
    EXPECT_EQ(count(svg, " L"), 2u);
    EXPECT_EQ(count(svg, "<circle class=\"alone\""), 1u);
    EXPECT_NE(svg.find("interest &lt;1&gt;"), std::string::npos);
    EXPECT_NE(svg.find(">x &amp; y</text>"), std::string::npos);
}

TEST(Sweep, BadUseIsOneLineAndStatus2) {
    scratchdir dir;
    writefile("p.gpr", randomproject(3, 12));
    const char *bad[] = {
        "sweep p.gpr --pctneg 10 --slack 5:1 --interest 0.01",
        "sweep p.gpr --pctneg 10 --slack 1:5:0 --interest 0.01",
        "sweep p.gpr --pctneg 10 --slack x --interest 0.01",
        "sweep p.gpr --pctneg 10 --deadline 1:2:3:4 --interest 0.01",
        "sweep p.gpr --pctneg 10 --slack 0:5 --interest -0.01",
        "sweep p.gpr --pctneg 10 --slack 0:5 --interest 0:0.1",
        "sweep p.gpr --pctneg 10 --slack 0:5 --interest 0.1:0:0.01",
        "sweep p.gpr --pctneg 10 --slack 0:5 --interest 0.01,abc",
        "sweep p.gpr --pctneg 10 --slack 0:999 --interest 0:1:0.005", // 1000 * 201 points
        "sweep p.gpr --pctneg 10 --slack 0:5 --deadline 9 --interest 0.01",
        "sweep p.gpr --pctneg 10 --interest 0.01",
        "sweep p.gpr --slack 0:5 --interest 0.01",
        "sweep p.gpr --pctneg 10 --slack 0:5",
        "sweep missing.gpr --pctneg 10 --slack 0:5 --interest 0.01",
        "sweep p.gpr --pctneg 10 --slack 0:5 --interest 0.01 --method quick",
        "sweep p.gpr --pctneg 10 --slack 0:5 --interest 0.01 --plot .",
    };
    for (const char *args : bad) {
        ran r = cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
}
