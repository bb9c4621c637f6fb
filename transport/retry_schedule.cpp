#include "transport/retry_schedule.h"

#include <algorithm>
#include <random>
#include <thread>

namespace {
using std::chrono::milliseconds;

// A cancel is looked for this often during a wait: "at once" for a person, and cheap.
constexpr milliseconds kCancelPoll{10};

// The share of a wait taken off at random, in [0, jitter].
double RandomShare(double jitter) {
    if (jitter <= 0) {
        return 0;
    }
    thread_local std::minstd_rand random{std::random_device{}()};
    return std::uniform_real_distribution<double>(0, std::min(jitter, 1.0))(random);
}
} // namespace

RetrySchedule::RetrySchedule(const vanta::RetryPolicy& policy)
    : m_policy(policy), m_start(std::chrono::steady_clock::now()) {}

bool RetrySchedule::NextWait(milliseconds& wait) {
    if (m_attempt >= MostAttempts()) {
        return false;
    }
    if (m_movedForward) {
        wait = milliseconds(0);
        return true;
    }
    // initial * 2^step, capped; the doubling stops at the cap so it cannot overflow.
    milliseconds full = std::max(m_policy.initial_backoff, milliseconds(0));
    for (unsigned i = 0; i < m_backoffStep && full < m_policy.max_backoff; ++i) {
        full *= 2;
    }
    full = std::min(full, std::max(m_policy.max_backoff, milliseconds(0)));
    wait = milliseconds(static_cast<milliseconds::rep>(static_cast<double>(full.count()) *
                                                       (1.0 - RandomShare(m_policy.jitter))));
    const auto waitEnds = std::chrono::steady_clock::now() + wait;
    return waitEnds - m_start <= m_policy.budget;
}

bool RetrySchedule::WaitForNextAttempt(milliseconds wait, TransferControl* control, TraceSink trace,
                                       const std::string& what, const std::string& reason) {
    ++m_attempt;
    if (m_movedForward) {
        m_movedForward = false;
    } else {
        ++m_backoffStep;
    }
    Trace(trace, '*',
          "retrying " + what + ": attempt " + std::to_string(m_attempt) + " of " +
              std::to_string(MostAttempts()) + " after " + std::to_string(wait.count()) + " ms (" +
              reason + ")");
    const auto until = std::chrono::steady_clock::now() + wait;
    while (true) {
        if (control != nullptr && control->CancelRequested()) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) {
            return true;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(until - now, kCancelPoll));
    }
}

void RetrySchedule::MovedForward() {
    m_start = std::chrono::steady_clock::now();
    m_backoffStep = 0;
    m_movedForward = true;
}

std::string ReasonAfterAttempts(const std::string& reason, unsigned attempts) {
    if (attempts <= 1) {
        return reason;
    }
    return reason + " (after " + std::to_string(attempts) + " attempts)";
}
