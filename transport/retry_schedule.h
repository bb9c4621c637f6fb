// The attempts of one operation under its retry policy: whether another attempt may start, how
// long to wait before it, and the wait itself, which a job's cancel ends at once. The request
// channel repeats its POST with it; a transfer that resumes can count its attempts the same way.
#pragma once

#include "net/trace.h"
#include "net/transfer_control.h"
#include "vanta/retry.hpp"

#include <chrono>
#include <string>

class RetrySchedule {
public:
    // The budget runs from here: the first attempt starts now.
    explicit RetrySchedule(const vanta::RetryPolicy& policy);

    // The attempt under way, from 1.
    unsigned Attempt() const { return m_attempt; }
    // Attempts the policy allows in all.
    unsigned MostAttempts() const { return m_policy.retries + 1; }

    // The attempt that just failed moved the operation forward (a transfer got further than
    // ever before): the server was up and taking bytes, so the next attempt starts at once and
    // the back-off begins again from its first wait after that; the budget runs again from
    // now, so that a long transfer that breaks late may still go on. The attempts already made
    // still count.
    void MovedForward();

    // After a failed attempt that may be repeated: the wait before the next one, or nothing
    // when no attempt is left or the wait would end past the budget.
    bool NextWait(std::chrono::milliseconds& wait);

    // Traces "* retrying WHAT: attempt N of M after W ms (REASON)", waits `wait` and counts the
    // next attempt. False when `control` asked to cancel before or during the wait; the wait
    // then ends within a few milliseconds.
    bool WaitForNextAttempt(std::chrono::milliseconds wait, TransferControl* control,
                            TraceSink trace, const std::string& what, const std::string& reason);

private:
    vanta::RetryPolicy m_policy;
    std::chrono::steady_clock::time_point m_start;
    unsigned m_attempt = 1;
    // Waits of the back-off since the start or the last move forward: each doubles the next.
    unsigned m_backoffStep = 0;
    // The attempt that failed last had moved forward: the next one needs no wait.
    bool m_movedForward = false;
};

// `reason` with the count of attempts when there was more than one:
// "cannot connect to ... (after 3 attempts)".
std::string ReasonAfterAttempts(const std::string& reason, unsigned attempts);
