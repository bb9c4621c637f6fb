// The module's version record: what the library file says of itself.
#pragma once

#include "vanta/export.h"

struct VantaVersionRecord {
    unsigned short fileVersion[4];    // 1.1.0.0
    unsigned short productVersion[4]; // 1.1.0.0
    unsigned short language;          // 0x0409, US English
    unsigned short codePage;          // 0x04b0, Unicode
    const char* FileVersion;
    const char* ProductVersion;
    const char* InternalName;
    const char* FileDescription;
    const char* OriginalFilename;
    const char* ProductName;
};

// The record of the loaded library, read-only.
extern "C++" VANTA_API const VantaVersionRecord vantaModuleVersion;
