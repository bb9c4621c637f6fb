#include "transport/security_settings.h"

#include "os/local_files.h"
#include "transport/config_sources.h"

#include <strings.h>

namespace {
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
    if (const std::string problem = LocalFileProblem(config.caFile.c_str()); !problem.empty()) {
        Note(problems, origin + "=" + config.caFile + " cannot be read: " + problem);
    }
}

void ReadUpdateKey(ServiceConfig& config, std::string& problems) {
    std::string origin;
    if (!Source("VANTA_UPDATE_KEY", "UpdateKey", config.updateKeyFile, origin)) {
        return;
    }
    // Kept even when unreadable: the download then fails and says why, rather than fetch an
    // unchecked file when a checked one was asked for.
    if (const std::string problem = LocalFileProblem(config.updateKeyFile.c_str());
        !problem.empty()) {
        Note(problems, origin + "=" + config.updateKeyFile + " cannot be read: " + problem);
    }
}

void ReadHttpsPort(ServiceConfig& config, std::string& problems) {
    std::string problem;
    ReadNumber("VANTA_HTTPS_PORT", kMaxPort, "a port number", config.httpsPort, problem);
    if (!problem.empty()) {
        Note(problems, problem);
    }
}
} // namespace

void LoadSecuritySettings(ServiceConfig& config, ConfigProblems& problems) noexcept {
    try {
        ReadTls(config, problems.security);
        ReadCaFile(config, problems.security);
        ReadHttpsPort(config, problems.security);
        ReadUpdateKey(config, problems.updateKey);
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
