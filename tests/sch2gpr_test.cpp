// The ProGen/max converter, run as the built program: hand-written .sch
// files convert to hand-written .gpr files that the solver loads with the
// earliest starts worked out by hand, and every malformed file is rejected
// at the line of its defect without writing anything.
#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <vector>

#include "network/common_gpr.h"
#include "support/testsupport.h"

static const std::string schdir = std::string(MAXNPV_TESTDATA) + "/sch/";

// Runs sch2gpr in the working directory with the given arguments (shell
// syntax), its standard error into err.txt. Returns the exit status.
static int runtool(const std::string &args) {
    int status = std::system(("'" + std::string(SCH2GPR_BINARY) + "' 2>err.txt " + args).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(sch2gpr, convertsvalidinstancesandrejectsmalformedfilesandwrongusage) {
    // example: a maximal lag of 5 from 1 to 3 (written as [-5] on 3 -> 1)
    // pulls activity 1 from 0 to 6 - 5 = 1; tabs, blank lines between the
    // sections, two resources. nores: no resources and no capacity line,
    // CR LF line ends. Each is converted from file to file and from standard
    // input to standard output. The solver loads the result with the
    // parameters at zero.
    const std::tuple<const char *, std::vector<int64_t>> samples[] = {
        {"example", {0, 1, 0, 6, 5, 10}}, {"nores", {0, 0, 7}}};
    for (const auto &[name, earliest] : samples) {
        scratchdir dir;
        std::string in = "'" + schdir + name + ".sch'", expected = readfile(schdir + name + ".gpr");
        EXPECT_EQ(runtool(in + " out.gpr") + runtool("- - <" + in + " >piped.gpr"), 0) << name;
        EXPECT_EQ(readfile("out.gpr") + "|" + readfile("piped.gpr"), expected + "|" + expected);
        gpr::problem p;
        EXPECT_EQ(setuptext(&p, readfile("out.gpr"), params(0, 0, 0.0)), gpr::outcome::solved);
        EXPECT_EQ(p.net.est, earliest) << name;
    }

    const auto bad = [](std::string n) { return "'" + schdir + "bad/" + n + ".sch' out.gpr"; };
    // Arguments, exit status, part of standard error: for a malformed file
    // in tests/sch/bad, the line of the defect and the start of the reason.
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--help >&2", 0, "usage: sch2gpr IN.sch OUT.gpr"},
        {"", 2, "usage: sch2gpr IN.sch OUT.gpr"},
        {"missing.sch out.gpr", 1, "cannot open missing.sch"},
        {"'" + schdir + "example.sch' nofolder/out.gpr", 1, "cannot open nofolder/out.gpr"},
        {bad("header-values"), 1, "line 1: the header has 3 values"},
        {bad("too-many-activities"), 1, "line 1: the number of real activities is 999"},
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
    };
    scratchdir dir;
    for (const auto &[args, status, part] : cases) {
        EXPECT_EQ(runtool(args), status) << args;
        EXPECT_FALSE(std::filesystem::exists("out.gpr")) << args;
        EXPECT_NE(readfile("err.txt").find(part), std::string::npos) << readfile("err.txt");
    }
}
