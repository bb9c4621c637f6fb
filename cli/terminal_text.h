// Text from the service shown on a terminal: escape sequences in a stored name must not
// reach the terminal as commands.
#pragma once

#include <string>
#include <string_view>

// `text` with every control character except tab and line feed, DEL, the C1 controls and
// every byte that is not part of well-formed UTF-8 written as \xNN (upper-case hex).
// Printable ASCII and well-formed UTF-8 pass unchanged.
std::string EscapeForTerminal(std::string_view text);
