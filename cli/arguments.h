// The command line and the console's text as UTF-8, the tool's own encoding on every platform.
// The POSIX twin (cli/posix/arguments.cpp) passes the bytes through; the Win32 twin
// (cli/win32/arguments.cpp) reads the command line as UTF-16, since main() there receives it in
// the ANSI code page, where a name outside that page is lost.
#pragma once

#include <string>
#include <vector>

// The program's arguments, argv[0] included, in UTF-8.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// While it lives, text the program writes to a console shows as UTF-8; the console's previous
// setting comes back at its end (the console may outlive the program).
class Utf8Console {
public:
    Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;
    ~Utf8Console();

private:
    unsigned int m_previous = 0;
};
