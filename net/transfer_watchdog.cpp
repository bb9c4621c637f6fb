// The stall watchdog and the cancel grace: when a transfer in flight is given up.
#include "net/transfer_watchdog.h"

#include "net/transfer_control.h"

void StallWatchdog::Arm() {
    m_run.armed = m_limitMs > 0;
    m_run.lastMoveTime = Clock::now();
}

bool StallWatchdog::Stalls(curl_off_t moved) {
    if (!m_run.armed) {
        return false;
    }
    const auto now = Clock::now();
    if (moved != m_run.lastMoved) {
        m_run.lastMoved = moved;
        m_run.lastMoveTime = now;
        return false;
    }
    if (now - m_run.lastMoveTime > std::chrono::milliseconds(m_limitMs)) {
        m_run.stalled = true;
        return true;
    }
    return false;
}

bool CancelGrace::Due(const TransferControl* control) {
    if (control == nullptr || !control->CancelRequested()) {
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!m_seen) {
        m_seen = true;
        m_seenAt = now;
    }
    return now - m_seenAt >= std::chrono::milliseconds(kGraceMs);
}
