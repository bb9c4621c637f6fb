// Runs a program on a pseudo-terminal of a given size, as a user at a terminal runs it: what
// it draws (stdout and stderr together, as the terminal shows them) and keys typed in answer
// to what it printed, Ctrl-C included (the terminal turns \x03 into SIGINT).
#pragma once

#include "child_process.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace vanta::test {

struct PtyOptions {
    std::vector<std::pair<std::string, std::string>> env; // set on top of this environment
    std::vector<std::string> unsetEnv;
    unsigned short columns = 80;
    unsigned short rows = 24;
    std::chrono::milliseconds timeout{60000}; // then SIGKILL
    // In order: once the output (after the previous trigger) holds `first`, type `second`.
    std::vector<std::pair<std::string, std::string>> typeWhen;
};

struct PtyResult {
    int exitCode = -1;     // the exit status when the child exited, else -1
    int signal = 0;        // the signal that ended it, else 0
    bool timedOut = false; // killed because it outlived the bound
    std::string output;    // every byte the terminal received
    // Milliseconds from the last key typed to the child's end.
    long long msAfterLastKey = -1;
};

PtyResult RunInPty(const std::vector<std::string>& argv, const PtyOptions& options);

// The lines the terminal shows when each \r or \n starts a line anew: the pieces between them,
// with the erase-to-end-of-line sequence \033[K removed.
std::vector<std::string> DrawnLines(const std::string& output);

} // namespace vanta::test
