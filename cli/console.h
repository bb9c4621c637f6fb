// What vanta asks of the console it runs in: whether a stream is a terminal and how wide it is,
// typing without echo, Ctrl-C, and the few calls an interrupt handler may make. The POSIX twin
// (cli/posix/console.cpp) and the Win32 twin (cli/win32/console.cpp) implement it.
#pragma once

#include <cstddef>
#include <memory>

enum class ConsoleStream { kStdin, kStderr };

// Whether the stream is a terminal (a console), where a person reads and types.
bool IsTerminal(ConsoleStream stream);

// The width of the terminal on stderr in columns; 0 when it cannot be told.
unsigned int TerminalColumns();

// For an interrupt handler: writes `length` bytes of `text` to stderr at once, unbuffered; and
// ends the process at once with `status`, without unwinding or running exit handlers.
void WriteStderrNow(const char* text, std::size_t length);
[[noreturn]] void ExitNow(int status);

// While it lives, Ctrl-C calls `onInterrupt` instead of ending the program. The handler runs as
// a signal handler (POSIX) or on a thread of the system's (Windows): it may only set a flag of
// type std::sig_atomic_t and call WriteStderrNow and ExitNow.
class InterruptHandling {
public:
    explicit InterruptHandling(void (*onInterrupt)());
    InterruptHandling(const InterruptHandling&) = delete;
    InterruptHandling& operator=(const InterruptHandling&) = delete;
    ~InterruptHandling();

private:
    struct Previous;
    std::unique_ptr<Previous> m_previous;
};

// While it lives, what is typed at stdin's terminal is not echoed (the line end still is), and
// a Ctrl-C restores the echo, ends the line and exits with `interruptedStatus`. Active() is
// false when stdin is no terminal whose echo can be turned off; nothing changed then.
class HiddenTyping {
public:
    explicit HiddenTyping(int interruptedStatus);
    HiddenTyping(const HiddenTyping&) = delete;
    HiddenTyping& operator=(const HiddenTyping&) = delete;
    ~HiddenTyping();

    bool Active() const { return m_active; }

private:
    bool m_active = false;
};
