// Where a command gets a password without it ever being on the command line (where `ps` and
// the shell's history would show it): the first line of stdin with --password-stdin, else
// the environment variable VANTA_PASSWORD, else a prompt without echo when stdin is a
// terminal.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The longest password taken, from any source: far above any real one, and small enough that a
// stream without a line end is refused at once rather than read into memory and posted.
inline constexpr std::size_t kMaxPasswordBytes = 4096;

// Reads the password as above. Nothing when there is none to be had (no flag, no variable,
// stdin not a terminal, or stdin ended before a line) or when it is longer than
// kMaxPasswordBytes; `why` then says so.
std::optional<std::string> ReadPassword(bool fromStdin, const std::string& prompt,
                                        std::string& why);
