#include "support/testsupport.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "search/recsearch.h"
#include "search/solvecycle.h"
#include "search/treelist.h"

namespace fs = std::filesystem;

scratchdir::scratchdir() {
    previous = fs::current_path();
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/maxnpv-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir = buf.data();
    fs::current_path(dir);
}

scratchdir::~scratchdir() {
    std::error_code ec;
    fs::current_path(previous, ec);
    fs::remove_all(dir, ec);
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

ran runbinary(const std::string &binary, const std::string &args, const std::string &input) {
    writefile("stdin.txt", input);
    const std::string command =
        "setsid -w '" + binary + "' " + args + " < stdin.txt > stdout.txt 2> stderr.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readfile("stdout.txt"),
            readfile("stderr.txt")};
}

std::vector<std::string> csvfields(const std::string &row) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (size_t k = 0; k < row.size(); k++) {
        const char c = row[k];
        if (quoted && c == '"' && k + 1 < row.size() && row[k + 1] == '"')
            out.back() += '"', k++;
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            out.push_back("");
        else
            out.back() += c;
    }
    return out;
}

printed capture(const std::function<void()> &fn) {
    std::fflush(stdout);
    std::fflush(stderr);
    char outname[] = "/tmp/maxnpv-out-XXXXXX", errname[] = "/tmp/maxnpv-err-XXXXXX";
    int outfd = mkstemp(outname), errfd = mkstemp(errname);
    int savedout = dup(1), savederr = dup(2);
    if (outfd < 0 || errfd < 0 || savedout < 0 || savederr < 0)
        throw std::runtime_error("cannot capture");
    dup2(outfd, 1);
    dup2(errfd, 2);
    fn();
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(savedout, 1);
    dup2(savederr, 2);
    close(savedout);
    close(savederr);
    close(outfd);
    close(errfd);
    printed p{readfile(outname), readfile(errname)};
    std::remove(outname);
    std::remove(errname);
    return p;
}

gpr::problemparams params(int pctneg, int slack, double interest) {
    gpr::problemparams p;
    p.pctneg = pctneg;
    p.slack = slack;
    p.interest = interest;
    return p;
}

gpr::outcome setuptext(gpr::problem *p, const std::string &text, const gpr::problemparams &run) {
    return gpr::setupproblem(p, text.data(), text.size(), run);
}

gpr::outcome solvetext(gpr::problem *p, const std::string &text, const gpr::problemparams &run) {
    gpr::outcome kind = setuptext(p, text, run);
    if (kind == gpr::outcome::solved) gpr::solvecycle(&p->sol);
    return kind;
}

std::string name(gpr::outcome kind) {
    return gpr::outcomename(kind);
}

arclist treearcs(const gpr::solver &s) {
    arclist arcs;
    const gpr::network &net = *s.net;
    for (int a = 0; a < net.nract; a++)
        for (int x = 0; x < s.tsucclen[a]; x++)
            arcs.push_back({a, net.succ[s.tsucc[s.tsuccat[a] + x]]});
    std::sort(arcs.begin(), arcs.end());
    return arcs;
}

void setstate(gpr::solver *s, const std::vector<int64_t> &st, const arclist &tree,
              const std::vector<double> &cf) {
    const gpr::network &net = *s->net;
    s->st = st;
    s->cf = cf;
    for (int i = 0; i < net.nract; i++) {
        s->dcf[i] = gpr::discount(*s, i);
        s->dropped[i] = 0;
    }
    gpr::treeclear(s);
    for (auto [from, to] : tree) {
        int f = -1;
        if (from == net.end() && to == 0) f = net.deadlinearc();
        for (int e = net.rowstart[from]; f < 0 && e < net.rowstart[from + 1]; e++)
            if (net.succ[e] == to) f = e;
        if (f < 0) throw std::runtime_error("a tree arc that is not listed");
        gpr::treeadd(s, f);
    }
    gpr::searchreset(s);
}

std::string arcstext(int n, const std::vector<std::array<int, 3>> &arcs) {
    std::vector<std::string> rec(n);
    std::vector<int> count(n, 0);
    for (auto [from, to, lag] : arcs) {
        rec[from] += " " + std::to_string(to + 1) + " 1 1 " + std::to_string(lag);
        count[from]++;
    }
    std::string text = std::to_string(n) + " 0\n";
    for (int i = 0; i < n; i++) text += "0 " + std::to_string(count[i]) + rec[i] + "\n";
    return text;
}
