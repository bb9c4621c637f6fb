// The Win32 twin of CFile: a file opened with CreateFileW (the name in UTF-8), checked through
// its handle, then read and written through the C runtime's descriptor for that handle.
#include "os/cfile.h"

#include "os/failure_reason.h"
#include "os/win32/system_errors.h"
#include "os/win32/utf16.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>

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
        return CFileException::diskFull;
    default:
        return CFileException::genericException;
    }
}

// Why an open file may not be used, or 0: only files on disk are read and written (not a
// directory, a pipe or a device); a private file must also be no link and have no second name
// (a planted hard link would carry what is written to wherever the planter chose).
int RefusalOf(HANDLE file, UINT flags) {
    if (GetFileType(file) != FILE_TYPE_DISK) {
        return EINVAL;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        return TakeLastError();
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EISDIR;
    }
    if ((flags & CFile::modePrivate) != 0 &&
        ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks != 1)) {
        return EACCES;
    }
    return 0;
}
} // namespace

CFile::CFile(LPCTSTR fileName, UINT openFlags) : m_path(fileName) {
    std::wstring wide;
    if (!Widen(m_path.view(), wide)) {
        Throw("open", EINVAL, "not a valid UTF-8 name");
    }
    DWORD access = GENERIC_READ;
    int runtimeFlags = _O_BINARY | _O_RDONLY;
    if (openFlags & modeReadWrite) {
        access = GENERIC_READ | GENERIC_WRITE;
        runtimeFlags = _O_BINARY | _O_RDWR;
    } else if (openFlags & modeWrite) {
        access = GENERIC_WRITE;
        runtimeFlags = _O_BINARY | _O_WRONLY;
    }
    // Truncation waits until the file has been checked, as on POSIX. A directory opens only
    // with backup semantics, and is then refused as one rather than as a refusal of access.
    const DWORD disposition = (openFlags & modeCreate) ? OPEN_ALWAYS : OPEN_EXISTING;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS;
    if (openFlags & modePrivate) {
        attributes |= FILE_FLAG_OPEN_REPARSE_POINT; // the link itself, never where it leads
    }
    const HANDLE file =
        CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Throw("open", TakeLastError());
    }
    int error = RefusalOf(file, openFlags);
    const bool truncate = (openFlags & modeCreate) && !(openFlags & modeNoTruncate);
    if (error == 0 && truncate && !SetEndOfFile(file)) {
        error = TakeLastError();
    }
    if (error == 0) {
        m_fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), runtimeFlags);
        error = m_fd < 0 ? EMFILE : 0;
    }
    if (error != 0) {
        CloseHandle(file);
        m_fd = -1;
        // The refusal of a pipe or a device is ours, not the system's: say so.
        Throw("open", error, error == EINVAL ? "not a regular file" : nullptr);
    }
}

CFile::~CFile() {
    if (m_fd >= 0) {
        _close(m_fd);
    }
}

std::uint64_t CFile::GetLength() const {
    const long long length = _filelengthi64(m_fd);
    if (length < 0) {
        Throw("examine", errno);
    }
    return static_cast<std::uint64_t>(length);
}

UINT CFile::Read(void* buffer, UINT count) {
    const int got = _read(m_fd, buffer, count);
    if (got < 0) {
        Throw("read", errno);
    }
    return static_cast<UINT>(got);
}

void CFile::SeekTo(std::uint64_t offset) {
    if (_lseeki64(m_fd, static_cast<long long>(offset), SEEK_SET) < 0) {
        Throw("seek in", errno);
    }
}

void CFile::Write(const void* buffer, UINT count) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (count > 0) {
        const int put = _write(m_fd, bytes, count);
        if (put <= 0) {
            Throw("write", put < 0 ? errno : ENOSPC);
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
    if (_close(fd) != 0) {
        Throw("close", errno);
    }
}

CString CFile::GetFileName() const {
    // Either slash separates a path here, and a drive's colon ends its prefix.
    const std::string_view path = m_path.view();
    const size_t separator = path.find_last_of("/\\:");
    return separator == std::string_view::npos ? m_path
                                               : m_path.Mid(static_cast<int>(separator + 1));
}

void CFile::Throw(const char* action, int osError, const char* detail) const {
    SetFailureReason(FailureKind::LocalFile,
                     std::string("cannot ") + action + " local file " + m_path.GetString() + ": " +
                         (detail != nullptr ? detail : std::strerror(osError)));
    throw CFileException(CauseOf(osError), osError, m_path);
}
