// Every outcome of a problem is written twice by the same operation: as a
// console text that completes the line the batch opened with the instance
// name, and as a record in output.txt. Records open with their line break
// instead of closing with one, so output.txt starts with an empty line and
// does not end with a line break.
//
// The statistics are the sample mean and standard deviation of the solve
// times in their one-pass form, from a single-precision sum and a
// double-precision sum of squares. With fewer than two solved problems the
// deviation is not defined; we show 0.000 then, and also when rounding of the
// single-precision sum makes n*Q - S*S come out negative, so neither field
// ever shows "nan".
#include "driver/reports.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/runfile.h"
#include "platform/shown.h"

namespace gpr {

namespace {

// printf into a string.
std::string formatted(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    if (n <= 0) return "";
    std::string text((size_t)n + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(&text[0], text.size(), fmt, args);
    va_end(args);
    text.resize((size_t)n);
    return text;
}

} // namespace

void addtime(timestats *t, float elapsed) {
    t->sumtime = t->sumtime + elapsed;
    t->sumsq = t->sumsq + (double)elapsed * (double)elapsed;
    t->nrsolved = t->nrsolved + 1;
}

void resulttexts(int probnr, int nrits, double npv, float elapsed, std::string *console,
                 std::string *record) {
    *console = formatted("   optimal  %8.2lf %10.3f", npv, elapsed);
    *record = formatted("\n%5d %5d %8.2lf %11.4f", probnr, nrits, npv, elapsed);
}

void reportresult(runfile *out, timestats *t, int probnr, int nrits, double npv, float elapsed) {
    addtime(t, elapsed);
    std::string console, record;
    resulttexts(probnr, nrits, npv, elapsed, &console, &record);
    std::fputs(console.c_str(), stdout);
    std::fflush(stdout);
    out->put("%s", record.c_str());
}

void limittexts(std::string *console) {
    if (console->compare(0, 12, "   optimal  ") == 0) console->replace(0, 12, "   limit    ");
}

void noscheduletexts(int probnr, std::string *console, std::string *record) {
    *console = formatted("\t\t\t\t\t %s", "no schedule");
    *record = formatted("\n%5d    %s", probnr, "no schedule within the limit");
}

void skiptexts(int probnr, outcome kind, std::string *console, std::string *record) {
    const char *shown = "", *kept = "";
    console->clear();
    record->clear();
    switch (kind) {
    case outcome::solved: // not a skip
        return;
    case outcome::notfound:
        shown = "not found", kept = "problem not found";
        break;
    case outcome::toomany:
        shown = "maxact too low", kept = "too many activities";
        break;
    case outcome::invalid:
        shown = "invalid file", kept = "invalid instance file";
        break;
    case outcome::infeasible:
        shown = "infeasible", kept = "no feasible schedule";
        break;
    case outcome::unlinked:
        shown = "not connected", kept = "activities not connected";
        break;
    }
    *console = formatted("\t\t\t\t\t %s", shown);
    *record = formatted("\n%5d    %s", probnr, kept);
}

void reportskip(runfile *out, int probnr, outcome kind) {
    if (kind == outcome::solved) return;
    std::string console, record;
    skiptexts(probnr, kind, &console, &record);
    std::fputs(console.c_str(), stdout);
    std::fflush(stdout);
    out->put("%s", record.c_str());
}

bool sharesstderr(FILE *console) {
    return console == stderr || sameterminal(fileno(console), 2);
}

void reportreason(const std::string &file, const std::string &reason, FILE *console) {
    std::fflush(console);
    // On a stream shared with the console rows the reason takes a line of
    // its own below the row, which the next row's line break then ends;
    // elsewhere it is one line of its own stream.
    if (sharesstderr(console))
        std::fprintf(stderr, "\n%s: %s", terminaltext(file).c_str(), terminaltext(reason).c_str());
    else
        std::fprintf(stderr, "%s: %s\n", terminaltext(file).c_str(), terminaltext(reason).c_str());
}

void computestats(const timestats &t, float *average, double *deviation) {
    *average = 0.0f;
    *deviation = 0.0;
    const int n = t.nrsolved;
    if (n == 0) return;
    *average = (float)((double)t.sumtime / n);
    if (n < 2) return;
    double spread = n * t.sumsq - (double)t.sumtime * (double)t.sumtime;
    double pairs = (double)((int64_t)n * (n - 1));
    if (spread > 0.0) *deviation = std::sqrt(spread / pairs);
}

void reportstats(runfile *out, const timestats &t, FILE *console) {
    static const char format[] =
        "\n\n Average computation time (seconds)    : %8.3f  (standard deviation : %8.3f)";
    float average;
    double deviation;
    computestats(t, &average, &deviation);
    std::fprintf(console, format, average, deviation);
    std::fflush(console);
    out->put(format, average, deviation);
}

void outputfailed(const char *file, const char *action, int err, FILE *console) {
    runfailed(std::string("cannot ") + action + " " + terminaltext(file) + ": " +
                  std::strerror(err != 0 ? err : EIO),
              console);
}

void runfailed(const std::string &line, FILE *console) {
    std::fflush(console);
    if (sharesstderr(console)) std::fputc('\n', stderr);
    std::fprintf(stderr, "maxnpv: %s\n", line.c_str());
    std::exit(1);
}

} // namespace gpr
