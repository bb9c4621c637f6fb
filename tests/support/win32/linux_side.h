// The Linux side of a Windows test run: tests/wine/supervisor.py, which tests/wine/run starts
// in the same network namespace on 127.0.0.1:8790. It runs the Linux programs a Windows program
// under wine cannot start (python3 for the reference service, openssl, scripts).
#pragma once

#include "control_client.h"

#include <string>

namespace vanta::test {

// POSTs `request` to the action ("run", "start", "running", "stop"); throws
// std::runtime_error when the supervisor cannot be reached or refuses.
inline nlohmann::json AskLinuxSide(const std::string& action, const nlohmann::json& request,
                                   int timeoutMs = 15000) {
    return control::CallUrl("POST", "http://127.0.0.1:8790/" + action, request, timeoutMs);
}

} // namespace vanta::test
