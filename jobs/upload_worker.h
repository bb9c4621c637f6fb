// The worker of an upload job.
#pragma once

namespace vanta::internal {
class Job;
}

// Carries the asset of `job` to the service: measure the files, check the quota, register the
// asset, send the files, notify the recipients. Once the asset is registered, any outcome but
// success rolls it back (job_rollback.h). Returns the job's result code (0, 1, 8, 16, 32,
// 128, 256 or 16384); 8 also when a file changed while it was sent.
unsigned int RunUpload(vanta::internal::Job& job);
