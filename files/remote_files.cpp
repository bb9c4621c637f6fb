// Remote file management below the assets root: look a name up, delete a file, remove a
// directory, take a job's files off the host.
#include "files/remote_files.h"

#include "net/ftp_file_find.h"
#include "net/internet_exception.h"
#include "transport/endpoints.h"
#include "transport/ftp_connect.h"
#include "transport/operation_failure.h"
#include "vanta/result_codes.h"
#include "vanta/retry.hpp"

#include <optional>

using namespace vanta::result;

namespace {
// How a step on the host ended. Each operation's Error is built once its connection is closed,
// from the reason the failing step recorded.
enum class HostStep { kDone, kRefused, kSessionFailed };

// Connects and enters "/assets/" + `subDir`, both names refused before the connection is
// made if they would be. Null when the directory cannot be entered: it holds nothing, and
// working in the login directory instead could find or remove a file of the same name
// elsewhere. Throws CInternetException when the session fails.
CFtpConnection* EnterAssetsDirectory(FtpCall& call, const CString& subDir,
                                     const CString& fileName) {
    const CString directory = endpoint::kAssetsRoot + subDir;
    WholeText(fileName);
    WholeText(directory);
    CFtpConnection& connection = call.Connect();
    return connection.SetCurrentDirectory(WholeText(directory)) ? &connection : nullptr;
}

// Whether the name is there; nothing when the session failed. Only reads: a connection that
// breaks is replaced and the look-up made again while the policy allows.
std::optional<bool> LookUp(const CallContext& context, const CString& subDir,
                           const CString& fileName) {
    FtpCall call(context);
    try {
        return call.Repeating(vanta::repeat_rule("file_exists"),
                              "the look-up of " + std::string(fileName.GetString()), [&] {
                                  CFtpConnection* connection =
                                      EnterAssetsDirectory(call, subDir, fileName);
                                  if (connection == nullptr) {
                                      return false;
                                  }
                                  CFtpFileFind finder(connection, 1);
                                  const bool found =
                                      finder.FindFile(fileName, INTERNET_FLAG_RELOAD) != FALSE;
                                  finder.Close();
                                  return found;
                              });
    } catch (const CInternetException&) {
        return std::nullopt;
    }
}

// kRefused: nothing was removed (no such directory or name, or the host refused). The look-up
// before the DELE only reads: a connection that breaks there is replaced while the policy
// allows; once the DELE is on its way, it may have been carried out, and is not repeated.
HostStep Delete(const CallContext& context, const CString& subDir, const CString& fileName) {
    FtpCall call(context);
    bool deleteSent = false;
    while (true) {
        try {
            CFtpConnection* connection = EnterAssetsDirectory(call, subDir, fileName);
            if (connection == nullptr) {
                return HostStep::kRefused;
            }
            CFtpFileFind finder(connection, 1);
            HostStep step = HostStep::kRefused;
            if (finder.FindFile(fileName, INTERNET_FLAG_RELOAD)) {
                // Removed while the search is still open. A refusal (a directory of that name,
                // say) removed nothing, and says so.
                deleteSent = true;
                step = connection->Remove(fileName) ? HostStep::kDone : HostStep::kRefused;
            }
            finder.Close();
            return step;
        } catch (const CInternetException& failure) {
            const vanta::RepeatWhen when = deleteSent ? vanta::repeat_rule("delete_file")
                                                      : vanta::RepeatWhen::any_network_failure;
            if (!call.MayRepeat(failure, when,
                                "the look-up before DELE " + std::string(fileName.GetString()))) {
                return HostStep::kSessionFailed;
            }
        }
    }
}

HostStep RemoveDirectory(const CallContext& context, const CString& dirPath) {
    FtpCall call(context);
    try {
        const char* directory = WholeText(dirPath); // refused before the connection is made
        // Only the login is made again (Connect): once the RMD is on its way, it may have been
        // carried out.
        CFtpConnection& connection = call.Connect();
        // A directory that still holds files, or none at all, is refused by the server: the
        // caller learns that its directory is still there.
        return connection.RemoveDirectory(directory) ? HostStep::kDone : HostStep::kRefused;
    } catch (const CInternetException&) {
        return HostStep::kSessionFailed;
    }
}

// kRefused: the directory is still there.
HostStep RemoveJobFiles(const CallContext& context, const CString& dirPath,
                        const CStringArray& names) {
    FtpCall call(context);
    try {
        CFtpConnection& connection = call.Connect();
        // A directory that cannot be entered holds nothing of the job's: it was never made,
        // or it went with the asset's record.
        if (!connection.SetCurrentDirectory(WholeText(dirPath))) {
            return HostStep::kDone;
        }
        for (INT_PTR i = 0; i < names.GetSize(); ++i) {
            // A file that never arrived is refused; the directory's removal tells whether
            // anything stayed.
            connection.Remove(WholeText(names.GetAt(i)));
        }
        // Out of the directory first: a server may refuse to remove the one it stands in.
        connection.SetCurrentDirectory("/");
        return connection.RemoveDirectory(WholeText(dirPath)) ? HostStep::kDone
                                                              : HostStep::kRefused;
    } catch (const CInternetException&) {
        return HostStep::kSessionFailed;
    }
}
} // namespace

namespace core {

vanta::Result<bool> FindRemoteFile(const CallContext& context, const CString& subDir,
                                   const CString& fileName) {
    if (const std::optional<bool> found = LookUp(context, subDir, fileName)) {
        return *found;
    }
    return FtpFailure(kBusyOrFtpError, kLookingForFile);
}

vanta::Result<void> DeleteRemoteFile(const CallContext& context, const CString& subDir,
                                     const CString& fileName) {
    constexpr std::string_view doing = kDeletingFile;
    switch (Delete(context, subDir, fileName)) {
    case HostStep::kDone:
        return {};
    case HostStep::kRefused:
        return FailedWith(vanta::ErrorCategory::not_found, kNotFound, doing,
                          "no such file, or the host refused to delete it");
    case HostStep::kSessionFailed:
        break;
    }
    return FtpFailure(kBusyOrFtpError, doing);
}

vanta::Result<void> RemoveRemoteDirectory(const CallContext& context, const CString& dirPath) {
    constexpr std::string_view doing = kRemovingDirectory;
    switch (RemoveDirectory(context, dirPath)) {
    case HostStep::kDone:
        return {};
    case HostStep::kRefused:
        return FailedWith(vanta::ErrorCategory::refused, kBusyOrFtpError, doing,
                          "the host refused (missing or not empty)");
    case HostStep::kSessionFailed:
        break;
    }
    return FtpFailure(kBusyOrFtpError, doing);
}

vanta::Result<void> RemoveJobDirectory(const CallContext& context, const CString& dirPath,
                                       const CStringArray& names) {
    if (RemoveJobFiles(context, dirPath, names) == HostStep::kDone) {
        return {};
    }
    return FtpFailure(kBusyOrFtpError, "removing a job's files");
}

} // namespace core
