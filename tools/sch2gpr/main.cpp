// sch2gpr: converts instances of the standard formats (ProGen/max .sch,
// PSPLIB single-mode .sm, Patterson .rcp) into the .gpr format that maxnpv
// reads, one file or a whole set. The input is read whole before anything
// else happens, and an output file is written only when its whole input is
// valid. A set is a folder; its files become D<n>.gpr, n the number in each
// file name, so that the dialogue's run over problem numbers can read them.
// The names are all checked before the first file is written: a name
// without a number, or with several, or a number that two files share,
// would leave a run that silently misses instances.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "format/gprformat.h"
#include "format/instformat.h"
#include "input/loadinstance.h"
#include "platform/files.h"
#include "platform/outputs.h"
#include "platform/shown.h"

constexpr size_t stdinchunk = 1 << 16; // bytes asked for per read of the standard input

static const char usage[] =
    "usage: sch2gpr [--format F] IN OUT.gpr   (\"-\" for standard input or output)\n"
    "       sch2gpr [--format F] IN_FOLDER OUT_FOLDER\n";

static void help() {
    std::printf("%s\n"
                "Converts an instance of a standard format into the .gpr instance format of\n"
                "maxnpv. The format is chosen by IN's extension in any case: .sm (PSPLIB\n"
                "single mode, J30..J120), .rcp (Patterson), anything else (and the standard\n"
                "input) .sch, the ProGen/max format of the RCPSP/max sets; --format sch|sm|rcp\n"
                "overrides it; \"--\" ends the options. In .sm and .rcp files every\n"
                "precedence becomes a minimal finish-to-start entry of lag 0 (see the README\n"
                "for these formats).\n\n"
                "A folder IN_FOLDER is a whole set: each of its files named .sch, .sm or .rcp\n"
                "(any case; other files such as params.txt are passed over) becomes\n"
                "OUT_FOLDER/D<n>.gpr, n the number in its name (PSP12.SCH -> D12.gpr), for\n"
                "maxnpv's dialogue. A name without a number or with several, and a number\n"
                "that two files share, stop the conversion before anything is written; a\n"
                "malformed file is reported and the others are converted. OUT_FOLDER is\n"
                "made when missing; files in it are overwritten.\n\n"
                "ProGen/max input, line by line (blank lines are skipped):\n"
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
                "Exit status: 0 converted, 1 invalid input or a file error, 2 wrong usage\n"
                "(also an output that is the input, a folder or a FIFO without a reader), 3\n"
                "converted but not written (a full disk). An output file is written whole\n"
                "or left as it was.\n",
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
        std::fprintf(stderr, "sch2gpr: cannot open %s: %s\n", terminaltext(name).c_str(),
                     std::strerror(err));
        return false;
    case readstatus::notregular: {
        struct stat info;
        if (stat(name, &info) == 0 && S_ISDIR(info.st_mode))
            std::fprintf(stderr, "sch2gpr: %s is a folder, not a file\n",
                         terminaltext(name).c_str());
        else
            std::fprintf(stderr, "sch2gpr: %s is not a regular file (a pipe, a device?)\n",
                         terminaltext(name).c_str());
        return false;
    }
    case readstatus::failed:
        break;
    }
    std::fprintf(stderr, "sch2gpr: cannot read %s: %s\n", terminaltext(name).c_str(),
                 std::strerror(err));
    return false;
}

// Writes text to the file `name` ("-": the standard output) whole, through
// a temporary file that replaces it; false with a message on stderr.
static bool writeoutput(const char *name, const std::string &text) {
    std::string why;
    if (std::strcmp(name, "-") == 0) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (closestdout(&why)) return true;
        std::fprintf(stderr, "sch2gpr: cannot write the standard output: %s\n", why.c_str());
        return false;
    }
    if (writeoutputfile(name, text, &why)) return true;
    std::fprintf(stderr, "sch2gpr: %s\n", why.c_str());
    return false;
}

