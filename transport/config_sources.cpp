#include "transport/config_sources.h"

#include "os/registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
constexpr const char* kAppsKey = "SOFTWARE\\Vanta Inc\\Apps";
constexpr DWORD kValueBufferSize = 1024;
} // namespace

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

bool RegistryValue(const char* name, std::string& text, bool* isNumber) {
    unsigned char buffer[kValueBufferSize] = {};
    DWORD size = kValueBufferSize;
    DWORD type = 0;
    if (ReadRegistryValue(kAppsKey, name, &type, buffer, &size) != ERROR_SUCCESS) {
        return false;
    }
    const bool dword = type == REG_DWORD && size == sizeof(DWORD);
    if (isNumber != nullptr) {
        *isNumber = dword;
    }
    if (dword) {
        DWORD number = 0;
        std::memcpy(&number, buffer, sizeof(number));
        text = std::to_string(number);
    } else {
        // The text up to its first NUL; a value that fills the buffer without one is cut there.
        const void* nul = std::memchr(buffer, '\0', size);
        text.assign(reinterpret_cast<const char*>(buffer),
                    nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - buffer)
                        : static_cast<size_t>(size));
    }
    return true;
}

bool ParseNumber(const char* text, unsigned long max, unsigned long& number) {
    if (*text < '0' || *text > '9') {
        return false; // strtoul would accept a sign or spaces
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed == 0 || parsed > max) {
        return false;
    }
    number = parsed;
    return true;
}
