#include "transport/config_loader.h"

#include "platform/registry.h"
#include "transport/config_sources.h"
#include "transport/globals.h"
#include "transport/security_settings.h"

#include <string>

namespace {
// A day: far beyond any useful wait, and still a valid libcurl time-out in milliseconds.
constexpr unsigned long kMaxFtpTimeoutMs = 24UL * 60 * 60 * 1000;

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
