// The exports that read and change the process-wide service configuration.
#include "os/failure_reason.h"
#include "transport/config_sources.h"
#include "transport/host_value.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

#include <string>
#include <utility>

using namespace vanta::result;

unsigned int WINAPI QDX_SetServiceAddress(const char* host, unsigned int httpPort,
                                          unsigned int ftpPort) {
    try {
        // A host that could carry a path, a port or a line of its own is refused. The failure
        // reason of the last call stays as it is: callers read it after this call.
        if ((host != nullptr && !HostValueProblem(host).empty()) || httpPort > kMaxPort ||
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
    std::string text;
    try {
        text = ConfigurationProblem();
    } catch (...) {
        text.clear();
    }
    return KeepHandedText(HandedText::ConfigurationProblem, std::move(text));
}
