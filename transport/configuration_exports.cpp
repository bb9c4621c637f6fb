// The exports that read and change the process-wide service configuration.
#include "platform/internet_exception.h"
#include "platform/service_url.h"
#include "transport/config_sources.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

#include <string>

using namespace vanta::result;

namespace {

// Whether libcurl can make a URL with `host` as its host part: a name, an IPv4 address or a
// bracketed IPv6 address, nothing that could add a path, a port or a line of its own.
bool UsableHost(const char* host) {
    try {
        ServiceUrl("http", host, 80, "/", false);
        return true;
    } catch (const CInternetException&) {
        return false;
    }
}
} // namespace

unsigned int WINAPI QDX_SetServiceAddress(const char* host, unsigned int httpPort,
                                          unsigned int ftpPort) {
    try {
        if ((host != nullptr && (*host == '\0' || !UsableHost(host))) || httpPort > kMaxPort ||
            ftpPort > kMaxPort) {
            return kZero;
        }
        ChangeProcessConfig(host, httpPort, ftpPort);
        return kSuccess;
    } catch (...) {
        return kZero; // out of memory: the configuration is as it was
    }
}

const char* WINAPI QDX_GetConfigurationProblem() {
    thread_local std::string text;
    try {
        text = ConfigurationProblem();
    } catch (...) {
        text.clear();
    }
    return text.c_str();
}
