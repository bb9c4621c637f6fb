#include "service_fixture.h"

#include "child_process.h"
#include "registry_file.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vanta::test {

namespace {
using Clock = std::chrono::steady_clock;
ServiceEnvironment* g_instance = nullptr;

std::string ReadFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
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
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

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
    registryPath_ = workDir_ + "/registry.reg";
    outPath_ = workDir_ + "/service.out";
    logPath_ = workDir_ + "/service.log";
    if (primary_) {
        WriteRegistryFile(registryPath_);
        setenv("VANTA_REGISTRY", registryPath_.c_str(), 1);
    }
    StartService();
}

void ServiceEnvironment::StartService() {
    if (pid_ > 0) {
        return;
    }
    std::vector<std::string> args = {
        "/usr/bin/python3", "-m", "service",    "--data", dataDir_, "--host", host_,
        "--http-port",      "80", "--ftp-port", "21"};
    args.insert(args.end(), extraArguments_.begin(), extraArguments_.end());
    // The service stops by itself when this process ends without stopping it (a crash, a
    // kill, a time-out).
    args.insert(args.end(), {"--parent", std::to_string(getpid())});
    // Unbuffered, so that "ready" arrives when it is printed; a fresh output file, so that
    // only this start's "ready" counts.
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int log = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    try {
        pid_ = SpawnChild(args, ChildEnvironment({.env = {{"PYTHONUNBUFFERED", "1"}}}), in, out,
                          log, VANTA_SOURCE_DIR);
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
    close(in);
    close(out);
    close(log);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (pid_ > 0 && !ReadFile(outPath_).starts_with("ready")) {
        if (Reaped(pid_)) {
            pid_ = -1;
        } else if (Clock::now() >= deadline) {
            StopService();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        FAIL() << "the reference service was not ready within 20 s; its log:\n"
               << ReadFile(logPath_);
    }
}

void ServiceEnvironment::StopService() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!Reaped(pid_)) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            ADD_FAILURE() << "the reference service ignored SIGTERM for 5 s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}

void ServiceEnvironment::TearDown() {
    StopService();
    if (std::getenv("VANTA_KEEP_TEST_DATA") == nullptr) {
        std::error_code ignored;
        std::filesystem::remove_all(workDir_, ignored);
    }
}

} // namespace vanta::test
