// The POSIX twin of the local file checks: stat of what stands at a path, without following
// links and without waiting on a FIFO; rename, which replaces a file in one step.
#include "os/local_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool LocalNameTaken(const char* path) {
    struct stat existing {};
    return ::lstat(path, &existing) == 0;
}

bool ReplaceLocalFile(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

std::string LocalFileProblem(const char* path) {
    int fd = -1;
    do {
        fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat info {};
    std::string problem;
    if (::fstat(fd, &info) != 0) {
        problem = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        problem = "it is a directory";
    } else if (!S_ISREG(info.st_mode)) {
        problem = "not a regular file";
    }
    ::close(fd);
    return problem;
}
