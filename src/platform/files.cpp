// POSIX calls behind the solver's reading of files. An instance file is
// opened with O_NONBLOCK and checked with fstat before a byte is read: a
// FIFO would otherwise block the whole batch on open or read, and a folder
// reads as an empty file.
#include "platform/files.h"

#include <cerrno>
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
