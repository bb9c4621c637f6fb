// The thread function of an email sharing job.
#pragma once

#include "platform/win_types.h"

// Sends the files of the UploadJob `job` (the info file last) into the session's directory
// on the service and has the service mail them. Returns the job's result code (0, 1, 8, 16,
// 32 or 16384).
UINT EmailThreadProc(LPVOID job);
