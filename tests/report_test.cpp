// The presentation of a solved schedule: JSON, CSV, terminal summary and the
// Gantt chart. Documents are checked by independent parsers (Python's json
// module, which also prints floats as their shortest round-trip text, and
// xmllint); the expected values are worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "report/gantt.h"
#include "report/schedule.h"

namespace {

bool have(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs command with input on standard input; returns its output, or
// "FAILED" when it exits with a non-zero status.
std::string filter(const std::string &command, const std::string &input) {
    char name[] = "/tmp/reporttestXXXXXX";
    int fd = mkstemp(name);
    if (fd < 0 || write(fd, input.data(), input.size()) != (ssize_t)input.size()) return "FAILED";
    close(fd);
    FILE *p = popen((command + " < " + name).c_str(), "r");
    std::string out;
    char buf[4096];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, got);
    int status = pclose(p);
    std::remove(name);
    return status == 0 ? out : "FAILED";
}

// Strict UTF-8, no NaN or Infinity; prints the document normalised by Python.
std::string pyjson(const std::string &doc) {
    return filter("python3 -c 'import json,sys\n"
                  "def bad(c): raise ValueError(c)\n"
                  "d = json.loads(sys.stdin.buffer.read().decode(\"utf-8\"), parse_constant=bad)\n"
                  "print(json.dumps(d, sort_keys=True))'",
                  doc);
}

bool xmlok(const std::string &doc) {
    return filter("xmllint --noout -", doc) != "FAILED";
}

// The values of the time axis above the plot, in order.
std::vector<double> ticksof(const std::string &svg) {
    size_t from = svg.find("<g text-anchor=\"middle\""), to = svg.find("</g>", from);
    std::vector<double> ticks;
    for (size_t at = svg.find("\">", svg.find("<text", from)); at < to;
         at = svg.find("\">", svg.find("<text", at + 1))) {
        double t = std::strtod(svg.c_str() + at + 2, nullptr);
        if (!ticks.empty() && t <= ticks.back()) break; // the repeat below the plot
        ticks.push_back(t);
    }
    return ticks;
}

size_t count(const std::string &s, const std::string &what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) n++;
    return n;
}

// Start dummy, activity 2 (12.5 from 3 to 7), activity 3 postponed without
// limit, end dummy at the deadline 20; interest 0.01.
schedreport small() {
    schedreport r;
    r.instance = "D4.gpr";
    r.status = "solved";
    r.hasdeadline = true, r.deadline = 20, r.interest = 0.01, r.passes = 2;
    r.activities = {{1, 0, 0, false, 0, 0},
                    {2, 4, 12.5, false, 3, 12.5 * std::exp(-0.07)},
                    {3, 4, -50, true, 0, 99}, // a stale share: must not show
                    {4, 0, 0, false, 20, 0}};
    r.npv = r.activities[1].discounted;
    r.arcs = {{1, 2}, {4, 1}};
    return r;
}

const char hostile[] = "q\"b\\ c\x01\x1b\n\t\x7f e\xe2\x82\xac g\xf0\x9d\x84\x9e"
                       " ff\xff ov\xc0\xaf ov3\xe0\x80\xaf sur\xed\xa0\x80 cut\xe2\x82";

} // namespace

