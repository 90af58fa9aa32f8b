// End-to-end runs of the maxnpv program: the answers come on standard input,
// the run has no controlling terminal (setsid), and the console trace,
// output.txt and info.out are compared byte for byte with texts built here
// from the documented formats. Only the solve times vary from run to run;
// their fields are checked for width and format, and every number that
// depends on them (console time, statistics) is recomputed from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/testsupport.h"

namespace {

std::string fmt(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char *format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

// Starts maxnpv in the working directory (a scratch folder), detached from
// any terminal, with standard input on a pipe that stays open until pclose;
// the exit status lands in status.txt when the run ends. timeout turns a
// hang into a failure.
FILE *start(const std::string &answers) {
    std::string command = std::string("timeout 60 setsid -w '") + MAXNPV_BINARY +
                          "' > console.txt 2> errors.txt; echo $? > status.txt";
    FILE *input = popen(command.c_str(), "w");
    if (input != nullptr && std::fputs(answers.c_str(), input) >= 0) std::fflush(input);
    return input;
}

// A whole run with the given answers; checks the exit status and standard
// error together (by default: status 0, nothing on standard error) and
// returns the console text.
std::string run(const std::string &answers, const std::string &ending = "0\n") {
    if (FILE *input = start(answers)) pclose(input);
    EXPECT_EQ(readfile("status.txt") + readfile("errors.txt"), ending) << "answers: " << answers;
    return readfile("console.txt");
}

// Polls a file for up to 30 seconds until it holds at least size bytes.
std::string await(const char *name, size_t size) {
    std::string text;
    for (int k = 0; k < 600 && (text = readfile(name)).size() < size; k++) usleep(50000);
    return text;
}

const std::string example = readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr");
const std::string dialogue =
    " " + std::string(87, '=') + "\n\n\n Number of first problem : \n Number of last problem : " +
    "\n Percentage negative cash flows (e.g. 50) : \n Deadline (expressed as number of time " +
    "units above critical path ) : \n Interest rate (e.g. 0.01) : " +
    "\n\n filename  solution     npv     CPU time (sec)     error\n";

std::string infoheader(int pct, int slack, const char *rate) {
    return fmt("\nPercentage negative cash flows : %d \nDeadline (number of time units above "
               "critical path) : %d\ninterest : %s \n\ninformation about the generated cash "
               "flows\nproblem number :   (number of activity / cash flow)",
               pct, slack, rate);
}

// The statistics text of a run without solved problems; with solved ones
// the formula is pinned by the statistics test, and a run need only show on
// the console what it writes to output.txt.
const std::string nostats =
    "\n\n Average computation time (seconds)    :    0.000  (standard deviation :    0.000)";
std::string statsof(const std::string &output) {
    return output.substr(output.find("\n\n Average computation time (seconds)    : "));
}

// The solve times of the worked example's records in output.txt, read from
// the first ten columns of their "%11.4f" fields: the clock counts whole
// milliseconds, so the records rebuilt from them match only if the fourth
// decimal is 0.
std::vector<float> solvetimes(const std::string &output) {
    std::vector<float> times;
    for (size_t p = 0; (p = output.find("491.39 ", p)) != std::string::npos; p += 7)
        times.push_back(std::stof(output.substr(p + 7, 10)));
    return times;
}

// The worked example (examples/D1.gpr with pctneg 50, slack 10, interest
// 0.01): cash flows 0, -239, 356, 366, 0; three passes; the optimal value
// 356e^-0.02 + 366e^-0.05 - 239e^-0.15 = 491.39149.
const std::string examplecf = "(0/0) (1/-239) (2/356) (3/366) (4/0) ";
const auto record = [](int n, float t) { return fmt("\n%5d     3   491.39 %11.4f", n, t); };
const auto echo = [](int n) { return fmt("\n %8s", fmt("D%d", n).c_str()); };
const auto optimal = [](int n, float t) { return echo(n) + fmt("   optimal    491.39 %10.3f", t); };
const auto notfound = [](int n) { return echo(n) + "\t\t\t\t\t not found"; };

// The console: a title line, the given body, then closing text that ends
// with the key prompt.
void expectconsole(const std::string &console, const std::string &body) {
    EXPECT_EQ(console.substr(console.find('\n', 1) + 1, body.size()), body) << console;
    EXPECT_EQ(console.rfind("\n\n PRESS ANY KEY") + 16, console.size()) << console;
}

} // namespace

TEST(Driver, WorkedExampleAndSkipsOverARange) {
    // Problems -1 and 1 are the worked example, 0 and 3 are missing, 2 has one
    // activity above the limit.
    scratchdir dir;
    writefile("D-1.gpr", example);
    writefile("D1.gpr", example);
    writefile("D2.gpr", "1001 0\n");
    std::string console = run("-1\n3\n50\n10\n0.01\n",
                              "0\nD2.gpr: 1001 activities, more than the limit of 1000; maxnpv "
                              "batch and maxnpv solve take a higher one with --max-activities\n"),
                output = readfile("output.txt");
    std::vector<float> t = solvetimes(output);
    ASSERT_EQ(t.size(), 2u) << output;
    EXPECT_EQ(output, record(-1, t[0]) + "\n    0    problem not found" + record(1, t[1]) +
                          "\n    2    too many activities\n    3    problem not found" +
                          statsof(output));
    // The cash flows do not depend on the problem number.
    EXPECT_EQ(readfile("info.out"), infoheader(50, 10, "0.010000") + "\n  -1 : " + examplecf +
                                        "\n   0 : \n   1 : " + examplecf + "\n   2 : \n   3 : ");
    expectconsole(console, dialogue + optimal(-1, t[0]) + notfound(0) + optimal(1, t[1]) + echo(2) +
                               "\t\t\t\t\t maxact too low" + notfound(3) + statsof(output));

    // A second run, first above last: no problem at all; both files are
    // rewritten, info.out holds its header only, output.txt the statistics.
    expectconsole(run("2\n1\n0\n5\n0.02\n"), dialogue + nostats);
    EXPECT_EQ(readfile("output.txt") + "|" + readfile("info.out"),
              nostats + "|" + infoheader(0, 5, "0.020000"));

    // A range that ends at the largest 32-bit number stops there; names
    // longer than the eight columns are printed whole.
    expectconsole(run("2147483646 2147483647 0 0 0"),
                  dialogue + notfound(2147483646) + notfound(2147483647) + nostats);
}

TEST(Driver, DialogueReadsLikeScanf) {
    // Numbers are read as "%d" and "%f" read them: signs as entered, white
    // space of any kind between the answers, whole numbers beyond 32 bits
    // clamped to the nearest 32-bit value.
    const std::string none = infoheader(0, 0, "0.000000");
    const std::pair<const char *, std::string> cases[] = {
        {"  +4\n\t-4 \v+50\f-3\r\n+0.25", infoheader(50, -3, "0.250000")},
        {"99999999999 -99999999999 3000000000 -3000000000 2\n",
         infoheader(2147483647, -2147483647 - 1, "2.000000")},
        {"-2147483649 -2147483647 0 0 0", none + "\n-2147483648 : \n-2147483647 : "},
    };
    scratchdir dir;
    for (const auto &c : cases) {
        run(c.first);
        EXPECT_EQ(readfile("info.out"), c.second) << "answers \"" << c.first << "\"";
    }
    // An answer that is not a number, or none at all, would leave a zero
    // and meet every later question: it stops the run before either file
    // is touched, with one line and exit status 2.
    const std::pair<const char *, const char *> wrong[] = {
        {"3 2 50 .5e1 0.01\n", "the deadline slack must be a number, not '.5e1'"},
        {"3 2 50 10x 0.01\n", "the interest rate must be a number, not 'x'"},
        {"1\n2\nfifty\n10\n0.01\n",
         "percentage of negative cash flows must be a number, not 'fifty'"},
        {"abc\n", "the number of the first problem must be a number, not 'abc'"},
        {"", "no answer to the number of the first problem: the input ended"},
    };
    for (const auto &[answers, says] : wrong) {
        SCOPED_TRACE(answers);
        std::remove("info.out"), std::remove("output.txt");
        if (FILE *input = start(answers)) pclose(input);
        EXPECT_EQ(readfile("status.txt"), "2\n");
        const std::string err = readfile("errors.txt");
        EXPECT_NE(err.find(says), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        struct stat info;
        EXPECT_NE(stat("info.out", &info), 0);
        EXPECT_NE(stat("output.txt", &info), 0);
    }
}

TEST(Driver, InterestRateThatMakesNoSenseStopsBeforeAnyFile) {
    // A negative rate would reward delaying positive cash flows; nan and an
    // overflowing rate make every value meaningless. Earlier result files
    // stay as they were.
    scratchdir dir;
    for (const char *rate : {"-0.01", "nan", "1e400", "-inf"}) {
        writefile("output.txt", "earlier");
        writefile("info.out", "earlier too");
        std::string console = run(std::string("1 1 50 10 ") + rate + "\n",
                                  "2\nmaxnpv: the interest rate must be a finite number of 0 or "
                                  "more, not " +
                                      fmt("%g", std::strtod(rate, nullptr)) + "\n");
        EXPECT_EQ(readfile("output.txt") + "|" + readfile("info.out"), "earlier|earlier too");
        EXPECT_EQ(console.find("filename"), std::string::npos) << console;
    }
}

TEST(Driver, PipesAndFoldersAreNoInstancesAndKeyWaitSkipsStandardInput) {
    // Problem 1 is a named pipe that nobody writes, problem 2 a folder: both
    // are rejected at once as invalid files instead of blocking the run or
    // reading as an empty file. Standard input stays open until the run has
    // ended: a key wait that read it would block, one that reads the
    // terminal finds none and the run ends by itself.
    scratchdir dir;
    ASSERT_EQ(mkfifo("D1.gpr", 0644), 0);
    ASSERT_EQ(mkdir("D2.gpr", 0755), 0);
    writefile("D3.gpr", example);
    FILE *input = start("1 3 50 10 0.01\n");
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(await("status.txt", 2), "0\n") << "the run did not end with standard input open";
    pclose(input);
    EXPECT_EQ(readfile("errors.txt"), "D1.gpr: not a regular file\nD2.gpr: not a regular file\n");
    std::string output = readfile("output.txt");
    EXPECT_EQ(output.rfind("\n    1    invalid instance file\n    2    invalid instance file" +
                               record(3, 0.0f).substr(0, 22),
                           0),
              0u)
        << output;
}

TEST(Driver, UnwritableResultFilesStopTheRun) {
    // A folder in place of a result file cannot be opened, a link to
    // /dev/full cannot be written: exit status 1 and one line on stderr.
    // Every file is opened before any is emptied, so a file that cannot be
    // opened leaves the earlier copy of the other as it was. Once the run has
    // begun, both files hold the same whole records: info.out its header (a
    // record of its own, written when the run begins), output.txt nothing,
    // since problem 1 (missing) is not written to either.
    for (const char *c :
         {"open output.txt", "open info.out", "write output.txt", "write info.out"}) {
        SCOPED_TRACE(c);
        scratchdir dir;
        std::string what = c, file = what.substr(what.find(' ') + 1);
        std::string other = file == "info.out" ? "output.txt" : "info.out";
        bool open = what[0] == 'o';
        writefile(other, "earlier");
        ASSERT_EQ(open ? mkdir(file.c_str(), 0755) : symlink("/dev/full", file.c_str()), 0);
        run("1 1 50 10 0.01\n",
            "1\nmaxnpv: cannot " + what + ": " + std::strerror(open ? EISDIR : ENOSPC) + "\n");
        if (open)
            EXPECT_EQ(readfile(other), "earlier");
        else if (other == "info.out")
            EXPECT_EQ(readfile(other), infoheader(50, 10, "0.010000"));
        else
            EXPECT_EQ(readfile(other), "");
        for (const auto &e : std::filesystem::directory_iterator("."))
            EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
    }
    // Where output.txt did not exist, a run that cannot open info.out does
    // not leave an empty one behind.
    scratchdir dir;
    ASSERT_EQ(mkdir("info.out", 0755), 0);
    run("1 1 50 10 0.01\n",
        "1\nmaxnpv: cannot open info.out: " + std::string(std::strerror(EISDIR)) + "\n");
    EXPECT_FALSE(std::filesystem::exists("output.txt"));
}

TEST(Driver, AFullDiskCutsBothFilesBackToTheirLastWholeRecords) {
    // Files may grow to 512 bytes only. With the signal at the limit
    // ignored, the write fails as on a full disk: output.txt fills first
    // (problem 19's record would pass 512 bytes; problem 1 is the worked
    // example, the others are missing), and the run stops with exit status 1
    // and both files holding problems 1 to 18, whole.
    constexpr size_t limit = 512;
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("output.txt", "earlier");
    std::string command =
        std::string("trap '' XFSZ; ulimit -f 1; echo 1 40 50 10 0.01 | setsid -w '") +
        MAXNPV_BINARY + "' > /dev/null 2> errors.txt; echo $? > status.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readfile("status.txt") + readfile("errors.txt"),
              "1\nmaxnpv: cannot write output.txt: " + std::string(std::strerror(EFBIG)) + "\n");
    const std::string output = readfile("output.txt");
    std::vector<float> t = solvetimes(output);
    ASSERT_EQ(t.size(), 1u) << output;
    std::string records = record(1, t[0]),
                cashflows = infoheader(50, 10, "0.010000") + "\n   1 : " + examplecf;
    int last = 1;
    for (std::string next; (next = fmt("\n%5d    problem not found", last + 1),
                           records.size() + next.size() <= limit);
         last++) {
        records += next;
        cashflows += fmt("\n%4d : ", last + 1);
    }
    EXPECT_EQ(last, 18);
    EXPECT_EQ(output, records);
    EXPECT_EQ(readfile("info.out"), cashflows);
}

TEST(Driver, ASignalAtTheFileSizeLimitCutsTheHalfRecordBack) {
    // Without the trap the write that meets the limit is cut short, and the
    // next one raises SIGXFSZ, which ends the process. info.out fills first
    // (ten copies of the worked example: each record takes 46 bytes), its
    // record half written; the run dies by the signal with both files holding
    // the same whole records.
    constexpr size_t limit = 512;
    scratchdir dir;
    for (int n = 1; n <= 10; n++) writefile(fmt("D%d.gpr", n), example);
    // (The shell's own note of the signal goes to /dev/null.)
    std::string command = std::string("exec 2> /dev/null; ulimit -f 1; echo 1 40 50 10 0.01 | "
                                      "setsid -w '") +
                          MAXNPV_BINARY + "' > /dev/null 2> errors.txt; echo $? > status.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readfile("status.txt"), fmt("%d\n", 128 + SIGXFSZ));
    std::string cashflows = infoheader(50, 10, "0.010000");
    int last = 0;
    for (std::string next;
         (next = fmt("\n%4d : ", last + 1) + examplecf, cashflows.size() + next.size() <= limit);
         last++)
        cashflows += next;
    EXPECT_EQ(last, 6);
    EXPECT_EQ(readfile("info.out"), cashflows);
    const std::string output = readfile("output.txt");
    std::vector<float> t = solvetimes(output);
    ASSERT_EQ(t.size(), (size_t)last) << output;
    std::string records;
    for (int n = 1; n <= last; n++) records += record(n, t[n - 1]);
    EXPECT_EQ(output, records);
}

TEST(Driver, ClosedStandardStreamsStayOutOfTheResultFiles) {
    // With standard output and error closed, the result files must not take
    // their descriptors: no console row or reason ends up inside them.
    scratchdir dir;
    writefile("D1.gpr", "1\n");
    std::string command = std::string("echo 1 1 50 10 0.01 | setsid -w '") + MAXNPV_BINARY +
                          "' >&- 2>&-; echo $? > status.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readfile("status.txt"), "0\n");
    EXPECT_EQ(readfile("output.txt"), "\n    1    invalid instance file" + nostats);
    EXPECT_EQ(readfile("info.out"), infoheader(50, 10, "0.010000") + "\n   1 : ");
}

TEST(Driver, OnATerminalReasonsTakeTheirOwnLineAndAKeyEndsTheLine) {
    // Under script(1) the console rows and the reasons share one terminal.
    // A reason follows its row on a line of its own, and the key pressed at
    // the end (a real key on that terminal) ends the prompt's line.
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("D2.gpr", "3 0\n0 1 2 1 1 0\n0 0\n0 0\n");
    writefile("answers.txt", "1 3 50 10 0.01\n");
    std::string command = std::string("(sleep 1; printf x) | timeout 60 script -qc \"'") +
                          MAXNPV_BINARY + "' < answers.txt\" /dev/null > typescript.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string screen = readfile("typescript.txt");
    screen.erase(std::remove(screen.begin(), screen.end(), '\r'), screen.end());
    EXPECT_NE(
        screen.find("\n       D2\t\t\t\t\t not connected\nD2.gpr: activities not connected: "
                    "no chain of relations leads from the start dummy to the end dummy "
                    "(activity 3), so there is no critical path\n       D3\t\t\t\t\t not found"),
        std::string::npos)
        << screen;
    EXPECT_EQ(screen.substr(screen.size() - 16), "\n PRESS ANY KEY\n") << screen;
}
