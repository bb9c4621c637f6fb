#include "platform/cfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
        mode |= O_CREAT;
        if (!(flags & CFile::modeNoTruncate)) {
            mode |= O_TRUNC;
        }
    }
    if (flags & CFile::modePrivate) {
        mode |= O_NOFOLLOW;
    }
    return mode | O_CLOEXEC;
}
} // namespace

CFile::CFile(LPCTSTR fileName, UINT openFlags)
    : m_path(fileName), m_readOnly((openFlags & (modeWrite | modeReadWrite)) == 0) {
    do {
        m_fd = ::open(m_path.GetString(), OpenMode(openFlags),
                      (openFlags & modePrivate) ? 0600 : 0666);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        Throw(errno);
    }
    struct stat info {};
    const bool statFailed = ::fstat(m_fd, &info) != 0;
    const bool foreign = !statFailed && (openFlags & modePrivate) && info.st_uid != ::geteuid();
    if (statFailed || S_ISDIR(info.st_mode) || foreign) {
        const int error = statFailed ? errno : foreign ? EACCES : EISDIR;
        ::close(m_fd);
        m_fd = -1;
        Throw(error);
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
        Throw(errno);
    }
    return static_cast<std::uint64_t>(info.st_size);
}

size_t CFile::ReadSome(void* buffer, size_t count) {
    while (true) {
        const ssize_t got = ::read(m_fd, buffer, count);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            Throw(errno);
        }
    }
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!m_readOnly || count >= kReadAheadBytes) {
        if (m_aheadStart == m_aheadEnd) {
            return static_cast<UINT>(ReadSome(buffer, count));
        }
    } else if (m_aheadStart == m_aheadEnd) {
        if (!m_ahead) {
            m_ahead = std::make_unique<char[]>(kReadAheadBytes);
        }
        m_aheadStart = 0;
        m_aheadEnd = ReadSome(m_ahead.get(), kReadAheadBytes);
    }
    const size_t piece = std::min<size_t>(count, m_aheadEnd - m_aheadStart);
    if (piece > 0) {
        std::memcpy(buffer, m_ahead.get() + m_aheadStart, piece);
        m_aheadStart += piece;
    }
    return static_cast<UINT>(piece);
}

void CFile::Write(const void* buffer, UINT count) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t put = ::write(m_fd, bytes, count);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Throw(errno);
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
        Throw(errno);
    }
}

CString CFile::GetFileName() const {
    const int slash = m_path.ReverseFind('/');
    return slash < 0 ? m_path : m_path.Mid(slash + 1);
}

void CFile::Throw(int osError) const {
    throw CFileException(CauseOf(osError), osError, m_path);
}
