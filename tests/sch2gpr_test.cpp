// The ProGen/max converter, run as the built program: hand-written .sch
// files convert to hand-written .gpr files that the solver loads with the
// earliest starts worked out by hand, an instance beyond the solver's classic
// 1000 activities converts too, and every malformed or unreadable input is
// rejected with its reason without writing anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <vector>

#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "support/testsupport.h"

static const std::string schdir = std::string(MAXNPV_TESTDATA) + "/sch/";

constexpr int hangseconds = 20; // a run that takes longer is taken to hang

// Runs sch2gpr in the working directory with the given arguments (shell
// syntax), its standard error into err.txt. Returns the exit status (124
// when the run had to be stopped).
static int runtool(const std::string &args) {
    std::string cmd = "timeout " + std::to_string(hangseconds) + " '" +
                      std::string(SCH2GPR_BINARY) + "' 2>err.txt " + args;
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Sch2gpr, ConvertsExamplesThatTheSolverLoads) {
    // example: a maximal lag of 5 from 1 to 3 (written as [-5] on 3 -> 1)
    // pulls activity 1 from 0 to 6 - 5 = 1; tabs, blank lines between the
    // sections, two resources. nores: no resources and no capacity line,
    // CR LF line ends. Each is converted from file to file and from standard
    // input to standard output. The solver loads the result with the
    // parameters at zero.
    const std::tuple<const char *, std::vector<int64_t>> samples[] = {
        {"example", {0, 1, 0, 6, 5, 10}}, {"nores", {0, 0, 7}}};
    for (const auto &[name, earliest] : samples) {
        SCOPED_TRACE(name);
        scratchdir dir;
        std::string in = "'" + schdir + name + ".sch'", expected = readfile(schdir + name + ".gpr");
        EXPECT_EQ(runtool(in + " out.gpr") + runtool("- - <" + in + " >piped.gpr"), 0);
        EXPECT_EQ(readfile("out.gpr") + "|" + readfile("piped.gpr"), expected + "|" + expected);
        gpr::problem p;
        EXPECT_EQ(setuptext(&p, readfile("out.gpr"), params(0, 0, 0.0)), gpr::outcome::solved);
        EXPECT_EQ(p.net.est, earliest);
    }
}

TEST(Sch2gpr, ConvertsInstancesOfMoreThan1000Activities) {
    // The size of the UBO1000 set: 1000 real activities and two dummies.
    // Activity i (1..1000) has duration i % 10, demand i % 4 and lag i % 7
    // to i+1; activity 1000 also has a maximal lag of 1000000 from 1.
    const int n = 1000;
    std::ostringstream sch;
    sch << n << " 1 0 0\n0 1 1 1 [0]\n";
    for (int i = 1; i <= n; i++) {
        if (i < n)
            sch << i << " 1 1 " << i + 1 << " [" << i % 7 << "]\n";
        else
            sch << i << " 1 2 " << i + 1 << " 1 [" << i % 7 << "] [-1000000]\n";
    }
    sch << n + 1 << " 1 0\n";
    for (int i = 0; i <= n + 1; i++) sch << i << " 1 " << i % 10 << " " << i % 4 << "\n";
    sch << "3\n";
    scratchdir dir;
    writefile("big.sch", sch.str());
    ASSERT_EQ(runtool("big.sch out.gpr"), 0) << readfile("err.txt");

    std::vector<std::string> lines;
    std::istringstream out(readfile("out.gpr"));
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1003u);
    // Records: the header, file activities 0, 999, 1000 and 1001.
    const std::tuple<size_t, const char *> records[] = {
        {0, "1002 1 3"},
        {1, "0 0  1  2 1 1 0"},
        {1000, "9 3  1  1001 1 1 5"},
        {1001, "0 0  2  1002 1 1 6  2 1 1 -1000000"},
        {1002, "1 1  0"}};
    for (const auto &[at, text] : records) EXPECT_EQ(lines[at], text) << "line " << at + 1;
}

