// The search calls back on its own thread a few times a second and at every
// better schedule; the line and the rows are written right there, so nothing
// else runs beside it. A row is written only when the npv or the bound has
// moved since the last one, so the file holds the steps of both curves and
// no repeats; the last row, written at the end, carries the final node count.
// The file is a run file: emptied when the search begins, each row appended
// whole and flushed, so a search stopped by any signal leaves every row it
// wrote.
//
// Ctrl-C only sets a flag that the search asks for (the stop hook); the
// search then ends as a limit ends it and the command line reports the best
// schedule found. A second Ctrl-C, for a search that does not stop soon
// enough, ends the process as the signal does by default.
#include "driver/searchwatch.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace gpr {

namespace {

volatile sig_atomic_t interrupted = 0; // Ctrl-C came during the search
struct sigaction before;               // SIGINT's action before the search

void oninterrupt(int) {
    if (interrupted) {
        sigaction(SIGINT, &before, nullptr);
        raise(SIGINT);
        return;
    }
    interrupted = 1;
}

// A figure of a row: empty where it is not known.
std::string cell(double v) {
    if (!std::isfinite(v)) return "";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

} // namespace

searchwatch::~searchwatch() {
    int err;
    if (watching || file.isopen()) finish(&err);
}

bool searchwatch::openprogress(const std::string &path, int *err) {
    return file.open(path, err);
}

void searchwatch::watch(maxnpv::options *opt) {
    began = std::chrono::steady_clock::now();
    line = isatty(STDERR_FILENO) != 0;
    if (file.isopen()) {
        int err;
        if (!file.start(&err)) {
            failed = true, failure = err;
        } else {
            file.append("seconds,npv,bound,nodes\n");
            if (!file.flush(&err)) failed = true, failure = err;
        }
    }
    opt->searchprogress = [this](long long nodes, double npv, double bound) {
        told(nodes, npv, bound);
    };
    interrupted = 0;
    struct sigaction on = {};
    on.sa_handler = oninterrupt;
    sigemptyset(&on.sa_mask);
    sigaction(SIGINT, &on, &before);
    watching = true;
    opt->stop = []() { return interrupted != 0; };
}

bool searchwatch::row(long long nodes, double npv, double bound) {
    if (!file.isopen() || failed) return !failed;
    const double t =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", t);
    file.append(std::string(seconds) + "," + cell(npv) + "," + cell(bound) + "," +
                std::to_string(nodes) + "\n");
    int err;
    if (!file.flush(&err)) failed = true, failure = err;
    lastnodes = nodes, lastnpv = npv, lastbound = bound;
    rowpending = false;
    return !failed;
}

void searchwatch::told(long long nodes, double npv, double bound) {
    if (line) {
        if (std::isfinite(npv)) {
            const double scale = std::max(std::fabs(npv), std::fabs(bound));
            const double gap = scale > 0 ? (bound - npv) / scale : 0;
            std::fprintf(stderr, "\r%lld nodes, npv %.10g, bound %.10g, gap %.3g%% \033[K", nodes,
                         npv, bound, 100 * gap);
        } else {
            std::fprintf(stderr, "\r%lld nodes, no schedule yet, bound %.10g \033[K", nodes, bound);
        }
        std::fflush(stderr);
    }
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    pendingnodes = nodes;
    if (lastnodes < 0 || !same(npv, lastnpv) || !same(bound, lastbound))
        row(nodes, npv, bound);
    else
        rowpending = nodes != lastnodes;
}

bool searchwatch::finish(int *err) {
    if (watching) {
        sigaction(SIGINT, &before, nullptr);
        watching = false;
    }
    if (line) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        line = false;
    }
    if (file.isopen()) {
        if (rowpending) row(pendingnodes, lastnpv, lastbound);
        int closeerr;
        if (!file.close(&closeerr) && !failed) failed = true, failure = closeerr;
    }
    *err = failure;
    return !failed;
}

} // namespace gpr
