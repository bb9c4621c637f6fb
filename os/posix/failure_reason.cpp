// The POSIX twin of the per-thread failure reason: thread_local, which the C++ run time frees
// at each thread's end by code that stays loaded as long as the thread can run it.
#include "os/failure_reason.h"
#include "os/failure_reason_storage.h"

namespace {
thread_local std::string t_reason;
thread_local FailureKind t_kind = FailureKind::None;
thread_local std::string t_handed[static_cast<unsigned>(HandedText::Count)];
} // namespace

void ClearFailureReason() {
    t_reason.clear();
    t_kind = FailureKind::None;
}

void SetFailureReason(FailureKind kind, std::string text) noexcept {
    t_reason.swap(text);
    t_kind = kind;
}

void SetFailureReason(std::string text) noexcept {
    SetFailureReason(FailureKind::Other, std::move(text));
}

const std::string& FailureReason() {
    return t_reason;
}

FailureKind LastFailureKind() {
    return t_kind;
}

const char* KeepHandedText(HandedText which, std::string text) noexcept {
    std::string& kept = t_handed[static_cast<unsigned>(which)];
    kept.swap(text);
    return kept.c_str();
}

FailureReasonKeeper::FailureReasonKeeper() noexcept : m_kind(t_kind) {
    try {
        m_reason = t_reason;
        m_kept = true;
    } catch (...) {
        // No memory for the copy: the callback's calls may replace the reason.
    }
}

FailureReasonKeeper::~FailureReasonKeeper() {
    if (m_kept) {
        t_reason.swap(m_reason);
        t_kind = m_kind;
    }
}

void ReleaseFailureReasons() noexcept {}
