// Runs a program as a child process with extra environment variables, captures its output
// and exit status, and kills it when it outlives a time bound. Integration tests use it for
// the helper programs that need a registry file of their own, and for the vanta command.
#pragma once

#include <chrono>
#include <csignal>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace vanta::test {

struct ChildResult {
    int exitCode = -1;     // the exit status when the child exited, else -1
    int signal = 0;        // the signal that ended the child, else 0
    bool timedOut = false; // killed (SIGKILL) because it outlived the bound
    std::string out;       // everything it wrote to stdout
    std::string err;       // everything it wrote to stderr

    bool Exited() const { return exitCode >= 0; }
};

struct ChildOptions {
    // Set in the child's environment on top of this process's environment (replacing a
    // variable of the same name).
    std::vector<std::pair<std::string, std::string>> env;
    // Removed from the child's environment.
    std::vector<std::string> unsetEnv;
    // The child's stdin, from a file that holds it. Default: empty stdin.
    std::string input;
    std::chrono::milliseconds timeout{60000};
    // When the child's stderr first holds this text, the child gets `interruptSignal` (SIGINT:
    // as from Ctrl-C at a terminal). Empty: never.
    std::string interruptOnStderr;
    int interruptSignal = SIGINT;
};

// argv[0] is the program's path (no PATH search). Throws std::runtime_error when the program
// cannot be started at all.
ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// This process's environment with `options.env` set and `options.unsetEnv` removed, as
// "NAME=value" entries.
std::vector<std::string> ChildEnvironment(const ChildOptions& options);

// Starts argv[0] with `env`, stdin, stdout and stderr on the given descriptors, in `cwd` (null:
// this process's), with default signal handling and no signal blocked, whatever this process
// has set up. Throws std::runtime_error.
pid_t SpawnChild(std::vector<std::string> argv, std::vector<std::string> env, int in, int out,
                 int err, const char* cwd = nullptr);

// Paths of the programs the build produces: a helper from tests/helpers/ by its name, and the
// vanta command.
std::string HelperPath(const std::string& name);
std::string CliPath();

} // namespace vanta::test
