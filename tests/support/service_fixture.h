// The reference service for an integration test executable: started once before the first
// test, stopped after the last. Integration executables run in their own network namespace
// (scripts/netns-run), so the service takes 127.0.0.1 ports 80 and 21 there. The service is
// told this process's id and stops by itself when this process ends without stopping it (a
// crash, a kill, a time-out).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vanta::test {

class ServiceEnvironment : public ::testing::Environment {
public:
    ServiceEnvironment();
    // A further service on another loopback address of the namespace (e.g. "127.0.0.2"),
    // for tests of two hosts side by side. It is not Instance() and writes no registry file;
    // the caller runs SetUp and TearDown.
    explicit ServiceEnvironment(std::string host);

    // Makes a temporary directory, points child processes' registry at 127.0.0.1
    // (PointRegistryAtService), makes an Ed25519 key pair
    // with which the service signs its library file, starts the service and waits for its
    // "ready" line. A failure here is fatal: no test runs.
    void SetUp() override;
    // Stops the service and removes the temporary directory (kept when the environment
    // variable VANTA_KEEP_TEST_DATA is set).
    void TearDown() override;

    // Stop and start again within one executable, e.g. to test an unreachable service.
    // Start keeps the data directory and hands the control client the new control token.
    // Both report failures as fatal test failures. The service keeps request bodies and
    // credentials in its log as received (--log-bodies), for the tests to compare.
    void StopService();
    void StartService();
    // Arguments added to the service's command line from the next StartService on, e.g.
    // {"--tls-cert", FILE, "--tls-key", FILE} to serve HTTPS and FTPS as well.
    void SetExtraArguments(std::vector<std::string> arguments) {
        extraArguments_ = std::move(arguments);
    }

    const std::string& DataDir() const { return dataDir_; } // the service's --data
    const std::string& WorkDir() const { return workDir_; } // holds it, service.log, registry
    // The public key (PEM) that the service's downloads/VantaAPI.dll.sig belongs to.
    std::string UpdateKeyFile() const { return workDir_ + "/update-key.pub"; }

    // The environment registered by service_for_every_test.cpp.
    static ServiceEnvironment& Instance();

private:
    std::string host_ = "127.0.0.1";
    bool primary_ = true;
    std::string workDir_;
    std::string dataDir_;
    std::vector<std::string> extraArguments_;
    std::string signingKey_;
    long long process_ = -1; // test_platform.h
};

// Writes a registry file as the library reads it from $VANTA_REGISTRY, replacing it: the
// export format's header line, a blank line, the key and its "Server" value, `server` between
// the quotes as given. Throws std::runtime_error.
void WriteRegistryFile(const std::string& path, const std::string& server = "127.0.0.1");

inline const std::string& ServiceDataDir() {
    return ServiceEnvironment::Instance().DataDir();
}

} // namespace vanta::test
