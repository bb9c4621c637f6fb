// The Win32 twin: the command line as the system keeps it, in UTF-16, converted to UTF-8; and
// the console's output code page set to UTF-8 while the program runs.
#include "cli/arguments.h"

#include <windows.h>

#include <shellapi.h>

namespace {
std::string Utf8Of(const wchar_t* wide) {
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 1) {
        return {};
    }
    std::string text(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), needed, nullptr, nullptr);
    text.pop_back(); // the terminating NUL
    return text;
}
} // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        // No memory for the split: the ANSI form is all there is.
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Utf8Of(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

Utf8Console::Utf8Console() : m_previous(GetConsoleOutputCP()) {
    // 0 without a console (output to a pipe or a file): the bytes go out as they are then.
    if (m_previous != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (m_previous != 0) {
        SetConsoleOutputCP(m_previous);
    }
}
