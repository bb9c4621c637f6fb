// The Win32 twin of the OS layer's Windows names: the system's own declarations. The build
// defines NOMINMAX and WIN32_LEAN_AND_MEAN for every file, since libcurl's headers include
// windows.h before any of the library's.
#pragma once

#include <windows.h>
#include <winsock2.h>
