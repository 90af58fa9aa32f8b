// The answers are used as entered, but every one must be a number: an
// answer that is not (a word, a typo, the end of the input) would otherwise
// leave its parameter at zero and stay in the input for every later
// question, and the run would report plausible results of the wrong
// parameters. Such an answer stops the run with one line on standard error
// and exit status 2, before either result file is touched. Integers are
// read by scanint, which follows "%d" but gives numbers out of range a
// defined value (the nearest 32-bit value) instead of leaving them
// undefined; the interest rate is read with "%lf" itself, which turns an
// overflowing number into an infinity. Of the values the interest rate alone
// is checked, since no other answer can make a result plainly wrong.
#include "driver/dialogue.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace gpr {

int scanint(FILE *in, int *value) {
    int c = std::getc(in);
    while (c != EOF && std::isspace(c)) c = std::getc(in);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(in);
    }
    if (c == EOF || !std::isdigit(c)) {
        if (c != EOF) std::ungetc(c, in);
        return 0;
    }
    const int64_t limit = (int64_t)1 << 31;
    int64_t magnitude = 0;
    while (c != EOF && std::isdigit(c)) {
        if (magnitude <= limit) magnitude = magnitude * 10 + (c - '0');
        c = std::getc(in);
    }
    if (c != EOF) std::ungetc(c, in);
    if (negative)
        *value = magnitude >= limit ? INT32_MIN : (int)-magnitude;
    else
        *value = magnitude >= limit ? INT32_MAX : (int)magnitude;
    return 1;
}

constexpr int shownanswer = 40; // characters of a refused answer that its message quotes

// Stops the run: the answer to the question what is not a number.
[[noreturn]] static void notanumber(const char *what) {
    std::string word;
    int c = std::getc(stdin);
    while (c != EOF && std::isspace(c)) c = std::getc(stdin);
    while (c != EOF && !std::isspace(c) && (int)word.size() < shownanswer) {
        word += std::isprint(c) ? (char)c : '?';
        c = std::getc(stdin);
    }
    std::printf("\n");
    std::fflush(stdout);
    if (word.empty())
        std::fprintf(stderr, "maxnpv: no answer to the %s: the input ended\n", what);
    else
        std::fprintf(stderr, "maxnpv: the %s must be a number, not '%s'\n", what, word.c_str());
    std::exit(2);
}

static void askint(const char *prompt, const char *what, int *value) {
    std::printf("%s", prompt);
    std::fflush(stdout);
    if (scanint(stdin, value) != 1) notanumber(what);
}

void askparams(runparams *run) {
    std::printf("\n maxnpv - schedules of maximal net present value under generalized "
                "precedence relations\n");
    std::printf(" ======================================================================="
                "================\n\n");
    *run = runparams();
    double &interest = run->problem.interest;
    askint("\n Number of first problem : ", "number of the first problem", &run->first);
    askint("\n Number of last problem : ", "number of the last problem", &run->last);
    askint("\n Percentage negative cash flows (e.g. 50) : ", "percentage of negative cash flows",
           &run->problem.pctneg);
    askint("\n Deadline (expressed as number of time units above critical path ) : ",
           "deadline slack", &run->problem.slack);
    std::printf("\n Interest rate (e.g. 0.01) : ");
    std::fflush(stdout);
    if (std::scanf("%lf", &interest) != 1) notanumber("interest rate");
    // A negative rate would make later cash flows worth more, so delaying a
    // positive one would pay, and nan or inf make every value meaningless:
    // the run stops before either result file is touched.
    if (!(interest >= 0.0) || !std::isfinite(interest)) {
        std::printf("\n");
        std::fflush(stdout);
        std::fprintf(stderr,
                     "maxnpv: the interest rate must be a finite number of 0 or more, "
                     "not %g\n",
                     interest);
        std::exit(2);
    }
    std::printf("\n\n filename  solution     npv     CPU time (sec)     error\n");
    std::fflush(stdout);
}

} // namespace gpr
