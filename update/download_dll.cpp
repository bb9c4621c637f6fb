// Self-update: fetch the library file that the service offers into a local directory, and,
// when the application trusts an update key, only a file signed with it.
#include "net/internet_exception.h"
#include "os/failure_reason.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/ftp_connect.h"
#include "update/staging_directory.h"
#include "update/update_signature.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace vanta::result;

namespace {
constexpr const char* kLibraryFileName = "VantaAPI.dll";
// The detached signature the service publishes beside the library file.
constexpr const char* kSignatureFileName = "VantaAPI.dll.sig";

// Fetches the file and its signature into a private directory beside the target, checks the
// one against the other and only then renames the file over the target: a file that fails the
// check never appears under the target's name, and nothing of it stays.
unsigned int FetchVerified(CFtpConnection& connection, const std::string& localDir,
                           const std::string& keyFile) {
    const StagingDirectory staging(localDir, kLibraryFileName);
    if (staging.Path().empty()) {
        SetFailureReason(FailureKind::LocalFile,
                         "cannot create a file in " + localDir + ": " + std::strerror(errno));
        return kBusyOrFtpError;
    }
    const std::string file = staging.Path() + "/" + kLibraryFileName;
    const std::string signature = staging.Path() + "/" + kSignatureFileName;
    // The small signature first: a service that publishes none costs no transfer of the file.
    if (!connection.GetFile(kSignatureFileName, signature.c_str(), TRUE, FILE_ATTRIBUTE_NORMAL,
                            FTP_TRANSFER_TYPE_BINARY, 1)) {
        if (LastFailureKind() != FailureKind::LocalFile) {
            SetFailureReason(FailureKind::Refused,
                             std::string("the service publishes no signature (") +
                                 kSignatureFileName + ") for " + kLibraryFileName +
                                 " and an update key is set: the download was refused");
        }
        return kBusyOrFtpError;
    }
    if (!connection.GetFile(kLibraryFileName, file.c_str(), TRUE, FILE_ATTRIBUTE_NORMAL,
                            FTP_TRANSFER_TYPE_BINARY, 1)) {
        return kBusyOrFtpError;
    }
    if (const std::string problem = SignatureProblem(keyFile, file, signature); !problem.empty()) {
        SetFailureReason(FailureKind::Refused, std::string("the downloaded ") + kLibraryFileName +
                                                   " was refused and removed: " + problem);
        return kBusyOrFtpError;
    }
    const std::string target = localDir + "/" + kLibraryFileName;
    if (std::rename(file.c_str(), target.c_str()) != 0) {
        SetFailureReason(FailureKind::LocalFile, "cannot put the received file in place as " +
                                                     target + ": " + std::strerror(errno));
        return kBusyOrFtpError;
    }
    return kSuccess;
}
} // namespace

unsigned int WINAPI QDX_DownloadDll(const CString& localDir, StatusCallback callback) {
    return GuardExport("downloading the library", kBusyOrFtpError, [&]() -> unsigned int {
        const std::string keyFile = ActiveConfig().updateKeyFile;
        // A key that cannot be used fails the call before anything is fetched: a check that
        // was asked for is never skipped.
        if (!keyFile.empty()) {
            if (const std::string problem = UpdateKeyProblem(keyFile); !problem.empty()) {
                SetFailureReason(FailureKind::LocalFile, "the update key " + problem);
                return kBusyOrFtpError;
            }
        }
        FtpCall call(callback);
        try {
            CFtpConnection& connection = call.Connect();
            if (!connection.SetCurrentDirectory(endpoint::kDownloadsDir)) {
                return kBusyOrFtpError;
            }
            if (!keyFile.empty()) {
                return FetchVerified(connection, WholeText(localDir), keyFile);
            }
            // GetFile writes beside the target and renames only a complete file over it, so a
            // failed fetch leaves an existing copy as it was.
            const CString localPath = localDir + "/" + kLibraryFileName;
            if (!connection.GetFile(kLibraryFileName, WholeText(localPath), FALSE,
                                    FILE_ATTRIBUTE_NORMAL, FTP_TRANSFER_TYPE_BINARY, 1)) {
                return kBusyOrFtpError;
            }
            return kSuccess;
        } catch (const CInternetException&) {
            return kBusyOrFtpError;
        }
    });
}
