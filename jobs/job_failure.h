// What a job's result code says about its failure, for a worker that recorded no reason of
// its own (a quota that does not fit, a FAIL answer): the caller still learns why.
#pragma once

#include "os/failure_reason.h"

namespace vanta::internal {

struct JobFailureDescription {
    FailureKind kind;
    const char* text;
};

// The description of a worker's result code other than success.
JobFailureDescription DescribeJobFailure(unsigned int code);

} // namespace vanta::internal
