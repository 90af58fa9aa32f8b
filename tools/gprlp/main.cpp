// gprlp: the optimal net present value of one instance, computed as a linear
// program by GLPK (or, with --resources, as a time-indexed integer program
// under the file's renewable resources), to check a result of maxnpv. Files
// of the standard
// formats (.sch, .sm, .rcp) are converted to .gpr text by the format readers
// that sch2gpr uses, into a temporary file that the model then reads as it
// reads any .gpr file; the model itself shares no code with the solver.
#include <cerrno>
#include <climits>
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
    "             [--bound-all] [--resources [--time-limit S] [--node-limit N]]\n"
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
    "  --bound-all         every activity starts no earlier than the start dummy and\n"
    "                      finishes no later than the end dummy starts, listed or not\n"
    "                      (as maxnpv solve --bound-all)\n"
    "  --resources         solve under the file's renewable resources: resource k has\n"
    "                      the capacity of the header's k-th value, activity i needs\n"
    "                      its record's k-th value while it runs, and at every whole\n"
    "                      time t the activities with start <= t < start + duration\n"
    "                      together need at most the capacity (activities of duration\n"
    "                      0 use nothing). The model is a time-indexed integer program\n"
    "                      (x_it = 1 iff activity i starts at t, t between its earliest\n"
    "                      and latest start; precedence in the strong disaggregated\n"
    "                      form; a resource row per time where the capacity can be\n"
    "                      exceeded), solved by GLPK's branch and bound with a relative\n"
    "                      gap of 0; the npv is recomputed from the start times in long\n"
    "                      double. INTEREST may be 0 here. An activity that no chain of\n"
    "                      relations leads from back to the start dummy (through the\n"
    "                      end dummy and the deadline, or a maximal lag) has no latest\n"
    "                      start: such an instance is refused unless --bound-all bounds\n"
    "                      every activity. Negative capacities and demands are refused.\n"
    "  --time-limit S      with --resources: stop GLPK's search after S seconds\n"
    "                      (decimals allowed) and report the best schedule found\n"
    "  --node-limit N      with --resources: stop it once it has N branch-and-bound\n"
    "                      nodes (the same stop on every machine)\n"
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
    "With --resources the first line is the optimal net present value, or\n"
    "\"infeasible\", \"not connected\", \"not bounded\" or \"limit\"; then:\n"
    "  cause relations|resources  (infeasible only) whether the relations and the\n"
    "                         deadline already exclude every schedule, or the\n"
    "                         resources exclude every schedule that they admit\n"
    "  best NPV|none          (limit only) the best schedule's net present value\n"
    "  bound VALUE|none       (limit only) GLPK's bound on the optimum: the best\n"
    "                         bound of its open nodes, or its root's LP value\n"
    "  glpk time SECONDS s    building the integer program and GLPK's search\n"
    "  read time SECONDS s    reading FILE and the cash flows\n"
    "  nodes N                branch-and-bound nodes\n"
    "  size ROWS COLUMNS      rows and columns of the integer program\n"
    "and with --schedule the schedule as above (for \"limit\": the best one, if any);\n"
    "no activity is put off.\n"
    "\n"
    "Exit status:\n"
    "  0  the optimum was printed\n"
    "  1  wrong arguments, or FILE or CFFILE cannot be read\n"
    "  2  GLPK found no certified optimum (with --resources also: the integer\n"
    "     program would be too large)\n"
    "  3  infeasible: no schedule meets the relations and the deadline (with\n"
    "     --resources: and the resources)\n"
    "  4  not connected: some activity is reached by no chain of relations from the\n"
    "     start dummy\n"
    "  5  (--resources) the time or node limit ended the search\n"
    "  6  (--resources) not bounded: some activity has no latest start\n";

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
                 "[--schedule] [--format F] [--bound-all] [--resources [--time-limit S] "
                 "[--node-limit N]] FILE PCTNEG DLEXTRA INTEREST\n",
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

