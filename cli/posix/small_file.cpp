// The POSIX twin of vanta's small-file read: a non-blocking open, fstat and read.
#include "cli/local_input.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};
} // namespace

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& content,
                   std::string& why) {
    const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (file.Get() < 0 || fstat(file.Get(), &status) != 0) {
        why = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        why = "cannot read " + path + ": not a regular file";
        return false;
    }
    content.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(file.Get(), buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            why = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) {
            return true;
        }
        // Measured as it is read: the file may grow after it was looked at.
        if (content.size() + static_cast<size_t>(got) > limit) {
            why = path + " is longer than " + std::to_string(limit) + " bytes";
            return false;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
}
