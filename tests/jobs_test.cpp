// Batch runs on several threads: a generated set with missing, unreadable,
// over-limit and infeasible problems mixed in gives the same files, console
// rows and error lines with --jobs 3 as with --jobs 1, all but the solve
// times, and every solved value is that of an independent solve through the
// library.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "maxnpv/maxnpv.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

ran cli(const std::string &args) {
    return runbinary(MAXNPV_BINARY, args);
}

std::vector<std::string> splitlines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The text with every solve time taken out: the last field of a console row
// or record of a solved problem, and the statistics line. What remains must
// not depend on the number of threads.
std::string withouttimes(const std::string &text) {
    std::string kept;
    for (const std::string &line : splitlines(text)) {
        std::istringstream in(line);
        std::vector<std::string> tokens;
        for (std::string t; in >> t;) tokens.push_back(t);
        const bool record = tokens.size() == 4 &&
                            line.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
        const bool row = tokens.size() == 4 && tokens[1] == "optimal";
        if (line.find("Average computation time") != std::string::npos)
            kept += "<statistics>";
        else if (record || row)
            kept += line.substr(0, line.rfind(tokens.back()));
        else
            kept += line;
        kept += '\n';
    }
    return kept;
}

std::vector<std::string> fields(const std::string &row) {
    return csvfields(row);
}

constexpr int secondscolumn = 4;

// The table without its seconds column.
std::string withoutseconds(const std::string &csv) {
    std::string kept;
    for (const std::string &line : splitlines(csv)) {
        std::vector<std::string> f = fields(line);
        if (f.size() > secondscolumn) f[secondscolumn] = "";
        for (const std::string &x : f) kept += x + "|";
        kept += '\n';
    }
    return kept;
}

// Every file of a folder with its text, by name.
std::string folderdump(const std::string &dir) {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    std::string all;
    for (const std::string &n : names) all += "== " + n + "\n" + readfile(dir + "/" + n);
    return all;
}

// The set: D1..D16 from gprgen (10 to 60 activities), D4 removed, D7
// replaced by an 80-activity instance (over a limit of 70), D9 replaced by
// text that is no instance; D17 and D18 do not exist.
void makeset() {
    const std::string gen = std::string("'") + GPRGEN_BINARY + "'";
    ASSERT_EQ(std::system((gen + " --count 16 --min-act 10 --max-act 60 --seed 5 --out set "
                                 "> /dev/null")
                              .c_str()),
              0);
    ASSERT_EQ(std::system((gen + " --count 1 --first 7 --act 80 --seed 9 --out set --force "
                                 "> /dev/null")
                              .c_str()),
              0);
    fs::remove("set/D4.gpr");
    writefile("set/D9.gpr", "this is no instance\n");
}

const char common[] = "batch --dir set --first 1 --last 18 --pctneg 40 --deadline 45 "
                      "--interest 0.01 --max-activities 70";

} // namespace

TEST(Jobs, ThreeThreadsWriteWhatOneWrites) {
    scratchdir dir;
    makeset();
    fs::create_directories("one/s");
    fs::create_directories("three/s");
    ran one = cli(std::string(common) + " --out one --csv one/t.csv --schedules one/s --jobs 1");
    ran three =
        cli(std::string(common) + " --out three --csv three/t.csv --schedules three/s --jobs 3");
    // Problems not run (D4, D7, D9, D17, D18) give the exit status 4 both ways.
    EXPECT_EQ(one.status, 4) << one.err;
    EXPECT_EQ(three.status, 4) << three.err;
    EXPECT_NE(one.err.find("5 of 18 problems not run: 3 not found, 1 unreadable, 1 over the limit"),
              std::string::npos)
        << one.err;
    EXPECT_EQ(three.err, one.err);
    EXPECT_EQ(withouttimes(three.out), withouttimes(one.out));
    EXPECT_EQ(readfile("three/info.out"), readfile("one/info.out"));
    EXPECT_EQ(withouttimes(readfile("three/output.txt")), withouttimes(readfile("one/output.txt")));
    EXPECT_EQ(withoutseconds(readfile("three/t.csv")), withoutseconds(readfile("one/t.csv")));
    EXPECT_EQ(folderdump("three/s"), folderdump("one/s"));

    // The rows against independent solves of the library: the batch's
    // default draw, an absolute deadline, the classic method.
    std::vector<std::string> rows = splitlines(readfile("three/t.csv"));
    ASSERT_EQ(rows.size(), 19u);
    int solved = 0, infeasible = 0;
    for (int k = 1; k <= 18; k++) {
        std::vector<std::string> f = fields(rows[k]);
        ASSERT_GE(f.size(), 15u) << rows[k];
        EXPECT_EQ(f[0], std::to_string(k));
        const std::string file = "set/D" + std::to_string(k) + ".gpr";
        maxnpv::network net;
        std::string why;
        const maxnpv::status read = maxnpv::readnetwork(file, &net, &why, 70);
        if (k == 4 || k >= 17) {
            EXPECT_EQ(f[1], "not found") << k;
            continue;
        }
        if (read != maxnpv::status::solved) {
            EXPECT_EQ(f[1], k == 7 ? "too many activities" : "invalid") << k;
            continue;
        }
        maxnpv::options opt;
        opt.interest = 0.01;
        opt.absolute = true;
        opt.deadline = 45;
        opt.method = maxnpv::method::classic;
        maxnpv::result r = maxnpv::solver().solve(net, maxnpv::randomcashflows(net, 40), opt);
        EXPECT_EQ(f[1], maxnpv::statusname(r.status)) << k;
        if (r.status == maxnpv::status::infeasible) infeasible++;
        if (r.status != maxnpv::status::solved) continue;
        solved++;
        EXPECT_NEAR(std::stod(f[3]), r.npv, 1e-9 * std::max(1.0, std::fabs(r.npv))) << k;
        EXPECT_EQ(f[2], std::to_string(r.passes)) << k;
    }
    // The deadline leaves some networks without a schedule and solves others.
    EXPECT_GE(solved, 3);
    EXPECT_GE(infeasible, 1);
}

