// The POSIX side of result files. A device or a pipe is opened in prepare()
// with O_NONBLOCK: a FIFO without a reader then fails at once with ENXIO
// instead of blocking, and the descriptor is kept (blocking again) for the
// write. Everything else is written through mkstemp in the target's folder
// and rename(2), which replaces the name in one step; the new file gets the
// old file's permission bits, or those a new file would get under the umask.
#include "platform/outputs.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cleanup.h"
#include "platform/shown.h"

namespace {

constexpr mode_t newfilemode = 0666;     // permission bits of a new file before the umask
constexpr mode_t permissionbits = 07777; // the bits of st_mode that chmod sets

std::string quoted(const std::string &path) {
    return terminaltext(path);
}

// The folder part of a file name ("." for a bare name).
std::string folderof(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Writes all of text to fd; false with errno set.
bool writeall(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = EIO;
            return false;
        }
        done += (size_t)put;
    }
    return true;
}

// The umask, read without changing it for good.
mode_t currentumask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

fileidentity identify(const std::string &path) {
    if (path == "-") return identifyfd(STDOUT_FILENO);
    fileidentity id;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
        return id;
    }
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (!ec) full = std::filesystem::weakly_canonical(full, ec);
    id.name = ec ? path : full.lexically_normal().string();
    return id;
}

fileidentity identifyfd(int fd) {
    fileidentity id;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
    }
    return id;
}

bool samefile(const fileidentity &a, const fileidentity &b) {
    if (a.exists != b.exists) return false;
    if (a.exists) return a.device == b.device && a.inode == b.inode;
    return !a.name.empty() && a.name == b.name;
}

outputfile::~outputfile() {
    if (directfd >= 0) ::close(directfd);
}

bool outputfile::prepare(const std::string &path, std::string *why) {
    target = path;
    final = path;
    if (directfd >= 0) ::close(directfd);
    directfd = -1;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            *why = quoted(path) + " is a folder";
            return false;
        }
        if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
            int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0 && errno == ENXIO && S_ISFIFO(info.st_mode)) {
                *why = quoted(path) + " is a FIFO that no one reads";
                return false;
            }
            if (fd < 0) {
                *why = "cannot write " + quoted(path) + ": " + std::strerror(errno);
                return false;
            }
            int flags = fcntl(fd, F_GETFL);
            if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
            directfd = fd;
            return true;
        }
        if (!S_ISREG(info.st_mode)) {
            *why = quoted(path) + " is not a regular file";
            return false;
        }
        // A link is followed: the file it leads to is replaced, the link kept.
        final = replacedname(path);
        if (access(final.c_str(), W_OK) != 0) {
            *why = "cannot write " + quoted(path) + ": " + std::strerror(errno);
            return false;
        }
    } else if (errno != ENOENT) {
        *why = "cannot write " + quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    const std::string dir = folderof(final);
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        *why = "cannot write in " + quoted(dir) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool outputfile::write(const std::string &text, std::string *why) {
    if (directfd >= 0) {
        bool ok = writeall(directfd, text);
        int err = errno;
        if (::close(directfd) != 0 && ok) ok = false, err = errno;
        directfd = -1;
        if (!ok) *why = std::strerror(err);
        return ok;
    }
    std::string temp;
    int err = 0;
    int fd = maketemp(final, &temp, &err);
    if (fd < 0) {
        *why = std::strerror(err);
        return false;
    }
    bool ok = writeall(fd, text);
    err = errno;
    if (ok && !syncfile(fd, &err)) ok = false;
    if (::close(fd) != 0 && ok) ok = false, err = errno;
    if (ok && rename(temp.c_str(), final.c_str()) != 0) ok = false, err = errno;
    if (ok)
        untracktemp(temp);
    else
        droptemp(temp);
    if (!ok) *why = std::strerror(err != 0 ? err : EIO);
    return ok;
}

std::string replacedname(const std::string &path) {
    char *real = realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string name = real;
    std::free(real);
    return name;
}

int maketemp(const std::string &final, std::string *temp, int *err) {
    const size_t slash = final.rfind('/');
    const std::string base = final.substr(slash == std::string::npos ? 0 : slash + 1);
    *temp = folderof(final) + "/." + base + ".XXXXXX";
    int fd = mkostemp(&(*temp)[0], O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return -1;
    }
    tracktemp(*temp);
    struct stat info;
    mode_t mode = stat(final.c_str(), &info) == 0 ? info.st_mode & permissionbits
                                                  : newfilemode & ~currentumask();
    if (fchmod(fd, mode) != 0) {
        *err = errno;
        ::close(fd);
        droptemp(*temp);
        return -1;
    }
    return fd;
}

bool syncfile(int fd, int *err) {
    while (fsync(fd) != 0) {
        if (errno == EINTR) continue;
        *err = errno;
        return false;
    }
    return true;
}

void droptemp(const std::string &temp) {
    // Out of the table before the file goes, so that a signal in between
    // removes nothing that a later file may reuse.
    untracktemp(temp);
    unlink(temp.c_str());
}

bool writeoutputfile(const std::string &path, const std::string &text, std::string *why) {
    outputfile out;
    if (!out.prepare(path, why)) return false;
    if (out.write(text, why)) return true;
    *why = "cannot write " + quoted(path) + ": " + *why;
    return false;
}

bool makefolders(const std::string &path, std::string *why) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) {
        *why = "cannot make the folder " + quoted(path) + ": " + ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(path, ec)) {
        *why = quoted(path) + " is not a folder";
        return false;
    }
    return true;
}

namespace {
int stdoutfailure = 0; // the system's error of the first failed putstdout; 0: none
} // namespace

void putstdout(const std::string &text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && stdoutfailure == 0)
        stdoutfailure = errno != 0 ? errno : EIO;
}

bool stdoutwritten(std::string *why) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    const int err = stdoutfailure != 0 ? stdoutfailure : errno;
    *why = std::strerror(err != 0 ? err : EIO);
    return false;
}

bool closestdout(std::string *why) {
    if (!stdoutwritten(why)) return false;
    errno = 0;
    if (std::fclose(stdout) == 0) return true;
    *why = std::strerror(errno != 0 ? errno : EIO);
    return false;
}
