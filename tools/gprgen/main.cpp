// gprgen: writes numbered random instance files D<n>.gpr for maxnpv.
//
// Exit status: 0 when every file was written, 1 when a file or the folder
// could not be written (or on an internal fault), 2 for a bad command line
// (nothing is written then).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "generate.h"

namespace {

const char usage[] =
    "usage: gprgen [options]\n"
    "Writes random project networks with generalized precedence relations as numbered\n"
    "instance files D<n>.gpr, in the format that maxnpv reads. The same options and seed\n"
    "give byte-identical files on every machine; each file depends only on the seed, its\n"
    "number and the shape options, not on how many files are written with it.\n"
    "\n"
    "options:\n"
    "  --count N        number of files to write (1..1000000; default 10)\n"
    "  --first N        number of the first file (default 1): D<first>.gpr, D<first+1>.gpr, ...\n"
    "  --act N          activity count of every instance, both dummies included (2..1000)\n"
    "  --min-act N      smallest activity count (2..1000; default 10)\n"
    "  --max-act N      largest activity count (min-act..1000; default 10); each instance\n"
    "                   draws its count uniformly from this range\n"
    "  --seed S         seed, a whole number 0..18446744073709551615 (default 1)\n"
    "  --maxlag PCT     percentage of real activities that get a maximal time lag, drawn\n"
    "                   among those that precede another real activity (0..100; default 20)\n"
    "  --relations R    'mixed': start-to-start, start-to-finish, finish-to-start and\n"
    "                   finish-to-finish relations (default); 'fs': finish-to-start only\n"
    "  --resources K    resource types written per activity (0..100; default 1); maxnpv\n"
    "                   reads and ignores the values\n"
    "  --out DIR        folder for the files, created if missing (default: current folder)\n"
    "  --help           show this text and exit\n"
    "\n"
    "Durations are 0..10 and minimal lags -3..10; every activity follows the start dummy or an\n"
    "earlier activity and leads to the end dummy; maximal lags never form a cycle of positive\n"
    "length, so every instance has a schedule that meets any deadline slack of 0 or more.\n"
    "\n"
    "exit status: 0 done, 1 a file could not be written, 2 bad command line\n";

[[noreturn]] void badusage(const char *fmt, const char *a, const char *b = "") {
    std::fprintf(stderr, "gprgen: ");
    std::fprintf(stderr, fmt, a, b);
    std::fprintf(stderr, "\nTry 'gprgen --help'.\n");
    std::exit(2);
}

// A whole decimal number in lo..hi, nothing else.
long long wholenumber(const char *option, const char *text, long long lo, long long hi) {
    errno = 0;
    char *rest = nullptr;
    long long v = std::strtoll(text, &rest, 10);
    if (*text == '\0' || *rest != '\0' || errno != 0 || v < lo || v > hi) {
        std::string range = std::to_string(lo) + ".." + std::to_string(hi);
        badusage("%s needs a whole number in %s", option, range.c_str());
    }
    return v;
}

uint64_t seedvalue(const char *text) {
    errno = 0;
    char *rest = nullptr;
    unsigned long long v = std::strtoull(text, &rest, 10);
    if (*text < '0' || *text > '9' || *rest != '\0' || errno != 0)
        badusage("--seed needs a whole number 0..18446744073709551615, not '%s'", text);
    return v;
}

} // namespace

int main(int argc, char **argv) {
    genparams p;
    long long count = 10, first = 1;
    uint64_t seed = 1;
    std::string out = ".";
    for (int k = 1; k < argc; k++) {
        const char *opt = argv[k];
        if (std::strcmp(opt, "--help") == 0 || std::strcmp(opt, "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (std::strncmp(opt, "--", 2) != 0) badusage("unexpected argument '%s'", opt);
        if (k + 1 >= argc) badusage("%s needs a value", opt);
        const char *val = argv[++k];
        if (std::strcmp(opt, "--count") == 0)
            count = wholenumber(opt, val, 1, 1000000);
        else if (std::strcmp(opt, "--first") == 0)
            first = wholenumber(opt, val, -999999, 9999999);
        else if (std::strcmp(opt, "--act") == 0)
            p.minact = p.maxact = (int)wholenumber(opt, val, 2, 1000);
        else if (std::strcmp(opt, "--min-act") == 0)
            p.minact = (int)wholenumber(opt, val, 2, 1000);
        else if (std::strcmp(opt, "--max-act") == 0)
            p.maxact = (int)wholenumber(opt, val, 2, 1000);
        else if (std::strcmp(opt, "--seed") == 0)
            seed = seedvalue(val);
        else if (std::strcmp(opt, "--maxlag") == 0)
            p.maxlagpct = (int)wholenumber(opt, val, 0, 100);
        else if (std::strcmp(opt, "--relations") == 0) {
            if (std::strcmp(val, "mixed") == 0)
                p.mixed = true;
            else if (std::strcmp(val, "fs") == 0)
                p.mixed = false;
            else
                badusage("--relations is 'mixed' or 'fs', not '%s'", val);
        } else if (std::strcmp(opt, "--resources") == 0)
            p.nrres = (int)wholenumber(opt, val, 0, 100);
        else if (std::strcmp(opt, "--out") == 0)
            out = val;
        else
            badusage("unknown option '%s'", opt);
    }
    if (p.minact > p.maxact) {
        std::string lo = std::to_string(p.minact), hi = std::to_string(p.maxact);
        badusage("--min-act %s is above --max-act %s", lo.c_str(), hi.c_str());
    }
    long long last = first + count - 1;
    if (last > 9999999)
        badusage("the last file number %s is above %s", std::to_string(last).c_str(), "9999999");

    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "gprgen: cannot create the folder %s: %s\n", out.c_str(),
                     ec.message().c_str());
        return 1;
    }
    for (long long number = first; number <= last; number++) {
        std::string text;
        try {
            text = formatinstance(generate(p, seed, (int)number));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "gprgen: internal error in D%lld.gpr: %s\n", number, e.what());
            return 1;
        }
        std::string name = (std::filesystem::path(out) / ("D" + std::to_string(number) + ".gpr"));
        FILE *f = std::fopen(name.c_str(), "w");
        bool ok = f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size();
        if (f != nullptr && std::fclose(f) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "gprgen: cannot write %s: %s\n", name.c_str(),
                         std::strerror(errno != 0 ? errno : EIO));
            return 1;
        }
    }
    std::printf("gprgen: wrote D%lld.gpr to D%lld.gpr in %s\n", first, last, out.c_str());
    return 0;
}
