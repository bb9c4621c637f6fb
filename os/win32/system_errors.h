// The Win32 twin's failures in the library's terms: a system error number as the errno value
// that the shared code (CFileException's causes, the failure texts) understands.
#pragma once

#include "os/windows_api.h"

#include <string>

// ENOENT for a missing file or path, EACCES for a refusal or a file in use, ...; EIO otherwise.
int ErrnoOf(DWORD systemError);
// The calling thread's last system error as ErrnoOf gives it, also stored in errno.
int TakeLastError();
