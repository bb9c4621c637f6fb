#include "transport/operation_failure.h"

#include "os/failure_reason.h"
#include "vanta/result_codes.h"

vanta::Error FailedWith(vanta::ErrorCategory category, unsigned int code, std::string_view doing,
                        std::string_view detail) noexcept {
    vanta::Error error{category, code, {}, {}};
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

vanta::Error RequestFailure(vanta::ErrorCategory category, unsigned int code,
                            std::string_view doing, std::string_view detail) noexcept {
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

vanta::Error FtpFailure(unsigned int code, std::string_view doing) noexcept {
    switch (LastFailureKind()) {
    case FailureKind::Refused:
        return FailedWith(vanta::ErrorCategory::refused, code, doing, "the FTP server refused");
    case FailureKind::LocalFile:
        return FailedWith(vanta::ErrorCategory::local_file, code, doing,
                          "a local file could not be read or written");
    default:
        return FailedWith(vanta::ErrorCategory::network, code, doing, "the FTP session failed");
    }
}
