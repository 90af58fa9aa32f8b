// The ProGen/max converter, run as the built program: hand-written .sch
// files convert to hand-written .gpr files that the solver loads with the
// earliest starts worked out by hand, and every malformed file is rejected
// at the line of its defect without writing anything.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "search/solvecycle.h"
#include "support/testsupport.h"

namespace {

const std::string schdir = std::string(MAXNPV_TESTDATA) + "/sch/";

// Runs sch2gpr with the given argument text (shell syntax) in the working
// directory, its standard error into "err.txt". Returns the exit status.
int runtool(const std::string &args) {
    std::string command = std::string("'") + SCH2GPR_BINARY + "' " + args + " 2>err.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string &path) {
    return "'" + path + "'";
}

} // namespace

TEST(sch2gpr, convertshandwritteninstancesthatthesolverloads) {
    struct sample {
        const char *name;
        std::vector<int64_t> earliest; // worked out by hand from the .sch lags
    };
    // example: a maximal lag of 5 from 1 to 3 (written as [-5] on 3 -> 1)
    // pulls activity 1 from 0 to 6 - 5 = 1; tabs, blank lines between the
    // sections, two resources. nores: no resources and no capacity line,
    // CR LF line ends.
    const sample samples[] = {{"example", {0, 1, 0, 6, 5, 10}}, {"nores", {0, 0, 7}}};
    for (const sample &s : samples) {
        SCOPED_TRACE(s.name);
        scratchdir dir;
        std::string in = quoted(schdir + s.name + ".sch");
        std::string expected = readfile(schdir + s.name + ".gpr");
        ASSERT_FALSE(expected.empty());

        ASSERT_EQ(runtool(in + " out.gpr"), 0) << readfile("err.txt");
        EXPECT_EQ(readfile("out.gpr"), expected);
        EXPECT_EQ(readfile("err.txt"), "");
        // The same through standard input and standard output.
        ASSERT_EQ(runtool("- - <" + in + " >piped.gpr"), 0) << readfile("err.txt");
        EXPECT_EQ(readfile("piped.gpr"), expected);

        setparams(50, 0, 0.01);
        ASSERT_EQ(loadtext(readfile("out.gpr")), 1);
        ASSERT_EQ(nract, (int)s.earliest.size());
        for (int i = 0; i < nract; i++) EXPECT_EQ(st[i], s.earliest[i]) << "activity " << i;
        EXPECT_EQ(deadline, s.earliest.back());
        EXPECT_EQ(loadandsolve(readfile("out.gpr")), 0);
    }
}

TEST(sch2gpr, rejectsmalformedfilesatthelineofthedefect) {
    struct badfile {
        const char *name; // tests/sch/bad/<name>.sch
        int line;
        const char *words; // part of the reason
    };
    const badfile cases[] = {
        {"header-values", 1, "header has 3 values"},
        {"too-many-activities", 1, "999, expected 0 to 998"},
        {"nonrenewable-resources", 1, "non-renewable"},
        {"truncated-relations", 4, "ends here, expected the relation line of activity 2"},
        {"activity-order", 3, "activity number is 2, expected 1"},
        {"multi-mode", 3, "mode count is 2"},
        {"successor-range", 3, "successor 1 is 4, expected 0 to 3"},
        {"self-successor", 3, "the activity itself"},
        {"lag-too-large", 3, "1000001"},
        {"duplicate-successor", 4, "listed twice"},
        {"lag-count", 4, "6 values, expected 7"},
        {"lag-without-brackets", 4, "in brackets"},
        {"duration-too-large", 7, "duration is 1000001"},
        {"non-integer", 7, "\"2.5\""},
        {"demand-count", 7, "3 values, expected 4"},
        {"integer-overflow", 8, "\"2147483648\""},
        {"negative-duration", 10, "duration is -4"}, // two blank lines before it
        {"capacity-missing", 10, "ends here, expected the capacity line"},
        {"capacity-count", 10, "2 values, expected 1"},
        {"trailing-text", 11, "after the capacity line"},
    };
    for (const badfile &c : cases) {
        SCOPED_TRACE(c.name);
        scratchdir dir;
        EXPECT_EQ(runtool(quoted(schdir + "bad/" + c.name + ".sch") + " out.gpr"), 1);
        std::string err = readfile("err.txt");
        EXPECT_NE(err.find(": line " + std::to_string(c.line) + ": "), std::string::npos) << err;
        EXPECT_NE(err.find(c.words), std::string::npos) << err;
        EXPECT_FALSE(fileexists("out.gpr"));
    }
}

TEST(sch2gpr, commandline) {
    scratchdir dir;
    EXPECT_EQ(runtool("--help >help.txt"), 0);
    EXPECT_NE(readfile("help.txt").find("usage: sch2gpr IN.sch OUT.gpr"), std::string::npos);
    EXPECT_EQ(runtool(""), 2);
    EXPECT_NE(readfile("err.txt").find("usage:"), std::string::npos);
    EXPECT_EQ(runtool("a b c"), 2);
    EXPECT_EQ(runtool("missing.sch out.gpr"), 1);
    EXPECT_NE(readfile("err.txt").find("cannot open missing.sch"), std::string::npos);
    EXPECT_EQ(runtool(quoted(schdir + "example.sch") + " nofolder/out.gpr"), 1);
    EXPECT_NE(readfile("err.txt").find("cannot open nofolder/out.gpr"), std::string::npos);
}
