#include "service_fixture.h"

#include "child_process.h"
#include "control_client.h"
#include "test_platform.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace vanta::test {

namespace {
ServiceEnvironment* g_instance = nullptr;
} // namespace

void WriteRegistryFile(const std::string& path, const std::string& server) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "Windows Registry Editor Version 5.00\n\n"
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n"
        << "\"Server\"=\"" << server << "\"\n";
    if (!out.flush()) {
        throw std::runtime_error("cannot write the registry file " + path);
    }
}

ServiceEnvironment::ServiceEnvironment() {
    g_instance = this;
}

ServiceEnvironment::ServiceEnvironment(std::string host)
    : host_(std::move(host)), primary_(false) {}

ServiceEnvironment& ServiceEnvironment::Instance() {
    if (g_instance == nullptr) {
        throw std::logic_error("no ServiceEnvironment is registered");
    }
    return *g_instance;
}

void ServiceEnvironment::SetUp() {
    workDir_ = MakeTempDir("vanta-test.");
    dataDir_ = workDir_ + "/data";
    if (primary_) {
        PointRegistryAtService(workDir_);
    }
    signingKey_ = workDir_ + "/update-key.pem";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"/usr/bin/openssl", "genpkey", "-algorithm", "ed25519", "-out",
                                   signingKey_},
          {"/usr/bin/openssl", "pkey", "-in", signingKey_, "-pubout", "-out", UpdateKeyFile()}}) {
        const ChildResult made = RunChild(command, {.timeout = std::chrono::seconds(20)});
        ASSERT_EQ(made.exitCode, 0) << command[1] << ": " << made.err;
    }
    StartService();
}

void ServiceEnvironment::StartService() {
    if (process_ > 0) {
        return;
    }
    std::vector<std::string> args = {"--data=" + dataDir_, "--host=" + host_,
                                     "--http-port=80",     "--ftp-port=21",
                                     "--log-bodies",       "--signing-key=" + signingKey_};
    args.insert(args.end(), extraArguments_.begin(), extraArguments_.end());
    // A fresh output file, so that only this start's "ready" counts.
    const std::string outPath = workDir_ + "/service.out", logPath = workDir_ + "/service.log";
    process_ = StartServiceProcess(args, outPath, logPath);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (std::string first;
         process_ > 0 && !(std::ifstream(outPath) >> first && first == "ready");) {
        if (!ServiceProcessRunning(process_) || std::chrono::steady_clock::now() >= deadline) {
            StopService();
            FAIL() << "the reference service was not ready within 20 s; its log:\n"
                   << std::ifstream(logPath).rdbuf();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // A new token at every start; the further services on other addresses are reached
    // without the control client.
    if (std::string token; primary_ && process_ > 0) {
        ASSERT_TRUE(std::ifstream(dataDir_ + "/control-token") >> token)
            << "the service wrote no control token";
        control::SetToken(token);
    }
}

void ServiceEnvironment::StopService() {
    if (process_ > 0) {
        EXPECT_TRUE(StopServiceProcess(process_))
            << "the reference service ignored SIGTERM for 5 s";
        process_ = -1;
    }
}

void ServiceEnvironment::TearDown() {
    StopService();
    if (std::getenv("VANTA_KEEP_TEST_DATA") == nullptr) {
        std::error_code ignored;
        std::filesystem::remove_all(workDir_, ignored);
    }
}

} // namespace vanta::test
