#include "support/testsupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include "input/loadinstance.h"
#include "network/common_gpr.h"
#include "platform/files.h"
#include "search/solvecycle.h"

scratchdir::scratchdir() {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) throw std::runtime_error("getcwd failed");
    previous = cwd;
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/maxnpv-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir = buf.data();
    if (chdir(dir.c_str()) != 0) throw std::runtime_error("chdir failed");
}

scratchdir::~scratchdir() {
    if (chdir(previous.c_str()) != 0) return;
    std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", dir.c_str());
}

void writefile(const std::string &name, const std::string &text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
}

std::string readfile(const std::string &name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileexists(const std::string &name) {
    return access(name.c_str(), F_OK) == 0;
}

void setparams(int negative, int slack, double rate) {
    pctneg = negative;
    dlextra = slack;
    interest = rate;
}

static recordfile outrecords, inforecords;

void openresults(const char *out, const char *info, bool fresh) {
    int err;
    if (!outrecords.open(out, &err) || !inforecords.open(info, &err))
        throw std::runtime_error("cannot open results");
    if (fresh && (!outrecords.empty(&err) || !inforecords.empty(&err)))
        throw std::runtime_error("cannot empty results");
    outfile = &outrecords;
    infofile = &inforecords;
}

void closeresults() {
    int err;
    outrecords.close(&err);
    inforecords.close(&err);
    outfile = nullptr;
    infofile = nullptr;
}

int loadtext(const std::string &text, int number) {
    writefile("D" + std::to_string(number) + ".gpr", text);
    std::strcpy(prefix, "D");
    probnr = number;
    openresults();
    int result = loadinstance();
    closeresults();
    return result;
}

int loadandsolve(const std::string &text, int number) {
    writefile("D" + std::to_string(number) + ".gpr", text);
    std::strcpy(prefix, "D");
    probnr = number;
    openresults();
    int result = loadinstance() ? solveinstance() : -1;
    closeresults();
    return result;
}
