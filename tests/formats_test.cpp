// The standard RCPSP formats and the instance files of the public sets as
// they are named: the .sm and .rcp readers (hand-written valid files and one
// tiny bad file per defect), the choice of the format by the extension in
// any case or by --format, the reason that names the format a rejected file
// reads in, maxnpv solve on such files and on the standard input against
// hand-worked optima, and maxnpv batch over instance files and folders in
// the layout of the public sets, with the line and the exit status of a run
// that leaves problems unrun.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "driver/batch.h"
#include "format/instformat.h"
#include "format/rcpread.h"
#include "format/smread.h"
#include "input/loadinstance.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

const std::string data = std::string(MAXNPV_TESTDATA) + "/";

// Runs maxnpv without a terminal in the working folder, standard input from
// the file `input` (empty: nothing).
ran maxnpv(const std::string &args, const std::string &input = "") {
    return runbinary(MAXNPV_BINARY, args, input.empty() ? "" : readfile(input));
}

// The value of a line "key   value" of solve's table.
std::string tablefield(const std::string &out, const std::string &key) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, key.size() + 1, key + " ") == 0)
            return line.substr(line.find_first_not_of(' ', key.size()));
    return "";
}

// The hand-worked examples. sm/example.sm: jobs 1 -> 2, 3, 4; 2 (4) -> 5;
// 3 (2) -> 5, 6; 4 (6) -> 7; 5 (3) -> 7; 6 (1) -> 7 (durations in
// brackets), so job 5 starts at max(4, 2) = 4 and the end dummy at
// max(6, 4 + 3, 2 + 1) = 7. rcp/example.rcp: 1 -> 2, 3; 2 (3) -> 4 (4) -> 6;
// 3 (2) -> 5 (6) -> 6: the end dummy at max(3 + 4, 2 + 6) = 8.
const int smcritical = 7, rcpcritical = 8;

} // namespace

TEST(Formats, ValidFilesConvertToTheHandWrittenGpr) {
    // Every precedence a minimal finish-to-start entry of lag 0, durations,
    // demands and capacities carried over; CR LF line ends read alike.
    for (const char *name : {"sm/example", "rcp/example"}) {
        SCOPED_TRACE(name);
        const bool sm = std::string(name)[0] == 's';
        std::string text = readfile(data + name + (sm ? ".sm" : ".rcp")), crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::string &t : {text, crlf}) {
            gprinstance g;
            formaterror err;
            ASSERT_TRUE(sm ? readsm(t, &g, &err) : readrcp(t, &g, &err)) << err.reason;
            EXPECT_EQ(formatgpr(g), readfile(data + name + ".gpr"));
        }
    }
    // Earliest starts from the conversion, as worked out above.
    gpr::problem p;
    std::string text = readfile(data + "sm/example.sm");
    ASSERT_EQ(gpr::setupproblem(&p, text.data(), text.size(), params(0, 0, 0.01), instformat::sm),
              gpr::outcome::solved)
        << p.reason;
    EXPECT_EQ(p.net.est, (std::vector<int64_t>{0, 0, 0, 0, 4, 2, smcritical}));
    text = readfile(data + "rcp/example.rcp");
    ASSERT_EQ(gpr::setupproblem(&p, text.data(), text.size(), params(0, 0, 0.01), instformat::rcp),
              gpr::outcome::solved)
        << p.reason;
    EXPECT_EQ(p.net.est, (std::vector<int64_t>{0, 0, 0, 3, 2, rcpcritical}));
}