// The .gpr that sch2gpr writes reads back with the capacities and demands
// that reading the .sch gives: three resources, capacities at the 32-bit end
// and 0, demands of every size.
TEST(Sch2gpr, ResourceDataSurvivesTheConversion) {
    const int n = 40, nrres = 3;
    std::ostringstream sch;
    sch << n << " " << nrres << " 0 0\n0 1 1 1 [0]\n";
    for (int i = 1; i <= n; i++) sch << i << " 1 1 " << i + 1 << " [" << i % 3 << "]\n";
    sch << n + 1 << " 1 0\n";
    for (int i = 0; i <= n + 1; i++) {
        const bool dummy = i == 0 || i == n + 1;
        sch << i << " 1 " << (dummy ? 0 : i % 6 + 1);
        for (int k = 0; k < nrres; k++)
            sch << " " << (dummy ? 0 : i == 7 && k == 0 ? 2147483647 : (i * (k + 3)) % 11);
        sch << "\n";
    }
    sch << "2147483647 0 17\n";
    scratchdir dir;
    writefile("res.sch", sch.str());
    ASSERT_EQ(runtool("res.sch res.gpr"), 0) << readfile("err.txt");
    gpr::records fromsch, fromgpr;
    std::string why;
    int reached;
    const std::string schtext = readfile("res.sch"), gprtext = readfile("res.gpr");
    ASSERT_EQ(gpr::scaninstance(schtext.data(), schtext.size(), instformat::sch,
                                gpr::runlimits::none(), &fromsch, &why, &reached),
              gpr::outcome::solved)
        << why;
    ASSERT_EQ(gpr::scaninstance(gprtext.data(), gprtext.size(), instformat::gpr,
                                gpr::runlimits::none(), &fromgpr, &why, &reached),
              gpr::outcome::solved)
        << why;
    EXPECT_EQ(fromsch.capacity, (std::vector<int>{2147483647, 0, 17}));
    ASSERT_EQ(fromsch.demand.size(), (size_t)(n + 2) * nrres);
    EXPECT_EQ(fromsch.demand[7 * nrres], 2147483647);
    EXPECT_EQ(fromsch.demand[5 * nrres + 2], 3); // 5 * 5 % 11
    EXPECT_EQ(fromgpr.nrres, nrres);
    EXPECT_EQ(fromgpr.capacity, fromsch.capacity);
    EXPECT_EQ(fromgpr.demand, fromsch.demand);
    EXPECT_EQ(fromgpr.dur, fromsch.dur);
}

TEST(Sch2gpr, RejectsMalformedOrUnreadableInputAndWrongUsage) {
    scratchdir dir;
    // A control character and more than 40 bytes in one token; a header
    // that claims two billion activities and then ends; a capacity line
    // without resources.
    writefile("escape.sch", "0 0 0 0\n0 1 1 1 [0]\n1 1 0\n0 1 \x1b" + std::string(50, '9') + "\n");
    writefile("huge.sch", "2147483645 0 0 0\n0 1 0\n");
    writefile("extra.sch", "0 0 0 0\n0 1 1 1 [0]\n1 1 0\n0 1 0\n1 1 0\n4\n");
    std::filesystem::create_directory("sub");
    ASSERT_EQ(mkfifo("pipe", 0600), 0);

    const auto bad = [](std::string n) { return "'" + schdir + "bad/" + n + ".sch' out.gpr"; };
    // Arguments, exit status, part of standard error: for a malformed file,
    // the line of the defect and the start of the reason.
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--help >&2", 0, "usage: sch2gpr [--format F] IN OUT.gpr"},
        {"", 2, "usage: sch2gpr [--format F] IN OUT.gpr"},
        {"--format gpr x.sch out.gpr", 2, "sch2gpr: --format needs sch, sm or rcp, not 'gpr'"},
        {"--colour x.sch out.gpr", 2, "sch2gpr: unknown option --colour"},
        {"missing.sch out.gpr", 1, "cannot open missing.sch"},
        {"'" + schdir + "example.sch' nofolder/out.gpr", 2, "cannot write in nofolder"},
        {"sub out.gpr", 1, "sch2gpr: the folder sub holds no .sch, .sm or .rcp files"},
        {"sub -", 2, "sch2gpr: a folder converts into a folder"},
        {"- out.gpr <sub", 1, "sch2gpr: the standard input is a folder, not a file"},
        {"pipe out.gpr", 1, "sch2gpr: pipe is not a regular file"},
        {"/dev/null out.gpr", 1, "sch2gpr: /dev/null is not a regular file"},
        {bad("header-values"), 1, "line 1: the header has 3 values"},
        {bad("nonrenewable-resources"), 1, "line 1: the header names 1 non-renewable"},
        {bad("activity-order"), 1, "line 3: the activity number is 2, expected 1"},
        {bad("multi-mode"), 1, "line 3: the mode count is 2"},
        {bad("successor-range"), 1, "line 3: successor 1 is 4, expected 0 to 3"},
        {bad("self-successor"), 1, "line 3: successor 1 is the activity itself"},
        {bad("lag-too-large"), 1, "line 3: the lag of successor 1 is 1000001"},
        {bad("duplicate-successor"), 1, "line 4: successor 2 (activity 3) is listed twice"},
        {bad("lag-count"), 1, "line 4: the relation line of activity 2 has 6 values"},
        {bad("lag-without-brackets"), 1, "line 4: the lag of successor 1 is \"4\", expected"},
        {bad("non-integer"), 1, "line 7: the duration is \"2.5\", not a 32-bit integer"},
        {bad("demand-count"), 1, "line 7: the duration line of activity 1 has 3 values"},
        {bad("integer-overflow"), 1, "line 8: demand 1 is \"2147483648\""},
        {bad("negative-duration"), 1, "line 10: the duration is -4"}, // two blank lines before
        {bad("capacity-missing"), 1, "line 10: the file ends here, expected the capacity line"},
        {bad("capacity-count"), 1, "line 10: the capacity line has 2 values, expected 1"},
        {bad("trailing-text"), 1, "line 11: unexpected text after the capacity line"},
        {"escape.sch out.gpr", 1,
         "line 4: the duration is \"\\x1B" + std::string(39, '9') + "...\", not a 32-bit"},
        {"huge.sch out.gpr", 1,
         "line 3: the file ends here, expected the relation line of "
         "activity 1"},
        {"extra.sch out.gpr", 1, "line 6: unexpected text after the duration lines"},
    };
    for (const auto &[args, status, part] : cases) {
        SCOPED_TRACE(args);
        EXPECT_EQ(runtool(args), status);
        EXPECT_FALSE(std::filesystem::exists("out.gpr"));
        EXPECT_NE(readfile("err.txt").find(part), std::string::npos) << readfile("err.txt");
    }
}

