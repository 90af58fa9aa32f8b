// The options of experiments as the literature designs them, end to end and
// through the library: seeded cash flows (checked against a reimplementation
// in Python of the draw the README documents), own cash flows per instance,
// deadlines as a factor of the critical path, rate 0, the dialogue's refusal
// of answers that are not numbers, the textbook deadline model of
// --bound-all with the warning without it, and the numbers a paper's table
// needs in the batch CSV and the solve JSON. Expected values are worked out
// by hand from the instances written here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/problem.h"
#include "input/boundall.h"
#include "maxnpv/maxnpv.h"
#include "network/deadline.h"
#include "support/randominstance.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

ran cli(const std::string &args, const std::string &input = "") {
    return runbinary(MAXNPV_BINARY, args, input);
}

std::string jsonfield(const std::string &doc, const std::string &key, size_t from = 0) {
    size_t at = doc.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return "";
    at += key.size() + 4;
    return doc.substr(at, doc.find_first_of(",}\n", at) - at);
}

// The cash flows of the JSON schedule, in order.
std::vector<double> cashflows(const std::string &doc) {
    std::vector<double> cf;
    for (size_t at = doc.find("\"cashflow\": "); at != std::string::npos;
         at = doc.find("\"cashflow\": ", at + 1))
        cf.push_back(std::stod(doc.substr(at + 12)));
    return cf;
}

// The seeded draw as the README documents it, written anew in Python.
std::vector<double> pythondraw(int n, int pctneg, unsigned long long seed,
                               const std::string &name) {
    writefile("draw.py", "import sys\n"
                         "M = (1 << 64) - 1\n"
                         "n, pct, seed, name = int(sys.argv[1]), int(sys.argv[2]), "
                         "int(sys.argv[3]), sys.argv[4]\n"
                         "h = 0xcbf29ce484222325\n"
                         "for c in name.encode():\n"
                         "    h = ((h ^ c) * 0x100000001b3) & M\n"
                         "s = seed ^ h\n"
                         "def draw():\n"
                         "    global s\n"
                         "    s = (s + 0x9e3779b97f4a7c15) & M\n"
                         "    z = s\n"
                         "    z = ((z ^ (z >> 30)) * 0xbf58476d1ce4e5b9) & M\n"
                         "    z = ((z ^ (z >> 27)) * 0x94d049bb133111eb) & M\n"
                         "    return z ^ (z >> 31)\n"
                         "out = []\n"
                         "for i in range(n):\n"
                         "    v = draw() % 500 + 1\n"
                         "    if draw() % 100 < pct: v = -v\n"
                         "    out.append(0 if i in (0, n - 1) else v)\n"
                         "print(' '.join(map(str, out)))\n");
    std::string command = "/usr/bin/python3 draw.py " + std::to_string(n) + " " +
                          std::to_string(pctneg) + " " + std::to_string(seed) + " '" + name +
                          "' > drawn.txt";
    if (std::system(command.c_str()) != 0) return {};
    std::istringstream in(readfile("drawn.txt"));
    std::vector<double> cf;
    for (double v; in >> v;) cf.push_back(v);
    return cf;
}

// The (activity/cash flow) pairs of one problem's line in info.out.
std::vector<double> infoline(const std::string &info, int problem) {
    char head[16];
    std::snprintf(head, sizeof head, "\n%4d : ", problem);
    size_t at = info.find(head), end = info.find('\n', at + 1);
    std::vector<double> cf;
    for (at = info.find('/', at); at < end; at = info.find('/', at + 1))
        cf.push_back(std::stod(info.substr(at + 1)));
    return cf;
}

std::vector<std::string> fields(const std::string &row) {
    return csvfields(row);
}

const std::string example = readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr");

// Activity 2 (duration 5) is tied to the project only by a finish-to-finish
// lag of -1 to activity 3 (duration 4), which leads to the end dummy: the
// chain 2 -> 3 -> 5 has the lag (-1 + 5 - 4) + 4 = 4, less than 5.
// Activity 4 follows 3 and leads to the end dummy, bounded.
const std::string loose = "5 0\n"
                          "0 2  2 1 1 0  3 1 1 0\n"
                          "5 1  3 1 4 -1\n"
                          "4 2  5 1 3 0  4 1 1 0\n"
                          "0 1  5 1 3 0\n"
                          "0 0\n";

} // namespace