// Converts the text of one instance; false with the reason on stderr.
static bool convert(const char *inname, instformat fmt, const std::string &text, std::string *gpr) {
    gprinstance inst;
    formaterror err;
    if (!readforeign(fmt, text, &inst, &err)) {
        std::string hint = gpr::formathint(text, fmt);
        std::fprintf(stderr, "sch2gpr: %s: line %ld: %s%s%s\n", terminaltext(inname).c_str(),
                     err.line, err.reason.c_str(), hint.empty() ? "" : "; ", hint.c_str());
        return false;
    }
    *gpr = formatgpr(inst);
    return true;
}

// The format of an input file: --format's, else its extension's, else .sch.
static instformat formatof(const std::string &name, bool given, instformat chosen) {
    if (given) return chosen;
    instformat fmt;
    if (formatofextension(name, &fmt) && fmt != instformat::gpr) return fmt;
    return instformat::sch;
}

// The number in a file name (without the extension): false with the reason
// when it holds none or several, or one beyond 32 bits.
static bool numberin(const std::string &file, long long *n, std::string *why) {
    const std::string stem = file.substr(0, file.rfind('.'));
    std::vector<std::string> numbers;
    for (size_t k = 0; k < stem.size();) {
        if (stem[k] < '0' || stem[k] > '9') {
            k++;
            continue;
        }
        size_t from = k;
        while (k < stem.size() && stem[k] >= '0' && stem[k] <= '9') k++;
        numbers.push_back(stem.substr(from, k - from));
    }
    if (numbers.empty()) {
        *why = "its name holds no number for D<n>.gpr";
        return false;
    }
    if (numbers.size() > 1) {
        *why = "its name holds " + std::to_string(numbers.size()) + " numbers (" + numbers[0] +
               ", " + numbers[1] + (numbers.size() > 2 ? ", ..." : "") + "); D<n>.gpr needs one";
        return false;
    }
    std::string digits = numbers[0];
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    if (digits.size() > 10 || std::stoll(digits) > INT32_MAX) {
        *why = "its number " + numbers[0] + " is beyond 2147483647";
        return false;
    }
    *n = std::stoll(digits);
    return true;
}

// Converts every instance file of the folder in into out/D<n>.gpr.
static int convertset(const std::string &in, const std::string &out, bool given,
                      instformat chosen) {
    namespace fs = std::filesystem;
    std::map<long long, std::string> byn; // n -> file name
    std::error_code ec;
    bool ok = true;
    for (const auto &entry : fs::directory_iterator(in, ec)) {
        const std::string name = entry.path().filename().string();
        instformat fmt;
        if (!formatofextension(name, &fmt) || fmt == instformat::gpr) continue;
        long long n;
        std::string why;
        if (!numberin(name, &n, &why)) {
            std::fprintf(stderr, "sch2gpr: %s: %s\n", terminaltext(in + "/" + name).c_str(),
                         why.c_str());
            ok = false;
            continue;
        }
        auto [at, fresh] = byn.emplace(n, name);
        if (!fresh) {
            const std::string &a = std::min(at->second, name), &b = std::max(at->second, name);
            std::fprintf(stderr, "sch2gpr: %s and %s would both be D%lld.gpr\n",
                         terminaltext(in + "/" + a).c_str(), terminaltext(in + "/" + b).c_str(), n);
            ok = false;
        }
    }
    if (ec) {
        std::fprintf(stderr, "sch2gpr: cannot read the folder %s: %s\n", terminaltext(in).c_str(),
                     ec.message().c_str());
        return 1;
    }
    if (!ok) return 1;
    if (byn.empty()) {
        std::fprintf(stderr, "sch2gpr: the folder %s holds no .sch, .sm or .rcp files\n",
                     terminaltext(in).c_str());
        return 1;
    }
    if (!fs::is_directory(out) && !fs::create_directory(out, ec)) {
        std::fprintf(stderr, "sch2gpr: cannot make the folder %s: %s\n", terminaltext(out).c_str(),
                     ec ? ec.message().c_str() : "it exists and is not a folder");
        return 1;
    }
    int failed = 0, unwritten = 0;
    for (const auto &[n, name] : byn) {
        const std::string from = in + "/" + name, to = out + "/D" + std::to_string(n) + ".gpr";
        std::string text, gpr;
        if (!readinput(from.c_str(), &text) ||
            !convert(from.c_str(), formatof(name, given, chosen), text, &gpr)) {
            failed++;
        } else if (!writeoutput(to.c_str(), gpr)) {
            failed++;
            unwritten++;
        }
    }
    if (failed > 0)
        std::fprintf(stderr, "sch2gpr: %d of %zu files not converted\n", failed, byn.size());
    return unwritten > 0 ? writefailedstatus : failed > 0 ? 1 : 0;
}

