// The POSIX twin of the temporary directory: $TMPDIR, or a private directory under /tmp.
#include "os/temp_path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Another user may have made the path first, as a link or a directory of their own, to read
// or replace what the library writes there: such a directory is refused, never repaired.
bool PrivateDirectory(std::string& path) {
    const uid_t uid = geteuid();
    path = "/tmp/vanta-" + std::to_string(uid);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return false;
    }
    // A directory whose mode lets others in (made so by its owner, or by a umask) would let
    // them read the info file or plant names beside it.
    return S_ISDIR(info.st_mode) && info.st_uid == uid && (info.st_mode & 07777) == 0700;
}
} // namespace

DWORD LibraryTempPath(DWORD bufferLength, LPTSTR buffer) {
    std::string path;
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment && *fromEnvironment) {
        path = fromEnvironment;
    } else if (!PrivateDirectory(path)) {
        return 0;
    }
    if (path.back() != '/') {
        path += '/';
    }
    const auto length = static_cast<DWORD>(path.size());
    if (!buffer || bufferLength <= length) {
        return length + 1;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

BOOL DeleteLocalFile(LPCTSTR fileName) {
    return fileName && ::unlink(fileName) == 0 ? TRUE : FALSE;
}
