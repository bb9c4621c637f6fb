#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vanta::test {

namespace {
std::runtime_error SystemError(const std::string& what, int error = errno) {
    return std::runtime_error(what + ": " + std::strerror(error));
}

std::vector<char*> CPointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}
} // namespace

std::vector<std::string> ChildEnvironment(const ChildOptions& options) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (std::ranges::find(options.unsetEnv, name) == options.unsetEnv.end() &&
            std::ranges::none_of(options.env, [&](const auto& kv) { return kv.first == name; })) {
            env.push_back(entry);
        }
    }
    for (const auto& [name, value] : options.env) {
        env.push_back(name + "=" + value);
    }
    return env;
}

pid_t SpawnChild(std::vector<std::string> argv, std::vector<std::string> env, int in, int out,
                 int err, const char* cwd) {
    if (argv.empty()) {
        throw std::invalid_argument("SpawnChild: empty argv");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
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
    pid_t pid = -1;
    const std::vector<char*> argp = CPointers(argv);
    const std::vector<char*> envp = CPointers(env);
    const int rc = posix_spawn(&pid, argp[0], &actions, &attr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        throw SystemError("cannot start " + argv[0], rc);
    }
    return pid;
}

ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    // The input waits in a file, so that feeding it can neither block nor raise SIGPIPE.
    const int in = memfd_create("child-stdin", MFD_CLOEXEC);
    int out[2], err[2];
    if (in < 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 ||
        write(in, options.input.data(), options.input.size()) !=
            static_cast<ssize_t>(options.input.size()) ||
        lseek(in, 0, SEEK_SET) != 0) {
        throw SystemError("child pipes");
    }
    const pid_t pid = SpawnChild(argv, ChildEnvironment(options), in, out[1], err[1]);
    close(in);
    close(out[1]);
    close(err[1]);

    ChildResult result;
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    bool interrupted = options.interruptOnStderr.empty();
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    char buffer[65536];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0 &&
            errno != EINTR) {
            throw SystemError("poll");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
        if (!interrupted && result.err.find(options.interruptOnStderr) != std::string::npos) {
            kill(pid, options.interruptSignal);
            interrupted = true;
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    // The output is complete; the child may still be running (it closed its output, or was
    // killed). Wait for it within what is left of the bound.
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (!result.timedOut && std::chrono::steady_clock::now() >= deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
        }
        usleep(2000);
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::string HelperPath(const std::string& name) {
    return std::string(VANTA_BINARY_DIR) + "/tests/" + name;
}

std::string CliPath() {
    return std::string(VANTA_BINARY_DIR) + "/cli/vanta";
}

} // namespace vanta::test
