// The Win32 twin of the atomic local-file writer: a temporary file beside the final one,
// moved into place with MoveFileExW.
#include "os/atomic_file_writer.h"

#include "os/win32/system_errors.h"
#include "os/win32/utf16.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <share.h>
#include <sys/stat.h>

AtomicFileWriter::AtomicFileWriter(const std::string& finalPath) {
    // Either slash separates a path here.
    const size_t slash = finalPath.find_last_of("/\\");
    const std::string dir = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    std::random_device random;
    for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), ".%08x", random());
        m_path = dir + "." + base + suffix;
        std::wstring wide;
        if (!Widen(m_path, wide)) {
            errno = EINVAL;
            break;
        }
        const errno_t opened = _wsopen_s(&m_fd, wide.c_str(),
                                         _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                                         _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (opened != 0) {
            m_fd = -1;
            errno = opened;
            if (opened != EEXIST) {
                break;
            }
        }
    }
    if (m_fd < 0) {
        m_path.clear();
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0) {
        _close(m_fd);
    }
    std::wstring wide;
    if (!m_path.empty() && Widen(m_path, wide)) {
        _wunlink(wide.c_str());
    }
}

bool AtomicFileWriter::Write(const char* data, size_t size) {
    while (size > 0) {
        const auto piece = static_cast<unsigned>(size < 0x40000000 ? size : 0x40000000);
        const int put = _write(m_fd, data, piece);
        if (put <= 0) {
            if (put == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
        m_written += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool AtomicFileWriter::Commit(const std::string& finalPath, bool failIfExists) {
    const bool closed = _close(m_fd) == 0;
    m_fd = -1;
    if (!closed) {
        return false;
    }
    std::wstring from;
    std::wstring to;
    if (!Widen(m_path, from) || !Widen(finalPath, to)) {
        errno = EINVAL;
        return false;
    }
    // Without MOVEFILE_REPLACE_EXISTING an existing file there is kept and the move fails.
    if (!MoveFileExW(from.c_str(), to.c_str(),
                     failIfExists ? 0 : static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING))) {
        TakeLastError();
        return false;
    }
    m_path.clear();
    return true;
}
