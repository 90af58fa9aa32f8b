// sch2gpr: converts one ProGen/max instance (.sch, the format of the public
// RCPSP/max benchmark sets) into the .gpr format that maxnpv reads. The
// input is read whole before anything else happens, and the output file is
// written only when the whole input is valid.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "format/gprformat.h"
#include "format/schread.h"
#include "platform/files.h"

constexpr size_t stdinchunk = 1 << 16; // bytes asked for per read of the standard input

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
                "demands and capacities carry over.\n\n"
                "Limits: none on the number of activities (maxnpv applies its own when it\n"
                "reads the result). Durations lie in 0..1000000 and lags in\n"
                "-1000000..1000000, the range of the .gpr format; every other value is a\n"
                "32-bit integer, demands and capacities not negative. A successor list names\n"
                "other activities, each once. A malformed file is reported with its line and\n"
                "the reason, and nothing is written. IN must be a regular file (or \"-\").\n\n"
                "Exit status: 0 converted, 1 invalid input or a file error, 2 wrong usage.\n",
                usage);
}

// Reads the standard input to its end; false with a message on stderr.
static bool readstdin(std::string *text) {
    struct stat info;
    if (fstat(0, &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fputs("sch2gpr: the standard input is a folder, not a file\n", stderr);
        return false;
    }
    char buf[stdinchunk];
    for (;;) {
        ssize_t got = ::read(0, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            std::fprintf(stderr, "sch2gpr: cannot read the standard input: %s\n",
                         std::strerror(errno));
            return false;
        }
        if (got == 0) return true;
        text->append(buf, (size_t)got);
    }
}

// Reads the file `name` whole; false with a message on stderr. Only a
// regular file is read: a folder would read as nothing, and a pipe or a
// device could block or never end.
static bool readinput(const char *name, std::string *text) {
    int err = 0;
    switch (readwhole(name, text, &err)) {
    case readstatus::ok:
        return true;
    case readstatus::missing:
    case readstatus::unopenable:
        std::fprintf(stderr, "sch2gpr: cannot open %s: %s\n", name, std::strerror(err));
        return false;
    case readstatus::notregular: {
        struct stat info;
        if (stat(name, &info) == 0 && S_ISDIR(info.st_mode))
            std::fprintf(stderr, "sch2gpr: %s is a folder, not a file\n", name);
        else
            std::fprintf(stderr, "sch2gpr: %s is not a regular file (a pipe, a device?)\n", name);
        return false;
    }
    case readstatus::failed:
        break;
    }
    std::fprintf(stderr, "sch2gpr: cannot read %s: %s\n", name, std::strerror(err));
    return false;
}

// Writes text to the file `name` ("-": the standard output); false with a
// message on stderr.
static bool writeoutput(const char *name, const std::string &text) {
    bool tostdout = std::strcmp(name, "-") == 0;
    FILE *out = tostdout ? stdout : std::fopen(name, "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "sch2gpr: cannot open %s: %s\n", name, std::strerror(errno));
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fflush(out) == 0 && written;
    int saved = errno;
    if (!tostdout && std::fclose(out) != 0 && written) {
        written = false;
        saved = errno;
    }
    if (!written)
        std::fprintf(stderr, "sch2gpr: cannot write %s: %s\n",
                     tostdout ? "the standard output" : name, std::strerror(saved));
    return written;
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
    const char *inname = argv[1], *outname = argv[2];

    std::string text;
    if (std::strcmp(inname, "-") == 0 ? !readstdin(&text) : !readinput(inname, &text)) return 1;
    gprinstance inst;
    scherror err;
    if (!readsch(text, &inst, &err)) {
        std::fprintf(stderr, "sch2gpr: %s: line %ld: %s\n", inname, err.line, err.reason.c_str());
        return 1;
    }
    return writeoutput(outname, formatgpr(inst)) ? 0 : 1;
}
