#include "service_fixture.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "child_process.h"
#include "registry_file.h"

namespace vanta::test {

namespace {

constexpr auto kReadyTimeout = std::chrono::seconds(20);
constexpr auto kStopTimeout = std::chrono::seconds(5);
constexpr const char* kPython = "/usr/bin/python3";

ServiceEnvironment* g_instance = nullptr;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool HasReadyLine(const std::string& output) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // "ready", or "ready http=N ftp=M" when the service chose its ports.
        if (line == "ready" || line.starts_with("ready "))
            return true;
    }
    return false;
}

// Reaps the child when it has ended; true then.
bool Reaped(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

} // namespace

ServiceEnvironment::ServiceEnvironment() {
    g_instance = this;
}

ServiceEnvironment::ServiceEnvironment(std::string host)
    : host_(std::move(host)), primary_(false) {}

ServiceEnvironment::~ServiceEnvironment() {
    if (g_instance == this)
        g_instance = nullptr;
}

ServiceEnvironment& ServiceEnvironment::Instance() {
    if (g_instance == nullptr)
        throw std::logic_error("no ServiceEnvironment is registered");
    return *g_instance;
}

void ServiceEnvironment::SetUp() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vanta-test.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        FAIL() << "mkdtemp " << pattern << ": " << std::strerror(errno);
    workDir_ = pattern;
    dataDir_ = workDir_ + "/data";
    registryPath_ = workDir_ + "/registry.reg";
    outPath_ = workDir_ + "/service.out";
    logPath_ = workDir_ + "/service.log";
    std::filesystem::create_directory(dataDir_);

    if (primary_) {
        WriteRegistryFile(registryPath_, RegistryFileOptions{});
        setenv("VANTA_REGISTRY", registryPath_.c_str(), 1);
    }

    StartService();
}

void ServiceEnvironment::StartService() {
    if (pid_ > 0)
        return;
    // A fresh output file (O_TRUNC), so that only this start's "ready" counts.
    std::vector<std::string> args = {kPython,  "-m",         "service", "--data",
                                     dataDir_, "--host",     host_,     "--http-port",
                                     "80",     "--ftp-port", "21"};
    args.insert(args.end(), extraArguments_.begin(), extraArguments_.end());
    // The service stops by itself when this process ends without stopping it (a crash, a
    // kill, a time-out).
    args.insert(args.end(), {"--parent", std::to_string(getpid())});
    // This process's environment (VANTA_REGISTRY included), with unbuffered Python output so
    // that "ready" arrives when it is printed.
    const std::vector<std::string> env = ChildEnvironment({.env = {{"PYTHONUNBUFFERED", "1"}}});
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int log = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    try {
        pid_ = SpawnChild(args, env, in, out, log, VANTA_SOURCE_DIR);
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
    close(in);
    close(out);
    close(log);
    if (pid_ <= 0) {
        return;
    }

    const auto deadline = std::chrono::steady_clock::now() + kReadyTimeout;
    while (!HasReadyLine(ReadFile(outPath_))) {
        if (Reaped(pid_)) {
            pid_ = -1;
            FAIL() << "the reference service exited before it was ready; its log (" << logPath_
                   << "):\n"
                   << ReadFile(logPath_);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            StopService();
            FAIL() << "the reference service was not ready within "
                   << std::chrono::seconds(kReadyTimeout).count() << " s; its log:\n"
                   << ReadFile(logPath_);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ServiceEnvironment::StopService() {
    if (pid_ <= 0)
        return;
    const pid_t pid = pid_;
    pid_ = -1;
    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    while (!Reaped(pid)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            int status = 0;
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "the reference service ignored SIGTERM for "
                          << std::chrono::seconds(kStopTimeout).count() << " s";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ServiceEnvironment::TearDown() {
    StopService();
    if (!workDir_.empty() && std::getenv("VANTA_KEEP_TEST_DATA") == nullptr) {
        std::error_code ignored;
        std::filesystem::remove_all(workDir_, ignored);
    }
}

} // namespace vanta::test
