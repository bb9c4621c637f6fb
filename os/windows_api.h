// The Win32 types, constants and calls that the library's algorithms are written in (thread
// handles, the registry's calls, a few flags): on Windows the system's own, elsewhere the POSIX
// twin's under the same names and contracts. The one place above the twins' own files that
// tells the platforms apart: the system's headers reach most files on Windows anyway (libcurl's
// headers include them), so the library may declare none of these names there itself.
#pragma once

#if defined(_WIN32)
#include "os/win32/windows_api.h"
#else
#include "os/posix/windows_api.h"
#endif
