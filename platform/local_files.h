// Local files as the library names and measures them before it sends them.
#pragma once

#include "vanta/cstring.h"

#include <cstdint>

// True when a NUL byte stands inside `text`. Wherever the text goes on as a C string (a path
// to the system, a name in an FTP command) it would be cut short there and name another file,
// so such a text is refused wherever it would leave the library.
bool HoldsNul(const CString& text);

// `path` as a C string for the file system; a path holding a NUL byte throws CFileException
// (badPath).
const char* WholePath(const CString& path);

// Opens the local file at `path` (WholePath) to prove it is a readable regular file and gives
// its length; `name`, when given, receives its bare name, the text after the last '/'. Throws
// CFileException.
std::uint64_t MeasureLocalFile(const CString& path, CString* name = nullptr);
