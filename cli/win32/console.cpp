// The Win32 twin of vanta's console: the console's handles and modes, and a console control
// handler for Ctrl-C (which the system runs on a thread of its own).
#include "cli/console.h"

#include <csignal>
#include <windows.h>

namespace {
HANDLE StreamHandle(ConsoleStream stream) {
    return GetStdHandle(stream == ConsoleStream::kStdin ? STD_INPUT_HANDLE : STD_ERROR_HANDLE);
}

void (*volatile g_onInterrupt)() = nullptr;

BOOL WINAPI OnControl(DWORD event) {
    if (event != CTRL_C_EVENT || g_onInterrupt == nullptr) {
        return FALSE;
    }
    g_onInterrupt();
    return TRUE;
}

HANDLE g_hiddenInput = nullptr;
DWORD g_savedMode = 0;
volatile std::sig_atomic_t g_hiddenInterruptStatus = 0;

// Ctrl-C while typing is hidden must not leave the console without echo.
BOOL WINAPI RestoreConsoleAndExit(DWORD event) {
    if (event != CTRL_C_EVENT) {
        return FALSE;
    }
    SetConsoleMode(g_hiddenInput, g_savedMode);
    WriteStderrNow("\n", 1);
    ExitNow(g_hiddenInterruptStatus);
}
} // namespace

bool IsTerminal(ConsoleStream stream) {
    DWORD mode = 0;
    return GetConsoleMode(StreamHandle(stream), &mode) != 0;
}

unsigned int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(StreamHandle(ConsoleStream::kStderr), &info)) {
        return 0;
    }
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<unsigned int>(columns) : 0;
}

void WriteStderrNow(const char* text, std::size_t length) {
    DWORD written = 0;
    WriteFile(StreamHandle(ConsoleStream::kStderr), text, static_cast<DWORD>(length), &written,
              nullptr);
}

void ExitNow(int status) {
    // The process ends here, whatever thread asks: the control handler runs on its own.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    ExitProcess(static_cast<UINT>(status));
}

struct InterruptHandling::Previous {};

InterruptHandling::InterruptHandling(void (*onInterrupt)()) {
    g_onInterrupt = onInterrupt;
    SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptHandling::~InterruptHandling() {
    SetConsoleCtrlHandler(OnControl, FALSE);
    g_onInterrupt = nullptr;
}

HiddenTyping::HiddenTyping(int interruptedStatus) {
    const HANDLE input = StreamHandle(ConsoleStream::kStdin);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) {
        return;
    }
    g_hiddenInput = input;
    g_savedMode = mode;
    g_hiddenInterruptStatus = interruptedStatus;
    SetConsoleCtrlHandler(RestoreConsoleAndExit, TRUE);
    SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    m_active = true;
}

HiddenTyping::~HiddenTyping() {
    if (m_active) {
        SetConsoleMode(g_hiddenInput, g_savedMode);
        SetConsoleCtrlHandler(RestoreConsoleAndExit, FALSE);
        // The typed line end was not echoed: the prompt's line ends here, as on a terminal.
        WriteStderrNow("\n", 1);
    }
}
