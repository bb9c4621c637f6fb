#include "test_platform.h"

#include "child_process.h"
#include "service_fixture.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vanta::test {

std::string MakeTempDir(const std::string& prefix) {
    std::string dir = "/tmp/" + prefix + "XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) {
        throw std::runtime_error("cannot make a directory " + dir);
    }
    return dir;
}

void PointRegistryAtService(const std::string& workDir) {
    // The library in this process read its registry before main and uses its default host,
    // localhost; child processes read this file.
    WriteRegistryFile(workDir + "/registry.reg");
    setenv("VANTA_REGISTRY", (workDir + "/registry.reg").c_str(), 1);
}

bool ReadsRegistryFile() {
    return true;
}

std::string SetLibraryTempDir(const std::string& dir) {
    setenv("TMPDIR", dir.c_str(), 1);
    return dir;
}

void SetVariable(const char* name, const char* value) {
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
}

bool MakeFifo(const std::string& path) {
    if (mkfifo(path.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make a FIFO " + path);
    }
    return true;
}

bool UnloadAtExitReachesRunningJobs() {
    return true;
}

long long StartServiceProcess(const std::vector<std::string>& args, const std::string& outPath,
                              const std::string& logPath) {
    // Told this process's id, the service ends with it.
    std::vector<std::string> argv = {"/usr/bin/python3", "-m", "service",
                                     "--parent=" + std::to_string(getpid())};
    argv.insert(argv.end(), args.begin(), args.end());
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    // Unbuffered, so that "ready" arrives when it is printed.
    const pid_t pid =
        SpawnChild(argv, {.env = {{"PYTHONUNBUFFERED", "1"}}}, in, out, log, VANTA_SOURCE_DIR);
    for (const int fd : {in, out, log}) {
        close(fd);
    }
    return pid;
}

bool ServiceProcessRunning(long long id) {
    return ChildRunning(pid_t(id));
}

bool StopServiceProcess(long long id) {
    kill(pid_t(id), SIGTERM);
    const int status =
        ReapChild(pid_t(id), std::chrono::steady_clock::now() + std::chrono::seconds(5));
    return !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

} // namespace vanta::test
