// gprgen: writes numbered random instance files D<n>.gpr for maxnpv.
//
// Exit status: 0 when every file was written, 1 when a file or the folder
// could not be written (or on an internal fault), 2 for a bad command line
// or a file that would be overwritten without --force (nothing is written
// then).
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "format/numarg.h"
#include "generate.h"
#include "platform/outputs.h"
#include "platform/shown.h"

namespace {

const char usage[] =
    "usage: gprgen [options]\n"
    "Writes random project networks with generalized precedence relations as numbered\n"
    "instance files D<n>.gpr, in the format that maxnpv reads. The same options and seed\n"
    "give byte-identical files on every machine; each file depends only on the seed, its\n"
    "number and the shape options, not on how many files are written with it.\n"
    "\n"
    "options (each given at most once, as '--name value' or '--name=value'):\n"
    "  --shape S        kind of network (default random):\n"
    "                   random       durations 0..10, minimal lags -3..10 from one to three\n"
    "                                of the ten activities before, maximal lags as --maxlag\n"
    "                                and --relations ask\n"
    "                   dense        like the ProGen/max sets of UBO instances: durations\n"
    "                                1..10, about 17 entries per activity, all relation\n"
    "                                types, many maximal lags\n"
    "                   sparse       1.5 to 2 entries per activity, mostly finish-to-start,\n"
    "                                a maximal lag from one activity in ten\n"
    "                   window       zero durations; every activity starts 0 or 1 time unit\n"
    "                                after each of four random earlier ones (a window of\n"
    "                                width 1); a hard case for the search\n"
    "                   adversarial  5 to 40 activities with faults and corner cases of every\n"
    "                                kind (positive cycles, unreached activities, arcs into the\n"
    "                                start or out of the end dummy, self-loops, duplicates,\n"
    "                                unknown codes, negative durations, extreme values); often\n"
    "                                unsolvable, for comparing two solver builds\n"
    "  --count N        number of files to write (1..1000000; default 10)\n"
    "  --first N        number of the first file (default 1): D<first>.gpr, D<first+1>.gpr, ...\n"
    "  --act N          activity count of every instance, both dummies included\n"
    "                   (2..10000000; not with --min-act or --max-act)\n"
    "  --min-act N      smallest activity count (2..10000000; default 10)\n"
    "  --max-act N      largest activity count (min-act..10000000; default 10); each\n"
    "                   instance draws its count uniformly from this range\n"
    "                   (the adversarial shape takes none of the three)\n"
    "  --seed S         seed, a whole number 0..18446744073709551615 (default 1)\n"
    "  --maxlag PCT     random shape only: percentage of real activities that get a maximal\n"
    "                   time lag, drawn among those that precede another real activity\n"
    "                   (0..100; default 20)\n"
    "  --relations R    random shape only: 'mixed': start-to-start, start-to-finish,\n"
    "                   finish-to-start and finish-to-finish relations (default); 'fs':\n"
    "                   finish-to-start only\n"
    "  --resources K    renewable resource types, a capacity each and a demand per\n"
    "                   activity (0..100; default 1). Without the next two options the\n"
    "                   values are those of earlier versions (capacities 10..30, demands\n"
    "                   0..10, drawn with the network), so a seed gives the files it gave\n"
    "  --resource-factor RF\n"
    "                   resources in the sense of ProGen: each real activity uses each\n"
    "                   resource type with probability RF (0..1; default 0.5), and one\n"
    "                   type at least when RF > 0, with a demand of 1..10\n"
    "  --resource-strength RS\n"
    "                   and capacities Kmin + round(RS * (Kmax - Kmin)) (0..1; default\n"
    "                   0.5): Kmin the largest single demand, Kmax the peak use of the\n"
    "                   earliest-start schedule (at least Kmin). Either option draws such\n"
    "                   resources, from a random stream of their own: the networks stay\n"
    "                   those of the same seed without them\n"
    "  --out DIR        folder for the files, created if missing (default: current folder)\n"
    "  --force          overwrite files D<n>.gpr that exist; without it gprgen stops\n"
    "                   before writing anything\n"
    "  --bound-all      also list, for every real activity whose pair the network does\n"
    "                   not list already, a minimal start-to-start lag of 0 from the\n"
    "                   start dummy and a minimal finish-to-start lag of 0 to the end\n"
    "                   dummy (after its other entries), so every activity lies within\n"
    "                   the deadline; the networks are otherwise the same as without it\n"
    "  --help           show this text and exit\n"
    "\n"
    "Every activity of the random, dense, sparse and window shapes follows the start dummy\n"
    "or an earlier activity and leads to the end dummy, and no relations form a cycle of\n"
    "positive length, so every such instance has a schedule that meets any deadline slack\n"
    "of 0 or more. maxnpv itself reads at most 1000 activities per instance.\n"
    "\n"
    "exit status: 0 done, 1 a file could not be written, 2 bad command line or a file\n"
    "that exists\n";

[[noreturn]] void badusage(const std::string &what) {
    std::fprintf(stderr, "gprgen: %s (see gprgen --help)\n", terminaltext(what).c_str());
    std::exit(2);
}

constexpr long long countmax = 1000000;
constexpr long long firstmin = -999999;
constexpr long long lastmax = 9999999;
constexpr long long pctmax = 100;
constexpr long long resmax = 100;

long long whole(const std::string &option, const std::string &text, long long lo, long long hi) {
    long long v = 0;
    if (!parsewhole(text.c_str(), lo, hi, &v))
        badusage(option + " needs a whole number in " + std::to_string(lo) + ".." +
                 std::to_string(hi) + ", not '" + text + "'");
    return v;
}

// A share 0..1 given in decimal, in millionths (genwhole is 1).
int share(const std::string &option, const std::string &text) {
    double v = 0;
    if (!parsereal(text.c_str(), &v) || v < 0 || v > 1)
        badusage(option + " needs a number in 0..1, not '" + text + "'");
    return (int)std::llround(v * genwhole);
}

bool shapenamed(const std::string &name, genshape *shape) {
    static const std::map<std::string, genshape> shapes = {{"random", genshape::random},
                                                           {"dense", genshape::dense},
                                                           {"sparse", genshape::sparse},
                                                           {"window", genshape::window},
                                                           {"adversarial", genshape::adversarial}};
    auto it = shapes.find(name);
    if (it == shapes.end()) return false;
    *shape = it->second;
    return true;
}

// The entries of --bound-all: start dummy -> i (SS 0) and i -> end dummy
// (FS 0) for every real activity i that the network does not list with that
// dummy already. No random draw is made, so the rest of the file stays as
// the seed gives it without the option.
void boundall(gprinstance *g) {
    const int n = g->nract, end = n - 1;
    if (n < 3) return;
    std::vector<char> fromstart(n, 0);
    for (const gprentry &e : g->rec[0])
        if (e.succ >= 1 && e.succ <= n) fromstart[e.succ - 1] = 1;
    const int minimal = gprcode(gprbound::minimal);
    for (int i = 1; i < end; i++)
        if (!fromstart[i]) g->rec[0].push_back({i + 1, minimal, gprcode(gprrel::ss), 0});
    for (int i = 1; i < end; i++) {
        bool listed = false;
        for (const gprentry &e : g->rec[i]) listed = listed || e.succ == n;
        if (!listed) g->rec[i].push_back({n, minimal, gprcode(gprrel::fs), 0});
    }
}

} // namespace

