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

vanta::Error UnusableConfig(const vanta::detail::ClientState& state, std::string_view doing) {
    return vanta::Error{vanta::ErrorCategory::invalid_argument, vanta::result::kZero,
                        std::string(doing) + ": " + state.configProblem};
}
