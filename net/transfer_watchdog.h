// When a transfer in flight is given up before libcurl would end it: the stall watchdog (no
// byte moving either way for the limit) and the cancel grace (the owner's cancel seen long
// enough ago). libcurl's progress callback and the driver's waits ask both.
#pragma once

#include <chrono>
#include <curl/curl.h>

class TransferControl;

// Ends a transfer whose up- and download byte counts stand still for the limit; libcurl's
// own low-speed limit averages over too long to serve as one. Armed once the connection is
// up, so that it never overlaps the connect time-out.
class StallWatchdog {
public:
    // 0 switches the watchdog off.
    void SetLimit(long limitMs) { m_limitMs = limitMs; }
    long LimitMs() const { return m_limitMs; }

    // A transfer starts: not armed, nothing moved, not stalled.
    void Restart() { m_run = {}; }
    // The connection is up: the count starts now, when there is a limit.
    void Arm();
    // The time the transfer was paused was its owner's, not the server's: the count starts
    // again now.
    void Resume() { m_run.lastMoveTime = Clock::now(); }

    // Given the bytes moved so far, true once they have stood still for longer than the
    // limit: the transfer is then to be aborted.
    bool Stalls(curl_off_t moved);
    bool Stalled() const { return m_run.stalled; }

private:
    using Clock = std::chrono::steady_clock;
    struct Run {
        bool armed = false;
        bool stalled = false;
        curl_off_t lastMoved = -1;
        Clock::time_point lastMoveTime{};
    };
    long m_limitMs = 0;
    Run m_run;
};

// A step started before the owner's cancel gets kGraceMs to end on its own (a healthy server
// ends a file within it, keeping what was sent); then the transfer is aborted. Once seen, the
// cancel stays seen for the life of the handle: every later step is aborted without another
// grace.
class CancelGrace {
public:
    static constexpr int kGraceMs = 250;

    // True once `control` (null: none) has asked for a cancel at least kGraceMs ago.
    bool Due(const TransferControl* control);

private:
    bool m_seen = false;
    std::chrono::steady_clock::time_point m_seenAt;
};
