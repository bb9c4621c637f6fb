// Remote file management with every outcome kept apart: the exports fold some of them, the
// C++ client tells them apart.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/status_callback.h"

// Removes the directory `dirPath` (a whole FTP path). 1: removed; 256: the host refused (not
// empty, missing); 16: network failure.
unsigned int RemoveRemoteDirectory(const CString& dirPath, StatusCallback callback);

// Takes what a job stored in the directory `dirPath` (a whole FTP path) off the host over one
// connection: the files `names`, then the directory. 1: the directory is gone, also when it
// was not there to begin with; 16: the connection failed, or the directory is still there
// (it holds a file of another name, say).
unsigned int RemoveJobDirectory(const CallContext& context, const CString& dirPath,
                                const CStringArray& names);