TEST(Report, JsonDocuments) {
    if (!have("python3")) GTEST_SKIP() << "python3 not found";
    std::string doc = pyjson(schedjson(small()));
    EXPECT_NE(doc.find("\"deadline\": 20, \"instance\": \"D4.gpr\", \"interest\": 0.01, "
                       "\"npv\": 11.654922748824353, \"numbering\": \"from 1\", \"passes\": 2, "
                       "\"reason\": null"),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("{\"activity\": 2, \"cashflow\": 12.5, \"discounted\": 11.654922748824353, "
                       "\"duration\": 4, \"finish\": 7, \"start\": 3, \"unbounded\": false}"),
              std::string::npos);
    EXPECT_NE(doc.find("{\"activity\": 3, \"cashflow\": -50, \"discounted\": 0, \"duration\": 4, "
                       "\"finish\": null, \"start\": null, \"unbounded\": true}"),
              std::string::npos);
    // Arcs whose lag the report does not know say so.
    EXPECT_NE(doc.find("\"arcs\": [{\"from\": 1, \"lag\": null, \"to\": 2}, "
                       "{\"from\": 4, \"lag\": null, \"to\": 1}]"),
              std::string::npos);

    // Non-finite numbers and unknown values become null, never NaN.
    schedreport r = small();
    r.npv = NAN, r.interest = INFINITY, r.activities[1].cashflow = -INFINITY;
    r.hasdeadline = false;
    doc = pyjson(schedjson(r));
    EXPECT_NE(doc.find("\"deadline\": null, \"instance\": \"D4.gpr\", \"interest\": null, "
                       "\"npv\": null"),
              std::string::npos)
        << doc;

    // Not solved: the reason, escaped; nothing of a schedule.
    r.status = "infeasible", r.reason = hostile, r.instance = "\xff.gpr";
    doc = pyjson(schedjson(r));
    EXPECT_NE(doc.find("{\"activities\": [], \"arcs\": [], \"critical_path\": null, "
                       "\"deadline\": null, "
                       "\"instance\": \"\\ufffd.gpr\""),
              std::string::npos)
        << doc;
    // One U+FFFD per byte outside well-formed UTF-8.
    EXPECT_NE(doc.find("\"reason\": \"q\\\"b\\\\ c\\u0001\\u001b\\n\\t\\u007f e\\u20ac "
                       "g\\ud834\\udd1e ff\\ufffd ov\\ufffd\\ufffd ov3\\ufffd\\ufffd\\ufffd "
                       "sur\\ufffd\\ufffd\\ufffd "
                       "cut\\ufffd\\ufffd\""),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("\"npv\": null, \"numbering\": \"from 1\", \"passes\": null"),
              std::string::npos);
}

