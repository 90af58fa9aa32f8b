// The search under resources as the command line offers it: solve's
// summary and JSON document (checked by rcheck, which reads the instance
// itself), the progress file, Ctrl-C, and batch runs with limits on several
// threads. Each run is the built binary in a fresh folder without a
// terminal.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/testsupport.h"

namespace {

const std::string maxnpv = MAXNPV_BINARY;
const std::string data = std::string(MAXNPV_TESTDATA) + "/rcpsp/";

// The number after "key": in a JSON document, or NaN when it is null or missing.
double jsonnumber(const std::string &doc, const std::string &key) {
    const size_t at = doc.find("\"" + key + "\": ");
    if (at == std::string::npos) return std::nan("");
    const std::string rest = doc.substr(at + key.size() + 4);
    if (rest.compare(0, 4, "null") == 0) return std::nan("");
    return std::stod(rest);
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A hard instance, D5.gpr: 120 activities of the random shape with five
// resources, which no search finishes within seconds.
void writehard() {
    const ran g = runbinary(GPRGEN_BINARY, "--shape random --act 120 --count 5 --seed 7 "
                                           "--resources 5 --resource-factor 0.5 "
                                           "--resource-strength 0.7");
    ASSERT_EQ(g.status, 0) << g.err;
}

TEST(ResourceModes, SolveShowsAScheduleThatTheCheckerAccepts) {
    scratchdir dir;
    const std::string file = data + "psp11.sch";
    const ran r = runbinary(maxnpv, "solve " + file +
                                        " --resources --pctneg 50 --deadline-factor 1.5 "
                                        "--interest 0.01 --json --certificate");
    ASSERT_EQ(r.status, 0) << r.err;
    writefile("r.json", r.out);
    EXPECT_NE(r.out.find("\"status\": \"solved\""), std::string::npos);
    EXPECT_NE(r.out.find("\"resources\": true"), std::string::npos);
    EXPECT_EQ(jsonnumber(r.out, "bound"), jsonnumber(r.out, "npv"));
    EXPECT_EQ(jsonnumber(r.out, "gap"), 0);
    EXPECT_EQ(jsonnumber(r.out, "time_limit"), 60); // the default
    EXPECT_NE(r.out.find("\"capacities\": ["), std::string::npos);
    const ran check = runbinary(RCHECK_BINARY, file + " r.json");
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    // The summary tells the same, and no warning of an overload.
    const ran text = runbinary(maxnpv, "solve " + file +
                                           " --resources --pctneg 50 --deadline-factor 1.5 "
                                           "--interest 0.01");
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("\nstatus        solved\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\ntime limit    60 s\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.err, "");
    // Without --resources the same schedule overloads a resource and says so.
    const ran plain =
        runbinary(maxnpv, "solve " + file + " --pctneg 50 --deadline-factor 1.5 --interest 0.01");
    EXPECT_NE(plain.err.find("--resources takes the resources into account"), std::string::npos)
        << plain.err;
    // Its options go with --resources only.
    const ran bad = runbinary(maxnpv, "solve " + file +
                                          " --node-limit 5 --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "maxnpv solve: --node-limit goes with --resources\n");
}

TEST(ResourceModes, ALimitGivesTheBestScheduleOrNoneAndTheProgressFileItsSteps) {
    scratchdir dir;
    writehard();
    const ran r = runbinary(maxnpv, "solve D5.gpr --resources --pctneg 50 --deadline-factor 1.5 "
                                    "--interest 0.01 --time-limit 2 --json --progress p.csv");
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("\"status\": \"limit reached\""), std::string::npos) << r.out;
    const double npv = jsonnumber(r.out, "npv"), bound = jsonnumber(r.out, "bound");
    ASSERT_TRUE(std::isfinite(bound));
    if (std::isfinite(npv)) {
        EXPECT_LE(npv, bound);
        writefile("r.json", r.out);
        const ran check = runbinary(RCHECK_BINARY, "D5.gpr r.json");
        EXPECT_EQ(check.status, 0) << check.out << check.err;
    } else {
        EXPECT_NE(r.out.find("\"activities\": []"), std::string::npos);
    }
    // The progress file: a header, then rows of growing time whose npv
    // never falls and whose bound never rises, the last with the final
    // figures.
    const std::vector<std::string> rows = lines(readfile("p.csv"));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], "seconds,npv,bound,nodes");
    double time = 0, best = -HUGE_VAL, least = HUGE_VAL;
    for (size_t k = 1; k < rows.size(); k++) {
        const std::vector<std::string> f = csvfields(rows[k]);
        ASSERT_EQ(f.size(), 4u) << rows[k];
        EXPECT_GE(std::stod(f[0]), time);
        time = std::stod(f[0]);
        if (!f[1].empty()) {
            EXPECT_GE(std::stod(f[1]), best);
            best = std::stod(f[1]);
        }
        EXPECT_LE(std::stod(f[2]), least);
        least = std::stod(f[2]);
    }
    const std::vector<std::string> last = csvfields(rows.back());
    EXPECT_EQ(std::stod(last[2]), bound);
    EXPECT_EQ(std::stoll(last[3]), (long long)jsonnumber(r.out, "nodes"));
    if (std::isfinite(npv)) {
        EXPECT_EQ(std::stod(last[1]), npv);
    }
}

TEST(ResourceModes, CtrlCEndsTheSearchWithItsBestSchedule) {
    scratchdir dir;
    writehard();
    // SIGINT after two seconds of a search that would take a minute.
    const ran r = runbinary("timeout", "--preserve-status -s INT 2 " + maxnpv +
                                           " solve D5.gpr --resources --pctneg 50 "
                                           "--deadline-factor 1.5 --interest 0.01 --json");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("\"status\": \"limit reached\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"reason\": \"the search was stopped\""), std::string::npos) << r.out;
    EXPECT_LT(jsonnumber(r.out, "nodes"), 1e9);
}

