// POSIX calls behind the solver's file handling. An instance file is opened
// with O_NONBLOCK and checked with fstat before a byte is read: a FIFO would
// otherwise block the whole batch on open or read, and a folder reads as an
// empty file. Result files are written with write(2) on a descriptor opened
// for appending; the size before each flush is known, so a short or failed
// write is undone with ftruncate instead of leaving a torn record. A file
// opened whole is such a descriptor on a temporary file of outputs.h,
// renamed over the result file at the end.
#include "platform/files.h"

#include "platform/outputs.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

constexpr size_t readchunk = 1 << 16; // bytes asked for per read beyond the known size

readstatus readwhole(const char *name, std::string *bytes, int *err) {
    *err = 0;
    bytes->clear();
    int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *err = errno;
        return errno == ENOENT || errno == ENOTDIR ? readstatus::missing : readstatus::unopenable;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        *err = errno;
        ::close(fd);
        return readstatus::failed;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return readstatus::notregular;
    }
    size_t have = 0;
    bytes->resize((size_t)info.st_size + readchunk);
    for (;;) {
        if (have == bytes->size()) bytes->resize(bytes->size() + readchunk);
        ssize_t got = ::read(fd, &(*bytes)[have], bytes->size() - have);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *err = errno;
            ::close(fd);
            bytes->clear();
            return readstatus::failed;
        }
        if (got == 0) break;
        have += (size_t)got;
    }
    ::close(fd);
    bytes->resize(have);
    return readstatus::ok;
}

recordfile::~recordfile() {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) droptemp(temp);
}

bool recordfile::openwhole(const char *name, int *err) {
    struct stat info;
    const bool exists = stat(name, &info) == 0;
    if (exists && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))) return open(name, err);
    // A folder or another special file cannot be replaced; an existing file
    // must be writable, as open() would demand.
    if (exists && !S_ISREG(info.st_mode)) {
        *err = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && access(name, W_OK) != 0) {
        *err = errno;
        return false;
    }
    filename = name;
    pending.clear();
    final = replacedname(name);
    fd = maketemp(final, &temp, err);
    if (fd < 0) {
        temp.clear();
        return false;
    }
    *err = 0;
    return true;
}

bool recordfile::open(const char *name, int *err) {
    filename = name;
    pending.clear();
    // Without O_NONBLOCK a FIFO with no reader would block the open for good;
    // once open, writes may block as usual.
    fd = ::open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    *err = 0;
    return true;
}

bool recordfile::empty(int *err) {
    pending.clear();
    // Only a regular file can be emptied; a device such as /dev/null has
    // nothing to empty.
    struct stat info;
    *err = 0;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ftruncate(fd, 0) != 0) *err = errno;
    return *err == 0;
}

void recordfile::put(const char *fmt, ...) {
    char small[256];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (n < 0) return;
    if ((size_t)n < sizeof small) {
        pending.append(small, (size_t)n);
        return;
    }
    size_t at = pending.size();
    pending.resize(at + (size_t)n + 1);
    va_start(args, fmt);
    std::vsnprintf(&pending[at], (size_t)n + 1, fmt, args);
    va_end(args);
    pending.resize(at + (size_t)n);
}

bool recordfile::flush(int *err) {
    *err = 0;
    if (pending.empty()) return true;
    off_t before = lseek(fd, 0, SEEK_END);
    size_t done = 0;
    while (done < pending.size()) {
        ssize_t put = ::write(fd, pending.data() + done, pending.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            *err = put < 0 ? errno : EIO;
            if (before >= 0 && ftruncate(fd, before) != 0) {
                // Nothing more can be done; the caller stops the run.
            }
            pending.clear();
            return false;
        }
        done += (size_t)put;
    }
    pending.clear();
    return true;
}

bool recordfile::finish(int *err) {
    if (fd < 0) {
        *err = 0;
        return true;
    }
    bool ok = flush(err);
    // Only a temporary file becomes a result by its rename; a device or a
    // pipe written directly has nothing to make durable.
    if (ok && !temp.empty() && !syncfile(fd, err)) ok = false;
    if (::close(fd) != 0 && ok) {
        *err = errno;
        ok = false;
    }
    fd = -1;
    return ok;
}

bool recordfile::commit(int *err) {
    *err = 0;
    if (temp.empty()) return true;
    const bool ok = rename(temp.c_str(), final.c_str()) == 0;
    if (ok) {
        untracktemp(temp);
    } else {
        *err = errno;
        droptemp(temp);
    }
    temp.clear();
    return ok;
}

bool recordfile::close(int *err) {
    if (!finish(err)) {
        if (!temp.empty()) droptemp(temp);
        temp.clear();
        return false;
    }
    return commit(err);
}

void guardstdstreams() {
    for (int std = 0; std <= 2; std++) {
        if (fcntl(std, F_GETFD) != -1 || errno != EBADF) continue;
        int fd = ::open("/dev/null", std == 0 ? O_RDONLY : O_WRONLY);
        if (fd >= 0 && fd != std) {
            dup2(fd, std);
            ::close(fd);
        }
    }
}
