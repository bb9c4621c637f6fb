// The POSIX twin of the atomic local-file writer: a temporary file beside the final one, renamed
// into place.
#include "os/atomic_file_writer.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

AtomicFileWriter::AtomicFileWriter(const std::string& finalPath) {
    const size_t slash = finalPath.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    // Created like any new file (mode 0666 less the umask), under a name nobody else uses.
    std::random_device random;
    for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), ".%08x", random());
        m_path = dir + "." + base + suffix;
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (m_fd < 0) {
        m_path.clear();
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    if (!m_path.empty()) {
        ::unlink(m_path.c_str());
    }
}

bool AtomicFileWriter::Write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(m_fd, data, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
        m_written += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool AtomicFileWriter::Commit(const std::string& finalPath, bool failIfExists) {
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!closed) {
        return false;
    }
    const int renamed = failIfExists ? ::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD,
                                                   finalPath.c_str(), RENAME_NOREPLACE)
                                     : ::rename(m_path.c_str(), finalPath.c_str());
    if (renamed != 0) {
        return false;
    }
    m_path.clear();
    return true;
}