TEST(Jobs, InstanceFilesAndFoldersOnSeveralThreads) {
    scratchdir dir;
    makeset();
    fs::create_directories("one");
    fs::create_directories("many");
    // More threads than problems, and one thread per core.
    const std::string args = " --pctneg 60 --seed 3 --slack 12 --interest 0.02 set/D2.gpr set";
    ran one = cli("batch --out one --csv one/t.csv" + args);
    ran eight = cli("batch --out many --csv many/t.csv --jobs 32" + args);
    EXPECT_EQ(one.status, 4) << one.err;
    EXPECT_EQ(eight.err, one.err);
    EXPECT_EQ(withouttimes(eight.out), withouttimes(one.out));
    EXPECT_EQ(readfile("many/info.out"), readfile("one/info.out"));
    EXPECT_EQ(withouttimes(readfile("many/output.txt")), withouttimes(readfile("one/output.txt")));
    EXPECT_EQ(withoutseconds(readfile("many/t.csv")), withoutseconds(readfile("one/t.csv")));
    ran cores = cli("batch --out many --jobs 0" + args);
    EXPECT_EQ(cores.status, 4) << cores.err;
    EXPECT_EQ(readfile("many/info.out"), readfile("one/info.out"));
    // 1 file and the 15 instance files of the folder.
    EXPECT_EQ(splitlines(readfile("one/t.csv")).size(), 17u);

    // Own cash flows read on the threads: D3's file is missing and D5's has
    // one value too few; the others give every activity 10.
    fs::create_directories("cf");
    for (int k = 1; k <= 16; k++) {
        maxnpv::network net;
        std::string why;
        const std::string name = "D" + std::to_string(k);
        if (k == 3 ||
            maxnpv::readnetwork("set/" + name + ".gpr", &net, &why, 70) != maxnpv::status::solved)
            continue;
        std::string text;
        for (size_t i = 0; i + (k == 5 ? 1 : 0) < net.durations.size(); i++) text += "10 ";
        writefile("cf/" + name + ".txt", text);
    }
    const std::string own = " --cashflows cf --deadline-factor 1.5 --interest 0.01 "
                            "--max-activities 70 --method fast set";
    ran ownone = cli("batch --out one --csv one/t.csv" + own);
    ran owntwo = cli("batch --out many --csv many/t.csv --jobs 2" + own);
    EXPECT_EQ(ownone.status, 4) << ownone.err;
    EXPECT_NE(ownone.err.find("D3.gpr: cash flows: cannot read cf/D3.txt"), std::string::npos)
        << ownone.err;
    EXPECT_EQ(owntwo.err, ownone.err);
    EXPECT_EQ(withouttimes(owntwo.out), withouttimes(ownone.out));
    EXPECT_EQ(readfile("many/info.out"), readfile("one/info.out"));
    EXPECT_EQ(withoutseconds(readfile("many/t.csv")), withoutseconds(readfile("one/t.csv")));
    // D1: every activity 10, its npv no more than the undiscounted sum.
    std::vector<std::string> d1 = fields(splitlines(readfile("many/t.csv"))[1]);
    ASSERT_EQ(d1[1], "solved");
    EXPECT_GT(std::stod(d1[3]), 0);
    EXPECT_LT(std::stod(d1[3]), 10.0 * std::stoi(d1[5]));
}

TEST(Jobs, ValuesThatAreNoThreadCountAreRefused) {
    scratchdir dir;
    for (const char *bad : {"-1", "two", "1.5", "", "1025"}) {
        ran r = cli(std::string("batch --first 1 --last 1 --pctneg 0 --slack 0 --interest 0 "
                                "--jobs '") +
                    bad + "'");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("--jobs"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists("output.txt")) << bad;
    }
}
