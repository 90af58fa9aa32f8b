// End-to-end runs of the maxnpv program: the answers come on standard input,
// the run has no controlling terminal (setsid), and the console trace,
// output.txt and info.out are compared byte for byte with texts built here
// from the documented formats. Only the solve times vary from run to run;
// their fields are checked for width and format, and every number that
// depends on them (console time, statistics) is recomputed from them.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/testsupport.h"

namespace {

template <typename... Args>
std::string fmt(const char *format, Args... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

// A plain file's text; empty for a folder or a device (/dev/full has no end).
std::string plain(const char *name) {
    struct stat info;
    return stat(name, &info) == 0 && S_ISREG(info.st_mode) ? readfile(name) : "";
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

struct runresult {
    std::string console, output, info;
};

// A whole run with the given answers; checks the exit status and standard
// error together (by default: status 0, nothing on standard error).
runresult run(const std::string &answers, const std::string &ending = "0\n") {
    if (FILE *input = start(answers)) pclose(input);
    EXPECT_EQ(readfile("status.txt") + readfile("errors.txt"), ending) << "answers: " << answers;
    return {readfile("console.txt"), plain("output.txt"), plain("info.out")};
}

// Polls a file for up to 30 seconds until it holds at least size bytes.
std::string await(const char *name, size_t size) {
    std::string text;
    for (int k = 0; k < 600 && (text = readfile(name)).size() < size; k++) usleep(50000);
    return text;
}

void copyexample(int number) {
    writefile(fmt("D%d.gpr", number), readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr"));
}

const std::string dialogue =
    " " + std::string(87, '=') + "\n\n\n Number of first problem : \n Number of last problem : " +
    "\n Percentage negative cash flows (e.g. 50) : \n Deadline (expressed as number of time " +
    "units above critical path ) : \n Interest rate (e.g. 0.01) : " +
    "\n\n filename  solution     npv     CPU time (sec)     error\n";
const std::string presskey = "\n\n PRESS ANY KEY";

std::string infoheader(int pct, int slack, const char *rate) {
    return fmt("\nPercentage negative cash flows : %d \nDeadline (number of time units above "
               "critical path) : %d\ninterest : %s \n\ninformation about the generated cash "
               "flows\nproblem number :   (number of activity / cash flow)",
               pct, slack, rate);
}

// The statistics text for the given times: single-precision sum, double sum
// of squares, sample deviation in one-pass form, 0.000 where undefined.
std::string stats(const std::vector<float> &times) {
    float s = 0.0f;
    double q = 0.0, n = (double)times.size(), dev = 0.0;
    for (float t : times) s = s + t, q += (double)t * t;
    if (n >= 2 && n * q > (double)s * s) dev = std::sqrt((n * q - (double)s * s) / (n * (n - 1)));
    return fmt("\n\n Average computation time (seconds)    : %8.3f  (standard deviation : %8.3f)",
               n == 0 ? 0.0f : (float)(s / n), dev);
}
const std::string nostats = stats({});

// The solve times of the solved records in output.txt: "%11.4f" fields of
// whole milliseconds (the whole-file comparisons check the widths).
std::vector<float> solvetimes(const std::string &output) {
    static const std::regex solved(
        "\n *-?[0-9]+ +[0-9]+ +-?[0-9.]+ ( *[0-9]+\\.[0-9]{3}0)(?=\n|$)");
    std::vector<float> times;
    for (std::sregex_iterator it(output.begin(), output.end(), solved), end; it != end; ++it)
        times.push_back(std::stof((*it)[1]));
    return times;
}

// The worked example (examples/D1.gpr with pctneg 50, slack 10, interest
// 0.01): cash flows 0, -239, 356, 366, 0; three passes; the optimal value
// 356e^-0.02 + 366e^-0.05 - 239e^-0.15 = 491.39149.
const std::string examplecf = "(0/0) (1/-239) (2/356) (3/366) (4/0) ";
const auto record = [](int n, float time) { return fmt("\n%5d     3   491.39 %11.4f", n, time); };
const auto echo = [](int n) { return fmt("\n %8s", fmt("D%d", n).c_str()); };
const auto optimal = [](int n, float t) { return echo(n) + fmt("   optimal    491.39 %10.3f", t); };
const auto notfound = [](int n) { return echo(n) + "\t\t\t\t\t not found"; };

// The console: a title line, the given body, then closing text that ends
// with the key prompt.
void expectconsole(const std::string &console, const std::string &body) {
    EXPECT_EQ(console.substr(console.find('\n', 1) + 1, body.size()), body) << console;
    EXPECT_EQ(console.substr(console.size() - std::min(console.size(), presskey.size())), presskey);
}

} // namespace

TEST(Driver, WorkedExampleAndSkipsOverARange) {
    // Problems -1 and 1 are the worked example, 0 and 3 are missing, 2 has one
    // activity above the limit.
    scratchdir dir;
    copyexample(-1);
    copyexample(1);
    writefile("D2.gpr", "1001 0\n");
    runresult r = run("-1\n3\n50\n10\n0.01\n");
    std::vector<float> t = solvetimes(r.output);
    ASSERT_EQ(t.size(), 2u) << r.output;
    EXPECT_EQ(r.output, record(-1, t[0]) + "\n    0    problem not found" + record(1, t[1]) +
                            "\n    2    too many activities\n    3    problem not found" +
                            stats(t));
    // The cash flows do not depend on the problem number.
    EXPECT_EQ(r.info, infoheader(50, 10, "0.010000") + "\n  -1 : " + examplecf +
                          "\n   0 : \n   1 : " + examplecf + "\n   2 : \n   3 : ");
    expectconsole(r.console, dialogue + optimal(-1, t[0]) + notfound(0) + optimal(1, t[1]) +
                                 echo(2) + "\t\t\t\t\t maxact too low" + notfound(3) + stats(t));

    // A second run, first above last: no problem at all; both files are
    // rewritten, info.out holds its header only, output.txt the statistics.
    r = run("2\n1\n0\n5\n0.02\n");
    EXPECT_EQ(r.output, nostats);
    EXPECT_EQ(r.info, infoheader(0, 5, "0.020000"));
    expectconsole(r.console, dialogue + nostats);

    // A range that ends at the largest 32-bit number stops there; names
    // longer than the eight columns are printed whole.
    r = run("2147483646 2147483647 0 0 0");
    EXPECT_EQ(r.info, infoheader(0, 0, "0.000000") + "\n2147483646 : \n2147483647 : ");
    expectconsole(r.console, dialogue + notfound(2147483646) + notfound(2147483647) + nostats);
}

TEST(Driver, DialogueReadsLikeScanf) {
    // A failed "%d" leaves its value 0 and its text for the next read;
    // numbers beyond 32 bits clamp to the nearest 32-bit value, an
    // overflowing rate becomes an infinity.
    const std::string none = infoheader(0, 0, "0.000000");
    const std::pair<const char *, std::string> cases[] = {
        // ".5e1" stops the slack and is then read whole as the rate.
        {"3 2 50 .5e1 0.01\n", infoheader(50, 0, "5.000000")},
        // The slack takes the digits of "10x"; the rate then meets the "x".
        {"3 2 50 10x 0.01\n", infoheader(50, 10, "0.000000")},
        // First 7; last, percentage and slack fail at "."; the rate reads ".5".
        {"7.5\n", infoheader(0, 0, "0.500000")},
        // Signs as entered; white space of any kind separates the answers.
        {"  +4\n\t-4 \v+50\f-3\r\n-0.25", infoheader(50, -3, "-0.250000")},
        // No number at all: everything 0, so problem 0 alone is processed.
        {"abc\n", none + "\n   0 : "},
        {"", none + "\n   0 : "},
        {"99999999999 -99999999999 3000000000 -3000000000 1e400\n",
         infoheader(INT_MAX, INT_MIN, "inf")},
        {"-2147483649 -2147483647 0 0 0", none + "\n-2147483648 : \n-2147483647 : "},
    };
    scratchdir dir;
    for (const auto &c : cases)
        EXPECT_EQ(run(c.first).info, c.second) << "answers \"" << c.first << "\"";
}

TEST(Driver, KeyWaitDoesNotReadStandardInput) {
    // Standard input stays open: a key wait that read it would block, one
    // that reads the terminal finds none and the run ends by itself.
    scratchdir dir;
    FILE *input = start("2\n1\n50\n10\n0.01\n");
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(await("status.txt", 2), "0\n") << "the run did not end with standard input open";
    pclose(input);
    expectconsole(readfile("console.txt"), dialogue + nostats);
}

TEST(Driver, RecordIsOnDiskBeforeTheNextProblem) {
    // Problem 2 is a named pipe, so the run blocks opening it; problem 1's
    // record must already be complete in output.txt. Opening the pipe for
    // writing and closing it again then lets the run go on.
    scratchdir dir;
    copyexample(1);
    ASSERT_EQ(mkfifo("D2.gpr", 0644), 0);
    FILE *input = start("1 2 50 10 0.01\n");
    ASSERT_NE(input, nullptr);
    std::string output = await("output.txt", record(1, 0.0f).size());
    std::vector<float> t = solvetimes(output);
    EXPECT_TRUE(t.size() == 1 && output == record(1, t[0])) << output;
    int fd = -1;
    for (int k = 0; k < 600 && (fd = open("D2.gpr", O_WRONLY | O_NONBLOCK)) < 0; k++) usleep(50000);
    if (fd >= 0) close(fd);
    pclose(input);
}

TEST(Driver, UnwritableResultFilesStopTheRun) {
    // A folder in place of a result file cannot be opened, a link to
    // /dev/full cannot be written: exit status 1 and one line on stderr.
    // Whatever was written before stays.
    const struct {
        const char *action, *file, *answers;
        int err;
        std::string output, info;
    } cases[] = {
        {"open", "output.txt", "1 1 50 10 0.01", EISDIR, "", ""},
        {"open", "info.out", "1 1 50 10 0.01", EISDIR, "", ""},
        {"write", "output.txt", "1 3 50 10 0.01", ENOSPC, "",
         infoheader(50, 10, "0.010000") + "\n   1 : "},
        {"write", "info.out", "2 1 50 10 0.01", ENOSPC, nostats, ""},
    };
    for (const auto &c : cases) {
        scratchdir dir;
        ASSERT_EQ(c.err == EISDIR ? mkdir(c.file, 0755) : symlink("/dev/full", c.file), 0);
        runresult r = run(c.answers, fmt("1\nmaxnpv: cannot %s %s: %s\n", c.action, c.file,
                                         std::strerror(c.err)));
        EXPECT_EQ(r.output + "|" + r.info, c.output + "|" + c.info) << c.action << " " << c.file;
        EXPECT_EQ(r.console.find("PRESS ANY KEY"), std::string::npos) << c.action << " " << c.file;
    }
}
