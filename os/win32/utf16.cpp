// UTF-8 <-> UTF-16 for the Win32 twin, by the system's own conversions.
#include "os/win32/utf16.h"

#include "os/windows_api.h"

#include <climits>

bool Widen(std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) {
        return true;
    }
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        return false;
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    wide.resize(static_cast<size_t>(needed));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                               needed) == needed;
}

std::string Narrow(std::wstring_view wide) {
    std::string text;
    if (wide.empty() || wide.size() > static_cast<size_t>(INT_MAX) / 3) {
        return text;
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return text;
    }
    text.resize(static_cast<size_t>(needed));
    const int made =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
    text.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return text;
}
