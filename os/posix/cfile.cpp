// The POSIX twin of CFile: one file descriptor, opened without blocking and checked with fstat.
#include "os/cfile.h"

#include "os/failure_reason.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int CauseOf(int osError) {
    switch (osError) {
    case ENOENT:
        return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return CFileException::badPath;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return CFileException::accessDenied;
    case EBADF:
        return CFileException::invalidFile;
    case ENOSPC:
    case EDQUOT:
        return CFileException::diskFull;
    default:
        return CFileException::genericException;
    }
}

int OpenMode(UINT flags) {
    int mode = O_RDONLY;
    if (flags & CFile::modeReadWrite) {
        mode = O_RDWR;
    } else if (flags & CFile::modeWrite) {
        mode = O_WRONLY;
    }
    if (flags & CFile::modeCreate) {
        // Truncation waits until the file has been checked: see the constructor.
        mode |= O_CREAT;
    }
    if (flags & CFile::modePrivate) {
        mode |= O_NOFOLLOW;
    }
    // A FIFO or a device would block the open (and later every read) for ever; without
    // blocking the open returns and the type check below refuses it.
    return mode | O_CLOEXEC | O_NONBLOCK;
}

// Why an open file may not be used, or 0: only regular files are read and written; a private
// file must also be the user's own and have no second name (a planted hard link would carry
// what is written to wherever the planter chose).
int RefusalOf(const struct stat& info, UINT flags) {
    if (S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    if (!S_ISREG(info.st_mode)) {
        return EINVAL;
    }
    if ((flags & CFile::modePrivate) && (info.st_uid != ::geteuid() || info.st_nlink != 1)) {
        return EACCES;
    }
    return 0;
}
} // namespace

CFile::CFile(LPCTSTR fileName, UINT openFlags) : m_path(fileName) {
    do {
        m_fd = ::open(m_path.GetString(), OpenMode(openFlags),
                      (openFlags & modePrivate) ? 0600 : 0666);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        Throw("open", errno);
    }
    struct stat info {};
    int error = ::fstat(m_fd, &info) != 0 ? errno : RefusalOf(info, openFlags);
    const bool truncate = (openFlags & modeCreate) && !(openFlags & modeNoTruncate);
    if (error == 0 && truncate && ::ftruncate(m_fd, 0) != 0) {
        error = errno;
    }
    // Reads and writes of a regular file never block; the flag is dropped all the same, so
    // that the descriptor behaves as an ordinary one.
    if (error == 0 && ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(m_fd);
        m_fd = -1;
        // The refusal of a FIFO, a device or a socket is ours, not the system's: say so.
        Throw("open", error, error == EINVAL ? "not a regular file" : nullptr);
    }
}

CFile::~CFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::uint64_t CFile::GetLength() const {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        Throw("examine", errno);
    }
    return static_cast<std::uint64_t>(info.st_size);
}

UINT CFile::Read(void* buffer, UINT count) {
    while (true) {
        const ssize_t got = ::read(m_fd, buffer, count);
        if (got >= 0) {
            return static_cast<UINT>(got);
        }
        if (errno != EINTR) {
            Throw("read", errno);
        }
    }
}

void CFile::SeekTo(std::uint64_t offset) {
    if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        Throw("seek in", errno);
    }
}

void CFile::Write(const void* buffer, UINT count) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t put = ::write(m_fd, bytes, count);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Throw("write", errno);
        }
        bytes += put;
        count -= static_cast<UINT>(put);
    }
}

void CFile::Close() {
    if (m_fd < 0) {
        return;
    }
    const int fd = m_fd;
    m_fd = -1;
    // close() reports delayed write errors (NFS, quota); the descriptor is gone either way.
    if (::close(fd) != 0 && errno != EINTR) {
        Throw("close", errno);
    }
}

CString CFile::GetFileName() const {
    const int slash = m_path.ReverseFind('/');
    return slash < 0 ? m_path : m_path.Mid(slash + 1);
}

void CFile::Throw(const char* action, int osError, const char* detail) const {
    SetFailureReason(FailureKind::LocalFile,
                     std::string("cannot ") + action + " local file " + m_path.GetString() + ": " +
                         (detail != nullptr ? detail : std::strerror(osError)));
    throw CFileException(CauseOf(osError), osError, m_path);
}