TEST(ResourceModes, BatchSolvesUnderResourcesOnSeveralThreads) {
    scratchdir dir;
    const std::string files = data + "psp1.sch " + data + "psp11.sch " + data + "psp16.sch";
    const std::string common = "batch --resources --pctneg 50 --deadline-factor 1.5 "
                               "--interest 0.01 --time-limit 30 ";
    const ran one = runbinary(maxnpv, common + "--csv one.csv " + files);
    ASSERT_EQ(one.status, 0) << one.err;
    const std::string output = readfile("output.txt");
    const ran two = runbinary(maxnpv, common + "--jobs 2 --csv two.csv " + files);
    ASSERT_EQ(two.status, 0) << two.err;
    const std::vector<std::string> a = lines(readfile("one.csv")), b = lines(readfile("two.csv"));
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(a[0].substr(a[0].size() - 16), ",bound,gap,nodes");
    // The same answers on two threads but for the times.
    for (size_t k = 1; k < a.size(); k++) {
        std::vector<std::string> x = csvfields(a[k]), y = csvfields(b[k]);
        ASSERT_EQ(x.size(), 18u) << a[k];
        x[4] = y[4] = "";
        EXPECT_EQ(x, y);
    }
    // psp1 is unsat; the others are solved, each bound its npv, each passes
    // column the nodes of the search, as output.txt has it.
    EXPECT_EQ(csvfields(a[1])[1], "infeasible");
    for (size_t k = 2; k < a.size(); k++) {
        const std::vector<std::string> x = csvfields(a[k]);
        EXPECT_EQ(x[1], "solved");
        EXPECT_EQ(x[15], x[3]);
        EXPECT_EQ(x[16], "0");
        EXPECT_EQ(x[17], x[2]);
        char record[64];
        std::snprintf(record, sizeof record, "\n%5d %5d %8.2lf", (int)k, std::stoi(x[2]),
                      std::stod(x[3]));
        EXPECT_NE(output.find(record), std::string::npos) << record;
    }
    EXPECT_NE(output.find("\n    1    no feasible schedule"), std::string::npos);
}

} // namespace
