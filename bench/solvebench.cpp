// solvebench: loads and solves instance files in-process and prints, per
// instance, the time of the load (both passes of the reader, the cash flows
// and the earliest starts), the time of the solve (initial tree and search
// passes) and the number of passes; then a summary per folder. It calls the
// solver's own functions, so the times hold no process start and no file
// output. `make bench` runs it on the generated sets of build/bench/, once
// with each method.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

#include "driver/problem.h"
#include "format/numarg.h"
#include "platform/files.h"
#include "search/solvecycle.h"

namespace {

const char usage[] =
    "usage: solvebench [options] DIR...\n"
    "Loads and solves every instance file D<n>.gpr of each folder in-process, in the\n"
    "order of n, and prints per instance the activity count, the load time, the solve\n"
    "time (in milliseconds, the smallest of the repetitions), the number of search\n"
    "passes and the net present value; then one summary line per folder. Folders are\n"
    "taken relative to the working folder; all are checked before the first solve.\n"
    "\n"
    "options:\n"
    "  --repeat K      load and solve every instance K times (1..1000; default 5)\n"
    "  --pctneg P      percentage of negative cash flows (0..100; default 50)\n"
    "  --dlextra D     deadline slack above the critical path (a 32-bit whole number;\n"
    "                  default 10)\n"
    "  --interest R    interest rate per time unit (a finite number above 0;\n"
    "                  default 0.01)\n"
    "  --method M      classic (default): the batch run's search; fast: the method of\n"
    "                  maxnpv solve\n"
    "  --time-limit S  stop a solve after S seconds (a finite number, 0 or more; 0: no\n"
    "                  limit, the default); such an instance is listed as \"limit\" and\n"
    "                  its time as the time it ran, and it is not repeated\n"
    "  --help          show this text and exit\n"
    "\n"
    "The summary counts the instances a limit stopped and leaves them out of the\n"
    "means.\n"
    "\n"
    "exit status: 0 done (skipped instances are listed as such), 1 a folder is\n"
    "missing or holds no instance files (nothing solved), 2 bad command line\n";

using steadyclock = std::chrono::steady_clock;

double msbetween(steadyclock::time_point a, steadyclock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// The problem numbers of the files D<n>.gpr in dir, ascending; false (with
// errno kept) when the folder cannot be opened.
bool instancenumbers(const std::string &dir, std::vector<int> *out) {
    std::vector<int> &numbers = *out;
    numbers.clear();
    DIR *d = opendir(dir.c_str());
    if (d == nullptr) return false;
    while (dirent *e = readdir(d)) {
        int n;
        char tail;
        if (std::sscanf(e->d_name, "D%d.gp%c", &n, &tail) == 2 && tail == 'r' &&
            std::string(e->d_name) == "D" + std::to_string(n) + ".gpr")
            numbers.push_back(n);
    }
    closedir(d);
    std::sort(numbers.begin(), numbers.end());
    return true;
}

[[noreturn]] void badusage(const char *what) {
    std::fprintf(stderr, "solvebench: %s\nTry 'solvebench --help'.\n", what);
    std::exit(2);
}

} // namespace

int main(int argc, char **argv) {
    int repeat = 5;
    int negative = 50, slack = 10;
    double rate = 0.01;
    gpr::searchmethod method = gpr::searchmethod::classic;
    double timelimit = 0; // seconds per solve; 0: none
    std::vector<std::string> dirs;
    for (int k = 1; k < argc; k++) {
        std::string opt = argv[k];
        if (opt == "--help" || opt == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (opt.rfind("--", 0) != 0) {
            dirs.push_back(opt);
            continue;
        }
        if (k + 1 >= argc) badusage(("option " + opt + " needs a value").c_str());
        const char *val = argv[++k];
        long long whole = 0;
        if (opt == "--repeat") {
            if (!parsewhole(val, 1, 1000, &whole))
                badusage("--repeat needs a whole number 1..1000");
            repeat = (int)whole;
        } else if (opt == "--pctneg") {
            if (!parsewhole(val, 0, 100, &whole)) badusage("--pctneg needs a whole number 0..100");
            negative = (int)whole;
        } else if (opt == "--dlextra") {
            if (!parsewhole(val, INT_MIN, INT_MAX, &whole))
                badusage("--dlextra needs a whole number of 32 bits");
            slack = (int)whole;
        } else if (opt == "--interest") {
            if (!parsereal(val, &rate) || !(rate > 0))
                badusage("--interest needs a finite number above 0");
        } else if (opt == "--method") {
            if (std::strcmp(val, "classic") == 0)
                method = gpr::searchmethod::classic;
            else if (std::strcmp(val, "fast") == 0)
                method = gpr::searchmethod::fast;
            else
                badusage("--method needs classic or fast");
        } else if (opt == "--time-limit") {
            if (!parsereal(val, &timelimit) || !(timelimit >= 0))
                badusage("--time-limit needs a finite number of seconds, 0 or more");
        } else {
            badusage(("unknown option " + opt).c_str());
        }
    }
    if (dirs.empty()) badusage("no folder given");

    // Every folder as given, relative to the working folder (which never
    // changes); all are checked before anything is solved.
    std::vector<std::vector<int>> numbersof(dirs.size());
    for (size_t i = 0; i < dirs.size(); i++) {
        if (!instancenumbers(dirs[i], &numbersof[i])) {
            std::fprintf(stderr, "solvebench: %s: cannot open the folder: %s\n", dirs[i].c_str(),
                         std::strerror(errno));
            return 1;
        }
        if (numbersof[i].empty()) {
            std::fprintf(stderr, "solvebench: %s: no instance files D<n>.gpr\n", dirs[i].c_str());
            return 1;
        }
    }

    gpr::problemparams params;
    params.pctneg = negative;
    params.slack = slack;
    params.interest = rate;
    params.limits = gpr::runlimits::none();
    std::printf("%-24s %8s %6s %10s %10s %7s %12s\n", "folder", "file", "nract", "load ms",
                "solve ms", "passes", "npv");
    gpr::problem p;
    p.sol.limits.seconds = timelimit;
    for (size_t i = 0; i < dirs.size(); i++) {
        const std::string &dir = dirs[i];
        const std::vector<int> &numbers = numbersof[i];
        int solved = 0, limited = 0;
        double sumload = 0, sumsolve = 0, maxsolve = 0, sumpasses = 0;
        for (int n : numbers) {
            std::string file = "D" + std::to_string(n), path = dir + "/" + file + ".gpr";
            double load = 1e300, solve = 1e300;
            gpr::outcome kind = gpr::outcome::solved;
            bool stopped = false; // a limit ended a solve: no more repetitions
            for (int r = 0; r < repeat && kind == gpr::outcome::solved && !stopped; r++) {
                std::string bytes;
                int err;
                steadyclock::time_point t0 = steadyclock::now();
                if (readwhole(path.c_str(), &bytes, &err) != readstatus::ok) {
                    kind = gpr::outcome::notfound;
                    break;
                }
                kind = gpr::setupproblem(&p, bytes.data(), bytes.size(), params);
                steadyclock::time_point t1 = steadyclock::now();
                load = std::min(load, msbetween(t0, t1));
                if (kind != gpr::outcome::solved) break;
                stopped = !gpr::solvewith(&p.sol, method);
                steadyclock::time_point t2 = steadyclock::now();
                solve = std::min(solve, msbetween(t1, t2));
            }
            if (kind != gpr::outcome::solved) {
                std::printf("%-24s %8s %6d %10s %10s %7s %12s\n", dir.c_str(), file.c_str(),
                            p.net.nract, "-", "-", "-", gpr::outcomename(kind));
                continue;
            }
            if (stopped) {
                limited++;
                std::printf("%-24s %8s %6d %10.3f %10.3f %7lld %12s\n", dir.c_str(), file.c_str(),
                            p.net.nract, load, solve, (long long)p.sol.nrits, "limit");
                continue;
            }
            solved++;
            sumload += load;
            sumsolve += solve;
            maxsolve = std::max(maxsolve, solve);
            sumpasses += p.sol.nrits;
            std::printf("%-24s %8s %6d %10.3f %10.3f %7lld %12.5f\n", dir.c_str(), file.c_str(),
                        p.net.nract, load, solve, (long long)p.sol.nrits, p.sol.npv);
        }
        int count = std::max(solved, 1);
        std::printf("summary %s: %zu files, %d solved, limited %d, mean load %.3f ms, mean solve "
                    "%.3f ms, max solve %.3f ms, mean passes %.1f, method %s\n",
                    dir.c_str(), numbers.size(), solved, limited, sumload / count, sumsolve / count,
                    maxsolve, sumpasses / count,
                    method == gpr::searchmethod::fast ? "fast" : "classic");
        std::fflush(stdout);
    }
    return 0;
}
