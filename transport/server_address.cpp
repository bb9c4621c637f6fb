#include "platform/registry.h"
#include "transport/globals.h"

#include <cstring>

namespace {
constexpr const char* kAppsKey = "SOFTWARE\\Vanta Inc\\Apps";
constexpr const char* kServerValue = "Server";
constexpr DWORD kServerBufferSize = 1024;

constexpr char kLogin[] = "mossbay";
} // namespace

const char* const LoginName = kLogin;
const char* const LoginPassword = kLogin;

CString ReadServerAddress() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return CString(kDefaultServiceHost);
    }
    unsigned char buffer[kServerBufferSize] = {};
    DWORD size = kServerBufferSize;
    const LSTATUS queried = RegQueryValueExA(key, kServerValue, nullptr, nullptr, buffer, &size);
    RegCloseKey(key);
    if (queried != ERROR_SUCCESS) {
        return CString(kDefaultServiceHost);
    }
    // The text up to its first NUL; a value that fills the buffer without one is cut there.
    const void* nul = std::memchr(buffer, '\0', size);
    const size_t length = nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - buffer)
                              : static_cast<size_t>(size);
    return CString(reinterpret_cast<const char*>(buffer), static_cast<int>(length));
}
