// Where a command gets a password without it ever being on the command line (where `ps` and
// the shell's history would show it): the first line of stdin with --password-stdin, else
// the environment variable VANTA_PASSWORD, else a prompt without echo when stdin is a
// terminal.
#pragma once

#include <optional>
#include <string>

// Reads the password as above. Nothing when there is none to be had (no flag, no variable,
// stdin not a terminal, or stdin ended before a line); `why` then says so.
std::optional<std::string> ReadPassword(bool fromStdin, const std::string& prompt,
                                        std::string& why);
