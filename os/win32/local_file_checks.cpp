// The Win32 twin of the local file checks: the file's attributes, links not followed; a move
// that replaces its target.
#include "os/local_files.h"

#include "os/win32/system_errors.h"
#include "os/win32/utf16.h"

#include <cerrno>
#include <cstring>

bool LocalNameTaken(const char* path) {
    std::wstring wide;
    return Widen(path, wide) && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReplaceLocalFile(const char* from, const char* to) {
    // The C runtime's rename keeps an existing target and fails: the system's move replaces it.
    std::wstring wideFrom;
    std::wstring wideTo;
    if (!Widen(from, wideFrom) || !Widen(to, wideTo)) {
        errno = EINVAL;
        return false;
    }
    if (!MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        TakeLastError();
        return false;
    }
    return true;
}

std::string LocalFileProblem(const char* path) {
    std::wstring wide;
    if (!Widen(path, wide)) {
        return "not a valid UTF-8 name";
    }
    // Opened for reading, as the file will be; a directory opens only with backup semantics,
    // and is then refused as one.
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::strerror(TakeLastError());
    }
    std::string problem;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        problem = "not a regular file";
    } else if (!GetFileInformationByHandle(file, &info)) {
        problem = std::strerror(TakeLastError());
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        problem = "it is a directory";
    }
    CloseHandle(file);
    return problem;
}
