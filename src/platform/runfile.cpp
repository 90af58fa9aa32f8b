// A run file is a descriptor opened for appending. Its size at the last
// whole record is counted here, not asked of the system, because the signal
// handler must know it at any moment: the count rises only once a record is
// written to its end (in every file of a flushall), so a write that fails,
// or a signal in the middle of one, is undone by cutting the file back to
// the count with ftruncate. The open tries O_EXCL first to learn whether it
// makes the file, so that a run that cannot start removes what it made and
// nothing else.
#include "platform/runfile.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cleanup.h"
#include "platform/outputs.h"

namespace {

constexpr mode_t newfilemode = 0666; // permission bits of a new file before the umask
constexpr size_t smallrecord = 256;  // a record formatted without a second pass

// open(2) for a run file: appending, never the controlling terminal, and
// without blocking on a FIFO that no one reads.
int openfor(const std::string &path, int extra) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extra,
                  newfilemode);
}

} // namespace

runfile::~runfile() {
    untrackrecords(slot);
    if (fd >= 0 && own) ::close(fd);
}

bool runfile::open(const std::string &name, int *err) {
    path = name;
    pending.clear();
    own = true;
    created = true;
    fd = openfor(name, O_CREAT | O_EXCL);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = openfor(name, 0);
        // A link that leads nowhere yet: the file it names is made.
        if (fd < 0 && errno == ENOENT) fd = openfor(name, O_CREAT);
    }
    if (fd < 0) {
        *err = errno;
        return false;
    }
    // Once open, a pipe's writes may block as usual.
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    struct stat info;
    *err = fstat(fd, &info) != 0 ? errno : 0;
    if (*err == 0 && !S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode))
        *err = EINVAL; // a block device or a socket takes no records
    if (*err != 0) {
        abandon();
        return false;
    }
    regular = S_ISREG(info.st_mode);
    return true;
}

void runfile::attach(int descriptor, const std::string &name) {
    path = name;
    pending.clear();
    fd = descriptor;
    own = false;
    created = false;
    regular = false;
}

void runfile::abandon() {
    if (fd < 0) return;
    untrackrecords(slot);
    slot = -1;
    if (own) ::close(fd);
    fd = -1;
    if (created) unlink(path.c_str());
    created = false;
}

bool runfile::start(int *err) {
    *err = 0;
    pending.clear();
    created = false; // the run's file from here on, whoever made it
    if (!regular) return true;
    if (ftruncate(fd, 0) != 0) {
        *err = errno;
        return false;
    }
    whole = written = 0;
    untrackrecords(slot);
    slot = trackrecords(fd, whole);
    return true;
}

void runfile::put(const char *fmt, ...) {
    char small[smallrecord];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (n < 0) return;
    if ((size_t)n < sizeof small) {
        pending.append(small, (size_t)n);
        return;
    }
    const size_t at = pending.size();
    pending.resize(at + (size_t)n + 1);
    va_start(args, fmt);
    std::vsnprintf(&pending[at], (size_t)n + 1, fmt, args);
    va_end(args);
    pending.resize(at + (size_t)n);
}

void runfile::append(const std::string &text) {
    pending += text;
}

bool runfile::write(int *err) {
    *err = 0;
    if (pending.empty()) return true;
    if (fd < 0) {
        *err = EBADF;
        pending.clear();
        return false;
    }
    size_t done = 0;
    while (done < pending.size()) {
        const ssize_t put = ::write(fd, pending.data() + done, pending.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            *err = put < 0 ? errno : EIO;
            written += (off_t)done;
            cutback();
            pending.clear();
            return false;
        }
        done += (size_t)put;
    }
    written += (off_t)pending.size();
    pending.clear();
    return true;
}

void runfile::cutback() {
    // Should even the cut fail, the run stops all the same.
    if (regular && written != whole && ftruncate(fd, whole) != 0) {
    }
    written = whole;
}

bool runfile::flush(int *err) {
    size_t failed;
    return flushall({this}, &failed, err);
}

bool runfile::close(int *err) {
    if (fd < 0) {
        *err = 0;
        return true;
    }
    bool ok = flush(err);
    int failed = *err;
    if (ok && regular && !syncfile(fd, &failed)) ok = false;
    untrackrecords(slot);
    slot = -1;
    if (own && ::close(fd) != 0 && ok) ok = false, failed = errno;
    fd = -1;
    *err = ok ? 0 : failed;
    return ok;
}

bool flushall(const std::vector<runfile *> &files, size_t *failed, int *err) {
    *err = 0;
    for (size_t k = 0; k < files.size(); k++) {
        if (!files[k]->isopen() || files[k]->write(err)) continue;
        for (size_t before = 0; before < k; before++) files[before]->cutback();
        for (size_t after = k + 1; after < files.size(); after++) files[after]->pending.clear();
        *failed = k;
        return false;
    }
    std::vector<std::pair<int, off_t>> sizes;
    for (runfile *file : files) {
        file->whole = file->written;
        if (file->slot >= 0) sizes.emplace_back(file->slot, file->whole);
    }
    keepwhole(sizes);
    return true;
}

bool openall(const std::vector<runfile *> &files, const std::vector<std::string> &paths,
             size_t *failed, int *err) {
    for (size_t k = 0; k < files.size(); k++) {
        if (files[k]->open(paths[k], err)) continue;
        for (size_t before = 0; before < k; before++) files[before]->abandon();
        *failed = k;
        return false;
    }
    return true;
}
