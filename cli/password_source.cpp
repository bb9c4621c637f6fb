#include "cli/password_source.h"

#include "cli/exit_status.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {
termios g_savedTerminal{};

// Ctrl-C at the prompt must not leave the terminal without echo.
extern "C" void RestoreTerminalAndExit(int) {
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    const char newline = '\n';
    (void)!write(STDERR_FILENO, &newline, 1);
    _exit(kExitInterrupted);
}

// One line of stdin without its line end (LF or CR LF); nothing at end of input.
std::optional<std::string> ReadLine() {
    std::string line;
    if (!std::getline(std::cin, line) && line.empty()) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

std::optional<std::string> Prompt(const std::string& prompt) {
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
        return std::nullopt;
    }
    termios silent = g_savedTerminal;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    auto* previous = std::signal(SIGINT, RestoreTerminalAndExit);
    // Echo goes off before the prompt shows, so that nothing typed after it is echoed or lost.
    tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    std::cerr << prompt << std::flush;
    std::optional<std::string> line = ReadLine();
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    std::signal(SIGINT, previous);
    return line;
}
} // namespace

std::optional<std::string> ReadPassword(bool fromStdin, const std::string& prompt,
                                        std::string& why) {
    if (fromStdin) {
        std::optional<std::string> line = ReadLine();
        if (!line) {
            why = "--password-stdin: stdin ended before a password line";
        }
        return line;
    }
    if (const char* variable = std::getenv("VANTA_PASSWORD"); variable != nullptr) {
        return std::string(variable);
    }
    if (isatty(STDIN_FILENO)) {
        std::optional<std::string> line = Prompt(prompt);
        if (!line) {
            why = "no password was entered";
        }
        return line;
    }
    why = "a password is needed: use --password-stdin, set VANTA_PASSWORD, or run at a "
          "terminal to be asked";
    return std::nullopt;
}
