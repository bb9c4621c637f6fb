#include "jobs/job_failure.h"

#include "vanta/result_codes.h"

using namespace vanta::result;

namespace vanta::internal {

vanta::Error JobFailed(vanta::ErrorCategory category, unsigned int code,
                       const char* unrecorded) noexcept {
    vanta::Error error{category, code, {}, {}};
    try {
        error.reason = unrecorded;
    } catch (...) {
        // No memory for the text: the category and the code still stand.
    }
    return error;
}

vanta::Error SendFailed(unsigned int code) noexcept {
    switch (code) {
    case kCancelled:
        return JobFailed(vanta::ErrorCategory::cancelled, code, job_failure::kCancelled);
    case kLocalFileError:
        // A file that cannot be read any more, or changed since it was measured.
        return JobFailed(vanta::ErrorCategory::local_file, code, job_failure::kLocalFile);
    default:
        return JobFailed(vanta::ErrorCategory::network, code, job_failure::kTransfer);
    }
}

vanta::Error NotificationFailed(unsigned int verdict) noexcept {
    if (verdict == vanta::result::kServiceFail) {
        return JobFailed(vanta::ErrorCategory::refused, vanta::result::kZero,
                         job_failure::kMailRefused);
    }
    return JobFailed(vanta::ErrorCategory::network, verdict, job_failure::kTransfer);
}

FailureKind KindOfJobFailure(vanta::ErrorCategory category) noexcept {
    switch (category) {
    case vanta::ErrorCategory::local_file:
        return FailureKind::LocalFile;
    case vanta::ErrorCategory::no_space:
    case vanta::ErrorCategory::refused:
        return FailureKind::Refused;
    case vanta::ErrorCategory::cancelled:
        return FailureKind::Other;
    default:
        return FailureKind::Network;
    }
}

} // namespace vanta::internal
