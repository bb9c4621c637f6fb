#include "transport/config_loader.h"

#include "platform/registry.h"
#include "transport/globals.h"
#include "transport/security_settings.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {
constexpr unsigned long kMaxPort = 65535;
// A day: far beyond any useful wait, and still a valid libcurl time-out in milliseconds.
constexpr unsigned long kMaxFtpTimeoutMs = 24UL * 60 * 60 * 1000;

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// A whole decimal number in [1, max], else false.
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

// Takes the number in $`name` into `setting`; a value that is not one leaves `setting` as it
// is and says so in `problem`.
template <typename Setting>
void ReadNumber(const char* name, unsigned long max, const char* what, Setting& setting,
                std::string& problem) {
    const char* text = Environment(name);
    unsigned long number = 0;
    if (text == nullptr) {
        return;
    }
    if (ParseNumber(text, max, number)) {
        setting = Setting(number);
        return;
    }
    problem =
        std::string(name) + "=" + text + " is not " + what + " (1 to " + std::to_string(max) + ")";
}

void ReadHost(LoadedConfig& loaded) {
    if (const char* host = Environment("VANTA_SERVER")) {
        loaded.config.host = host;
        return;
    }
    loaded.config.host = ReadServerAddress().str();
    const std::string& error = RegistryFileError();
    if (!error.empty() && (RegistryFileNamed() || !RegistryFileAbsent())) {
        loaded.problems.host = "cannot read the registry file " + RegistryFilePath() +
                               (RegistryFileNamed() ? " named by VANTA_REGISTRY" : "") + ": " +
                               error + "; using " + loaded.config.host;
    }
}
} // namespace

LoadedConfig LoadServiceConfig() noexcept {
    LoadedConfig loaded;
    try {
        loaded.config.host = kDefaultServiceHost;
        ReadHost(loaded);
        ReadNumber("VANTA_HTTP_PORT", kMaxPort, "a port number", loaded.config.httpPort,
                   loaded.problems.httpPort);
        ReadNumber("VANTA_FTP_PORT", kMaxPort, "a port number", loaded.config.ftpPort,
                   loaded.problems.ftpPort);
        unsigned long timeoutMs = static_cast<unsigned long>(loaded.config.ftpTimeout.count());
        ReadNumber("VANTA_FTP_TIMEOUT_MS", kMaxFtpTimeoutMs, "a time in milliseconds", timeoutMs,
                   loaded.problems.ftpTimeout);
        loaded.config.ftpTimeout = std::chrono::milliseconds(timeoutMs);
        LoadSecuritySettings(loaded.config, loaded.problems);
    } catch (...) {
        // Out of memory while the library loads: the defaults, and no text to say why.
        loaded = LoadedConfig{};
        loaded.config.host = kDefaultServiceHost;
    }
    return loaded;
}

bool PublishConfigAtLoad() noexcept {
    try {
        LoadedConfig loaded = LoadServiceConfig();
        PublishProcessConfig(std::move(loaded.config), std::move(loaded.problems));
        return true;
    } catch (...) {
        return false; // the defaults stay in place
    }
}
