#include "os/local_files.h"

#include "os/cfile.h"
#include "os/failure_reason.h"

#include <string>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool HoldsNul(const CString& text) {
    return text.view().find('\0') != std::string_view::npos;
}

const char* WholePath(const CString& path) {
    if (HoldsNul(path)) {
        throw CFileException(CFileException::badPath, 0, path);
    }
    return path.GetString();
}

std::uint64_t MeasureLocalFile(const CString& path, CString* name) {
    CFile file(WholePath(path), CFile::modeRead);
    const std::uint64_t length = file.GetLength();
    if (name != nullptr) {
        *name = file.GetFileName();
    }
    file.Close();
    return length;
}

bool SentAsMeasured(const CFile& local, const CString& path, std::uint64_t measured,
                    std::uint64_t given) {
    const std::uint64_t now = local.GetLength();
    if (given == measured && now == measured) {
        return true;
    }
    SetFailureReason(FailureKind::LocalFile,
                     "local file " + path.str() + " changed while it was sent: measured " +
                         std::to_string(measured) + " bytes, sent " + std::to_string(given) +
                         ", now " + std::to_string(now) + " bytes long");
    return false;
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