TEST(Experiments, SeededCashFlowsAreTheDocumentedDrawInEveryMode) {
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("psp7.gpr", example);
    fs::copy(std::string(MAXNPV_EXAMPLES) + "/D3.gpr", "D3.gpr");
    const unsigned long long big = 18446744073709551557ull;
    std::vector<double> d1 = pythondraw(5, 50, 7, "D1");
    ASSERT_EQ(d1.size(), 5u) << "python3 failed";
    maxnpv::network net;
    std::string why;
    ASSERT_EQ(maxnpv::readnetwork("D3.gpr", &net, &why), maxnpv::status::solved);
    EXPECT_EQ(maxnpv::seededcashflows(net, 30, big, "D3"), pythondraw(100, 30, big, "D3"));
    // The name, not the file's place or contents, picks the draw.
    ran a = cli("solve D1.gpr --pctneg 50 --seed 7 --slack 0 --interest 0.01 --json");
    ran b = cli("solve ./psp7.gpr --pctneg 50 --seed 7 --slack 0 --interest 0.01 --json");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(cashflows(a.out), d1);
    EXPECT_EQ(cashflows(b.out), pythondraw(5, 50, 7, "psp7"));
    EXPECT_NE(cashflows(b.out), d1);
    // Batch: the same draws whatever the range, and apart from the default's.
    // D2.gpr is missing: the run goes on and says so in its exit status.
    ASSERT_EQ(cli("batch --first 1 --last 3 --pctneg 50 --seed 7 --slack 0 --interest 0.01").status,
              4);
    std::string info = readfile("info.out");
    EXPECT_EQ(infoline(info, 1), d1);
    EXPECT_NE(info.find("seed : 7\n"), std::string::npos);
    cli("batch --first 3 --last 3 --pctneg 50 --seed 7 --slack 0 --interest 0.01");
    EXPECT_EQ(infoline(readfile("info.out"), 3), infoline(info, 3));
    EXPECT_EQ(infoline(info, 3), pythondraw(100, 50, 7, "D3"));
    cli("batch --first 1 --last 3 --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(infoline(readfile("info.out"), 3).size(), 100u);
    EXPECT_NE(infoline(readfile("info.out"), 3), infoline(info, 3));
}

TEST(Experiments, OwnCashFlowsPerInstanceInBatch) {
    scratchdir dir;
    for (const char *name : {"D1.gpr", "D2.gpr", "D3.gpr", "D4.gpr"}) writefile(name, example);
    fs::create_directory("cf");
    writefile("cf/D1.txt", "0 -239.5 356\n366.25 # the last real one\n0\n");
    writefile("cf/D3.txt", "0 1 2 0\n");   // four for five activities
    writefile("cf/D4.txt", "0 1 x 2 0\n"); // not a number
    ran r = cli("batch --first 1 --last 4 --cashflows cf --deadline 15 --interest 0.01 "
                "--csv t.csv");
    // Problems without usable cash flows are not run, and the exit status says so.
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("3 of 4 problems not run"), std::string::npos) << r.err;
    std::istringstream table(readfile("t.csv"));
    std::string line;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(table, line)) rows.push_back(fields(line));
    ASSERT_EQ(rows.size(), 5u);
    // 356 e^-0.02 + 366.25 e^-0.05 - 239.5 e^-0.15, as in the worked example.
    EXPECT_NEAR(std::stod(rows[1][3]),
                356 * std::exp(-0.02) + 366.25 * std::exp(-0.05) - 239.5 * std::exp(-0.15), 1e-9);
    EXPECT_EQ(rows[1][11], ""); // pctneg
    for (int k : {2, 3, 4}) EXPECT_EQ(rows[k][1], "invalid") << k;
    EXPECT_NE(rows[2][14].find("cf/D2.txt"), std::string::npos) << rows[2][14];
    EXPECT_NE(rows[3][14].find("4 cash flows for 5 activities"), std::string::npos);
    EXPECT_EQ(rows[4][14], "cash flows: cf/D4.txt, line 1: 'x' is not a finite number");
    EXPECT_EQ(rows[4].size(), 15u);
    EXPECT_NE(r.err.find("D2.gpr: cash flows: cannot read cf/D2.txt"), std::string::npos) << r.err;
    EXPECT_NE(readfile("info.out").find("(1/-239.5) (2/356) (3/366.25)"), std::string::npos);
}

