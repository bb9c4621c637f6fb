#include "cli/password_source.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/local_input.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {
std::string TooLong() {
    return "the password is longer than " + std::to_string(kMaxPasswordBytes) +
           " bytes, the most taken";
}

// One line of stdin without its line end; nothing at end of input or past the size limit,
// `why` then saying which (prefixed with `source`).
std::optional<std::string> ReadLine(const std::string& source, const std::string& ended,
                                    std::string& why) {
    std::string line;
    switch (ReadStdinLine(kMaxPasswordBytes, line)) {
    case LineRead::kLine:
        return line;
    case LineRead::kTooLong:
        why = source + TooLong();
        return std::nullopt;
    case LineRead::kEnded:
        break;
    }
    why = ended;
    return std::nullopt;
}

std::optional<std::string> Prompt(const std::string& prompt, std::string& why) {
    // Echo goes off before the prompt shows, so that nothing typed after it is echoed or lost;
    // Ctrl-C at the prompt must not leave the terminal without echo.
    const HiddenTyping hidden(kExitInterrupted);
    if (!hidden.Active()) {
        why = "no password was entered";
        return std::nullopt;
    }
    std::cerr << prompt << std::flush;
    return ReadLine("", "no password was entered", why);
}
} // namespace

std::optional<std::string> ReadPassword(bool fromStdin, const std::string& prompt,
                                        std::string& why) {
    if (fromStdin) {
        return ReadLine(
            "--password-stdin: ", "--password-stdin: stdin ended before a password line", why);
    }
    if (const char* variable = std::getenv("VANTA_PASSWORD"); variable != nullptr) {
        if (std::strlen(variable) > kMaxPasswordBytes) {
            why = "VANTA_PASSWORD: " + TooLong();
            return std::nullopt;
        }
        return std::string(variable);
    }
    if (IsTerminal(ConsoleStream::kStdin)) {
        return Prompt(prompt, why);
    }
    why = "a password is needed: use --password-stdin, set VANTA_PASSWORD, or run at a "
          "terminal to be asked";
    return std::nullopt;
}
