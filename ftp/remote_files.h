// Remote file management with every outcome kept apart: the exports fold some of them, the
// C++ client tells them apart.
#pragma once

#include "vanta/cstring.h"
#include "vanta/status_callback.h"

// Removes the directory `dirPath` (a whole FTP path). 1: removed; 256: the host refused (not
// empty, missing); 16: network failure.
unsigned int RemoveRemoteDirectory(const CString& dirPath, StatusCallback callback);
