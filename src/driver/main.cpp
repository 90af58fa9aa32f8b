// The entry point. Without arguments maxnpv is the console dialogue: it asks
// the run parameters, solves the range of problems and waits for a key.
// "maxnpv batch" runs the same range from command-line values, for scripts;
// "maxnpv solve" solves one instance and shows its schedule. Command-line
// values are checked before any file is touched: a value that does not fit
// gets one line on standard error naming the option, and exit status 2.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "driver/batch.h"
#include "driver/cmdline.h"
#include "driver/dialogue.h"
#include "driver/solvemode.h"
#include "driver/sweepmode.h"
#include "format/instformat.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/outputs.h"
#include "platform/platform.h"
#include "platform/shown.h"
#include "verify/verifymode.h"

namespace {

constexpr int batchnotrun = 4; // exit status of a batch run that did not run every problem
constexpr int mostjobs = 1024; // largest --jobs accepted

const char helptext[] =
    "usage: maxnpv                 the console dialogue (five questions, then the run)\n"
    "       maxnpv batch OPTIONS   the dialogue's run without the questions\n"
    "       maxnpv batch OPTIONS PATH...  the same run over instance files and folders\n"
    "       maxnpv solve FILE ...  one instance, its optimal schedule (maxnpv solve --help)\n"
    "       maxnpv sweep FILE ...  one instance over ranges of deadlines and interest rates,\n"
    "                              as a CSV table and a chart (maxnpv sweep --help)\n"
    "       maxnpv verify FILE RESULT.json  check a solve's certificate of optimality\n"
    "                              (maxnpv verify --help)\n"
    "       maxnpv --help          this text\n"
    "\n"
    "maxnpv finds schedules of maximal net present value for project networks with\n"
    "minimal and maximal time lags and a deadline. A run walks the problem numbers\n"
    "from the first to the last, reads D<number>.gpr, draws reproducible cash flows,\n"
    "fixes the deadline as the critical path length plus a slack, solves, and writes\n"
    "output.txt and info.out in the working folder.\n"
    "\n"
    "batch options (each also as --name=value):\n"
    "  --first N           number of the first problem\n"
    "  --last M            number of the last problem (M >= N); both only without PATH\n"
    "  --pctneg P          percentage of negative cash flows, 0..100\n"
    "  --slack S           deadline: critical path length plus S time units\n"
    "  --deadline D        or an absolute deadline D\n"
    "  --deadline-factor F or the critical path length times F (above 0), rounded up\n"
    "  --interest R        continuous interest rate per time unit, 0 or more\n"
    "  --seed S            draw each instance's cash flows from seed S (0..2^64-1) and\n"
    "                      its name (D<n>) instead of the one fixed sequence\n"
    "  --cashflows DIR     own cash flows DIR/<name>.txt per instance (solve's format)\n"
    "                      instead of --pctneg; a missing or wrong file skips the problem\n"
    "  --bound-all         every activity starts no earlier than the start dummy and\n"
    "                      finishes no later than the end dummy starts, listed or not\n"
    "  --dir DIR           folder of the instance files (default: the working folder)\n"
    "  --max-activities K  most activities, entries per activity and entries naming\n"
    "                      one activity (default 1000, as in the dialogue; 0: no limit)\n"
    "  --method M          classic (default): the dialogue's search, whose passes the\n"
    "                      records count; fast: the exact method of maxnpv solve, its\n"
    "                      moves counted as passes (tree moves, set moves, rounds of\n"
    "                      minimum cuts)\n"
    "  --format F          read every instance as gpr, sch, sm or rcp (default: by the\n"
    "                      extension in any case; other names are .gpr files)\n"
    "  --out DIR           write output.txt and info.out in DIR (default: the working\n"
    "                      folder)\n"
    "  --csv FILE          also a table of one row per problem: problem, status,\n"
    "                      passes, npv (full precision), solve time in seconds,\n"
    "                      activities, relations (successor entries), file, deadline,\n"
    "                      critical_path, interest, pctneg, seed, method, reason;\n"
    "                      \"-\": the table alone on standard output, the console\n"
    "                      rows on standard error\n"
    "  --schedules DIR     also each solved problem's schedule as DIR/D<n>.csv\n"
    "                      (DIR/<name>.csv with PATH); DIR is made when missing,\n"
    "                      and other files in it are left as they are\n"
    "  --jobs N            solve on N threads (default 1; 0: one per core); every\n"
    "                      file and console row is the same as with one thread, in\n"
    "                      problem order; each problem's time is that of its solve\n"
    "  --resources         solve every problem under its renewable resources (the\n"
    "                      search of maxnpv solve --resources): the passes column\n"
    "                      counts the search's nodes, a problem stopped by its limit\n"
    "                      shows 'limit' (with a schedule) or 'no schedule', and the\n"
    "                      table gains the columns bound, gap, nodes\n"
    "  --time-limit S      with --resources: each problem's time limit (default 60)\n"
    "  --node-limit N      with --resources: each problem's relaxations, at most\n"
    "\n"
    "PATH... in place of --first/--last: instance files (.gpr, .sch, .sm, .rcp) and\n"
    "folders; a folder stands for its files of those extensions, in any case, in\n"
    "natural order of their names (psp2 before psp10); other files (params.txt,\n"
    "protocol.txt, stat.txt) are passed over. The instances are the problems 1, 2, ...\n"
    "of the run in that order: output.txt and info.out number them so, and the\n"
    "console row names each by its file name without the extension (psp1), control\n"
    "characters shown as \\xNN.\n"
    "\n"
    "batch mode writes byte for byte what the dialogue writes for the same answers\n"
    "and never waits for a key. When some problems are not run it ends with one line\n"
    "on standard error counting them (\"2 of 2 problems not run: 2 not found\"; also\n"
    "unreadable, over the limit). Exit status: 0 every problem ran (solved or not);\n"
    "1 a result file could not be written; 2 bad command line, a result file that\n"
    "is an input, the standard output or another result file (nothing written); 4\n"
    "some problem was not run: its file was not found, could not be read as an\n"
    "instance, or has more activities than the limit. Options end at \"--\": every\n"
    "argument after it is a PATH.\n";

int batchmode(int argc, char **argv) {
    gpr::options opts("batch", argc, argv, 2,
                      {"--first", "--last", "--pctneg", "--slack", "--interest", "--dir",
                       "--max-activities", "--csv", "--schedules", "--format", "--out",
                       "--deadline", "--deadline-factor", "--seed", "--cashflows", "--method",
                       "--jobs", "--time-limit", "--node-limit"},
                      {"--bound-all", "--resources"}, helptext);
    gpr::runparams run;
    long long first = 0, last = 0, pct = 0, slack = 0, limit = gprmaxact;
    long long deadline = 0;
    double rate = 0, factor = 0;
    unsigned long long seed = 0;
    // Instance files and folders in place of the range of problem numbers.
    const bool paths = !opts.plain().empty();
    opts.whole("--first", !paths, INT32_MIN, INT32_MAX, &first);
    opts.whole("--last", !paths, INT32_MIN, INT32_MAX, &last);
    opts.folder("--cashflows", false, &run.cashflows);
    opts.whole("--pctneg", run.cashflows.empty(), 0, 100, &pct);
    opts.whole("--slack", false, INT32_MIN, INT32_MAX, &slack);
    opts.whole("--deadline", false, -gpr::maxtime, gpr::maxtime, &deadline);
    opts.positive("--deadline-factor", false, &factor);
    opts.nonnegative("--interest", true, &rate);
    opts.unsignedwhole("--seed", false, &seed);
    run.problem.boundall = opts.flag("--bound-all");
    std::string methodtext = "classic";
    opts.text("--method", false, &methodtext);
    if (methodtext != "fast" && methodtext != "classic")
        opts.fail("--method: expected fast or classic, found '%s'", methodtext.c_str());
    run.method = methodtext == "fast" ? gpr::searchmethod::fast : gpr::searchmethod::classic;
    opts.folder("--dir", false, &run.dir);
    opts.whole("--max-activities", false, 0, INT32_MAX, &limit);
    opts.text("--csv", false, &run.csv);
    opts.text("--schedules", false, &run.schedules);
    opts.folder("--out", false, &run.outdir);
    long long jobs = 1;
    opts.whole("--jobs", false, 0, mostjobs, &jobs);
    if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
    run.jobs = (int)jobs;
    std::string formatname;
    opts.text("--format", false, &formatname);
    run.resources = opts.flag("--resources");
    run.seconds = gpr::resourceseconds;
    opts.positive("--time-limit", false, &run.seconds);
    opts.whole("--node-limit", false, 1, LLONG_MAX, &run.maxnodes);
    opts.finish();
    if (!run.resources)
        for (const char *option : {"--time-limit", "--node-limit"})
            if (opts.given(option)) opts.fail("%s goes with --resources", option);
    if (limit == 1) opts.fail("--max-activities needs 0 (no limit) or 2 and more, not 1");
    run.hasformat = opts.given("--format");
    if (run.hasformat && !formatofkey(formatname, &run.format))
        opts.fail("--format needs gpr, sch, sm or rcp, not '%s'", formatname.c_str());
    if (paths) {
        for (const char *range : {"--first", "--last", "--dir"})
            if (opts.given(range))
                opts.fail("%s goes with the D<n>.gpr files of a folder, not with PATH "
                          "arguments ('%s')",
                          range, opts.plain()[0].c_str());
        for (const std::string &path : opts.plain()) {
            struct stat info;
            if (stat(path.c_str(), &info) != 0)
                opts.fail("no file or folder '%s': %s", path.c_str(), std::strerror(errno));
            if (!S_ISDIR(info.st_mode)) {
                run.files.push_back(path);
                continue;
            }
            std::vector<std::string> inside = gpr::folderinstances(path);
            if (inside.empty())
                opts.fail("the folder '%s' holds no instance files (.gpr, .sch, .sm, .rcp)",
                          path.c_str());
            run.files.insert(run.files.end(), inside.begin(), inside.end());
        }
        if (!run.schedules.empty()) {
            // Two instances of one name would write one schedule file.
            std::map<std::string, std::string> seen;
            for (const std::string &f : run.files) {
                auto [at, fresh] = seen.emplace(gpr::instancename(f), f);
                if (!fresh)
                    opts.fail("--schedules: %s and %s would both be written as %s.csv",
                              at->second.c_str(), f.c_str(), at->first.c_str());
            }
        }
    } else if (first > last) {
        opts.fail("--first %lld is above --last %lld", first, last);
    }
    if (opts.given("--cashflows") && (opts.given("--pctneg") || opts.given("--seed")))
        opts.fail("--cashflows takes the place of --pctneg and --seed; give one or the other");
    if (opts.given("--slack") + opts.given("--deadline") + opts.given("--deadline-factor") != 1)
        opts.fail("give one of --slack S, --deadline D or --deadline-factor F");
    run.problem.seeded = opts.given("--seed");
    run.problem.seed = seed;
    run.problem.absolute = opts.given("--deadline");
    run.problem.deadline = deadline;
    run.problem.deadlinefactor = factor;
    run.problem.countbounds = true;
    run.countoverloads = !run.resources;
    run.first = (int)first;
    run.last = (int)last;
    run.problem.pctneg = (int)pct;
    run.problem.slack = (int)slack;
    run.problem.interest = rate;
    run.problem.limits =
        limit == 0 ? gpr::runlimits::none() : gpr::runlimits{(int)limit, (int)limit, (int)limit};
    // The result files are checked before anything is written: the table
    // can be written, and no result file is an input or another result.
    std::string why;
    if (!run.csv.empty() && run.csv != "-") {
        outputfile table;
        if (!table.prepare(run.csv, &why)) opts.fail("--csv: %s", why.c_str());
    }
    // A table on the standard output has it to itself: the console rows go
    // to standard error.
    if (run.csv == "-") run.console = stderr;
    const std::string outdir = run.outdir.empty() ? std::string() : run.outdir + "/";
    if (!gpr::checkoutputs(run, outdir + "output.txt", outdir + "info.out", &why))
        opts.fail("%s", why.c_str());
    if (!run.schedules.empty() && !makefolders(run.schedules, &why))
        opts.fail("--schedules: %s", why.c_str());
    std::fprintf(run.console, "\n\n filename  solution     npv     CPU time (sec)     error\n");
    gpr::runsummary summary = gpr::runbatch(run);
    // The console's last line is ended before any line of standard error.
    std::fprintf(run.console, "\n");
    std::fflush(run.console);
    if (summary.loose > 0)
        std::fprintf(stderr, "maxnpv batch: warning: %s\n", gpr::looseline(summary).c_str());
    if (summary.overloading > 0)
        std::fprintf(stderr, "maxnpv batch: warning: %s\n", gpr::overloadline(summary).c_str());
    if (summary.notrun() == 0) return 0;
    std::fprintf(stderr, "maxnpv batch: %s\n", gpr::notrunline(summary).c_str());
    return batchnotrun;
}

int dialogue() {
    gpr::runparams run;
    gpr::askparams(&run);
    gpr::runbatch(run);
    std::printf("\n\n maxnpv: exact net present value search over trees of binding arcs"
                "\n results are in output.txt, generated cash flows in info.out"
                "\n instances are read from the files D<number>.gpr of this folder");
    std::printf("\n\n PRESS ANY KEY");
    std::fflush(stdout);
    // The key is not echoed: after a real key press the shell's prompt
    // would otherwise start on the line of ours.
    if (waitkey()) std::printf("\n");
    return 0;
}

} // namespace

int modes(int argc, char **argv);

int main(int argc, char **argv) {
    usehugepages();
    // The library turns a failed allocation into a status; one in the
    // command line's own work (a report of millions of activities) ends
    // the run with one line instead of an abort.
    try {
        return modes(argc, argv);
    } catch (const std::bad_alloc &) {
        std::fflush(stdout);
        std::fputs("maxnpv: cannot allocate memory\n", stderr);
        return 1;
    }
}

int modes(int argc, char **argv) {
    guardstdstreams();
    if (argc == 1) return dialogue();
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(helptext, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "batch") == 0) return batchmode(argc, argv);
    if (std::strcmp(argv[1], "solve") == 0) return gpr::solvemode(argc, argv);
    if (std::strcmp(argv[1], "sweep") == 0) return gpr::sweepmode(argc, argv);
    if (std::strcmp(argv[1], "verify") == 0) return gpr::verifymode(argc, argv);
    std::fprintf(stderr, "maxnpv: unknown mode '%s'; try 'maxnpv --help'\n",
                 terminaltext(argv[1]).c_str());
    return 2;
}
