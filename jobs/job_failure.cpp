#include "jobs/job_failure.h"

#include "vanta/result_codes.h"

using namespace vanta::result;

namespace vanta::internal {

JobFailureDescription DescribeJobFailure(unsigned int code) {
    switch (code) {
    case kLocalFileError:
        return {FailureKind::LocalFile, "a local file could not be opened or measured"};
    case kNoSpace:
        return {FailureKind::Refused, "the files do not fit the user's disk quota"};
    case kServiceFail:
        return {FailureKind::Refused, "the service refused to register the asset"};
    case kCancelled:
        return {FailureKind::Other, "cancelled"};
    case kZero:
        // An upload's notification or a share's mailing answered FAIL, or a reply the worker
        // depends on lacked its values.
        return {FailureKind::Refused,
                "the service refused to send the mails, or a reply lacked its values"};
    default:
        return {FailureKind::Network, "the transfer or a request failed"};
    }
}

} // namespace vanta::internal
