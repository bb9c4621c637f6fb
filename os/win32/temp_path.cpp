// The Win32 twin of the temporary directory: the user's own, as the system names it (TMP,
// TEMP, the profile's), which other users cannot enter.
#include "os/temp_path.h"

#include "os/win32/utf16.h"
#include "os/windows_api.h"

#include <algorithm>
#include <cstring>
#include <string>

DWORD LibraryTempPath(DWORD bufferLength, LPTSTR buffer) {
    wchar_t wide[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, wide);
    if (length == 0 || length > MAX_PATH) {
        return 0;
    }
    std::string path = Narrow(std::wstring_view(wide, length));
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty()) {
        return 0;
    }
    if (path.back() != '/') {
        path += '/';
    }
    const auto size = static_cast<DWORD>(path.size());
    if (!buffer || bufferLength <= size) {
        return size + 1;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return size;
}

BOOL DeleteLocalFile(LPCTSTR fileName) {
    std::wstring wide;
    return fileName && Widen(fileName, wide) && DeleteFileW(wide.c_str()) ? TRUE : FALSE;
}