// The renewable resources of every format reach the network: one capacity
// per type and a demand per activity and type, as the hand-written files hold
// them. A .sm file's non-renewable and
// doubly constrained resources are read and checked but left out, so
// mixed-resources.sm (example.sm with one of each kind more) gives the
// network of example.sm.
TEST(Formats, RenewableResourcesReachTheNetwork) {
    const std::vector<int> schdemand = {0, 0, 2, 1, 1, 3, 3, 0, 0, 2, 0, 0};
    const std::vector<int> smdemand = {0, 0, 3, 1, 2, 0, 0, 4, 5, 2, 1, 1, 0, 0};
    const struct {
        const char *file;
        instformat fmt;
        std::vector<int> capacity, demand;
    } cases[] = {
        {"sch/example.gpr", instformat::gpr, {4, 3}, schdemand},
        {"sch/example.sch", instformat::sch, {4, 3}, schdemand},
        {"sch/nores.sch", instformat::sch, {}, {}},
        {"sm/example.sm", instformat::sm, {6, 5}, smdemand},
        {"sm/mixed-resources.sm", instformat::sm, {6, 5}, smdemand},
        {"rcp/example.rcp", instformat::rcp, {10}, {0, 4, 5, 2, 3, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = readfile(data + c.file);
        gpr::network net;
        std::string why;
        int reached;
        ASSERT_EQ(gpr::readinstance(text.data(), text.size(), c.fmt, gpr::runlimits(), &net, &why,
                                    &reached),
                  gpr::outcome::solved)
            << why;
        EXPECT_EQ(net.nrres, (int)c.capacity.size());
        EXPECT_EQ(net.capacity, c.capacity);
        EXPECT_EQ(net.demand, c.demand);
    }
    // A negative value in a column that is left out is still a defect.
    std::string text = readfile(data + "sm/mixed-resources.sm");
    const size_t job5 = text.find("  5      1     3       5    2    9    0");
    ASSERT_NE(job5, std::string::npos);
    text.replace(job5 + 30, 4, "  -9");
    gprinstance g;
    formaterror err;
    EXPECT_FALSE(readsm(text, &g, &err));
    EXPECT_EQ(err.line, 34);
    EXPECT_NE(err.reason.find("demand 3 of job 5 is -9, expected 0 to"), std::string::npos)
        << err.reason;
}

TEST(Formats, EveryMalformedFileHasItsLineAndReason) {
    const std::tuple<const char *, long, const char *> cases[] = {
        {"sm/bad/no-jobs-line.sm", 16,
         "found \"PRECEDENCE RELATIONS:\" before the header line "
         "\"jobs (incl. supersource/sink ): N\""},
        {"sm/bad/no-renewable-line.sm", 16, "before the header line \"- renewable : N R\""},
        {"sm/bad/jobs-not-a-number.sm", 6, "the number of jobs is \"seven\", not a 32-bit"},
        {"sm/bad/multi-mode.sm", 20, "job 2 has 3 modes: this is a multi-mode file"},
        {"sm/bad/job-order.sm", 21, "the job number is 4, expected 3"},
        {"sm/bad/successor-range.sm", 20, "successor 1 of job 2 is 8, expected 1 to 7"},
        {"sm/bad/self-successor.sm", 20, "successor 1 of job 2 is the job itself"},
        {"sm/bad/duplicate-successor.sm", 21, "successor 2 of job 3 (job 5) is listed twice"},
        {"sm/bad/successor-count.sm", 19,
         "the precedence line of job 1 has 5 values, expected 6 for 3 successors"},
        {"sm/bad/missing-precedence-line.sm", 25,
         "found a line of asterisks, expected the precedence line of job 7 (the header "
         "announces 7 jobs)"},
        {"sm/bad/huge-job-count.sm", 26,
         "expected the precedence line of job 8 (the header announces 2000000000 jobs)"},
        {"sm/bad/missing-dashed-line.sm", 29,
         "found \"1 1 0 0 0\", expected the dashed line under the column header"},
        {"sm/bad/request-values.sm", 31,
         "the request line of job 2 has 4 values, expected 5 (job, mode, duration and 2 "
         "demands)"},
        {"sm/bad/request-mode.sm", 32, "the mode of job 3 is 2, expected 1"},
        {"sm/bad/negative-duration.sm", 33, "the duration of job 4 is -6, expected 0 to 1000000"},
        {"sm/bad/non-integer.sm", 34, "demand 2 of job 5 is \"2.5\", not a 32-bit integer"},
        {"sm/bad/capacity-count.sm", 40, "the capacity line has 1 values, expected 2"},
        {"sm/bad/negative-capacity.sm", 40, "capacity 2 is -5, expected 0 to"},
        {"sm/bad/missing-availabilities.sm", 38,
         "the file ends here, expected the section \"RESOURCEAVAILABILITIES:\""},
        {"sm/bad/trailing-text.sm", 42,
         "unexpected text \"7 1 0 0 0\" after the resource availabilities"},
        {"rcp/bad/one-activity.rcp", 1, "the number of activities is 1, expected 2 to"},
        {"rcp/bad/negative-resource-count.rcp", 1, "the number of resources is -1, expected 0"},
        {"rcp/bad/negative-capacity.rcp", 2, "capacity 1 is -10, expected 0 to"},
        {"rcp/bad/ends-early.rcp", 8, "the file ends here, expected the duration of activity 6"},
        {"rcp/bad/huge-activity-count.rcp", 9,
         "the file ends here, expected the duration of activity 7"},
        {"rcp/bad/negative-duration.rcp", 5, "the duration of activity 3 is -2, expected 0"},
        {"rcp/bad/duration-too-large.rcp", 4, "the duration of activity 2 is 1000001"},
        {"rcp/bad/successor-count-too-large.rcp", 4,
         "the successor count of activity 2 is 6, expected 0 to 5"},
        {"rcp/bad/successor-range.rcp", 6, "successor 1 of activity 4 is 7, expected 1 to 6"},
        {"rcp/bad/self-successor.rcp", 6, "successor 1 of activity 4 is the activity itself"},
        {"rcp/bad/duplicate-successor.rcp", 3,
         "successor 2 of activity 1 (activity 2) is listed twice"},
        {"rcp/bad/non-integer.rcp", 7, "demand 1 of activity 5 is \"3x\", not a 32-bit integer"},
        {"rcp/bad/trailing-text.rcp", 9, "unexpected text \"0\" after the last activity"},
    };
    for (const auto &[file, line, says] : cases) {
        SCOPED_TRACE(file);
        gprinstance g;
        g.nract = 99; // left alone by a failed read
        formaterror err;
        const std::string text = readfile(data + file);
        EXPECT_FALSE(formatofname(file) == instformat::sm ? readsm(text, &g, &err)
                                                          : readrcp(text, &g, &err));
        EXPECT_EQ(err.line, line);
        EXPECT_NE(err.reason.find(says), std::string::npos) << err.reason;
        EXPECT_EQ(g.nract, 99);
    }
}

TEST(Formats, ChosenByTheExtensionInAnyCase) {
    const std::tuple<const char *, instformat> names[] = {
        {"PSP1.SCH", instformat::sch}, {"ubo/psp31.sch", instformat::sch},
        {"j301_1.sm", instformat::sm}, {"J30.SM", instformat::sm},
        {"pat1.RCP", instformat::rcp}, {"D1.Gpr", instformat::gpr},
        {"D1", instformat::gpr},       {"set.sch/D1", instformat::gpr},
        {"a.txt", instformat::gpr},    {"x.schx", instformat::gpr},
    };
    for (const auto &[name, fmt] : names) EXPECT_EQ(formatofname(name), fmt) << name;
    instformat f;
    EXPECT_TRUE(formatofkey("rcp", &f) && f == instformat::rcp);
    EXPECT_FALSE(formatofkey("SCH", &f) || formatofkey("", &f));
}

TEST(Formats, ARejectedFileNamesTheFormatItReadsIn) {
    // Each valid file read in each wrong format: the reason of the wrong
    // format, then the hint naming the right one.
    const std::tuple<std::string, instformat, const char *> files[] = {
        {data + "sch/example.gpr", instformat::gpr, ".gpr file: name it .gpr or give --format gpr"},
        {data + "sch/example.sch", instformat::sch,
         "ProGen/max .sch file: name it .sch or give --format sch"},
        {data + "sm/example.sm", instformat::sm,
         "PSPLIB .sm file: name it .sm or give --format sm"},
        {data + "sch/nores.sch", instformat::sch, ".sch file"},
    };
    for (const auto &[file, right, hint] : files) {
        const std::string text = readfile(file);
        for (int k = 0; k < instformats; k++) {
            const instformat wrong = static_cast<instformat>(k);
            if (wrong == right) continue;
            SCOPED_TRACE(file + " as " + formatkey(wrong));
            gpr::network net;
            std::string reason;
            int reached;
            EXPECT_EQ(gpr::readinstance(text.data(), text.size(), wrong, gpr::runlimits(), &net,
                                        &reason, &reached),
                      gpr::outcome::invalid);
            EXPECT_EQ(reason.compare(0, 5, "line "), 0) << reason;
            EXPECT_NE(reason.find(std::string("; this looks like a ")), std::string::npos)
                << reason;
            EXPECT_NE(reason.find(hint), std::string::npos) << reason;
        }
    }
    // A .rcp file with no successor entries is also a valid .gpr text: the
    // first format that reads it is named. A file that reads in no format
    // gets no hint.
    EXPECT_EQ(gpr::formathint("2 0\n0 0\n0 0\n", instformat::sch),
              "this looks like a .gpr file: name it .gpr or give --format gpr");
    EXPECT_EQ(gpr::formathint("3 0\n0 1 1 1 0\nfoo\n", instformat::gpr), "");
}

TEST(Formats, SolveReadsEveryFormatByNameOrFormatAndFromStandardInput) {
    scratchdir dir;
    // Hand-worked optima at interest 0.01, cash flows at the finishes.
    // sm: deadline 7 + 3 = 10; 3 and 4 (positive) start at 0, 6 (-30) as
    // late as it can, finishing at 10; the set {2 (-100), 5 (+40)} is worth
    // less than 0 at any time, so it moves as late as the deadline lets 5
    // finish: 2 at 3, 5 at 7.
    writefile("sm.cf", "0 -100 60 150 40 -30 0\n");
    const double smnpv = -100 * std::exp(-0.07) + 60 * std::exp(-0.02) + 150 * std::exp(-0.06) +
                         40 * std::exp(-0.10) - 30 * std::exp(-0.10);
    // rcp: deadline 8 + 2 = 10; 2 (+100) and 4 (+200) at 0 and 3, 3 (-50)
    // and 5 (-80) as late as the deadline lets them: 5 finishes at 10, 3 at 4.
    writefile("rcp.cf", "0 100 -50 200 -80 0\n");
    const double rcpnpv =
        100 * std::exp(-0.03) + 200 * std::exp(-0.07) - 50 * std::exp(-0.04) - 80 * std::exp(-0.10);
    fs::copy(data + "sm/example.sm", "J1.SM");
    fs::copy(data + "rcp/example.rcp", "pat.txt");
    const std::tuple<std::string, std::string, std::string, long, double> runs[] = {
        {"solve J1.SM", "", "sm.cf --slack 3", smcritical + 3, smnpv},
        {"solve - --format sm", "J1.SM", "sm.cf --slack 3", smcritical + 3, smnpv},
        {"solve pat.txt --format rcp", "", "rcp.cf --slack 2", rcpcritical + 2, rcpnpv},
        {"solve --format=rcp -", "pat.txt", "rcp.cf --deadline 10", 10, rcpnpv},
    };
    for (const auto &[args, input, rest, deadline, npv] : runs) {
        SCOPED_TRACE(args);
        ran r = maxnpv(args + " --interest 0.01 --cashflows " + rest, input);
        ASSERT_EQ(r.status, 0) << r.err << r.out;
        EXPECT_EQ(tablefield(r.out, "deadline"), std::to_string(deadline));
        EXPECT_NEAR(std::stod(tablefield(r.out, "npv")), npv, 1e-9 * std::fabs(npv));
    }
    // Upper-case ProGen/max names read as .sch; the same file named .gpr is
    // rejected with the hint; bad --format values are bad use.
    fs::copy(data + "sch/example.sch", "PSP1.SCH");
    fs::copy(data + "sch/example.sch", "psp1.gpr");
    ran r = maxnpv("solve PSP1.SCH --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(r.status, 0) << r.out;
    r = maxnpv("solve psp1.gpr --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(tablefield(r.out, "reason")
                  .find("; this looks like a ProGen/max .sch file: name it "
                        ".sch or give --format sch"),
              std::string::npos)
        << r.out;
    r = maxnpv("solve psp1.gpr --format sch --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(r.status, 0) << r.out;
    for (const char *args : {"solve PSP1.SCH --format psplib --pctneg 5 --slack 0 --interest 1",
                             "solve PSP1.SCH --max-activities 1 --pctneg 5 --slack 0 --interest 1",
                             "batch --format xml --pctneg 5 --slack 0 --interest 1 PSP1.SCH"}) {
        SCOPED_TRACE(args);
        r = maxnpv(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(Formats, ReasonsNameTheActivitiesOfASchFileAsItNumbersThem) {
    // Activities 1 and 2 of the file form a cycle of length 5 - 1 = 4. Its
    // conversion numbers every activity one higher, and so must the reason.
    scratchdir dir;
    writefile("cycle.sch", "3\t1\t0\t0\n"
                           "0\t1\t1\t1\t[0]\n"
                           "1\t1\t1\t2\t[5]\n"
                           "2\t1\t2\t1\t4\t[-1]\t[2]\n"
                           "3\t1\t1\t4\t[1]\n"
                           "4\t1\t0\n\n"
                           "0\t1\t0\t0\n1\t1\t1\t1\n2\t1\t1\t1\n3\t1\t1\t1\n4\t1\t0\t0\n5\n");
    ASSERT_EQ(runbinary(SCH2GPR_BINARY, "cycle.sch cycle.gpr", "").status, 0);
    const std::string args = " --pctneg 50 --slack 5 --interest 0.01";
    const std::string sch = tablefield(maxnpv("solve cycle.sch" + args).out, "reason");
    const std::string gpr = tablefield(maxnpv("solve cycle.gpr" + args).out, "reason");
    const std::string raising = "no feasible schedule: a cycle of positive length in the "
                                "relations keeps raising the start of activity ";
    ASSERT_EQ(gpr.compare(0, raising.size(), raising), 0) << gpr;
    const int named = std::atoi(gpr.c_str() + raising.size()); // either activity of the cycle
    EXPECT_TRUE(named == 2 || named == 3) << gpr;
    EXPECT_EQ(gpr, raising + std::to_string(named) + "; the cycle: 2 -> 3 -> 2 (length 4)");
    EXPECT_EQ(sch, raising + std::to_string(named - 1) + "; the cycle: 1 -> 2 -> 1 (length 4)");
}

TEST(Formats, NaturalOrderOfNames) {
    std::vector<std::string> names{"psp10.sch",  "PSP2.SCH", "psp1.sch",  "PSP30.sch", "psp31.sch",
                                   "psp003.sch", "a.sm",     "psp2a.sch", "PSP1.sch"};
    std::sort(names.begin(), names.end(), gpr::naturalless);
    EXPECT_EQ(names,
              (std::vector<std::string>{"a.sm", "PSP1.sch", "psp1.sch", "PSP2.SCH", "psp2a.sch",
                                        "psp003.sch", "psp10.sch", "PSP30.sch", "psp31.sch"}));
    EXPECT_EQ(gpr::instancename("sets/ubo10/PSP1.SCH"), "PSP1");
    EXPECT_EQ(gpr::instancename("j30.1.sm"), "j30.1");
}

TEST(Formats, BatchRunsAFolderInThePublicLayout) {
    scratchdir dir;
    // A set as it is distributed: mixed-case names and the companions.
    fs::create_directories("ubo10");
    fs::create_directories("results");
    fs::copy(data + "sch/example.sch", "ubo10/PSP1.SCH");
    fs::copy(data + "sch/nores.sch", "ubo10/psp2.sch");
    fs::copy(data + "sch/example.sch", "ubo10/PSP10.sch");
    writefile("ubo10/params.txt", "n = 10\nK = 2\n");
    writefile("ubo10/protocol.txt", "generated by hand for a test\n");
    writefile("ubo10/stat.txt", "psp1 12 3\npsp2 0 1\n");
    fs::copy(data + "rcp/example.rcp", "pat.rcp");
    ran r = maxnpv("batch --pctneg 50 --slack 2 --interest 0.01 --out results ubo10 pat.rcp");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(fs::exists("output.txt") || fs::exists("info.out"));
    // Console rows name the files in natural order; output.txt and info.out
    // number the problems by their position.
    std::vector<std::string> names, numbers, infos;
    std::istringstream console(r.out), output(readfile("results/output.txt")),
        info(readfile("results/info.out"));
    for (std::string line; std::getline(console, line);)
        if (line.find("optimal") != std::string::npos) names.push_back(line.substr(0, 9));
    for (std::string line; std::getline(output, line);)
        if (!line.empty() && line.find("Average") == std::string::npos)
            numbers.push_back(line.substr(0, 5));
    for (std::string line; std::getline(info, line);)
        if (line.find(" : (") != std::string::npos) infos.push_back(line.substr(0, 4));
    EXPECT_EQ(names,
              (std::vector<std::string>{"     PSP1", "     psp2", "    PSP10", "      pat"}));
    EXPECT_EQ(numbers, (std::vector<std::string>{"    1", "    2", "    3", "    4"}));
    EXPECT_EQ(infos, (std::vector<std::string>{"   1", "   2", "   3", "   4"}));
    // The rcp file's record: deadline 8 + 2, the batch's cash flows.
    ran one = maxnpv("solve pat.rcp --pctneg 50 --slack 2 --interest 0.01");
    std::string fourth = readfile("results/output.txt");
    fourth = fourth.substr(fourth.find("\n    4 "));
    char npv[32];
    std::snprintf(npv, sizeof npv, "%8.2lf", std::stod(tablefield(one.out, "npv")));
    EXPECT_EQ(fourth.substr(13, 8), npv) << fourth;
}

TEST(Formats, BatchThatLeavesProblemsUnrunSaysSoAndFails) {
    scratchdir dir;
    fs::create_directory("empty");
    // A chain of 1002 activities (the size of UBO1000), over the default
    // limit of 1000, and a file that is no instance.
    std::string big = "1002 0\n";
    for (int i = 1; i < 1002; i++) big += "1 1 " + std::to_string(i + 1) + " 1 3 0\n";
    big += "0 0\n";
    writefile("big.gpr", big);
    writefile("bad.gpr", "3 0 x\n");
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--dir empty --first 1 --last 2", 4,
         "maxnpv batch: 2 of 2 problems not run: 2 not found\n"},
        {"big.gpr", 4, "1 of 1 problem not run: 1 over the limit\n"},
        {"--max-activities 0 big.gpr", 0, ""},
        {"bad.gpr big.gpr --max-activities 1002", 4, "1 of 2 problems not run: 1 unreadable\n"},
        {"big.gpr bad.gpr", 4, "2 of 2 problems not run: 1 unreadable, 1 over the limit\n"},
    };
    for (const auto &[args, status, ends] : cases) {
        SCOPED_TRACE(args);
        ran r = maxnpv("batch --pctneg 50 --slack 0 --interest 0.01 " + args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(r.err.size() >= ends.size() &&
                      r.err.compare(r.err.size() - ends.size(), ends.size(), ends) == 0,
                  true)
            << r.err;
        if (status == 0) {
            EXPECT_EQ(readfile("output.txt").find("too many"), std::string::npos);
        }
    }
    // Bad use: nothing is written.
    for (const char *args :
         {"nothing.sch", "empty", "--first 1 --last 1 big.gpr", "--dir empty big.gpr"}) {
        SCOPED_TRACE(args);
        fs::remove("output.txt");
        ran r = maxnpv(std::string("batch --pctneg 50 --slack 0 --interest 0.01 ") + args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists("output.txt"));
    }
    // The dialogue keeps its exit status 0 when files are missing.
    writefile("answers.txt", "1\n2\n50\n0\n0.01\n");
    ran r = maxnpv("", "answers.txt");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(readfile("output.txt").find("problem not found"), std::string::npos);
}
