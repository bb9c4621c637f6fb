// The worker of an email sharing job.
#pragma once

namespace vanta::internal {
class Job;
}

// Sends the files of `job` (the info file last) into the session's directory on the service
// and has the service mail them. Returns the job's result code (0, 1, 8, 16, 32 or 16384).
unsigned int RunEmail(vanta::internal::Job& job);
