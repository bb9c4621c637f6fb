#include "platform/failure_reason.h"

namespace {
thread_local std::string t_reason;
} // namespace

void ClearFailureReason() {
    t_reason.clear();
}

void SetFailureReason(std::string text) noexcept {
    t_reason.swap(text);
}

const std::string& FailureReason() {
    return t_reason;
}
