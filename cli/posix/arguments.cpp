// The POSIX twin: arguments are bytes, and the terminal takes UTF-8 as the locale says.
#include "cli/arguments.h"

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;
