#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vanta::test {

namespace {
using Clock = std::chrono::steady_clock;

// Owns the strings; the pointers, null-terminated, are what exec wants.
struct CArray {
    std::vector<std::string> strings;
    std::vector<char*> pointers;
    explicit CArray(std::vector<std::string> s) : strings(std::move(s)) {
        for (auto& string : strings) {
            pointers.push_back(string.data());
        }
        pointers.push_back(nullptr);
    }
};

CArray Environment(const ChildOptions& options) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string name = std::string(*e).substr(0, std::string(*e).find('='));
        if (std::ranges::find(options.unsetEnv, name) == options.unsetEnv.end() &&
            std::ranges::none_of(options.env, [&](const auto& kv) { return kv.first == name; })) {
            env.emplace_back(*e);
        }
    }
    for (const auto& [name, value] : options.env) {
        env.push_back(name + "=" + value);
    }
    return CArray(std::move(env));
}

// On a new pseudo-terminal whose controlling side goes to `terminal`.
pid_t StartOnTerminal(const std::vector<std::string>& argv, const ChildOptions& options,
                      int& terminal) {
    const CArray args(argv), env = Environment(options);
    winsize size{.ws_row = 24, .ws_col = options.terminalColumns};
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
    if (pid < 0) {
        throw std::runtime_error(std::string("forkpty: ") + std::strerror(errno));
    }
    if (pid == 0) {
        execve(args.pointers[0], args.pointers.data(), env.pointers.data());
        _exit(127);
    }
    fcntl(terminal, F_SETFL, O_NONBLOCK);
    return pid;
}

// Output goes to files rather than pipes: a child can never block on a full pipe, and what it
// wrote can be read at any time.
int MemoryFile(const std::string& content) {
    const int fd = memfd_create("child-io", MFD_CLOEXEC);
    if (fd < 0 || pwrite(fd, content.data(), content.size(), 0) != ssize_t(content.size())) {
        throw std::runtime_error(std::string("memfd: ") + std::strerror(errno));
    }
    return fd;
}

std::string Contents(int fd) {
    struct stat file {};
    std::string text(fstat(fd, &file) == 0 ? size_t(file.st_size) : 0, '\0');
    text.resize(size_t(std::max(pread(fd, text.data(), text.size(), 0), ssize_t(0))));
    return text;
}

// Appends what the terminal holds; false once every writer has closed it.
bool DrainTerminal(int terminal, std::string& into) {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(terminal, buffer, sizeof buffer)) > 0) {
        into.append(buffer, size_t(got));
    }
    return got < 0 && errno == EAGAIN;
}
} // namespace

pid_t SpawnChild(const std::vector<std::string>& argv, const ChildOptions& options, int in, int out,
                 int err, const char* cwd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        posix_spawn_file_actions_adddup2(&actions, fd == 0 ? in : fd == 1 ? out : err, fd);
    }
    if (cwd != nullptr) {
        posix_spawn_file_actions_addchdir_np(&actions, cwd);
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const CArray args(argv), env = Environment(options);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args.pointers[0], &actions, &attr, args.pointers.data(),
                               env.pointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    }
    return pid;
}

bool ChildRunning(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

int ReapChild(pid_t pid, Clock::time_point deadline) {
    while (ChildRunning(pid) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(pid, SIGKILL); // changes nothing once it has ended: it is not reaped yet
    int status = -1;    // no exit status, should the wait fail
    waitpid(pid, &status, 0);
    return status;
}

ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    const int in = MemoryFile(options.input), out = MemoryFile(""), err = MemoryFile("");
    int terminal = -1;
    const pid_t pid = options.terminalColumns > 0
                          ? StartOnTerminal(argv, options, terminal)
                          : SpawnChild(argv, options, in, out, err, nullptr);
    ChildResult result;
    const auto deadline = Clock::now() + options.timeout;
    // On a terminal what it draws is read as it comes, and the keys are typed on cue.
    size_t nextKey = 0, searchFrom = 0;
    Clock::time_point lastKey;
    while (terminal >= 0 && Clock::now() < deadline && DrainTerminal(terminal, result.out)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (nextKey < options.typeWhen.size()) {
            const auto& [trigger, keys] = options.typeWhen[nextKey];
            const size_t at = result.out.find(trigger, searchFrom);
            if (at != std::string::npos) {
                searchFrom = at + trigger.size();
                (void)!write(terminal, keys.data(), keys.size());
                lastKey = Clock::now();
                ++nextKey;
            }
        }
    }
    const int status = ReapChild(pid, deadline);
    if (nextKey > 0) {
        result.msAfterLastKey =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastKey).count();
    }
    if (terminal < 0) {
        result.out = Contents(out);
        result.err = Contents(err);
    }
    for (const int fd : {in, out, err, terminal}) {
        close(fd);
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace vanta::test
