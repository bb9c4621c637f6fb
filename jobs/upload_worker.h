// The worker of an upload job.
#pragma once

#include "jobs/job.h"

// Carries the asset of a job to the service: measure the files, check the quota, register the
// asset, send the files, notify the recipients. Once the asset is registered, any outcome but
// success rolls it back (job_rollback.h). A failure's code is 0, 8, 16, 32, 128, 256 or 16384;
// 8 also when a file changed while it was sent.
extern const vanta::internal::JobWork kUploadWork;
