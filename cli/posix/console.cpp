// The POSIX twin of vanta's console: isatty, the terminal's window size, sigaction and termios.
#include "cli/console.h"

#include <csignal>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

bool IsTerminal(ConsoleStream stream) {
    return isatty(stream == ConsoleStream::kStdin ? STDIN_FILENO : STDERR_FILENO) == 1;
}

unsigned int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 0;
}

void WriteStderrNow(const char* text, std::size_t length) {
    (void)!write(STDERR_FILENO, text, length);
}

void ExitNow(int status) {
    _exit(status);
}

namespace {
void (*volatile g_onInterrupt)() = nullptr;

extern "C" void OnInterrupt(int) {
    if (g_onInterrupt != nullptr) {
        g_onInterrupt();
    }
}

termios g_savedTerminal{};
volatile std::sig_atomic_t g_hiddenInterruptStatus = 0;

// Ctrl-C while typing is hidden must not leave the terminal without echo.
extern "C" void RestoreTerminalAndExit(int) {
    tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    const char newline = '\n';
    WriteStderrNow(&newline, 1);
    _exit(g_hiddenInterruptStatus);
}

struct sigaction g_beforeHidden {};
} // namespace

struct InterruptHandling::Previous {
    struct sigaction action {};
};

InterruptHandling::InterruptHandling(void (*onInterrupt)())
    : m_previous(std::make_unique<Previous>()) {
    g_onInterrupt = onInterrupt;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_previous->action);
}

InterruptHandling::~InterruptHandling() {
    sigaction(SIGINT, &m_previous->action, nullptr);
}

HiddenTyping::HiddenTyping(int interruptedStatus) {
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
        return;
    }
    g_hiddenInterruptStatus = interruptedStatus;
    termios silent = g_savedTerminal;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    struct sigaction action {};
    action.sa_handler = RestoreTerminalAndExit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_beforeHidden);
    tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    m_active = true;
}

HiddenTyping::~HiddenTyping() {
    if (m_active) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        sigaction(SIGINT, &g_beforeHidden, nullptr);
    }
}