// Prints the outcome of rcsolve in the layout that --help describes.
static void printresources(const lpresult &res, bool schedule) {
    if (res.kind == lpsolved)
        std::printf("%.17g\n", res.npv);
    else
        std::printf("%s\n", lpkindname(res.kind));
    if (res.kind == lpinfeasible)
        std::printf("cause %s\n", res.byresources ? "resources" : "relations");
    if (res.kind == lplimit) {
        if (res.schedule.empty())
            std::printf("best none\n");
        else
            std::printf("best %.17g\n", res.npv);
        if (res.hasbound)
            std::printf("bound %.17g\n", res.bound);
        else
            std::printf("bound none\n");
    }
    std::printf("glpk time %.6f s\nread time %.6f s\nnodes %lld\nsize %d %d\n", res.seconds,
                res.readseconds, res.nodes, res.rows, res.cols);
    if (schedule && (res.kind == lpsolved || res.kind == lplimit))
        for (size_t i = 0; i < res.schedule.size(); i++)
            std::printf("%zu %lld\n", i + 1, res.schedule[i]);
}

int main(int argc, char **argv) {
    lpoptions opt;
    bool hasformat = false;
    instformat fmt = instformat::gpr;
    bool schedule = false, resources = false;
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
        } else if (a == "--resources") {
            resources = true;
        } else if (a == "--bound-all") {
            opt.boundall = true;
        } else if (a == "--cashflows" || a == "--deadline" || a == "--format" ||
                   a == "--time-limit" || a == "--node-limit") {
            if (k + 1 == argc) return usage((a + " needs a value").c_str());
            const char *v = argv[++k];
            if (a == "--format") {
                if (!formatofkey(v, &fmt))
                    return usage(
                        ("--format needs gpr, sch, sm or rcp, not " + std::string(v)).c_str());
                hasformat = true;
            } else if (a == "--time-limit") {
                char *rest;
                opt.timelimit = std::strtod(v, &rest);
                if (rest == v || *rest != '\0' || !std::isfinite(opt.timelimit) ||
                    opt.timelimit <= 0)
                    return usage("--time-limit needs a positive number of seconds");
            } else if (a == "--node-limit") {
                if (!parseint(v, 1, LLONG_MAX, &value))
                    return usage("--node-limit needs a whole number of 1 or more");
                opt.nodelimit = value;
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
    if (opt.timelimit > 0 && !resources) return usage("--time-limit needs --resources");
    if (opt.nodelimit > 0 && !resources) return usage("--node-limit needs --resources");
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
    if (rest == args[3] || *rest != '\0' || !std::isfinite(opt.interest) || opt.interest < 0 ||
        (opt.interest == 0 && !resources))
        return usage(resources ? "INTEREST must be a number of 0 or more"
                               : "INTEREST must be a positive number");
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
    const std::string path = converted.empty() ? args[0] : converted;
    lpresult res = resources ? rcsolve(path, opt) : lpsolve(path, opt);
    if (!converted.empty()) unlink(converted.c_str());
    if (res.kind == lpunreadable) {
        // The converted copy's name means nothing to the caller.
        if (!converted.empty() && res.reason.compare(0, converted.size(), converted) == 0)
            res.reason = args[0] + res.reason.substr(converted.size());
        std::fprintf(stderr, "gprlp: %s\n", res.reason.c_str());
        return 1;
    }
    if (resources) {
        printresources(res, schedule);
    } else {
        if (res.kind == lpsolved)
            std::printf("%.17g\n", res.npv);
        else
            std::printf("%s\n", lpkindname(res.kind));
        std::printf("glpk time %.6f s\nexact check %.6f s\nread time %.6f s\nrounds %d\n",
                    res.seconds, res.exactseconds, res.readseconds, res.rounds);
        if (schedule && res.kind == lpsolved) {
            for (size_t i = 0; i < res.schedule.size(); i++) {
                if (res.schedule[i] == lpunbounded)
                    std::printf("%zu unbounded\n", i + 1);
                else
                    std::printf("%zu %lld\n", i + 1, res.schedule[i]);
            }
        }
    }
    std::fflush(stdout);
    if (res.kind != lpsolved) {
        const char *what = res.kind != lpinfeasible ? ""
                           : !resources             ? ""
                           : res.byresources ? "the resources exclude every schedule that the "
                                               "relations and the deadline admit: "
                                             : "the relations and the deadline exclude every "
                                               "schedule: ";
        std::fprintf(stderr, "gprlp: %s: %s%s\n", args[0], what, res.reason.c_str());
    }
    switch (res.kind) {
    case lpsolved:
        return 0;
    case lpfailed:
        return 2;
    case lpunlinked:
        return 4;
    case lplimit:
        return 5;
    case lpnotbounded:
        return 6;
    default:
        return 3;
    }
}