TEST(Experiments, DeadlineFactorRateZeroAndBatchDeadline) {
    // ceil(F * cp) of the decimal F: 1.1 * 10 is 11 in decimal but
    // 11.000000000000002 in doubles.
    EXPECT_EQ(gpr::factordeadline(10, 1.1), 11);
    EXPECT_EQ(gpr::factordeadline(5, 1.5), 8);
    EXPECT_EQ(gpr::factordeadline(683, 1.5), 1025);
    EXPECT_EQ(gpr::factordeadline(7, 1.2), 9); // 8.4
    EXPECT_EQ(gpr::factordeadline(0, 1.5), 0);
    // Times are 64-bit, and the tolerance for the decimal factor stays far
    // below one time unit at any size.
    EXPECT_EQ(gpr::factordeadline(2000000000, 1.5), 3000000000LL);
    EXPECT_EQ(gpr::factordeadline(3000000001LL, 1.1), 3300000002LL); // 3300000001.1
    EXPECT_EQ(gpr::factordeadline(INT64_MAX / 4, 4.0), INT64_MAX / 2);

    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("D2.gpr", "3 0\n0 1 2 1 1 0\n10 1 3 1 3 0\n0 0\n"); // critical path 10
    ran r = cli("solve D2.gpr --pctneg 0 --deadline-factor 1.1 --interest 0.01 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(jsonfield(r.out, "deadline"), "11");
    EXPECT_EQ(jsonfield(r.out, "critical_path"), "10");
    // Rate 0: every schedule is worth the sum of the cash flows.
    writefile("cf.txt", "0 -239.5 356 366.25 0");
    r = cli("solve D1.gpr --cashflows cf.txt --slack 3 --interest 0 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NEAR(std::stod(jsonfield(r.out, "npv")), 356 + 366.25 - 239.5, 1e-9);
    maxnpv::network net;
    std::string why;
    ASSERT_EQ(maxnpv::readnetwork("D1.gpr", &net, &why), maxnpv::status::solved);
    maxnpv::options opt;
    opt.interest = 0;
    opt.deadlinefactor = 1.5;
    maxnpv::result lib = maxnpv::solver().solve(net, {0, -239.5, 356, 366.25, 0}, opt);
    EXPECT_EQ(lib.status, maxnpv::status::solved) << lib.reason;
    EXPECT_EQ(lib.deadline, 8);
    opt.interest = -0.01;
    EXPECT_EQ(maxnpv::solver().solve(net, {0, 1, 1, 1, 0}, opt).status, maxnpv::status::invalid);

    r = cli("batch --first 1 --last 2 --pctneg 50 --deadline 40 --interest 0 --csv t.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream table(readfile("t.csv"));
    std::string header, one, two;
    std::getline(table, header), std::getline(table, one), std::getline(table, two);
    EXPECT_EQ(header, "problem,status,passes,npv,seconds,activities,relations,file,deadline,"
                      "critical_path,interest,pctneg,seed,method,reason");
    EXPECT_EQ(one.substr(one.find(",D1.gpr")), ",D1.gpr,40,5,0,50,,classic,");
    EXPECT_EQ(two.substr(two.find(",D2.gpr")), ",D2.gpr,40,10,0,50,,classic,");
    r = cli("batch --first 1 --last 2 --pctneg 50 --deadline-factor 1.1 --interest 0.01 "
            "--csv t.csv");
    EXPECT_NE(readfile("t.csv").find(",D2.gpr,11,10,"), std::string::npos);

    const char *const wrong[][2] = {
        {"batch --first 1 --last 1 --pctneg 5 --slack 0 --deadline 9 --interest 0.1",
         "give one of --slack S, --deadline D or --deadline-factor F"},
        {"batch --first 1 --last 1 --pctneg 5 --deadline-factor 0 --interest 0.1",
         "--deadline-factor needs a finite number above 0"},
        {"batch --first 1 --last 1 --pctneg 5 --slack 0 --interest -0.1",
         "--interest needs a finite number of at least 0"},
        {"batch --first 1 --last 1 --cashflows . --pctneg 5 --slack 0 --interest 0.1",
         "--cashflows takes the place of --pctneg"},
        {"solve D1.gpr --pctneg 5 --seed -1 --slack 0 --interest 0.1", "--seed needs a whole"},
        {"solve D1.gpr --cashflows cf.txt --seed 1 --slack 0 --interest 0.1",
         "--seed draws the cash flows of --pctneg"},
    };
    for (const auto &[args, says] : wrong) {
        SCOPED_TRACE(args);
        fs::remove("output.txt");
        r = cli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists("output.txt"));
    }
}

TEST(Experiments, DialogueStopsAtAnAnswerThatIsNoNumber) {
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("output.txt", "earlier\n");
    for (const char *answers : {"1\n2\nfifty\n10\n0.01\n", "x\n", "1 2 50 10 ten", "1 2 50"}) {
        SCOPED_TRACE(answers);
        ran r = cli("", answers);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(readfile("output.txt"), "earlier\n");
        EXPECT_FALSE(fs::exists("info.out"));
    }
    EXPECT_NE(cli("", "1\n2\nfifty\n10\n0.01\n")
                  .err.find("negative cash flows must be a "
                            "number, not 'fifty'"),
              std::string::npos);
    EXPECT_EQ(cli("", "1 1 50 10 0.01").status, 0);
}

// The count of activities the deadline does not bound, by Dijkstra's method
// over the earliest starts, against the plain label-correcting count it
// falls back on without them, on random networks (maximal lags, negative
// lags, planted oddities) and long projects.
TEST(Experiments, UnboundedCountAgreesWithLabelCorrecting) {
    testrng rng{20261210};
    int instances = 0, loosefound = 0;
    for (int k = 0; k < 600; k++) {
        const std::string text =
            k % 50 == 0 ? randomproject(rng.next(), rng.range(200, 2000))
                        : randominstance(rng.next(), k % 3 ? plantnone : plantdropped,
                                         rng.chance(30) ? 12 : 80, rng.chance(50) ? 60 : 20);
        gpr::problem p;
        gpr::problemparams pp = params(50, 0, 0.01);
        pp.countbounds = true;
        if (setuptext(&p, text, pp) != gpr::outcome::solved) continue;
        gpr::network plain = p.net;
        plain.est.clear();
        EXPECT_EQ(p.notbounded, gpr::notbounded(plain)) << text;
        instances++;
        loosefound += p.notbounded > 0;
    }
    EXPECT_GE(instances, 300);
    EXPECT_GE(loosefound, 30); // the instances must show both kinds
}

TEST(Experiments, BoundAllAndTheWarningWithoutIt) {
    // Without the bounds activity 2 starts at 0 and finishes at 5 against
    // the deadline 4 (the critical path 0 -> 3 -> end); with them the
    // critical path is 5 and it finishes by the deadline.
    scratchdir dir;
    writefile("D1.gpr", loose);
    writefile("D2.gpr", example);
    writefile("cf.txt", "0 -10 10 5 0");
    ran r = cli("solve D1.gpr --cashflows cf.txt --slack 0 --interest 0.1 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(jsonfield(r.out, "critical_path"), "4");
    size_t two = r.out.find("{\"activity\": 2");
    EXPECT_EQ(jsonfield(r.out, "finish", two), "5");
    EXPECT_EQ(r.err, "maxnpv solve: warning: D1.gpr: 1 activity is not bounded by the deadline "
                     "(no chain of relations to the end dummy covers its duration); --bound-all "
                     "bounds every activity\n");
    r = cli("solve D1.gpr --cashflows cf.txt --slack 0 --interest 0.1 --json --bound-all");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(jsonfield(r.out, "critical_path"), "5");
    EXPECT_EQ(jsonfield(r.out, "deadline"), "5");
    for (size_t at = r.out.find("\"finish\": "); at != std::string::npos;
         at = r.out.find("\"finish\": ", at + 1))
        EXPECT_LE(std::stoll(r.out.substr(at + 10)), 5);
    EXPECT_EQ(cli("solve D2.gpr --pctneg 50 --slack 0 --interest 0.1").err, "");

    // The count, and the entries that bound-all adds (only for unlisted pairs).
    gpr::problem p;
    gpr::problemparams pp = params(50, 0, 0.01);
    pp.countbounds = true;
    ASSERT_EQ(setuptext(&p, loose, pp), gpr::outcome::solved);
    EXPECT_EQ(p.notbounded, 1);
    EXPECT_EQ(p.criticalpath, 4);
    pp.boundall = true;
    ASSERT_EQ(setuptext(&p, loose, pp), gpr::outcome::solved);
    EXPECT_EQ(p.notbounded, 0);
    EXPECT_EQ(p.criticalpath, 5);
    EXPECT_EQ(p.net.nrfile, 6); // the file's entries, as the CSV counts them
    gpr::records rec;
    int reached;
    std::string why;
    ASSERT_EQ(gpr::scanrecords(loose.data(), loose.size(), gpr::runlimits(), &rec, &why, &reached),
              gpr::outcome::solved);
    gpr::addbounds(&rec);
    // Row 0 lists 2 and 3 already and gets 4; 2 gets 2 -> 5 (FS 0).
    ASSERT_EQ(rec.rowstart, std::vector<int>({0, 3, 5, 7, 8, 8}));
    EXPECT_EQ(rec.entries[2].named, 3);
    EXPECT_EQ(rec.entries[2].rel, 1);
    EXPECT_EQ(rec.entries[4].named, 4);
    EXPECT_EQ(rec.entries[4].rel, 3);

    // Batch: one warning line for the run; the records are those without it.
    r = cli("batch --first 1 --last 2 --pctneg 50 --slack 0 --interest 0.1");
    EXPECT_EQ(r.err, "maxnpv batch: warning: 1 problem has 1 activity not bounded by the "
                     "deadline (no chain of relations to the end dummy covers the activity's "
                     "duration); --bound-all bounds every activity\n");
    std::string output = readfile("output.txt");
    ran dialogue = cli("", "1 2 50 0 0.1");
    EXPECT_EQ(dialogue.err, "");
    EXPECT_EQ(readfile("output.txt").substr(0, 20), output.substr(0, 20));
    r = cli("batch --first 1 --last 2 --pctneg 50 --slack 0 --interest 0.1 --bound-all "
            "--csv t.csv");
    EXPECT_EQ(r.err, "");
    EXPECT_NE(readfile("t.csv").find("\n1,solved,"), std::string::npos);
    EXPECT_NE(readfile("t.csv").find(",5,6,D1.gpr,5,5,"), std::string::npos) << readfile("t.csv");
}

TEST(Experiments, JsonNamesLagsCriticalPathAndNumbering) {
    scratchdir dir;
    writefile("D1.gpr", example);
    ran r = cli("solve D1.gpr --pctneg 50 --slack 10 --interest 0.01 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(jsonfield(r.out, "numbering"), "\"from 1\"");
    EXPECT_EQ(jsonfield(r.out, "critical_path"), "5");
    // The lags of the worked example's pairs, from its file: 1 -> 2, 3, 4
    // finish-to-start after a duration 0; 2 -> 5 after 3; 3 -> 4 start to
    // start 1; 4 -> 5 after 4; the deadline arc 5 -> 1 is -15.
    std::map<std::pair<int, int>, int> lag = {{{1, 2}, 0}, {{1, 3}, 0}, {{1, 4}, 0},  {{2, 5}, 3},
                                              {{3, 4}, 1}, {{4, 5}, 4}, {{5, 1}, -15}};
    int arcs = 0;
    for (size_t at = r.out.find("{\"from\": "); at != std::string::npos;
         at = r.out.find("{\"from\": ", at + 1), arcs++) {
        std::pair<int, int> pair{std::stoi(jsonfield(r.out, "from", at)),
                                 std::stoi(jsonfield(r.out, "to", at))};
        ASSERT_EQ(lag.count(pair), 1u) << pair.first << "->" << pair.second;
        EXPECT_EQ(std::stoi(jsonfield(r.out, "lag", at)), lag[pair]);
    }
    EXPECT_EQ(arcs, 4); // a spanning tree of five activities

    // A .sch file numbers from 0, and so does every output of it.
    const std::string sch = std::string(MAXNPV_TESTDATA) + "/sch/example.sch";
    r = cli("solve '" + sch + "' --pctneg 50 --slack 5 --interest 0.01 --json --schedule s.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(jsonfield(r.out, "numbering"), "\"from 0\"");
    EXPECT_EQ(jsonfield(r.out, "activity"), "0");
    EXPECT_EQ(r.out.find("\"activity\": 6"), std::string::npos);
    EXPECT_NE(r.out.find("\"activity\": 5"), std::string::npos);
    EXPECT_NE(r.out.find("{\"from\": 5, \"to\": 0"), std::string::npos);
    const std::string csv = readfile("s.csv");
    EXPECT_EQ(csv.substr(csv.find('\n') + 1, 2), "0,");
    r = cli("solve '" + sch + "' --pctneg 50 --slack 5 --interest 0.01");
    EXPECT_NE(r.out.find("critical path "), std::string::npos);
}
