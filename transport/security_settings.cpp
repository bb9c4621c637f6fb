#include "transport/security_settings.h"

#include "platform/registry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

namespace {
constexpr const char* kAppsKey = "SOFTWARE\\Vanta Inc\\Apps";
constexpr DWORD kValueBufferSize = 1024;
constexpr unsigned long kMaxPort = 65535;

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// One value of the Apps key: a string as its text, a DWORD in decimal. False when there is no
// such value (or no file, or no key).
bool RegistryValue(const char* name, std::string& text) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    unsigned char buffer[kValueBufferSize] = {};
    DWORD size = kValueBufferSize;
    DWORD type = 0;
    const bool found = RegQueryValueExA(key, name, nullptr, &type, buffer, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!found) {
        return false;
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, buffer, sizeof(number));
        text = std::to_string(number);
    } else {
        const void* nul = std::memchr(buffer, '\0', size);
        text.assign(reinterpret_cast<const char*>(buffer),
                    nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - buffer)
                        : static_cast<size_t>(size));
    }
    return true;
}

// The setting from $`variable`, else the registry value `value`; false when neither has it.
bool Source(const char* variable, const char* value, std::string& text, std::string& origin) {
    if (const char* set = Environment(variable)) {
        text = set;
        origin = variable;
        return true;
    }
    if (value != nullptr && RegistryValue(value, text) && !text.empty()) {
        origin = std::string("registry value ") + value;
        return true;
    }
    return false;
}

void Note(std::string& problems, const std::string& text) {
    problems += problems.empty() ? "" : "; ";
    problems += text;
}

void ReadTls(ServiceConfig& config, std::string& problems) {
    std::string text;
    std::string origin;
    if (!Source("VANTA_TLS", "TLS", text, origin)) {
        return;
    }
    for (const char* on : {"1", "on", "yes", "true"}) {
        if (strcasecmp(text.c_str(), on) == 0) {
            config.tls = true;
            return;
        }
    }
    for (const char* off : {"0", "off", "no", "false"}) {
        if (strcasecmp(text.c_str(), off) == 0) {
            config.tls = false;
            return;
        }
    }
    config.tls = true;
    Note(problems, origin + "=" + text + " is not on or off; TLS is on");
}

void ReadCaFile(ServiceConfig& config, std::string& problems) {
    std::string origin;
    if (!Source("VANTA_CA_FILE", "CAFile", config.caFile, origin)) {
        return;
    }
    // Kept even when unreadable: the connections then fail and say why, rather than trust
    // less than was asked for in silence.
    if (::access(config.caFile.c_str(), R_OK) != 0) {
        Note(problems, origin + "=" + config.caFile + " cannot be read: " + std::strerror(errno));
    }
}

void ReadHttpsPort(ServiceConfig& config, std::string& problems) {
    const char* text = Environment("VANTA_HTTPS_PORT");
    if (text == nullptr) {
        return;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long port = std::strtoul(text, &end, 10);
    if (*text >= '0' && *text <= '9' && errno == 0 && *end == '\0' && port >= 1 &&
        port <= kMaxPort) {
        config.httpsPort = static_cast<unsigned>(port);
        return;
    }
    Note(problems, std::string("VANTA_HTTPS_PORT=") + text + " is not a port number (1 to 65535)");
}
} // namespace

void LoadSecuritySettings(ServiceConfig& config, ConfigProblems& problems) noexcept {
    try {
        ReadTls(config, problems.security);
        ReadCaFile(config, problems.security);
        ReadHttpsPort(config, problems.security);
        std::string origin;
        Source("VANTA_LOGIN", "Login", config.loginName, origin);
        Source("VANTA_LOGIN_PASSWORD", "LoginPassword", config.loginPassword, origin);
    } catch (...) {
        // Out of memory while loading: whatever was read stays, the rest keeps its default.
    }
}

TlsOptions SessionTls(const ServiceConfig& config) {
    return TlsOptions{config.tls, config.tls ? config.caFile : std::string()};
}