TEST(Report, NumbersReadBackExactly) {
    // The shortest text that reads back as the same double (Python's repr).
    const std::pair<double, const char *> cases[] = {
        {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1.0 / 3, "0.3333333333333333"},
        {5e-324, "5e-324"},
        {1e21, "1e+21"},
        {-2.5, "-2.5"},
        {123456789012345680.0, "1.2345678901234568e+17"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {100.0, "100"},
        {-50.0, "-50"},
        {0.0001, "0.0001"},
        {1e-5, "1e-05"},
        {9007199254740994.0, "9007199254740994"},
        {1e16, "1e+16"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shortestnum(c.first), c.second);
        schedreport r = small();
        r.npv = c.first;
        std::string doc = schedjson(r);
        size_t at = doc.find("\"npv\": ") + 7;
        EXPECT_EQ(std::strtod(doc.c_str() + at, nullptr), c.first) << doc.substr(at, 30);
        r.activities[1].discounted = c.first;
        std::string csv = schedcsv(r);
        EXPECT_NE(csv.find(std::string(",3,7,") + c.second + ",\n"), std::string::npos) << csv;
    }
}

TEST(Report, CsvAndSummary) {
    schedreport r = small();
    char row[128];
    std::snprintf(row, sizeof row, "2,4,12.5,3,7,%s,\n", shortestnum(r.npv).c_str());
    EXPECT_EQ(schedcsv(r), std::string("activity,duration,cashflow,start,finish,discounted,note\n"
                                       "1,0,0,0,0,0,\n") +
                               row + "3,4,-50,,,0,unbounded\n4,0,0,20,20,0,\n");
    // A finish beyond the range of long long is left empty, not wrapped.
    r.activities[1].start = 9223372036854775807LL;
    EXPECT_NE(schedcsv(r).find("2,4,12.5,9223372036854775807,,"), std::string::npos);

    std::string text = schedtext(small());
    EXPECT_NE(text.find("npv           11.654922748824353\n"), std::string::npos) << text;
    EXPECT_NE(text.find("activities    4 (1 postponed without limit)\n"), std::string::npos);
    EXPECT_NE(text.find("       2         4       12.5      3       7     11.6549\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("       3         4        -50      -       -      0.0000  postponed"),
              std::string::npos);

    r = small();
    r.status = "not connected", r.reason = hostile, r.instance = "D\x1b[2J.gpr";
    EXPECT_EQ(schedcsv(r), "activity,duration,cashflow,start,finish,discounted,note\n");
    text = schedtext(r);
    EXPECT_NE(text.find("instance      D\\x1b[2J.gpr\nstatus        not connected\n"),
              std::string::npos);
    // Control characters and stray bytes are spelt out, not sent to the terminal.
    EXPECT_NE(text.find("c\\x01\\x1b\\x0a\\x09\\x7f e\xe2\x82\xac"), std::string::npos) << text;
    EXPECT_NE(text.find("ov\\xc0\\xaf ov3\\xe0\\x80\\xaf sur\\xed\\xa0\\x80 cut\\xe2\\x82\n"),
              std::string::npos);
    EXPECT_EQ(text.find("npv"), std::string::npos);
}

TEST(Report, GanttCharts) {
    if (!have("xmllint")) GTEST_SKIP() << "xmllint not found";
    // A plausible chain of n activities, every seventh of zero duration, every
    // 97th postponed, each bound to its predecessor's finish.
    auto chain = [](int n, long long first, long long scale) {
        schedreport r;
        r.instance = "chain<&>.gpr", r.status = "solved", r.interest = 0.01;
        long long t = first;
        for (int k = 1; k <= n; k++) {
            long long d = k % 7 == 0 || k == 1 || k == n ? 0 : (k % 5 + 1) * scale;
            bool postponed = k % 97 == 0 && k < n;
            r.activities.push_back({k, d, k % 3 == 0 ? -10.0 : 10.0, postponed, t, 1.0});
            if (k > 1) r.arcs.push_back({k - 1, k});
            if (!postponed) t += d;
        }
        r.hasdeadline = true, r.deadline = t + 10 * scale;
        r.arcs.push_back({n, 1});
        return r;
    };
    struct chart {
        schedreport r;
        size_t bars, postponed;
    } charts[] = {
        {chain(1, 0, 1), 1, 0},
        {chain(30, 0, 1), 30, 0},
        {chain(200, -500, 1), 200, 2},                 // negative starts
        {chain(3, 4000000000000LL, 1000000000), 3, 0}, // huge times
        {chain(1000, 0, 3), 1000, 10},
    };
    charts[1].r.activities.assign(30, charts[1].r.activities[0]); // all at time 0
    for (int k = 0; k < 30; k++) charts[1].r.activities[k].number = k + 1;
    for (const chart &c : charts) {
        std::string svg = schedsvg(c.r);
        EXPECT_TRUE(xmlok(svg)) << c.bars;
        EXPECT_EQ(count(svg, "class=\"bar"), c.bars);
        EXPECT_EQ(count(svg, "class=\"bar postponed\""), c.postponed);
        EXPECT_EQ(svg.find("nan"), std::string::npos);
        EXPECT_LT(svg.size(), 400000u) << c.bars; // a thousand activities stay compact

        // Tick labels: equal steps of 1, 2 or 5 times a power of ten.
        std::vector<double> ticks = ticksof(svg);
        ASSERT_GE(ticks.size(), 2u);
        double step = ticks[1] - ticks[0];
        double mantissa = step / std::pow(10, std::floor(std::log10(step)));
        EXPECT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5) << step;
        EXPECT_LE(ticks.size(), 20u);
        for (size_t k = 1; k < ticks.size(); k++) EXPECT_EQ(ticks[k] - ticks[k - 1], step);
    }
    // Deadline 43 after the last finish 24, on a plot of about 1080 px with
    // ticks at least 70 px apart: at most 15 ticks, so a step of 43 / 15 = 2.9
    // rounds up to 5; the axis ends just after the deadline, before 45.
    schedreport r = chain(10, 0, 1);
    r.deadline = 43;
    std::string svg = schedsvg(r);
    EXPECT_EQ(ticksof(svg), std::vector<double>({0, 5, 10, 15, 20, 25, 30, 35, 40}));
    EXPECT_NE(svg.find(">deadline 43</text>"), std::string::npos);

    r.status = "invalid", r.reason = hostile, r.instance = hostile;
    svg = schedsvg(r);
    EXPECT_TRUE(xmlok(svg));
    EXPECT_EQ(count(svg, "class=\"bar"), 0u);
}

namespace {

uint64_t fnv1a(const std::string &s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

// small() with two resources: activity 2 (from 3 to 7) needs 3 and 2, the
// postponed activity 3 needs 9 of each (and is left out), the dummies none
// (the start dummy's row is empty).
schedreport withresources() {
    schedreport r = small();
    r.capacities = {5, 0};
    r.activities[1].demands = {3, 2};
    r.activities[2].demands = {9, 9};
    r.activities[3].demands = {0, 0};
    return r;
}

} // namespace

TEST(Report, ResourcesInTheJsonDocument) {
    // Off, the document is byte for byte the one without resource data.
    EXPECT_EQ(schedjson(withresources()), schedjson(small()));
    if (!have("python3")) GTEST_SKIP() << "python3 not found";
    schedreport r = withresources();
    r.resourcesjson = true;
    std::string doc = pyjson(schedjson(r));
    EXPECT_NE(doc.find("\"capacities\": [5, 0], \"critical_path\": null"), std::string::npos)
        << doc;
    EXPECT_NE(doc.find("\"passes\": 2, \"peak\": [3, 2], \"reason\": null"), std::string::npos);
    EXPECT_NE(doc.find("{\"activity\": 1, \"cashflow\": 0, \"demands\": [0, 0], "
                       "\"discounted\": 0,"),
              std::string::npos);
    EXPECT_NE(doc.find("{\"activity\": 2, \"cashflow\": 12.5, \"demands\": [3, 2], "),
              std::string::npos);
    EXPECT_NE(doc.find("{\"activity\": 3, \"cashflow\": -50, \"demands\": [9, 9], "),
              std::string::npos);
    // Not solved: the capacities, no peak, no activities.
    r.status = "infeasible", r.reason = "no schedule";
    doc = pyjson(schedjson(r));
    EXPECT_NE(doc.find("{\"activities\": [], \"arcs\": [], \"capacities\": [5, 0], "),
              std::string::npos)
        << doc;
    EXPECT_NE(doc.find("\"peak\": null"), std::string::npos);
    // No resources: empty lists.
    r = small();
    r.resourcesjson = true;
    doc = pyjson(schedjson(r));
    EXPECT_NE(doc.find("\"capacities\": [], "), std::string::npos);
    EXPECT_NE(doc.find("\"peak\": [], "), std::string::npos);
    EXPECT_NE(doc.find("{\"activity\": 2, \"cashflow\": 12.5, \"demands\": [], "),
              std::string::npos);
}

TEST(Report, GanttChartsOfResources) {
    // A chart without resources is the chart of the revision before there
    // were resources to draw (5c6b165): these are the hashes of its bytes for
    // this report, by file order with the relations and by start without.
    schedreport r;
    r.instance = "chain.gpr", r.status = "solved", r.interest = 0.01, r.npv = 12.5, r.passes = 3;
    long long t = 0;
    for (int k = 1; k <= 40; k++) {
        long long d = k % 7 == 0 || k == 1 || k == 40 ? 0 : k % 5 + 1;
        bool postponed = k % 17 == 0;
        r.activities.push_back({k, d, k % 3 == 0 ? -10.0 : 10.0, postponed, t, 1.0});
        if (k > 1) r.arcs.push_back({k - 1, k});
        if (!postponed) t += d;
    }
    r.hasdeadline = true, r.deadline = t + 10;
    r.arcs.push_back({40, 1});
    ganttoptions bystart;
    bystart.order = ganttorder::start, bystart.arcs = ganttarcs::none;
    EXPECT_EQ(fnv1a(schedsvg(r)), 0x08fb7bcaaf3e06d9ULL);
    EXPECT_EQ(fnv1a(schedsvg(r, bystart)), 0xd203c95eb0868fdaULL);

    // Activities 2 (0 to 3, demands 2 1), 3 (1 to 3, 3 0) and 4 (3 to 5,
    // 4 1) against capacities 4 and 1: resource 1 uses 2, 5, 5, 4, 4, over
    // its capacity from 1 to 3; resource 2 uses 1 throughout.
    schedreport s;
    s.instance = "res.gpr", s.status = "solved", s.interest = 0.01;
    s.hasdeadline = true, s.deadline = 6;
    s.capacities = {4, 1};
    const long long plan[][4] = {
        {0, 0, 0, 0}, {0, 3, 2, 1}, {1, 2, 3, 0}, {3, 2, 4, 1}, {5, 0, 0, 0}};
    for (int k = 0; k < 5; k++) {
        s.activities.push_back({k + 1, plan[k][1], 1.0, false, plan[k][0], 1.0});
        s.activities.back().demands = {(int)plan[k][2], (int)plan[k][3]};
    }
    if (!have("xmllint")) GTEST_SKIP() << "xmllint not found";
    std::string svg = schedsvg(s);
    EXPECT_TRUE(xmlok(svg));
    EXPECT_EQ(count(svg, "<g class=\"resource\">"), 2u);
    EXPECT_EQ(count(svg, "<g class=\"resource\"><title>resource 1: peak 5 of capacity 4</title>"),
              1u);
    EXPECT_EQ(count(svg, "<g class=\"resource\"><title>resource 2: peak 1 of capacity 1</title>"),
              1u);
    // The one stretch over capacity is marked once, under resource 1's title.
    const std::string over = "<g fill=\"#c62828\"><rect ";
    EXPECT_EQ(count(svg, over), 1u);
    EXPECT_LT(svg.find("resource 1: peak"), svg.find(over));
    EXPECT_GT(svg.find("resource 2: peak"), svg.find(over));
    EXPECT_EQ(count(svg, ">capacity 4</text>") + count(svg, ">capacity 1</text>"), 2u);
}
