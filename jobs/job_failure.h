// How a job's step fails: the Error a worker gives, and the words for a failure whose thread
// recorded no reason of its own (a quota that does not fit, a FAIL answer), so that the caller
// still learns why.
#pragma once

#include "os/failure_reason.h"
#include "vanta/results.hpp"

namespace vanta::internal {

// What a failed step says when its thread recorded nothing.
namespace job_failure {
inline constexpr const char* kLocalFile = "a local file could not be opened or measured";
inline constexpr const char* kNoSpace = "the files do not fit the user's disk quota";
inline constexpr const char* kRegistrationRefused = "the service refused to register the asset";
inline constexpr const char* kCancelled = "cancelled";
// An upload's notification or a share's mailing answered FAIL, or a reply the worker depends
// on lacked its values.
inline constexpr const char* kMailRefused =
    "the service refused to send the mails, or a reply lacked its values";
inline constexpr const char* kTransfer = "the transfer or a request failed";
} // namespace job_failure

// The Error of a job's step that failed with `category` and the exports' `code`; its reason is
// `unrecorded` (one of job_failure's), which stands only when the thread records nothing.
vanta::Error JobFailed(vanta::ErrorCategory category, unsigned int code,
                       const char* unrecorded) noexcept;

// The Error of a multi-file send that gave `code` (8, 16 or 16384).
vanta::Error SendFailed(unsigned int code) noexcept;

// The Error of the request that ends a job (an upload's notification, a share's mailing) when
// it gave `verdict`: the service's FAIL is the worker's 0, anything else a failed transfer.
vanta::Error NotificationFailed(unsigned int verdict) noexcept;

// The failure kind that QDX_GetLastFailureKind gives for a job's failure of `category` whose
// thread recorded none.
FailureKind KindOfJobFailure(vanta::ErrorCategory category) noexcept;

} // namespace vanta::internal