int main(int argc, char **argv) {
    static const char *const valued[] = {"--count",     "--first", "--act",    "--min-act",
                                         "--max-act",   "--seed",  "--maxlag", "--relations",
                                         "--resources", "--out",   "--shape"};
    static const char *const resourceoptions[] = {"--resource-factor", "--resource-strength"};
    std::map<std::string, std::string> given; // option -> its value as written
    bool force = false, bounds = false;
    for (int k = 1; k < argc; k++) {
        std::string arg = argv[k];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg.compare(0, 2, "--") != 0) badusage("unexpected argument '" + arg + "'");
        size_t eq = arg.find('=');
        std::string name = arg.substr(0, eq);
        if (name == "--bound-all") {
            if (eq != std::string::npos) badusage("--bound-all takes no value");
            if (bounds) badusage("--bound-all is given twice");
            bounds = true;
            continue;
        }
        if (name == "--force") {
            if (eq != std::string::npos) badusage("--force takes no value");
            if (force) badusage("--force is given twice");
            force = true;
            continue;
        }
        if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued) &&
            std::find(std::begin(resourceoptions), std::end(resourceoptions), name) ==
                std::end(resourceoptions))
            badusage("unknown option '" + name + "'");
        if (given.count(name)) badusage(name + " is given twice");
        if (eq != std::string::npos)
            given[name] = arg.substr(eq + 1);
        else if (k + 1 < argc)
            given[name] = argv[++k];
        else
            badusage(name + " needs a value");
    }

    genparams p;
    if (given.count("--shape") && !shapenamed(given["--shape"], &p.shape))
        badusage("--shape is random, dense, sparse, window or adversarial, not '" +
                 given["--shape"] + "'");
    const std::string &shapename = given.count("--shape") ? given["--shape"] : "random";
    for (const char *other : {"--min-act", "--max-act"})
        if (given.count("--act") && given.count(other))
            badusage(std::string("--act and ") + other + " exclude each other");
    if (p.shape != genshape::random)
        for (const char *option : {"--maxlag", "--relations"})
            if (given.count(option))
                badusage(std::string(option) + " applies to the random shape only, not to " +
                         shapename);
    if (p.shape == genshape::adversarial)
        for (const char *option : {"--act", "--min-act", "--max-act"})
            if (given.count(option))
                badusage(std::string(option) +
                         " does not apply to the adversarial shape (5 to 40 activities)");

    long long count = 10, first = 1;
    uint64_t seed = 1;
    std::string out = ".";
    if (given.count("--count")) count = whole("--count", given["--count"], 1, countmax);
    if (given.count("--first")) first = whole("--first", given["--first"], firstmin, lastmax);
    if (given.count("--act"))
        p.minact = p.maxact = (int)whole("--act", given["--act"], 2, genmaxact);
    if (given.count("--min-act"))
        p.minact = (int)whole("--min-act", given["--min-act"], 2, genmaxact);
    if (given.count("--max-act"))
        p.maxact = (int)whole("--max-act", given["--max-act"], 2, genmaxact);
    if (given.count("--seed") && !parseunsigned(given["--seed"].c_str(), &seed))
        badusage("--seed needs a whole number 0..18446744073709551615, not '" + given["--seed"] +
                 "'");
    if (given.count("--maxlag")) p.maxlagpct = (int)whole("--maxlag", given["--maxlag"], 0, pctmax);
    if (given.count("--relations")) {
        const std::string &r = given["--relations"];
        if (r == "mixed")
            p.mixed = true;
        else if (r == "fs")
            p.mixed = false;
        else
            badusage("--relations is 'mixed' or 'fs', not '" + r + "'");
    }
    if (given.count("--resources"))
        p.nrres = (int)whole("--resources", given["--resources"], 0, resmax);
    for (const char *option : resourceoptions) {
        if (!given.count(option)) continue;
        p.progen = true;
        (std::string(option) == "--resource-factor" ? p.resfactor : p.resstrength) =
            share(option, given[option]);
    }
    if (given.count("--out")) out = given["--out"];
    if (out.empty()) badusage("--out needs a folder name");
    if (p.minact > p.maxact)
        badusage("--min-act " + std::to_string(p.minact) + " is above --max-act " +
                 std::to_string(p.maxact));
    long long last = first + count - 1;
    if (last > lastmax)
        badusage("the last file number " + std::to_string(last) + " is above " +
                 std::to_string(lastmax));

    auto filename = [&](long long number) {
        return (std::filesystem::path(out) / ("D" + std::to_string(number) + ".gpr")).string();
    };
    std::error_code ec;
    if (!force && std::filesystem::is_directory(out, ec)) {
        for (long long number = first; number <= last; number++) {
            std::string name = filename(number);
            if (std::filesystem::symlink_status(name, ec).type() !=
                std::filesystem::file_type::not_found) {
                std::fprintf(stderr, "gprgen: %s exists; --force overwrites it\n",
                             terminaltext(name).c_str());
                return 2;
            }
        }
    }

    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "gprgen: cannot create the folder %s: %s\n", terminaltext(out).c_str(),
                     ec.message().c_str());
        return 1;
    }
    for (long long number = first; number <= last; number++) {
        std::string text;
        try {
            gprinstance g = generate(p, seed, (int)number);
            if (bounds) boundall(&g);
            if (p.progen) genresources(p, seed, (int)number, &g);
            text = formatgpr(g);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "gprgen: internal error in D%lld.gpr: %s\n", number, e.what());
            return 1;
        }
        std::string name = filename(number);
        // Written whole or not at all: a full disk leaves no empty instance
        // that the next run would refuse to overwrite.
        std::string why;
        if (!writeoutputfile(name, text, &why)) {
            std::fprintf(stderr, "gprgen: %s\n", why.c_str());
            return 1;
        }
    }
    std::printf("gprgen: wrote D%lld.gpr to D%lld.gpr in %s\n", first, last, out.c_str());
    return 0;
}
