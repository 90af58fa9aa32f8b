// gprlp: the optimal net present value of one instance, computed as a linear
// program by GLPK, to check a result of maxnpv. Files of the standard
// formats (.sch, .sm, .rcp) are converted to .gpr text by the format readers
// that sch2gpr uses, into a temporary file that the model then reads as it
// reads any .gpr file; the model itself shares no code with the solver.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "format/instformat.h"
#include "lpmodel.h"

static const char helptext[] =
    "usage: gprlp [--cashflows CFFILE] [--deadline D] [--schedule] [--format F]\n"
    "             FILE PCTNEG DLEXTRA INTEREST\n"
    "       gprlp --help\n"
    "\n"
    "Computes the optimal net present value of the instance FILE as a\n"
    "linear program solved by GLPK, independently of maxnpv, with maxnpv's run\n"
    "parameters: the cash flows are drawn as maxnpv draws them, PCTNEG percent of\n"
    "them negative; the deadline lies DLEXTRA time units after the critical path;\n"
    "INTEREST is the continuous discount rate per time unit and must be positive.\n"
    "Instances that cannot be solved are recognised by the same rules as maxnpv's\n"
    "and reported in its words.\n"
    "\n"
    "options:\n"
    "  --cashflows CFFILE  take the cash flows from CFFILE instead of drawing them\n"
    "                      (PCTNEG is then ignored): one number per activity, dummies\n"
    "                      included, in file order, separated by blanks or line ends;\n"
    "                      '#' starts a comment that runs to the end of its line\n"
    "  --deadline D        the project deadline is the absolute time D (DLEXTRA is\n"
    "                      then ignored)\n"
    "  --schedule          also print the optimal schedule\n"
    "  --format F          read FILE as gpr, sch (ProGen/max), sm (PSPLIB single mode)\n"
    "                      or rcp (Patterson); default: by the extension in any case,\n"
    "                      other names are .gpr files\n"
    "\n"
    "Output on standard output:\n"
    "  the optimal net present value (full precision, %.17g), or \"infeasible\" or \"not "
    "connected\"\n"
    "  glpk time SECONDS s    building the LPs and solving them (GLPK's simplex)\n"
    "  exact check SECONDS s  GLPK's exact simplex confirming the optimum\n"
    "  read time SECONDS s    reading FILE and the cash flows\n"
    "  rounds N               trust-region LPs solved (large windows take several)\n"
    "The times are 0 when no LP is solved. With --schedule, then one line per\n"
    "activity: its number (from 1) and its start, or \"unbounded\" for an activity\n"
    "that is best put off without end (it adds nothing to the value). Every\n"
    "outcome but an optimum also writes its reason to standard error.\n"
    "\n"
    "Exit status:\n"
    "  0  the optimum was printed\n"
    "  1  wrong arguments, or FILE or CFFILE cannot be read\n"
    "  2  GLPK found no certified optimum\n"
    "  3  infeasible: no schedule meets the relations and the deadline\n"
    "  4  not connected: some activity is reached by no chain of relations from the\n"
    "     start dummy\n";

static bool parseint(const char *text, long long lo, long long hi, long long *value) {
    char *rest;
    errno = 0;
    long long v = std::strtoll(text, &rest, 10);
    if (rest == text || *rest != '\0' || errno != 0 || v < lo || v > hi) return false;
    *value = v;
    return true;
}

static int usage(const char *problem) {
    std::fprintf(stderr,
                 "gprlp: %s\nusage: gprlp [--help] [--cashflows CFFILE] [--deadline D] "
                 "[--schedule] [--format F] FILE PCTNEG DLEXTRA INTEREST\n",
                 problem);
    return 1;
}

// Reads the numbers of a cash flow file; false with *reason on failure.
static bool readcashflows(const char *path, std::vector<double> *cf, std::string *reason) {
    std::string text;
    if (!lpreadfile(path, &text, reason)) return false;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); number++) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        while (words >> word) {
            char *rest;
            double v = std::strtod(word.c_str(), &rest);
            if (*rest != '\0' || !std::isfinite(v)) {
                *reason = std::string(path) + ": line " + std::to_string(number) +
                          ": not a finite number: \"" + word.substr(0, 40) + "\"";
                return false;
            }
            cf->push_back(v);
        }
    }
    return true;
}

