#include "child_process.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vanta::test {

namespace {

class Pipe {
public:
    Pipe() {
        if (pipe2(fds_.data(), O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int Read() const { return fds_[0]; }
    int Write() const { return fds_[1]; }
    void CloseRead() { Close(0); }
    void CloseWrite() { Close(1); }

private:
    void Close(int i) {
        if (fds_[i] >= 0)
            close(fds_[i]);
        fds_[i] = -1;
    }
    std::array<int, 2> fds_{-1, -1};
};

std::vector<char*> CPointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

class SigPipeGuard {
public:
    SigPipeGuard() {
        sigemptyset(&pipeSet_);
        sigaddset(&pipeSet_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSet_, &old_);
    }
    ~SigPipeGuard() {
        if (!wasPending_) {
            const timespec zero{0, 0};
            while (sigtimedwait(&pipeSet_, nullptr, &zero) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigPipeGuard(const SigPipeGuard&) = delete;
    SigPipeGuard& operator=(const SigPipeGuard&) = delete;

private:
    sigset_t pipeSet_{};
    sigset_t old_{};
    bool wasPending_ = false;
};

} // namespace

std::vector<std::string> ChildEnvironment(const ChildOptions& options) {
    std::vector<std::string> env;
    auto overridden = [&](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('='));
        if (std::find(options.unsetEnv.begin(), options.unsetEnv.end(), name) !=
            options.unsetEnv.end())
            return true;
        return std::any_of(options.env.begin(), options.env.end(),
                           [&](const auto& kv) { return kv.first == name; });
    };
    for (char** e = environ; e && *e; ++e) {
        std::string entry(*e);
        if (!overridden(entry))
            env.push_back(std::move(entry));
    }
    for (const auto& [name, value] : options.env)
        env.push_back(name + "=" + value);
    return env;
}

ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    if (argv.empty())
        throw std::invalid_argument("RunChild: empty argv");

    Pipe in, out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.Read(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.Write(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.Write(), STDERR_FILENO);
    if (!options.cwd.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.cwd.c_str());

    // The child starts with default signal handling and an empty signal mask, whatever this
    // process has set up.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> args = argv;
    std::vector<std::string> env = ChildEnvironment(options);
    std::vector<char*> argp = CPointers(args);
    std::vector<char*> envp = CPointers(env);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argp[0], &actions, &attr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));

    in.CloseRead();
    out.CloseWrite();
    err.CloseWrite();
    // A child that closes its stdin early must not kill this process with SIGPIPE: the signal
    // stays blocked in this thread while feeding it, and a pending one is consumed below.
    SigPipeGuard sigpipeGuard;
    // Writes to stdin must not block the output loop: non-blocking, fed as poll allows.
    fcntl(in.Write(), F_SETFL, fcntl(in.Write(), F_GETFL) | O_NONBLOCK);
    size_t inputSent = 0;
    if (options.input.empty())
        in.CloseWrite();

    ChildResult result;
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    bool outOpen = true, errOpen = true;
    bool interrupted = options.interruptOnStderr.empty();
    char buffer[65536];
    while (outOpen || errOpen || in.Write() >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        std::array<pollfd, 3> fds{};
        nfds_t n = 0;
        if (outOpen)
            fds[n++] = {out.Read(), POLLIN, 0};
        if (errOpen)
            fds[n++] = {err.Read(), POLLIN, 0};
        if (in.Write() >= 0)
            fds[n++] = {in.Write(), POLLOUT, 0};
        const int ready =
            poll(fds.data(), n, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR)
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        for (nfds_t i = 0; ready > 0 && i < n; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == in.Write()) {
                const ssize_t w = write(in.Write(), options.input.data() + inputSent,
                                        options.input.size() - inputSent);
                if (w > 0)
                    inputSent += static_cast<size_t>(w);
                if (w < 0 && errno != EAGAIN && errno != EINTR)
                    in.CloseWrite(); // the child closed its stdin
                else if (inputSent == options.input.size())
                    in.CloseWrite();
                continue;
            }
            const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
            if (r > 0) {
                (fds[i].fd == out.Read() ? result.out : result.err)
                    .append(buffer, static_cast<size_t>(r));
                if (!interrupted &&
                    result.err.find(options.interruptOnStderr) != std::string::npos) {
                    kill(pid, options.interruptSignal);
                    interrupted = true;
                }
            } else if (r == 0 || (errno != EINTR && errno != EAGAIN)) {
                (fds[i].fd == out.Read() ? outOpen : errOpen) = false;
            }
        }
    }
    in.CloseWrite();

    // The output is complete; the child may still be running (it closed its output, or was
    // killed). Wait for it within what is left of the bound.
    int status = 0;
    for (;;) {
        const pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid)
            break;
        if (w < 0 && errno != EINTR)
            throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
        if (!result.timedOut && std::chrono::steady_clock::now() >= deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
        }
        usleep(2000);
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

std::string HelperPath(const std::string& name) {
    return std::string(VANTA_BINARY_DIR) + "/tests/" + name;
}

std::string CliPath() {
    return std::string(VANTA_BINARY_DIR) + "/cli/vanta";
}

} // namespace vanta::test
