// The worker of an email sharing job.
#pragma once

#include "jobs/job.h"

// Sends the files of a job (the info file last) into the session's directory on the service
// and has the service mail them. A failure's code is 0, 8, 16, 32 or 16384.
extern const vanta::internal::JobWork kShareWork;