int main(int argc, char **argv) {
    std::vector<const char *> args;
    bool given = false;
    instformat chosen = instformat::sch;
    bool optionsended = false; // after "--" every argument is a name
    for (int k = 1; k < argc; k++) {
        const std::string a = argv[k];
        if (optionsended) {
            args.push_back(argv[k]);
            continue;
        }
        if (a == "--") {
            optionsended = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            help();
            return 0;
        }
        if (a == "--format" || a.compare(0, 9, "--format=") == 0) {
            std::string key;
            if (a == "--format") {
                if (k + 1 >= argc) {
                    std::fprintf(stderr, "sch2gpr: --format needs a value\n%s", usage);
                    return 2;
                }
                key = argv[++k];
            } else {
                key = a.substr(9);
            }
            if (!formatofkey(key, &chosen) || chosen == instformat::gpr) {
                std::fprintf(stderr, "sch2gpr: --format needs sch, sm or rcp, not '%s'\n",
                             terminaltext(key).c_str());
                return 2;
            }
            given = true;
            continue;
        }
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::fprintf(stderr, "sch2gpr: unknown option %s\n%s", terminaltext(a).c_str(), usage);
            return 2;
        }
        args.push_back(argv[k]);
    }
    if (args.size() != 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    const char *inname = args[0], *outname = args[1];
    struct stat info;
    if (std::strcmp(inname, "-") != 0 && stat(inname, &info) == 0 && S_ISDIR(info.st_mode)) {
        if (std::strcmp(outname, "-") == 0) {
            std::fputs("sch2gpr: a folder converts into a folder, not to the standard output\n",
                       stderr);
            return 2;
        }
        return convertset(inname, outname, given, chosen);
    }

    // The output is checked before the input is read: a FIFO without a
    // reader is refused instead of blocking, and the input is never its own
    // output.
    outputfile target;
    if (std::strcmp(outname, "-") != 0) {
        std::string why;
        if (!target.prepare(outname, &why)) {
            std::fprintf(stderr, "sch2gpr: %s\n", why.c_str());
            return 2;
        }
        const fileidentity in =
            std::strcmp(inname, "-") == 0 ? identifyfd(STDIN_FILENO) : identify(inname);
        if (samefile(in, identify(outname))) {
            std::fprintf(stderr, "sch2gpr: %s is the input; give another name for the output\n",
                         terminaltext(outname).c_str());
            return 2;
        }
    }
    std::string text, gpr;
    if (std::strcmp(inname, "-") == 0 ? !readstdin(&text) : !readinput(inname, &text)) return 1;
    const instformat fmt = std::strcmp(inname, "-") == 0 ? (given ? chosen : instformat::sch)
                                                         : formatof(inname, given, chosen);
    if (!convert(inname, fmt, text, &gpr)) return 1;
    if (std::strcmp(outname, "-") == 0) return writeoutput(outname, gpr) ? 0 : writefailedstatus;
    std::string why;
    if (target.write(gpr, &why)) return 0;
    std::fprintf(stderr, "sch2gpr: cannot write %s: %s\n", terminaltext(outname).c_str(),
                 why.c_str());
    return writefailedstatus;
}
