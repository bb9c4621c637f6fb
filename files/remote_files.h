// Remote file management on the service host, one FTP connection per operation: look a name
// up, delete a file, remove a directory, take a job's files off the host. Each outcome keeps
// the code the matching export gives for it.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What each operation is doing, as its failures describe it.
inline constexpr std::string_view kLookingForFile = "looking for a file";
inline constexpr std::string_view kDeletingFile = "deleting a file";
inline constexpr std::string_view kRemovingDirectory = "removing a directory";

// Whether `fileName` (a file or a directory) is in "/assets/" + `subDir`: false also when the
// directory cannot be entered. A network failure is an Error with code 16.
vanta::Result<bool> FindRemoteFile(const CallContext& context, const CString& subDir,
                                   const CString& fileName);

// Deletes `fileName` in "/assets/" + `subDir`. A directory that cannot be entered, a name
// that is not there and a deletion the host refused remove nothing: not_found, code 1024. A
// network failure: code 16.
vanta::Result<void> DeleteRemoteFile(const CallContext& context, const CString& subDir,
                                     const CString& fileName);

// Removes the directory `dirPath` (a whole FTP path). The host's refusal (not empty, missing)
// is `refused`; it and a network failure both carry code 16.
vanta::Result<void> RemoveRemoteDirectory(const CallContext& context, const CString& dirPath);

// Takes what a job stored in the directory `dirPath` (a whole FTP path) off the host over one
// connection: the files `names`, then the directory. Succeeds when the directory is gone, also
// when it was not there to begin with; code 16 when the connection failed, or the directory is
// still there (it holds a file of another name, say).
vanta::Result<void> RemoveJobDirectory(const CallContext& context, const CString& dirPath,
                                       const CStringArray& names);

} // namespace core
