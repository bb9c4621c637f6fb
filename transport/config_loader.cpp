#include "transport/config_loader.h"

#include "os/registry.h"
#include "transport/config_sources.h"
#include "transport/globals.h"
#include "transport/host_value.h"
#include "transport/security_settings.h"

#include <string>

namespace {
// A day: far beyond any useful wait, and still a valid libcurl time-out in milliseconds.
constexpr unsigned long kMaxFtpTimeoutMs = 24UL * 60 * 60 * 1000;
// More retries than this are a mistake, not a policy.
constexpr unsigned long kMaxRetries = 100;

void AddProblem(std::string& problems, const std::string& text) {
    problems += problems.empty() ? "" : "; ";
    problems += text;
}

// The host from the first source that has a usable one. A value that cannot be a host, or a
// registry file that was asked for and cannot be read, is described and leaves the host to
// the next source; the text says what is wrong, not what is used instead, since a program
// that refuses to run with a problem sends nothing at all.
void ReadHost(LoadedConfig& loaded) {
    std::string& problems = loaded.problems.host;
    if (const char* host = Environment("VANTA_SERVER")) {
        const std::string problem = HostValueProblem(host);
        if (problem.empty()) {
            loaded.config.host = host;
            return;
        }
        AddProblem(problems, "VANTA_SERVER: " + problem);
    }
    const std::string fromFile = ReadServerAddress().str();
    const std::string& error = RegistryFileError();
    if (!error.empty() && (RegistryFileNamed() || !RegistryFileAbsent())) {
        AddProblem(problems, "cannot read the registry file " + RegistryFilePath() +
                                 (RegistryFileNamed() ? " named by VANTA_REGISTRY" : "") + ": " +
                                 error);
    }
    if (std::string text; fromFile == kDefaultServiceHost) {
        bool number = false;
        if (RegistryValue("Server", text, &number) && number) {
            AddProblem(problems,
                       "the registry file's \"Server\" is a number (" + text + "), not a host");
        }
        return;
    }
    const std::string problem = HostValueProblem(fromFile);
    if (problem.empty()) {
        loaded.config.host = fromFile;
    } else {
        AddProblem(problems, "the registry file's \"Server\": " + problem);
    }
}

// The number of retries from $VANTA_RETRIES, else the registry file's "Retries" (0 to
// kMaxRetries). Only a named number makes the exports retry; the other settings of the policy
// keep the client's defaults. A value that is no such number is described and leaves the
// setting to the next source.
bool TakeRetries(LoadedConfig& loaded, const std::string& origin, const std::string& text) {
    unsigned long retries = 0;
    if (text == "0" || ParseNumber(text.c_str(), kMaxRetries, retries)) {
        loaded.config.retry = vanta::RetryPolicy{};
        loaded.config.retry.retries = static_cast<unsigned>(retries);
        loaded.retriesNamed = true;
        return true;
    }
    AddProblem(loaded.problems.retries, origin + "=" + text + " is not a number of retries (0 to " +
                                            std::to_string(kMaxRetries) + ")");
    return false;
}

void ReadRetries(LoadedConfig& loaded) {
    if (const char* text = Environment("VANTA_RETRIES");
        text != nullptr && TakeRetries(loaded, "VANTA_RETRIES", text)) {
        return;
    }
    if (std::string text; RegistryValue("Retries", text) && !text.empty()) {
        TakeRetries(loaded, "the registry file's \"Retries\"", text);
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
        ReadRetries(loaded);
        ReadNumber("VANTA_PARALLEL_TRANSFERS", vanta::defaults::max_parallel_transfers,
                   "a number of connections", loaded.config.parallelTransfers,
                   loaded.problems.parallelTransfers);
        loaded.parallelTransfersNamed = Environment("VANTA_PARALLEL_TRANSFERS") != nullptr &&
                                        loaded.problems.parallelTransfers.empty();
    } catch (...) {
        // Out of memory while the library loads: the defaults, and no text to say why.
        loaded = LoadedConfig{};
        loaded.config.host = kDefaultServiceHost;
    }
    return loaded;
}