TEST(Sch2gpr, ConvertsTheOtherFormatsByExtensionOrFormat) {
    scratchdir dir;
    std::filesystem::copy(std::string(MAXNPV_TESTDATA) + "/sm/example.sm", "J1.SM");
    std::filesystem::copy(std::string(MAXNPV_TESTDATA) + "/rcp/example.rcp", "pat.dat");
    const std::string smgpr = readfile(std::string(MAXNPV_TESTDATA) + "/sm/example.gpr"),
                      rcpgpr = readfile(std::string(MAXNPV_TESTDATA) + "/rcp/example.gpr");
    EXPECT_EQ(runtool("J1.SM a.gpr") + runtool("--format rcp pat.dat b.gpr") +
                  runtool("--format=sm - c.gpr < J1.SM"),
              0)
        << readfile("err.txt");
    EXPECT_EQ(readfile("a.gpr") + readfile("b.gpr") + readfile("c.gpr"), smgpr + rcpgpr + smgpr);
    // A .rcp file read as .sch is rejected with the hint and nothing written.
    EXPECT_EQ(runtool("pat.dat d.gpr"), 1);
    EXPECT_FALSE(std::filesystem::exists("d.gpr"));
    EXPECT_NE(readfile("err.txt").find(
                  "pat.dat: line 1: the header has 2 values, expected 4 (\"n K 0 0\"); this looks "
                  "like a Patterson .rcp file: name it .rcp or give --format rcp"),
              std::string::npos)
        << readfile("err.txt");
}

TEST(Sch2gpr, ConvertsAWholeSetToNumberedFiles) {
    namespace fs = std::filesystem;
    scratchdir dir;
    fs::create_directory("ubo");
    fs::copy(schdir + "example.sch", "ubo/PSP1.SCH");
    fs::copy(schdir + "nores.sch", "ubo/psp2.sch");
    fs::copy(schdir + "example.sch", "ubo/PSP010.sch");
    fs::copy(std::string(MAXNPV_TESTDATA) + "/sm/example.sm", "ubo/x7.Sm");
    writefile("ubo/params.txt", "n = 4\n");
    writefile("ubo/protocol.txt", "by hand\n");
    writefile("ubo/stat.txt", "1 2 3\n");
    ASSERT_EQ(runtool("ubo gpr"), 0) << readfile("err.txt");
    std::vector<std::string> made;
    for (const auto &e : fs::directory_iterator("gpr")) made.push_back(e.path().filename());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{"D1.gpr", "D10.gpr", "D2.gpr", "D7.gpr"}));
    const std::string example = readfile(schdir + "example.gpr");
    EXPECT_EQ(readfile("gpr/D1.gpr") + readfile("gpr/D10.gpr") + readfile("gpr/D2.gpr") +
                  readfile("gpr/D7.gpr"),
              example + example + readfile(schdir + "nores.gpr") +
                  readfile(std::string(MAXNPV_TESTDATA) + "/sm/example.gpr"));

    // Names that give no D<n>, or one D<n> twice, stop it before anything is
    // written; a malformed file is reported and the others converted.
    const std::tuple<const char *, const char *, int, const char *> sets[] = {
        {"PSP2.SCH", "", 1, "ubo/PSP2.SCH and ubo/psp2.sch would both be D2.gpr"},
        {"psp.sch", "", 1, "ubo/psp.sch: its name holds no number for D<n>.gpr"},
        {"j30_4.sm", "", 1, "ubo/j30_4.sm: its name holds 2 numbers (30, 4); D<n>.gpr needs one"},
        {"psp3.sch", "0 0 0\n", 1, "ubo/psp3.sch: line 1: the header has 3 values"},
    };
    for (const auto &[name, text, status, says] : sets) {
        SCOPED_TRACE(name);
        fs::remove_all("out");
        writefile(std::string("ubo/") + name, *text ? text : readfile(schdir + "example.sch"));
        EXPECT_EQ(runtool("ubo out"), status);
        EXPECT_NE(readfile("err.txt").find(says), std::string::npos) << readfile("err.txt");
        EXPECT_EQ(fs::exists("out/D1.gpr"), *text != '\0');
        fs::remove(std::string("ubo/") + name);
    }
    EXPECT_NE(readfile("err.txt").find("sch2gpr: 1 of 5 files not converted"), std::string::npos);
}