// A .gpr copy of the instance in a foreign format, in a temporary file that
// *gprpath names; false with the reason.
static bool togpr(const char *path, instformat fmt, std::string *gprpath, std::string *reason) {
    std::string text;
    if (!lpreadfile(path, &text, reason)) return false;
    gprinstance inst;
    formaterror err;
    if (!readforeign(fmt, text, &inst, &err)) {
        *reason = std::string(path) + ": line " + std::to_string(err.line) + ": " + err.reason;
        return false;
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/gprlp-XXXXXX";
    int fd = mkstemp(&name[0]);
    const std::string gpr = formatgpr(inst);
    bool ok = fd >= 0 && write(fd, gpr.data(), gpr.size()) == (ssize_t)gpr.size();
    if (fd >= 0 && close(fd) != 0) ok = false;
    if (!ok) {
        *reason = std::string("cannot write a temporary file: ") + std::strerror(errno);
        if (fd >= 0) unlink(name.c_str());
        return false;
    }
    *gprpath = name;
    return true;
}

int main(int argc, char **argv) {
    lpoptions opt;
    bool hasformat = false;
    instformat fmt = instformat::gpr;
    bool schedule = false;
    const char *cffile = nullptr;
    std::vector<const char *> args;
    for (int k = 1; k < argc; k++) {
        std::string a = argv[k];
        if (a == "--help" || a == "-h") {
            std::fputs(helptext, stdout);
            return 0;
        }
        long long value;
        if (a == "--schedule") {
            schedule = true;
        } else if (a == "--cashflows" || a == "--deadline" || a == "--format") {
            if (k + 1 == argc) return usage((a + " needs a value").c_str());
            const char *v = argv[++k];
            if (a == "--format") {
                if (!formatofkey(v, &fmt))
                    return usage(
                        ("--format needs gpr, sch, sm or rcp, not " + std::string(v)).c_str());
                hasformat = true;
            } else if (a == "--cashflows")
                cffile = v;
            else if (!parseint(v, -(1LL << 60), 1LL << 60, &value))
                return usage("D must be a whole number");
            else
                opt.deadline = value;
        } else if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
            return usage(("unknown option " + a).c_str());
        } else {
            args.push_back(argv[k]);
        }
    }
    if (args.size() != 4) return usage("expected four arguments");
    long long pctneg, dlextra;
    if (!parseint(args[1], INT32_MIN, INT32_MAX, &pctneg))
        return usage("PCTNEG must be a whole number");
    if (!parseint(args[2], INT32_MIN, INT32_MAX, &dlextra))
        return usage("DLEXTRA must be a whole number");
    char *rest;
    opt.pctneg = (int)pctneg;
    opt.slack = dlextra;
    opt.interest = std::strtod(args[3], &rest);
    if (rest == args[3] || *rest != '\0' || !std::isfinite(opt.interest) || opt.interest <= 0)
        return usage("INTEREST must be a positive number");
    std::string reason;
    if (cffile && !readcashflows(cffile, &opt.cashflows, &reason)) {
        std::fprintf(stderr, "gprlp: %s\n", reason.c_str());
        return 1;
    }
    if (cffile && opt.cashflows.empty()) {
        std::fprintf(stderr, "gprlp: %s holds no cash flows\n", cffile);
        return 1;
    }

    if (!hasformat) fmt = formatofname(args[0]);
    std::string converted;
    if (fmt != instformat::gpr && !togpr(args[0], fmt, &converted, &reason)) {
        std::fprintf(stderr, "gprlp: %s\n", reason.c_str());
        return 1;
    }
    lpresult res = lpsolve(converted.empty() ? args[0] : converted, opt);
    if (!converted.empty()) unlink(converted.c_str());
    if (res.kind == lpunreadable) {
        std::fprintf(stderr, "gprlp: %s\n", res.reason.c_str());
        return 1;
    }
    if (res.kind == lpsolved)
        std::printf("%.17g\n", res.npv);
    else
        std::printf("%s\n", lpkindname(res.kind));
    std::printf("glpk time %.6f s\nexact check %.6f s\nread time %.6f s\nrounds %d\n", res.seconds,
                res.exactseconds, res.readseconds, res.rounds);
    if (schedule && res.kind == lpsolved) {
        for (size_t i = 0; i < res.schedule.size(); i++) {
            if (res.schedule[i] == lpunbounded)
                std::printf("%zu unbounded\n", i + 1);
            else
                std::printf("%zu %lld\n", i + 1, res.schedule[i]);
        }
    }
    std::fflush(stdout);
    if (res.kind != lpsolved) std::fprintf(stderr, "gprlp: %s: %s\n", args[0], res.reason.c_str());
    switch (res.kind) {
    case lpsolved:
        return 0;
    case lpfailed:
        return 2;
    case lpunlinked:
        return 4;
    default:
        return 3;
    }
}
