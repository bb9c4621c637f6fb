#include "cli/outcome.h"

#include "cli/exit_status.h"
#include "cli/library_diagnostics.h"

#include <map>
#include <vector>

namespace {
struct Meaning {
    unsigned int code;
    const char* name;
    int exitStatus;
    const char* reason; // nullptr on success
};

using Meanings = std::vector<Meaning>;

// Meanings that hold for every export unless its own table says otherwise.
const Meanings& CommonMeanings() {
    static const Meanings common = {
        {1, "SUCCESS", kExitSuccess, nullptr},
        {0, "FAILED", kExitFailed, "the operation failed"},
        {8, "LOCAL_FILE_ERROR", kExitFailed, "a local file could not be opened or measured"},
        {16, "FTP_FAILURE", kExitNetwork, "the FTP connection to the service failed"},
        {32, "CHANNEL_FAILURE", kExitNetwork, "the request to the service failed"},
        {128, "NO_SPACE", kExitFailed, "not enough space left on the service for these files"},
        {256, "SERVICE_FAIL", kExitFailed, "the service refused the request"},
        {1024, "NOT_FOUND", kExitFailed, "not found on the service"},
        {2048, "NO_ROWS", kExitFailed, "the service holds no such record"},
        {16384, "CANCELLED", kExitInterrupted, "interrupted: cancelled"},
    };
    return common;
}

const char* const kBusy = "another upload or email job is still running";

const std::map<std::string, Meanings>& ExportMeanings() {
    static const std::map<std::string, Meanings> table = {
        {"QDX_ValidateUser",
         {{1, "VALID", kExitSuccess, nullptr},
          {2, "VALID_HAS_HOMEPAGE", kExitSuccess, nullptr},
          {4, "VALID_PUBLISHED", kExitSuccess, nullptr},
          {6, "VALID_PUBLISHED_AND_HOMEPAGE", kExitSuccess, nullptr},
          {256, "SERVICE_FAIL", kExitFailed, "the service refused the login (unknown user?)"},
          {1024, "PRODUCT_NOT_REGISTERED", kExitFailed,
           "the product is not registered for this account"},
          {8192, "WRONG_PASSWORD", kExitFailed, "wrong password"},
          {9216, "WRONG_PASSWORD_AND_PRODUCT_NOT_REGISTERED", kExitFailed,
           "wrong password, and the product is not registered for this account"}}},
        {"QDX_RegisterNewUser",
         {{65, "NEW", kExitSuccess, nullptr},
          {4097, "OLD", kExitSuccess, nullptr},
          {32769, "NEWAPP", kExitSuccess, nullptr},
          {0, "UNKNOWN_KIND", kExitFailed, "the service's answer names no known registration kind"},
          {1, "UNKNOWN_KIND", kExitFailed, "the service's answer names no known registration kind"},
          {256, "ERROR", kExitFailed,
           "the service refused the registration (a detail is missing or the user id is "
           "unusable)"},
          {8192, "WRONG_PASSWORD", kExitFailed, "the user exists with another password"}}},
        {"QDX_GetUserInfo",
         {{256, "QDX_FAIL", kExitFailed, "the service could not read the user's record"},
          {2048, "NO_ROWS", kExitFailed, "no such user"}}},
        {"QDX_UpdateUser",
         {{256, "SERVICE_FAIL", kExitFailed,
           "the service refused the update (unknown user or wrong password)"}}},
        {"QDX_DeleteUser", {{256, "SERVICE_FAIL", kExitFailed, "no such user"}}},
        {"QDX_GetAssetInfo",
         {{256, "SERVICE_FAIL", kExitFailed, "the service knows no such asset of this user"}}},
        // An empty list is a success.
        {"QDX_GetAssetList",
         {{256, "SERVICE_FAIL", kExitFailed, "the service refused the list (unknown user?)"},
          {2048, "NO_ROWS", kExitSuccess, nullptr}}},
        {"QDX_GetAssetStats",
         {{256, "SERVICE_FAIL", kExitFailed, "the service knows no such asset of this user"},
          {2048, "NO_ROWS", kExitSuccess, nullptr}}},
        {"QDX_DeleteAsset",
         {{0, "SERVICE_FAIL", kExitFailed, "the service knows no such asset of this user"}}},
        {"QDX_GetDiskSpace",
         {{0, "UNREADABLE_REPLY", kExitFailed, "the service's answer holds no two values"}}},
        {"QDX_UploadAsset",
         {{0, "NOT_STARTED", kExitFailed, "the background job could not be started"},
          {16, "BUSY", kExitFailed, kBusy}}},
        {"upload job",
         {{0, "FAILED", kExitFailed,
           "the service refused to notify the recipients, or its disk-space answer was not "
           "understood"},
          {16, "TRANSFER_FAILED", kExitNetwork,
           "the transfer failed; the asset stays registered with the files sent so far"},
          {256, "SERVICE_FAIL", kExitFailed, "the service refused to register the asset"},
          {16384, "CANCELLED", kExitInterrupted, "interrupted: the upload was cancelled"}}},
        {"QDX_Email",
         {{0, "NO_SESSION", kExitFailed,
           "the service gave no mail session (it answered FAIL or nothing usable)"},
          {8, "LOCAL_FILE_ERROR", kExitFailed,
           "a file could not be opened, or the info file could not be written"},
          {16, "BUSY", kExitFailed, kBusy}}},
        {"email job",
         {{0, "SERVICE_FAIL", kExitFailed, "the service refused to send the mails"},
          {16, "TRANSFER_FAILED", kExitNetwork, "the transfer failed; no mail was requested"},
          {16384, "CANCELLED", kExitInterrupted,
           "interrupted: the mails were cancelled and the files sent so far removed"}}},
        {"QDX_GetHomepageInfo", {{0, "FAILED", kExitFailed, "the homepage could not be read"}}},
        {"QDX_UpdateHomepageInfo",
         {{0, "FAILED", kExitFailed, "the service refused the homepage (unknown user?)"}}},
        {"QDX_DeleteHomepageInfo", {{0, "FAILED", kExitFailed, "the user has no homepage record"}}},
        {"QDX_GetServerVersion",
         {{1, "SAME_VERSION", kExitSuccess, nullptr},
          {0, "VERSION_DIFFERS", kExitFailed, "the service's version differs from the library's"}}},
        {"QDX_FTPFile", {{0, "NOT_STORED", kExitFailed, "the file was not stored"}}},
        {"QDX_FTPDeleteFile",
         {{1024, "NOT_FOUND", kExitFailed,
           "nothing removed: no such file or directory, or the host refused"}}},
        {"QDX_FTPRemoveDir",
         {{16, "FTP_FAILURE", kExitFailed,
           "the directory was not removed (missing, not empty, or the connection failed)"}}},
        {"QDX_DownloadDll",
         {{16, "FTP_FAILURE", kExitFailed,
           "the download failed; an existing file was left as it was"}}},
    };
    return table;
}

const Meaning* Find(const Meanings& meanings, unsigned int code) {
    for (const Meaning& meaning : meanings) {
        if (meaning.code == code) {
            return &meaning;
        }
    }
    return nullptr;
}
} // namespace

Outcome ClassifyResult(const std::string& exportName, unsigned int code) {
    const Meaning* meaning = nullptr;
    if (const auto own = ExportMeanings().find(exportName); own != ExportMeanings().end()) {
        meaning = Find(own->second, code);
    }
    if (meaning == nullptr) {
        meaning = Find(CommonMeanings(), code);
    }
    Outcome outcome;
    if (meaning == nullptr) {
        outcome = {"UNKNOWN", kExitFailed, "unexpected result " + std::to_string(code)};
    } else {
        outcome = {meaning->name, meaning->exitStatus, meaning->reason ? meaning->reason : ""};
    }
    if (outcome.ok() || outcome.exitStatus == kExitInterrupted) {
        return outcome;
    }
    // The library knows more than the code: which host, which port, libcurl's word on it.
    if (const std::string reason = LastFailureReason(); !reason.empty()) {
        outcome.reason = reason;
    }
    switch (LastFailureKind()) {
    case FailureKind::kNetwork:
        outcome.exitStatus = kExitNetwork;
        break;
    case FailureKind::kRefused:
    case FailureKind::kLocal:
        outcome.exitStatus = kExitFailed;
        break;
    case FailureKind::kUnknown:
        break;
    }
    return outcome;
}
