// Runs a program as a child process, as a user would: with extra environment variables, on
// pipes or at a pseudo-terminal of a given width, captures what it wrote and its exit status,
// and kills it when it outlives a time bound. Integration tests use it for the helper programs
// that need a registry file of their own, for the vanta command and for the reference service.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace vanta::test {

struct ChildOptions {
    // Set on top of this process's environment (replacing a variable of the same name).
    std::vector<std::pair<std::string, std::string>> env;
    std::vector<std::string> unsetEnv;
    std::string input;                        // stdin; ignored on a terminal
    std::chrono::milliseconds timeout{60000}; // then SIGKILL
    // Non-zero: the child runs on a pseudo-terminal this many columns wide (24 rows); stdout
    // and stderr then arrive together in `out`, as the terminal received them.
    unsigned short terminalColumns = 0;
    // On a terminal, in order: once the output (after the previous trigger) holds `first`,
    // type `second` (the terminal turns \x03 into SIGINT).
    std::vector<std::pair<std::string, std::string>> typeWhen;
};

struct ChildResult {
    int exitCode = -1;             // the exit status when the child exited, else -1
    std::string out;               // everything it wrote to stdout
    std::string err;               // everything it wrote to stderr
    long long msAfterLastKey = -1; // from the last key typed to the child's end
};

// argv[0] is the program's path (no PATH search). Throws std::runtime_error when the program
// cannot be started at all (on a terminal: it exits 127).
ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// Linux only (the service's process, posix/test_platform.cpp). Starts argv[0] with the
// environment of `options`, stdin, stdout and stderr on the given
// descriptors, in `cwd`, with default signal handling and no signal blocked, whatever this
// process has set up. Throws std::runtime_error.
pid_t SpawnChild(const std::vector<std::string>& argv, const ChildOptions& options, int in, int out,
                 int err, const char* cwd);
// Whether the child is still running (it is not reaped).
bool ChildRunning(pid_t pid);
// Waits for the child until `deadline`, then kills it (SIGKILL); returns its wait status.
int ReapChild(pid_t pid, std::chrono::steady_clock::time_point deadline);

// Paths of the programs the build produces: a helper from tests/helpers/ by its name, and the
// vanta command.
inline std::string HelperPath(const std::string& name) {
    return std::string(VANTA_BINARY_DIR) + "/tests/" + name;
}
inline std::string CliPath() {
    return std::string(VANTA_BINARY_DIR) + "/cli/vanta";
}

} // namespace vanta::test
