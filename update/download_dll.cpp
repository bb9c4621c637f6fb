// Self-update: fetch the library file that the service offers into a local directory, and,
// when the application trusts an update key, only a file signed with it.
#include "net/internet_exception.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/ftp_connect.h"
#include "transport/operation_failure.h"
#include "update/downloads_fetch.h"
#include "update/staging_directory.h"
#include "update/update_download.h"
#include "update/update_key.h"
#include "update/update_signature.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"

#include <cerrno>
#include <cstring>

namespace {

// Fetches the file and its signature into a private directory beside the target, checks the
// one against the other and only then renames the file over the target: a file that fails the
// check never appears under the target's name, and nothing of it stays.
bool FetchVerified(DownloadsFetch& fetch, const std::string& localDir, const std::string& keyFile) {
    const StagingDirectory staging(localDir, kUpdateFileName);
    if (staging.Path().empty()) {
        SetFailureReason(FailureKind::LocalFile,
                         "cannot create a file in " + localDir + ": " + std::strerror(errno));
        return false;
    }
    // The detached signature the service publishes beside the library file.
    const std::string signatureName = std::string(kUpdateFileName) + ".sig";
    const std::string file = staging.Path() + "/" + kUpdateFileName;
    const std::string signature = staging.Path() + "/" + signatureName;
    // The small signature first: a service that publishes none costs no transfer of the file.
    if (const Fetched fetched = fetch.Fetch(signatureName, signature, true);
        fetched != Fetched::kWhole) {
        if (fetched == Fetched::kNotServed) {
            SetFailureReason(FailureKind::Refused,
                             "the service publishes no signature (" + signatureName + ") for " +
                                 kUpdateFileName +
                                 " and an update key is set: the download was refused");
        }
        return false;
    }
    if (fetch.Fetch(kUpdateFileName, file, true) != Fetched::kWhole) {
        return false;
    }
    if (const std::string problem = SignatureProblem(keyFile, file, signature); !problem.empty()) {
        SetFailureReason(FailureKind::Refused, std::string("the downloaded ") + kUpdateFileName +
                                                   " was refused and removed: " + problem);
        return false;
    }
    const std::string target = localDir + "/" + kUpdateFileName;
    if (!ReplaceLocalFile(file.c_str(), target.c_str())) {
        SetFailureReason(FailureKind::LocalFile, "cannot put the received file in place as " +
                                                     target + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

// True when the file is in place.
bool Fetch(const CallContext& context, const CString& localDir, const std::string& keyFile) {
    try {
        DownloadsFetch fetch(context);
        if (!keyFile.empty()) {
            return FetchVerified(fetch, WholeText(localDir), keyFile);
        }
        // The fetch writes beside the target and renames only a complete file over it, so a
        // failed fetch leaves an existing copy as it was.
        const std::string target = std::string(WholeText(localDir)) + "/" + kUpdateFileName;
        return fetch.Fetch(kUpdateFileName, target, false) == Fetched::kWhole;
    } catch (const CInternetException&) {
        return false;
    }
}
} // namespace

vanta::Result<void> core::DownloadUpdate(const CallContext& context, const CString& localDir) {
    const std::string& keyFile = context.config.updateKeyFile;
    // A key that cannot be used fails the call before anything is fetched: a check that was
    // asked for is never skipped.
    if ((keyFile.empty() || UpdateKeyUsable(keyFile)) && Fetch(context, localDir, keyFile)) {
        return {};
    }
    return FtpFailure(vanta::result::kBusyOrFtpError, kDownloadingUpdate);
}
