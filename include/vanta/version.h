/// \file
/// The module's version record: what the library file says of itself.
#pragma once

#include "vanta/export.h"

/// The version resource of the library: fixed numbers and texts that callers written for the
/// original interface read. They are not the release: that is vanta::Client::release_version(),
/// the shared library's file name and the CMake and pkg-config packages' version.
struct VantaVersionRecord {
    unsigned short fileVersion[4];    ///< 1.1.0.0
    unsigned short productVersion[4]; ///< 1.1.0.0
    unsigned short language;          ///< 0x0409, US English
    unsigned short codePage;          ///< 0x04b0, Unicode
    const char* FileVersion;          ///< "1.1"
    const char* ProductVersion;       ///< "1.1"
    const char* InternalName;         ///< "vantaAPI"
    const char* FileDescription;      ///< "vantaAPI DLL"
    const char* OriginalFilename;     ///< "vantaAPI.DLL"
    const char* ProductName;          ///< "vantaAPI Dynamic Link Library"
};

/// The record of the loaded library, read-only.
extern "C++" VANTA_API const VantaVersionRecord vantaModuleVersion;
