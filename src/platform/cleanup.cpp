// The handler may run at any moment, also in the middle of a write or of a
// table update, so it reads only fixed tables and calls only
// async-signal-safe functions (unlink, ftruncate, signal, raise). The names
// of temporary files lie in fixed slots ("" for a free one), each written
// first byte last. A record file is a descriptor and its size at the last
// whole record, each a lock-free atomic, so no value is ever seen half
// stored; the sizes come in two sets, so that the files of one problem reach
// their new sizes together. A size is raised only after the records below
// it are written, and a record half written when the signal comes lies
// beyond it: the cut removes exactly that half.
#include "platform/cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int maxtemps = 16;                // temporary files tracked at once
constexpr size_t tempnamesize = 4096;       // room for a name in a slot, the terminator included
constexpr int maxrecordfiles = 16;          // record files tracked at once
char tempnames[maxtemps][tempnamesize];     // the temporary files' slots
std::atomic<int> recordfds[maxrecordfiles]; // [slot] descriptor of a record file; -1: free
// [0..1][slot] its size at the last whole record, in two sets: the one that
// `current` names holds, the other takes the next sizes, and one store to
// `current` then makes them hold together.
std::atomic<off_t> recordwhole[2][maxrecordfiles];
std::atomic<int> current{0}; // the set of sizes that holds, 0 or 1
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<off_t>::is_always_lock_free,
              "the signal handler reads these without locks");
std::mutex tablelock; // serialises the threads that take and free slots (not the handler)
const int fatalsignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

void putright(int sig) {
    const int now = current.load();
    for (int k = 0; k < maxrecordfiles; k++) {
        const int fd = recordfds[k].load();
        if (fd >= 0 && ftruncate(fd, recordwhole[now][k].load()) != 0) {
            // Nothing more can be done on the way out.
        }
    }
    for (auto &name : tempnames)
        if (name[0] != '\0') unlink(name);
    signal(sig, SIG_DFL);
    raise(sig);
}

void install() {
    static std::once_flag done;
    std::call_once(done, [] {
        for (auto &fd : recordfds) fd.store(-1);
        for (int sig : fatalsignals) {
            struct sigaction now;
            // A signal the caller ignores stays ignored.
            if (sigaction(sig, nullptr, &now) != 0 || now.sa_handler == SIG_IGN) continue;
            struct sigaction act {};
            act.sa_handler = putright;
            sigemptyset(&act.sa_mask);
            for (int other : fatalsignals) sigaddset(&act.sa_mask, other);
            sigaction(sig, &act, nullptr);
        }
    });
}

} // namespace

void tracktemp(const std::string &temp) {
    install();
    if (temp.empty() || temp.size() >= tempnamesize) return;
    std::lock_guard<std::mutex> hold(tablelock);
    for (auto &name : tempnames)
        if (name[0] == '\0') {
            // The first byte last: the handler never sees half a name.
            std::memcpy(name + 1, temp.c_str() + 1, temp.size());
            std::atomic_signal_fence(std::memory_order_seq_cst);
            name[0] = temp[0];
            return;
        }
}

void untracktemp(const std::string &temp) {
    std::lock_guard<std::mutex> hold(tablelock);
    for (auto &name : tempnames)
        if (name[0] != '\0' && temp == name) {
            name[0] = '\0';
            return;
        }
}

int trackrecords(int fd, off_t whole) {
    install();
    std::lock_guard<std::mutex> hold(tablelock);
    for (int k = 0; k < maxrecordfiles; k++)
        if (recordfds[k].load() < 0) {
            // The size first: the handler must never see the descriptor
            // with another file's size.
            recordwhole[0][k].store(whole);
            recordwhole[1][k].store(whole);
            recordfds[k].store(fd);
            return k;
        }
    return -1;
}

void keepwhole(const std::vector<std::pair<int, off_t>> &sizes) {
    std::lock_guard<std::mutex> hold(tablelock);
    const int now = current.load(), next = 1 - now;
    for (int k = 0; k < maxrecordfiles; k++) recordwhole[next][k].store(recordwhole[now][k].load());
    for (const auto &[slot, whole] : sizes)
        if (slot >= 0) recordwhole[next][slot].store(whole);
    current.store(next);
}

void untrackrecords(int slot) {
    if (slot < 0) return;
    std::lock_guard<std::mutex> hold(tablelock);
    recordfds[slot].store(-1);
}

fatalsignalsblocked::fatalsignalsblocked() {
    sigset_t fatal;
    sigemptyset(&fatal);
    for (int sig : fatalsignals) sigaddset(&fatal, sig);
    pthread_sigmask(SIG_BLOCK, &fatal, &saved);
}

fatalsignalsblocked::~fatalsignalsblocked() {
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}
