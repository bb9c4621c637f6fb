// The thread function of an upload job.
#pragma once

#include "platform/win_types.h"

// Carries the asset of the UploadJob `job` to the service: measure the files, check the
// quota, register the asset, send the files, notify the recipients. Returns the job's result
// code (0, 1, 8, 16, 32, 128, 256 or 16384).
UINT UploadThreadProc(LPVOID job);
