#include "client/client_impl.h"

#include "os/failure_reason.h"

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
