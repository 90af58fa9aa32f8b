// End-to-end runs of the maxnpv program: the answers come on standard input,
// the run has no controlling terminal (setsid), and the console trace,
// output.txt and info.out are compared byte for byte with texts built here
// from the documented formats. Only the solve times vary from run to run;
// their fields are checked for width and format, and every other number that
// depends on them (console time, statistics) is recomputed from them.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

// The text of a plain file; empty for a folder or a device (never reads
// /dev/full, which has no end).
std::string regularfile(const std::string &name) {
    struct stat info;
    if (stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return "";
    return readfile(name);
}

struct runresult {
    int status = -1; // exit status; 124 when the run had to be stopped
    std::string console, errors, output, info;
};

// Runs maxnpv in the working directory (a scratch folder) with the given
// answers, detached from any terminal. timeout turns a hang into a failure.
runresult runmaxnpv(const std::string &answers) {
    writefile("answers.txt", answers);
    std::string command = std::string("timeout 60 setsid -w '") + MAXNPV_BINARY +
                          "' < answers.txt > console.txt 2> errors.txt";
    int raw = std::system(command.c_str());
    runresult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.console = readfile("console.txt");
    r.errors = readfile("errors.txt");
    r.output = regularfile("output.txt");
    r.info = regularfile("info.out");
    return r;
}

void copyexample(int number) {
    writefile("D" + std::to_string(number) + ".gpr",
              readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr"));
}

const std::string rule = " " + std::string(87, '=') + "\n\n";
const std::string prompts =
    "\n Number of first problem : "
    "\n Number of last problem : "
    "\n Percentage negative cash flows (e.g. 50) : "
    "\n Deadline (expressed as number of time units above critical path ) : "
    "\n Interest rate (e.g. 0.01) : ";
const std::string tablehead = "\n\n filename  solution     npv     CPU time (sec)     error\n";
const std::string presskey = "\n\n PRESS ANY KEY";

std::string infoheader(int pct, int slack, const char *interesttext) {
    return fmt("\nPercentage negative cash flows : %d \nDeadline (number of time units above "
               "critical path) : %d\ninterest : %s \n",
               pct, slack, interesttext) +
           "\ninformation about the generated cash flows" +
           "\nproblem number :   (number of activity / cash flow)";
}

// The statistics text of the console and of output.txt for the given solve
// times: single-precision sum, double-precision sum of squares, sample
// deviation in one-pass form; 0.000 where it is undefined or negative.
std::string statstext(const std::vector<float> &times) {
    float s = 0.0f;
    double q = 0.0;
    for (float t : times) {
        s = s + t;
        q += (double)t * (double)t;
    }
    int n = (int)times.size();
    float avg = n == 0 ? 0.0f : (float)((double)s / n);
    double dev = 0.0;
    if (n >= 2) {
        double spread = n * q - (double)s * (double)s;
        if (spread > 0.0) dev = std::sqrt(spread / ((double)n * (n - 1)));
    }
    return fmt("\n\n Average computation time (seconds)    : %8.3f  (standard deviation : %8.3f)",
               avg, dev);
}

// Collects the solve-time fields of the solved records in output.txt, each
// checked to be an 11-character "%11.4f" field of whole milliseconds.
std::vector<float> solvetimes(const std::string &output) {
    std::vector<float> times;
    static const std::regex solved("\n *-?[0-9]+ +[0-9]+ +-?[0-9]+\\.[0-9]{2} ([ 0-9.]+)(?=\n|$)");
    static const std::regex field("^ *[0-9]+\\.[0-9]{3}0$");
    for (std::sregex_iterator it(output.begin(), output.end(), solved), end; it != end; ++it) {
        std::string text = (*it)[1];
        EXPECT_EQ(text.size(), 11u) << "time field \"" << text << "\"";
        EXPECT_TRUE(std::regex_match(text, field)) << "time field \"" << text << "\"";
        times.push_back((float)std::strtod(text.c_str(), nullptr));
    }
    return times;
}

// The worked example (instance of examples/D1.gpr with pctneg 50, slack 10,
// interest 0.01): cash flows 0, -239, 356, 366, 0; three passes; the optimal
// value 356e^-0.02 + 366e^-0.05 - 239e^-0.15 = 491.39149.
const std::string examplecf = "(0/0) (1/-239) (2/356) (3/366) (4/0) ";
std::string examplerecord(int number, float time) {
    return fmt("\n%5d     3   491.39 %11.4f", number, time);
}
std::string exampleconsole(int number, float time) {
    return fmt("\n %8s   optimal    491.39 %10.3f", ("D" + std::to_string(number)).c_str(), time);
}
std::string notfound(int number) {
    return fmt("\n %8s\t\t\t\t\t not found", ("D" + std::to_string(number)).c_str());
}

// Splits the console trace into the title line, the part from the rule to
// the statistics text (compared whole by the callers) and the closing text,
// and checks the title line, the three credit lines and the final text.
std::string consolebody(const std::string &console, const std::string &stats) {
    EXPECT_EQ(console.compare(0, 2, "\n "), 0) << console;
    size_t titleend = console.find('\n', 1);
    EXPECT_NE(titleend, std::string::npos);
    if (titleend == std::string::npos) return "";
    std::string title = console.substr(2, titleend - 2);
    EXPECT_NE(title.find("maxnpv"), std::string::npos) << "title: " << title;
    size_t statspos = console.rfind(stats);
    EXPECT_NE(statspos, std::string::npos) << console;
    if (statspos == std::string::npos) return "";
    std::string closing = console.substr(statspos + stats.size());
    EXPECT_GE(closing.size(), presskey.size());
    EXPECT_EQ(closing.compare(closing.size() - presskey.size(), presskey.size(), presskey), 0)
        << "console does not end with the key prompt: " << closing;
    std::string credits = closing.substr(0, closing.size() - presskey.size());
    int lines = 0;
    size_t start = 0;
    while (start <= credits.size()) {
        size_t stop = credits.find('\n', start);
        if (stop == std::string::npos) stop = credits.size();
        if (stop > start) lines++;
        start = stop + 1;
    }
    EXPECT_EQ(lines, 3) << "credits: " << credits;
    return console.substr(titleend + 1, statspos + stats.size() - titleend - 1);
}

// Starts maxnpv in a new session (no controlling terminal) with its standard
// input on a pipe that stays open; returns the process id and the pipe's
// write end.
pid_t spawnmaxnpv(const std::string &answers, int *input) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        int out = open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open("errors.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        execl(MAXNPV_BINARY, MAXNPV_BINARY, (char *)nullptr);
        _exit(127);
    }
    close(fds[0]);
    if (write(fds[1], answers.data(), answers.size()) != (ssize_t)answers.size()) {
        close(fds[1]);
        *input = -1;
        return pid;
    }
    *input = fds[1];
    return pid;
}

// Waits up to the given number of seconds for the process to end; returns
// its wait status, or -1 when it is still running.
int waitfor(pid_t pid, int seconds) {
    for (int k = 0; k < seconds * 20; k++) {
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        usleep(50000);
    }
    return -1;
}

void stopprocess(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

TEST(Driver, WorkedExampleAsProblemOne) {
    scratchdir dir;
    copyexample(1);
    runresult r = runmaxnpv("1\n1\n50\n10\n0.01\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.errors, "");

    std::vector<float> times = solvetimes(r.output);
    ASSERT_EQ(times.size(), 1u) << r.output;
    std::string stats = statstext(times);
    EXPECT_EQ(r.output, examplerecord(1, times[0]) + stats);
    EXPECT_EQ(r.info, infoheader(50, 10, "0.010000") + "\n   1 : " + examplecf);

    // One solved problem: the average is its time, the deviation 0.
    EXPECT_EQ(stats, fmt("\n\n Average computation time (seconds)    : %8.3f  (standard "
                         "deviation :    0.000)",
                         times[0]));
    EXPECT_EQ(consolebody(r.console, stats),
              rule + prompts + tablehead + exampleconsole(1, times[0]) + stats);
}

TEST(Driver, EmptyRangeWritesHeaderAndStatisticsOnly) {
    scratchdir dir;
    copyexample(1);
    runresult r = runmaxnpv("2\n1\n50\n10\n0.01\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.errors, "");
    const std::string stats = "\n\n Average computation time (seconds)    :    0.000  (standard "
                              "deviation :    0.000)";
    EXPECT_EQ(r.output, stats);
    EXPECT_EQ(r.info, infoheader(50, 10, "0.010000"));
    EXPECT_EQ(consolebody(r.console, stats), rule + prompts + tablehead + stats);
}

TEST(Driver, SkippedProblemsInTheMiddleOfARange) {
    scratchdir dir;
    copyexample(1);
    writefile("D3.gpr", "1001 0\n"); // one activity above the limit
    copyexample(4);
    runresult r = runmaxnpv("1 5 50 10 0.01");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.errors, "");

    std::vector<float> times = solvetimes(r.output);
    ASSERT_EQ(times.size(), 2u) << r.output;
    std::string stats = statstext(times);
    EXPECT_EQ(r.output, examplerecord(1, times[0]) + "\n    2    problem not found" +
                            "\n    3    too many activities" + examplerecord(4, times[1]) +
                            "\n    5    problem not found" + stats);
    // The cash flows do not depend on the problem number; skipped problems
    // have no entries after their number.
    EXPECT_EQ(r.info, infoheader(50, 10, "0.010000") + "\n   1 : " + examplecf +
                          "\n   2 : " + "\n   3 : " + "\n   4 : " + examplecf + "\n   5 : ");
    EXPECT_EQ(consolebody(r.console, stats), rule + prompts + tablehead +
                                                 exampleconsole(1, times[0]) + notfound(2) +
                                                 "\n       D3\t\t\t\t\t maxact too low" +
                                                 exampleconsole(4, times[1]) + notfound(5) + stats);
}

TEST(Driver, SecondRunRewritesBothFiles) {
    scratchdir dir;
    copyexample(1);
    copyexample(3);
    runresult first = runmaxnpv("1 3 50 10 0.01");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(solvetimes(first.output).size(), 2u) << first.output;

    runresult second = runmaxnpv("2 2 0 5 0.02");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.output, "\n    2    problem not found\n\n Average computation time (seconds)  "
                             "  :    0.000  (standard deviation :    0.000)");
    EXPECT_EQ(second.info, infoheader(0, 5, "0.020000") + "\n   2 : ");
}

TEST(Driver, NegativeAndExtremeProblemNumbers) {
    scratchdir dir;
    copyexample(-1);
    runresult r = runmaxnpv("-2 -1 50 10 0.01");
    EXPECT_EQ(r.status, 0);
    std::vector<float> times = solvetimes(r.output);
    ASSERT_EQ(times.size(), 1u) << r.output;
    std::string stats = statstext(times);
    EXPECT_EQ(r.output, "\n   -2    problem not found" + examplerecord(-1, times[0]) + stats);
    EXPECT_EQ(r.info, infoheader(50, 10, "0.010000") + "\n  -2 : " + "\n  -1 : " + examplecf);
    EXPECT_EQ(consolebody(r.console, stats), rule + prompts + tablehead +
                                                 "\n      D-2\t\t\t\t\t not found" +
                                                 exampleconsole(-1, times[0]) + stats);

    // A range that ends at the largest 32-bit number stops there; names
    // longer than the eight columns are printed whole.
    const std::string zero = "\n\n Average computation time (seconds)    :    0.000  (standard "
                             "deviation :    0.000)";
    r = runmaxnpv("2147483646 2147483647 0 0 0");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output,
              "\n2147483646    problem not found\n2147483647    problem not found" + zero);
    EXPECT_EQ(r.info, infoheader(0, 0, "0.000000") + "\n2147483646 : \n2147483647 : ");
    EXPECT_EQ(consolebody(r.console, zero), rule + prompts + tablehead +
                                                "\n D2147483646\t\t\t\t\t not found" +
                                                "\n D2147483647\t\t\t\t\t not found" + zero);

    r = runmaxnpv("-2147483648 -2147483647 0 0 0");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output,
              "\n-2147483648    problem not found\n-2147483647    problem not found" + zero);
    EXPECT_EQ(r.info, infoheader(0, 0, "0.000000") + "\n-2147483648 : \n-2147483647 : ");
}

