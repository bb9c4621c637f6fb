// The reference service serving HTTPS and FTPS beside plain HTTP and FTP, with certificates of
// a CA made for this run, for the tests of transport security and of the vanta command.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "service_fixture.h"

namespace vanta::test {

// Makes the CA and its certificates in `dir` (ca.pem, server.pem, server.key, untrusted.pem,
// expired.pem, ...) and restarts the service with them.
inline void ServeTlsWithNewCa(const std::string& dir) {
    const ChildResult made =
        RunChild({std::string(VANTA_SOURCE_DIR) + "/scripts/make-test-ca", dir},
                 {.timeout = std::chrono::seconds(60)});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    ServiceEnvironment& service = ServiceEnvironment::Instance();
    service.StopService();
    service.SetExtraArguments(
        {"--tls-cert", dir + "/server.pem", "--tls-key", dir + "/server.key"});
    service.StartService();
}

} // namespace vanta::test
