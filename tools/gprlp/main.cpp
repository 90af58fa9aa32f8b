// gprlp: the optimal net present value of one instance, computed as a linear
// program by GLPK, to check a result of maxnpv.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lpmodel.h"

static const char helptext[] =
    "usage: gprlp FILE PCTNEG DLEXTRA INTEREST\n"
    "       gprlp --help\n"
    "\n"
    "Computes the optimal net present value of the instance FILE (.gpr format) as a\n"
    "linear program solved by GLPK, independently of maxnpv, with maxnpv's run\n"
    "parameters: the cash flows are drawn as maxnpv draws them, PCTNEG percent of\n"
    "them negative; the deadline lies DLEXTRA time units after the critical path;\n"
    "INTEREST is the continuous discount rate per time unit and must be positive.\n"
    "Instances that maxnpv does not solve are recognised by the same rules and\n"
    "reported as maxnpv reports them.\n"
    "\n"
    "Output, three lines on standard output:\n"
    "  the optimal net present value (%.5f), or \"infeasible\" or \"not connected\"\n"
    "  glpk time SECONDS s    time GLPK took to load the LP and solve it (simplex)\n"
    "  exact check SECONDS s  time GLPK's exact simplex took to confirm the optimum\n"
    "Both times are 0 when no LP is solved. Every outcome but an optimum also\n"
    "writes its reason to standard error.\n"
    "\n"
    "Exit status:\n"
    "  0  the optimum was printed\n"
    "  1  wrong arguments, or FILE cannot be read as an instance\n"
    "  2  GLPK found no optimum\n"
    "  3  infeasible: no schedule meets the relations and the deadline\n"
    "  4  not connected: some activity cannot be tied to the start dummy by binding\n"
    "     relations, so maxnpv skips the instance\n";

static bool parseint(const char *text, int *value) {
    char *rest;
    errno = 0;
    long v = std::strtol(text, &rest, 10);
    if (rest == text || *rest != '\0' || errno != 0 || v < -2147483647L - 1 || v > 2147483647L)
        return false;
    *value = (int)v;
    return true;
}

static int usage(const char *problem) {
    std::fprintf(stderr, "gprlp: %s\nusage: gprlp [--help] FILE PCTNEG DLEXTRA INTEREST\n",
                 problem);
    return 1;
}

int main(int argc, char **argv) {
    for (int k = 1; k < argc; k++) {
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
            std::fputs(helptext, stdout);
            return 0;
        }
    }
    if (argc != 5) return usage("expected four arguments");
    int pctneg, dlextra;
    if (!parseint(argv[2], &pctneg)) return usage("PCTNEG must be an integer");
    if (!parseint(argv[3], &dlextra)) return usage("DLEXTRA must be an integer");
    char *rest;
    double interest = std::strtod(argv[4], &rest);
    if (rest == argv[4] || *rest != '\0' || !std::isfinite(interest) || interest <= 0)
        return usage("INTEREST must be a positive number");

    lpresult res = lpsolve(argv[1], pctneg, dlextra, interest);
    if (res.kind == lpunreadable) {
        std::fprintf(stderr, "gprlp: %s: %s\n", argv[1], res.reason.c_str());
        return 1;
    }
    if (res.kind == lpsolved)
        std::printf("%.5f\n", res.npv);
    else
        std::printf("%s\n", lpkindname(res.kind));
    std::printf("glpk time %.6f s\nexact check %.6f s\n", res.seconds, res.exactseconds);
    std::fflush(stdout);
    if (res.kind != lpsolved) std::fprintf(stderr, "gprlp: %s: %s\n", argv[1], res.reason.c_str());
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
