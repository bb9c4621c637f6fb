// The temporary directory and local file deletion, as the email code uses them.
#pragma once

#include "framework/win_types.h"

// The directory for the library's temporary files, always ending with '/'. POSIX: $TMPDIR
// when it is set and not empty; otherwise the private directory /tmp/vanta-<uid>/, created with
// mode 0700 when missing and accepted only when it is a real directory (not a link) owned by
// this user. Windows: the user's own temporary directory as the system names it, in UTF-8 and
// with '/' for '\'. Writes the path and its NUL into `buffer` when `bufferLength` holds both and
// returns the path's length; returns the length needed, NUL included, when the buffer is too
// small; 0 when there is no usable directory. (GetTempPathA's contract, under a name of the
// library's own: on Windows that name is the system's, whose text is not UTF-8.)
DWORD LibraryTempPath(DWORD bufferLength, LPTSTR buffer);

// Removes the file `fileName` (a link itself, never its target). TRUE when it was removed.
BOOL DeleteLocalFile(LPCTSTR fileName);
