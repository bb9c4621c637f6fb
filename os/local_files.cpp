// Local files as the library names and measures them: what is the same on every system.
#include "os/local_files.h"

#include "os/cfile.h"
#include "os/failure_reason.h"

#include <string>

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
