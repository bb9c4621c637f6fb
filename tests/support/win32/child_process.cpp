// The Win32 twin of the child-process runner. A Windows program (a helper, a probe) starts with
// CreateProcess; any other is a Linux program (openssl, scripts/make-test-ca), which a Windows
// process under wine cannot start, so the Linux side of the run runs it. No terminal here.
#include "child_process.h"

#include "linux_side.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>

namespace vanta::test {

namespace {
std::wstring Wide(const std::string& text) {
    return std::filesystem::path(text).wstring();
}

// One argument as the child's C runtime splits its command line again.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(backslashes * 2, L'\\') + L"\"";
}

std::wstring EnvironmentBlock(const ChildOptions& options) {
    std::wstring block;
    wchar_t* const all = GetEnvironmentStringsW();
    for (const wchar_t* entry = all; *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        const std::wstring name = text.substr(0, text.find(L'=', 1));
        const auto named = [&](const std::string& other) { return Wide(other) == name; };
        if (std::ranges::none_of(options.unsetEnv, named) &&
            std::ranges::none_of(options.env, [&](const auto& kv) { return named(kv.first); })) {
            block += text + L'\0';
        }
    }
    FreeEnvironmentStringsW(all);
    for (const auto& [name, value] : options.env) {
        block += Wide(name + "=" + value) + L'\0';
    }
    return block + L'\0';
}

// A temporary file that the child inherits, holding `content`, deleted when closed.
HANDLE TempFile(const std::string& content) {
    wchar_t dir[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE file =
        GetTempPathW(MAX_PATH + 1, dir) && GetTempFileNameW(dir, L"vt", 0, name)
            ? CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                          nullptr)
            : INVALID_HANDLE_VALUE;
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr) ||
        SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) {
        throw std::runtime_error("cannot make a temporary file for a child process");
    }
    return file;
}

// What a Windows program wrote, with its C runtime's text-mode line ends ("\r\n") as "\n":
// the tests compare output as on Linux.
std::string Contents(HANDLE file) {
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.erase(at, 1);
    }
    return text;
}

ChildResult RunOnLinuxSide(const std::vector<std::string>& argv, const ChildOptions& options) {
    const int timeoutMs = int(options.timeout.count());
    const nlohmann::json done = AskLinuxSide("run",
                                             {{"argv", argv},
                                              {"env", options.env},
                                              {"unset", options.unsetEnv},
                                              {"input", options.input},
                                              {"timeout_ms", timeoutMs}},
                                             timeoutMs + 15000);
    return {done.at("exit"), done.at("out"), done.at("err")};
}
} // namespace

ChildResult RunChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    std::string program = argv.at(0);
    if (!program.ends_with(".exe")) {
        if (!std::filesystem::exists(program + ".exe")) {
            return RunOnLinuxSide(argv, options);
        }
        program += ".exe";
    }
    if (options.terminalColumns > 0) {
        throw std::runtime_error("no terminal for a child process on Windows");
    }
    std::wstring commandLine;
    for (const std::string& argument : argv) {
        commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(argument));
    }
    const HANDLE in = TempFile(options.input), out = TempFile(""), err = TempFile("");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION child{};
    std::wstring environment = EnvironmentBlock(options);
    if (!CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup,
                        &child)) {
        throw std::runtime_error("cannot start " + program);
    }
    ChildResult result;
    DWORD code = 0;
    if (WaitForSingleObject(child.hProcess, DWORD(options.timeout.count())) != WAIT_OBJECT_0) {
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, 5000);
    } else if (GetExitCodeProcess(child.hProcess, &code)) {
        result.exitCode = int(code);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    result.out = Contents(out);
    result.err = Contents(err);
    for (const HANDLE file : {in, out, err}) {
        CloseHandle(file);
    }
    return result;
}

} // namespace vanta::test
