// The Win32 twin of the private directories: a random name made with CreateDirectoryW, and a
// directory listing for the removal.
#include "os/local_directories.h"

#include "os/win32/system_errors.h"
#include "os/win32/utf16.h"
#include "os/windows_api.h"

#include <random>

std::string MakeUniqueDirectory(const std::string& prefix) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = prefix;
        for (int i = 0; i < 6; ++i) {
            path += kLetters[random() % (sizeof(kLetters) - 1)];
        }
        std::wstring wide;
        if (!Widen(path, wide)) {
            return {};
        }
        if (CreateDirectoryW(wide.c_str(), nullptr)) {
            return path;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            TakeLastError();
            return {};
        }
    }
    return {};
}

void RemoveDirectoryWithFiles(const std::string& path) {
    std::wstring wide;
    if (!Widen(path, wide)) {
        return;
    }
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW((wide + L"\\" + entry.cFileName).c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(wide.c_str());
}

bool RemoveEmptyDirectory(const std::string& path) {
    std::wstring wide;
    return Widen(path, wide) && RemoveDirectoryW(wide.c_str());
}
