// Local files stored on the service host over FTP: one file under a name of the caller's over
// one connection, or a set of files under their own names over as many connections at once as
// the context's configuration allows (transport/parallel_send.h).
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What each operation is doing, as its failures describe it.
inline constexpr std::string_view kSendingFile = "sending a file";
inline constexpr std::string_view kSendingFiles = "sending files";

// Stores the local file `localPath` as `remoteName` in `remoteDir` (empty: the login
// directory). Any failure (host, login, directory, local file, transfer) is an Error with code
// 0; when the connection or the directory fails, the local file is not opened. A connection
// that breaks is replaced under the context's retry policy and the file goes on where the
// server's copy ends, as in the multi-file send; a cancel of the context's transfer control is
// an Error of category cancelled.
vanta::Result<void> SendFile(const CallContext& context, const CString& remoteDir,
                             const CString& localPath, const CString& remoteName);

// Stores every file of `localFiles` in `remoteDir` under the last component of its path;
// files that cannot be opened or read are skipped. A network failure and a file that changed
// while it was sent are an Error with code 16; a cancel of the context's transfer control one
// with code 16384.
vanta::Result<void> SendFileSet(const CallContext& context, const CString& remoteDir,
                                const CStringArray& localFiles);

} // namespace core
