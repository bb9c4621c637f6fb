// The Win32 twin of vanta's small-file read: a file on disk (no pipe, device or directory),
// read with ReadFile.
#include "cli/local_input.h"

#include <windows.h>

#include <string>

namespace {
// The system's text for its last error, without the line end it carries.
std::string LastErrorText() {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, GetLastError(), 0, text, sizeof(text), nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(GetLastError()) : message;
}
} // namespace

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& content,
                   std::string& why) {
    // The name is UTF-8: CreateFileA would read it in the ANSI code page.
    const int needed =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    std::wstring wide(needed > 0 ? static_cast<size_t>(needed) : 0, L'\0');
    if (needed <= 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1,
                                           wide.data(), needed) != needed) {
        why = "cannot read " + path + ": the name is not UTF-8";
        return false;
    }
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = "cannot read " + path + ": " + LastErrorText();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        why = "cannot read " + path + ": not a regular file";
        return false;
    }
    content.clear();
    char buffer[65536];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) {
            why = "cannot read " + path + ": " + LastErrorText();
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        // Measured as it is read: the file may grow after it was looked at.
        if (content.size() + got > limit) {
            why = path + " is longer than " + std::to_string(limit) + " bytes";
            ok = false;
            break;
        }
        content.append(buffer, got);
    }
    CloseHandle(file);
    return ok;
}