TEST(Driver, DialogueReadsLikeScanf) {
    scratchdir dir;
    // A failed "%d" leaves its value 0 and the text for the next read: ".5e1"
    // stops the slack and is then read whole as the interest rate.
    runresult r = runmaxnpv("3 2 50 .5e1 0.01\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.info, infoheader(50, 0, "5.000000"));

    // The slack takes the digits of "10x"; the rate then meets the "x".
    r = runmaxnpv("3 2 50 10x 0.01\n");
    EXPECT_EQ(r.info, infoheader(50, 10, "0.000000"));

    // "7.5": the first number is 7, the last fails at ".", and so do the
    // percentage and the slack, until the rate reads ".5".
    r = runmaxnpv("7.5\n");
    EXPECT_EQ(r.info, infoheader(0, 0, "0.500000"));

    // Signs and negative values are used as entered; white space of any
    // kind separates the answers.
    r = runmaxnpv("  +4\n\t-4 \v+50\f-3\r\n-0.25");
    EXPECT_EQ(r.info, infoheader(50, -3, "-0.250000"));

    // No number at all: everything stays 0, so problem 0 alone is processed.
    const std::string zero = "\n\n Average computation time (seconds)    :    0.000  (standard "
                             "deviation :    0.000)";
    for (const char *answers : {"abc\n", ""}) {
        r = runmaxnpv(answers);
        EXPECT_EQ(r.status, 0) << "answers \"" << answers << "\"";
        EXPECT_EQ(r.info, infoheader(0, 0, "0.000000") + "\n   0 : ");
        EXPECT_EQ(r.output, "\n    0    problem not found" + zero);
        EXPECT_EQ(consolebody(r.console, zero), rule + prompts + tablehead + notfound(0) + zero);
    }

    // Numbers beyond 32 bits clamp to the nearest 32-bit value; an
    // overflowing rate becomes an infinity.
    r = runmaxnpv("99999999999 -99999999999 3000000000 -3000000000 1e400\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.info, infoheader(2147483647, -2147483647 - 1, "inf"));
    EXPECT_EQ(r.output, zero);

    // The first number clamps to the smallest value: a range of two.
    r = runmaxnpv("-2147483649 -2147483647 0 0 0");
    EXPECT_EQ(r.info, infoheader(0, 0, "0.000000") + "\n-2147483648 : \n-2147483647 : ");
}

TEST(Driver, KeyWaitDoesNotReadStandardInput) {
    // The answers are given but standard input stays open: a key wait that
    // read it would block, one that reads the terminal finds none and ends.
    scratchdir dir;
    int input = -1;
    pid_t pid = spawnmaxnpv("2\n1\n50\n10\n0.01\n", &input);
    ASSERT_GT(pid, 0);
    int status = waitfor(pid, 60);
    if (input >= 0) close(input);
    if (status == -1) {
        stopprocess(pid);
        FAIL() << "the run did not end while standard input was open";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string console = readfile("console.txt");
    EXPECT_EQ(console.compare(console.size() - presskey.size(), presskey.size(), presskey), 0);
}

TEST(Driver, RecordIsOnDiskBeforeTheNextProblem) {
    // Problem 2 is a named pipe nobody writes to, so the run blocks opening
    // it. Problem 1's record must be in output.txt by then, and stays there
    // when the run is killed.
    scratchdir dir;
    copyexample(1);
    ASSERT_EQ(mkfifo("D2.gpr", 0644), 0);
    int input = -1;
    pid_t pid = spawnmaxnpv("1 2 50 10 0.01\n", &input);
    ASSERT_GT(pid, 0);
    std::string output;
    const size_t recordsize = examplerecord(1, 0.0f).size();
    for (int k = 0; k < 600 && output.size() < recordsize; k++) {
        usleep(50000);
        output = readfile("output.txt");
    }
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the run did not wait for problem 2";
    stopprocess(pid);
    if (input >= 0) close(input);
    output = readfile("output.txt");
    std::vector<float> times = solvetimes(output);
    ASSERT_EQ(times.size(), 1u) << output;
    EXPECT_EQ(output, examplerecord(1, times[0]));
}

TEST(Driver, UnwritableResultFilesStopTheRun) {
    const std::string reason = std::string(": ") + std::strerror(EISDIR) + "\n";
    const std::string full = std::string(": ") + std::strerror(ENOSPC) + "\n";
    {
        scratchdir dir;
        ASSERT_EQ(mkdir("output.txt", 0755), 0);
        runresult r = runmaxnpv("1 1 50 10 0.01");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors, "maxnpv: cannot open output.txt" + reason);
        EXPECT_FALSE(fileexists("info.out"));
        EXPECT_EQ(r.console.find("PRESS ANY KEY"), std::string::npos);
    }
    {
        scratchdir dir;
        ASSERT_EQ(mkdir("info.out", 0755), 0);
        runresult r = runmaxnpv("1 1 50 10 0.01");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors, "maxnpv: cannot open info.out" + reason);
        EXPECT_TRUE(fileexists("output.txt"));
        EXPECT_EQ(r.output, "");
        EXPECT_EQ(r.console.find("PRESS ANY KEY"), std::string::npos);
    }
    {
        // A full disk under output.txt: the first record cannot be written.
        scratchdir dir;
        ASSERT_EQ(symlink("/dev/full", "output.txt"), 0);
        runresult r = runmaxnpv("1 3 50 10 0.01");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors, "maxnpv: cannot write output.txt" + full);
        EXPECT_EQ(r.info, infoheader(50, 10, "0.010000") + "\n   1 : ");
        EXPECT_EQ(r.console.find("\n       D2"), std::string::npos) << r.console;
        EXPECT_EQ(r.console.find("PRESS ANY KEY"), std::string::npos);
    }
    {
        // A full disk under info.out: output.txt keeps what was written.
        scratchdir dir;
        ASSERT_EQ(symlink("/dev/full", "info.out"), 0);
        runresult r = runmaxnpv("2 1 50 10 0.01");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors, "maxnpv: cannot write info.out" + full);
        EXPECT_EQ(r.output, "\n\n Average computation time (seconds)    :    0.000  (standard "
                            "deviation :    0.000)");
        EXPECT_EQ(r.console.find("PRESS ANY KEY"), std::string::npos);
    }
}
