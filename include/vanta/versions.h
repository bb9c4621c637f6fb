/// \file
/// The library's own version and the service's current one.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// The library's version text, "3.3" (not the file version of the shared library).
VANTA_API CString WINAPI QDX_GetDllVersion();

/// Asks the service for its current version into `version` (the reply's text after its first
/// "=", taken whole; empty without one). 1: it equals the library's, byte for byte; 0: it
/// differs; 32: the request failed, `version` untouched.
VANTA_API unsigned int WINAPI QDX_GetServerVersion(CString& version, StatusCallback callback);
