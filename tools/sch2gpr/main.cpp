// sch2gpr: converts one ProGen/max instance (.sch, the format of the public
// RCPSP/max benchmark sets) into the .gpr format that maxnpv reads. The
// output file is written only when the whole input is valid.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "schread.h"

static const char usage[] =
    "usage: sch2gpr IN.sch OUT.gpr   (\"-\" for standard input or output)\n";

static void help() {
    std::printf("%s\n"
                "Converts an instance of the ProGen/max format (the RCPSP/max benchmark sets)\n"
                "into the .gpr instance format of maxnpv.\n\n"
                "Input, line by line (blank lines are skipped):\n"
                "  n K 0 0                             n real activities, K renewable resources\n"
                "  i 1 m s_1 .. s_m [l_1] .. [l_m]     for i = 0..n+1: m successors, their\n"
                "                                      start-to-start lags in brackets\n"
                "  i 1 d r_1 .. r_K                    for i = 0..n+1: duration and demands\n"
                "  c_1 .. c_K                          the capacities (absent when K = 0)\n\n"
                "Every relation becomes a minimal start-to-start entry with the same lag (a\n"
                "maximal time lag is already a negative lag on the reverse arc); durations,\n"
                "demands and capacities carry over. The instance may have at most 1000\n"
                "activities with both dummies (n <= 998); durations lie in 0..1000000 and\n"
                "lags in -1000000..1000000. A malformed file is reported with its line and\n"
                "the reason, and nothing is written.\n\n"
                "Exit status: 0 converted, 1 invalid input or a file error, 2 wrong usage.\n",
                usage);
}

int main(int argc, char **argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        help();
        return 0;
    }
    if (argc != 3) {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string inname = argv[1], outname = argv[2];

    schinst inst;
    scherror err;
    bool ok;
    if (inname == "-") {
        ok = readsch(std::cin, inst, err);
    } else {
        std::ifstream in(inname, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "sch2gpr: cannot open %s: %s\n", inname.c_str(),
                         std::strerror(errno));
            return 1;
        }
        ok = readsch(in, inst, err);
    }
    if (!ok) {
        std::fprintf(stderr, "sch2gpr: %s: line %d: %s\n", inname.c_str(), err.line,
                     err.reason.c_str());
        return 1;
    }

    std::string text = writegpr(inst);
    if (outname == "-") {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0) {
            std::fprintf(stderr, "sch2gpr: cannot write the standard output: %s\n",
                         std::strerror(errno));
            return 1;
        }
        return 0;
    }
    FILE *out = std::fopen(outname.c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "sch2gpr: cannot open %s: %s\n", outname.c_str(),
                     std::strerror(errno));
        return 1;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fflush(out) == 0 && written;
    int saved = errno;
    if (std::fclose(out) != 0 && written) {
        written = false;
        saved = errno;
    }
    if (!written) {
        std::fprintf(stderr, "sch2gpr: cannot write %s: %s\n", outname.c_str(),
                     std::strerror(saved));
        return 1;
    }
    return 0;
}
