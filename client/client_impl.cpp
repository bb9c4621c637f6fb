#include "client/client_impl.h"

#include "os/failure_reason.h"

OperationScope::OperationScope(const vanta::detail::ClientState& state,
                               const vanta::StatusHandler* handler)
    : m_config(state.service), m_status(handler != nullptr ? handler : &state.config.on_status) {
    // Not every operation runs through an export, which would clear it on entry.
    ClearFailureReason();
}

CString ToCString(std::string_view text) {
    return CString(text);
}

std::string ToString(const CString& text) {
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

vanta::Error RequestFailure(vanta::ErrorCategory category, unsigned int code,
                            std::string_view doing, std::string_view detail) {
    if (code == vanta::result::kChannelFailure) {
        return FailedWith(vanta::ErrorCategory::network, code, doing, "the request failed");
    }
    return FailedWith(category, code, doing, detail);
}

vanta::Result<void> SucceededOr(unsigned int code, vanta::ErrorCategory category,
                                std::string_view doing, std::string_view detail) {
    if (code == vanta::result::kSuccess) {
        return {};
    }
    return RequestFailure(category, code, doing, detail);
}

vanta::Error FailedWith(vanta::ErrorCategory category, unsigned int code, std::string_view doing,
                        std::string_view detail) {
    vanta::Error error{category, code, {}};
    // A bad_alloc may be what brought us here: the reason is best effort.
    try {
        const std::string& recorded = FailureReason();
        if (!recorded.empty() && category != vanta::ErrorCategory::internal) {
            error.reason = recorded;
        } else {
            error.reason.append(doing).append(": ").append(detail);
        }
    } catch (...) {
    }
    return error;
}

vanta::Error UnusableConfig(const vanta::detail::ClientState& state, std::string_view doing) {
    return vanta::Error{vanta::ErrorCategory::invalid_argument, vanta::result::kZero,
                        std::string(doing) + ": " + state.configProblem};
}
