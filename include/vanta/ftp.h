/// \file
/// FTP file operations on the service host.
///
/// Each call opens its own connection to the service host (port 21, the library's login,
/// active mode, binary transfers) and closes it before it returns. Names and directories are
/// sent as given; one holding CR, LF or a NUL byte is refused with the call's network-failure
/// result before anything carrying it is sent. No progress on the control or data connection
/// for the FTP limit (30 s; VANTA_FTP_TIMEOUT_MS, read at load, in milliseconds) ends a call
/// with its network-failure result, as does a transfer slower than 1 KiB/s over 30 s. An
/// active-mode data connection is accepted only from the address of the service host.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Stores the local file `localPath` as `remoteName` in `remoteDir` (empty: the login
/// directory), replacing a remote file of that name. True when the whole file was stored;
/// false when the host could not be reached, the login or the directory was refused, the
/// local file could not be opened or read (only a regular file is read), or the transfer
/// failed. When the connection or the
/// directory fails, the local file is not opened.
VANTA_API bool WINAPI QDX_FTPFile(const CString& remoteDir, const CString& localPath,
                                  const CString& remoteName, StatusCallback callback);

/// Looks for `fileName` (a file or a directory) in "/assets/" + `subDir`. 1 with `found` set
/// to 1 or 0 (0 also when the directory cannot be entered); 16 on a network failure, `found`
/// untouched.
VANTA_API unsigned int WINAPI QDX_CheckFile(const CString& subDir, const CString& fileName,
                                            int& found, StatusCallback callback);

/// Deletes `fileName` in "/assets/" + `subDir`. 1 when it was deleted; 1024 when the
/// directory cannot be entered, the name is not there or the host refused the deletion
/// (nothing was removed); 16 on a network failure, also when the host answered only a
/// preliminary reply and then dropped the connection (whether the file went is unknown).
VANTA_API unsigned int WINAPI QDX_FTPDeleteFile(const CString& subDir, const CString& fileName,
                                                StatusCallback callback);

/// Removes the directory `dirPath` (a whole FTP path). 1 when it was removed; 16 when the host
/// refused (not empty, missing) or on a network failure.
VANTA_API unsigned int WINAPI QDX_FTPRemoveDir(const CString& dirPath, StatusCallback callback);
