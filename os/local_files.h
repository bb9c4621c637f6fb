// Local files as the library names and measures them before it sends them.
#pragma once

#include "vanta/cstring.h"

#include <cstdint>
#include <string>

// The longest name or path the library passes on (to the file system, in an FTP command, as
// a request's program path): PATH_MAX here. A longer one names no file and would only fail
// later, deep in the transfer, with a misleading reason; it is refused before anything is sent.
inline constexpr int kMaxPathBytes = 4096;

class CFile;

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

// Whether the local file `local` (opened from `path`) was sent as it was measured: `given`
// bytes were read from it, `measured` were expected, and it is still `measured` bytes long
// now that its send ends. A file that was cut short or grew meanwhile would be stored as
// neither version of itself; false then, with the failure reason saying so.
bool SentAsMeasured(const CFile& local, const CString& path, std::uint64_t measured,
                    std::uint64_t given);

// Whether anything at all stands at `path`: a file, a directory, a link (even one that leads
// nowhere). A link is not followed.
bool LocalNameTaken(const char* path);

// Renames the file `from` to `to`, replacing a file already there in one step (a reader sees the
// old file or the new one). False when that failed; errno says why.
bool ReplaceLocalFile(const char* from, const char* to);

// "" when `path` names a regular file this process may read; else why not ("Permission
// denied", "it is a directory", "not a regular file", ...). The file is opened without
// blocking, so that a FIFO is refused rather than waited on, and closed again.
std::string LocalFileProblem(const char* path);
