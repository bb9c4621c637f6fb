#include "pty_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace vanta::test {

PtyResult RunInPty(const std::vector<std::string>& argv, const PtyOptions& options) {
    std::vector<std::string> env =
        ChildEnvironment({.env = options.env, .unsetEnv = options.unsetEnv});
    std::vector<char*> envp;
    for (auto& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& arg : args) {
        argp.push_back(arg.data());
    }
    argp.push_back(nullptr);

    winsize size{};
    size.ws_col = options.columns;
    size.ws_row = options.rows;
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) {
        throw std::runtime_error(std::string("forkpty: ") + std::strerror(errno));
    }
    if (pid == 0) {
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }

    PtyResult result;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + options.timeout;
    size_t nextKey = 0;
    size_t searchFrom = 0;
    Clock::time_point lastKey{};
    char buffer[4096];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fd{master, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(std::min<long long>(left, 100)));
        if (ready > 0) {
            const ssize_t got = read(master, buffer, sizeof(buffer));
            if (got <= 0) {
                break; // EIO: the child and everything it started closed the terminal
            }
            result.output.append(buffer, static_cast<size_t>(got));
        }
        if (nextKey < options.typeWhen.size()) {
            const auto& [trigger, keys] = options.typeWhen[nextKey];
            const size_t at = result.output.find(trigger, searchFrom);
            if (at != std::string::npos) {
                searchFrom = at + trigger.size();
                (void)!write(master, keys.data(), keys.size());
                lastKey = Clock::now();
                ++nextKey;
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (nextKey > 0) {
        result.msAfterLastKey =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastKey).count();
    }
    close(master);
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::vector<std::string> DrawnLines(const std::string& output) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < output.size(); ++i) {
        if (output.compare(i, 3, "\033[K") == 0) {
            i += 2;
        } else if (output[i] == '\r' || output[i] == '\n') {
            if (!lines.back().empty()) {
                lines.emplace_back();
            }
        } else {
            lines.back() += output[i];
        }
    }
    if (lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

} // namespace vanta::test
