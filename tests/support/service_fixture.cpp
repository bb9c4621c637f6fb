#include "service_fixture.h"

#include "child_process.h"
#include "control_client.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    workDir_ = std::filesystem::temp_directory_path() / "vanta-test.XXXXXX";
    ASSERT_NE(mkdtemp(workDir_.data()), nullptr) << workDir_;
    dataDir_ = workDir_ + "/data";
    if (primary_) {
        WriteRegistryFile(workDir_ + "/registry.reg");
        setenv("VANTA_REGISTRY", (workDir_ + "/registry.reg").c_str(), 1);
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
    if (pid_ > 0) {
        return;
    }
    // Told this process's id, the service ends with it.
    std::vector<std::string> args = {"/usr/bin/python3", "-m",
                                     "service",          "--data=" + dataDir_,
                                     "--host=" + host_,  "--http-port=80",
                                     "--ftp-port=21",    "--parent=" + std::to_string(getpid()),
                                     "--log-bodies",     "--signing-key=" + signingKey_};
    args.insert(args.end(), extraArguments_.begin(), extraArguments_.end());
    // Unbuffered, so that "ready" arrives when it is printed; a fresh output file, so that
    // only this start's "ready" counts.
    const std::string outPath = workDir_ + "/service.out", logPath = workDir_ + "/service.log";
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    pid_ = SpawnChild(args, {.env = {{"PYTHONUNBUFFERED", "1"}}}, in, out, log, VANTA_SOURCE_DIR);
    for (const int fd : {in, out, log}) {
        close(fd);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (std::string first; pid_ > 0 && !(std::ifstream(outPath) >> first && first == "ready");) {
        if (!ChildRunning(pid_) || std::chrono::steady_clock::now() >= deadline) {
            StopService();
            FAIL() << "the reference service was not ready within 20 s; its log:\n"
                   << std::ifstream(logPath).rdbuf();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // A new token at every start; the further services on other addresses are reached
    // without the control client.
    if (std::string token; primary_ && pid_ > 0) {
        ASSERT_TRUE(std::ifstream(dataDir_ + "/control-token") >> token)
            << "the service wrote no control token";
        control::SetToken(token);
    }
}

void ServiceEnvironment::StopService() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const int status =
            ReapChild(pid_, std::chrono::steady_clock::now() + std::chrono::seconds(5));
        EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the reference service ignored SIGTERM for 5 s";
        pid_ = -1;
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
