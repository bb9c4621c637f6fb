/// \file
/// Self-update: fetching the library file that the service offers.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Fetches "VantaAPI.dll" from the service's "/downloads" into `localDir` + "/VantaAPI.dll",
/// replacing a file of that name once the whole file has arrived. 1 when the file is in
/// place; 16 when the host could not be reached, the login or the fetch failed or the file
/// could not be written. After a failure an existing file is as it was and no temporary file
/// is left behind.
VANTA_API unsigned int WINAPI QDX_DownloadDll(const CString& localDir, StatusCallback callback);
