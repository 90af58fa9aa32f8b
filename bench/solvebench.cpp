// solvebench: loads and solves instance files in-process and prints, per
// instance, the time of the load (both passes of the reader, the cash flows
// and the earliest starts), the time of the solve (initial tree and search
// passes) and the number of passes; then a summary per folder. It calls the
// solver's own functions, so the times hold no process start and no file
// output. `make bench` runs it on the generated sets of build/bench/.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "driver/problem.h"
#include "platform/files.h"
#include "search/solvecycle.h"

namespace {

const char usage[] =
    "usage: solvebench [options] DIR...\n"
    "Loads and solves every instance file D<n>.gpr of each folder in-process, in the\n"
    "order of n, and prints per instance the activity count, the load time, the solve\n"
    "time (in milliseconds, the smallest of the repetitions), the number of search\n"
    "passes and the net present value; then one summary line per folder.\n"
    "\n"
    "options:\n"
    "  --repeat K      load and solve every instance K times (1..1000; default 5)\n"
    "  --pctneg P      percentage of negative cash flows (default 50)\n"
    "  --dlextra D     deadline slack above the critical path (default 10)\n"
    "  --interest R    interest rate per time unit (default 0.01)\n"
    "  --help          show this text and exit\n"
    "\n"
    "exit status: 0 done (skipped instances are listed as such), 2 bad command line\n";

using steadyclock = std::chrono::steady_clock;

double msbetween(steadyclock::time_point a, steadyclock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// The problem numbers of the files D<n>.gpr in dir, ascending.
std::vector<int> instancenumbers(const std::string &dir) {
    std::vector<int> numbers;
    DIR *d = opendir(dir.c_str());
    if (d == nullptr) return numbers;
    while (dirent *e = readdir(d)) {
        int n;
        char tail;
        if (std::sscanf(e->d_name, "D%d.gp%c", &n, &tail) == 2 && tail == 'r' &&
            std::string(e->d_name) == "D" + std::to_string(n) + ".gpr")
            numbers.push_back(n);
    }
    closedir(d);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
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
        if (k + 1 >= argc) badusage("an option needs a value");
        char *rest = nullptr;
        const char *val = argv[++k];
        if (opt == "--repeat") {
            repeat = (int)std::strtol(val, &rest, 10);
            if (*rest != '\0' || repeat < 1 || repeat > 1000) badusage("--repeat needs 1..1000");
        } else if (opt == "--pctneg") {
            negative = (int)std::strtol(val, &rest, 10);
            if (*rest != '\0') badusage("--pctneg needs a whole number");
        } else if (opt == "--dlextra") {
            slack = (int)std::strtol(val, &rest, 10);
            if (*rest != '\0') badusage("--dlextra needs a whole number");
        } else if (opt == "--interest") {
            rate = std::strtod(val, &rest);
            if (*rest != '\0') badusage("--interest needs a number");
        } else {
            badusage(("unknown option " + opt).c_str());
        }
    }
    if (dirs.empty()) badusage("no folder given");

    gpr::problemparams params;
    params.pctneg = negative;
    params.slack = slack;
    params.interest = rate;
    params.limits = gpr::runlimits::none();
    std::printf("%-24s %8s %6s %10s %10s %7s %12s\n", "folder", "file", "nract", "load ms",
                "solve ms", "passes", "npv");
    gpr::problem p;
    for (const std::string &dir : dirs) {
        std::vector<int> numbers = instancenumbers(dir);
        int solved = 0;
        double sumload = 0, sumsolve = 0, maxsolve = 0, sumpasses = 0;
        for (int n : numbers) {
            std::string file = "D" + std::to_string(n), path = dir + "/" + file + ".gpr";
            double load = 1e300, solve = 1e300;
            gpr::outcome kind = gpr::outcome::solved;
            for (int r = 0; r < repeat && kind == gpr::outcome::solved; r++) {
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
                gpr::solvecycle(&p.sol);
                steadyclock::time_point t2 = steadyclock::now();
                solve = std::min(solve, msbetween(t1, t2));
            }
            if (kind != gpr::outcome::solved) {
                std::printf("%-24s %8s %6d %10s %10s %7s %12s\n", dir.c_str(), file.c_str(),
                            p.net.nract, "-", "-", "-", gpr::outcomename(kind));
                continue;
            }
            solved++;
            sumload += load;
            sumsolve += solve;
            maxsolve = std::max(maxsolve, solve);
            sumpasses += p.sol.nrits;
            std::printf("%-24s %8s %6d %10.3f %10.3f %7d %12.5f\n", dir.c_str(), file.c_str(),
                        p.net.nract, load, solve, p.sol.nrits, p.sol.npv);
        }
        int count = std::max(solved, 1);
        std::printf("summary %s: %zu files, %d solved, mean load %.3f ms, mean solve %.3f ms, "
                    "max solve %.3f ms, mean passes %.1f\n",
                    dir.c_str(), numbers.size(), solved, sumload / count, sumsolve / count,
                    maxsolve, sumpasses / count);
        std::fflush(stdout);
    }
    return 0;
}
