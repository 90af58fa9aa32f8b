// libFuzzer target: an input is the dialogue parameters (the first bytes,
// decoded by fuzzparams.h) followed by an instance file. Every input is
// written as D1.gpr into a private scratch folder, loaded, and solved when
// the load succeeds, exactly as the batch driver does for one problem. A
// solved instance must pass the checks of solvecheck.h, else the target
// aborts.
//
// The process works in its scratch folder; relative paths among its
// arguments are made absolute first. output.txt and info.out are
// recreated for every input so they do not grow, and the console echo goes
// to /dev/null. Rejection reasons go to the standard error stream; run with
// -close_fd_mask=2 to silence them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzzparams.h"
#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "platform/files.h"
#include "search/solvecycle.h"
#include "solvecheck.h"

static std::string scratch; // the private folder, removed at exit
static int reportfd = 2;    // the standard error stream as it was at start-up

static void removescratch() {
    for (const char *name : {"D1.gpr", "output.txt", "info.out"})
        unlink((scratch + "/" + name).c_str());
    rmdir(scratch.c_str());
}

// The fuzzer reads its arguments after the initialisation, so relative paths
// among them (inputs, corpus folders, -artifact_prefix, -exact_artifact_path,
// -dict) are made absolute here, before the working directory changes.
static std::vector<std::string> argstore;
static std::vector<char *> argptrs;

static void absoluteargs(int *argc, char ***argv) {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return;
    auto absolute = [&cwd](const std::string &path) {
        return path.empty() || path[0] == '/' ? path : std::string(cwd) + "/" + path;
    };
    static const char *const pathflags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict="};
    for (int i = 0; i < *argc; i++) {
        std::string arg = (*argv)[i];
        if (i > 0 && arg[0] != '-') arg = absolute(arg);
        for (const char *flag : pathflags) {
            size_t n = std::strlen(flag);
            if (arg.compare(0, n, flag) == 0) arg = flag + absolute(arg.substr(n));
        }
        argstore.push_back(arg);
    }
    for (std::string &arg : argstore) argptrs.push_back(&arg[0]);
    argptrs.push_back(nullptr);
    *argv = argptrs.data();
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    absoluteargs(argc, argv);
    // -close_fd_mask=2 closes the standard error stream after this; a
    // duplicate keeps the report of an inconsistent solution visible.
    int fd = dup(2);
    if (fd >= 0) reportfd = fd;
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gprfuzz-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr || chdir(buf.data()) != 0) {
        std::perror("gprfuzz: cannot create the scratch folder");
        std::exit(1);
    }
    scratch = buf.data();
    std::atexit(removescratch);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::perror("gprfuzz: cannot redirect the standard output");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzparams p = decodefuzzparams(data, size);
    pctneg = p.pctneg;
    dlextra = p.dlextra;
    interest = p.interest;
    size_t skip = size < fuzzparambytes ? size : fuzzparambytes;

    FILE *f = std::fopen("D1.gpr", "wb");
    if (f == nullptr) std::abort();
    if (size > skip) std::fwrite(data + skip, 1, size - skip, f);
    if (std::fclose(f) != 0) std::abort();

    std::strcpy(prefix, "D");
    probnr = 1;
    static recordfile out, info;
    int err;
    if (!out.open("output.txt", &err) || !info.open("info.out", &err)) std::abort();
    if (!out.empty(&err) || !info.empty(&err)) std::abort();
    outfile = &out;
    infofile = &info;
    if (loadinstance() == 1 && solveinstance() == 0) {
        std::string defect = checksolution();
        if (!defect.empty()) {
            dprintf(reportfd, "gprfuzz: inconsistent solution: %s\n", defect.c_str());
            std::abort();
        }
    }
    out.close(&err);
    info.close(&err);
    outfile = nullptr;
    infofile = nullptr;
    return 0;
}
