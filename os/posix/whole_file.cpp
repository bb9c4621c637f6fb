// The POSIX twin of the whole-file reads: a non-blocking open, fstat, read or mmap.
#include "os/whole_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct Closer {
    void operator()(const int* fd) const {
        ::close(*fd);
        delete fd;
    }
};
using OpenFile = std::unique_ptr<int, Closer>;

// Opens `path` for reading without blocking (a FIFO must not hold the caller) and proves it a
// regular file; null with `problem` set otherwise.
OpenFile OpenRegular(const std::string& path, struct stat& info, std::string& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem = path + " cannot be read: " + std::strerror(errno);
        return nullptr;
    }
    OpenFile file(new int(fd));
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = path + " is not a regular file";
        return nullptr;
    }
    return file;
}
} // namespace

bool ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                   std::string& problem) {
    struct stat info {};
    const OpenFile file = OpenRegular(path, info, problem);
    if (!file) {
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
        problem = path + " is too large (" + std::to_string(info.st_size) + " bytes)";
        return false;
    }
    // One byte more than the size, to notice a file that grew since it was measured.
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(*file, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            problem = path + " cannot be read: " + std::strerror(errno);
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    if (got > limit) {
        problem = path + " is too large";
        return false;
    }
    bytes.resize(got);
    return true;
}

MappedFile::MappedFile(const std::string& path) {
    struct stat info {};
    const OpenFile file = OpenRegular(path, info, m_problem);
    if (!file) {
        return;
    }
    const auto size = static_cast<size_t>(info.st_size);
    if (size == 0) {
        return;
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, *file, 0);
    if (mapped == MAP_FAILED) {
        m_problem = path + " cannot be read: " + std::strerror(errno);
        return;
    }
    m_view = mapped;
    m_size = size;
}

MappedFile::~MappedFile() {
    if (m_view != nullptr) {
        ::munmap(m_view, m_size);
    }
}
