// The clock counts from the first use of this file's statics, which happens
// before main runs. The key is read from /dev/tty, not from standard input,
// so that a run whose answers are piped in still waits for a person at the
// terminal; without a controlling terminal (a batch job, a test run under
// setsid) the open fails and the wait is skipped.
#include "platform/platform.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

static const std::chrono::steady_clock::time_point processstart = std::chrono::steady_clock::now();

int mstime() {
    auto since = std::chrono::steady_clock::now() - processstart;
    return (int)std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
}

long long ustime() {
    auto since = std::chrono::steady_clock::now() - processstart;
    return (long long)std::chrono::duration_cast<std::chrono::microseconds>(since).count();
}

bool waitkey() {
    int fd = open("/dev/tty", O_RDONLY | O_NOCTTY);
    if (fd < 0) return false;
    struct termios saved;
    if (!isatty(fd) || tcgetattr(fd, &saved) != 0) {
        close(fd);
        return false;
    }
    bool waited = false;
    struct termios raw = saved;
    raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &raw) == 0) {
        char key;
        ssize_t got;
        while ((got = read(fd, &key, 1)) < 0 && errno == EINTR) {
        }
        waited = got == 1;
        tcsetattr(fd, TCSANOW, &saved);
    }
    close(fd);
    return waited;
}

bool sameterminal(int a, int b) {
    struct stat sa, sb;
    return isatty(a) && isatty(b) && fstat(a, &sa) == 0 && fstat(b, &sb) == 0 &&
           sa.st_rdev == sb.st_rdev;
}
