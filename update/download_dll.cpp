// Self-update: fetch the library file that the service offers into a local directory.
#include "ftp/ftp_connect.h"
#include "platform/internet_exception.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"

using namespace vanta::result;

namespace {
constexpr const char* kLibraryFileName = "VantaAPI.dll";
} // namespace

unsigned int WINAPI QDX_DownloadDll(const CString& localDir, StatusCallback callback) {
    return GuardExport("downloading the library", kBusyOrFtpError, [&]() -> unsigned int {
        FtpCall call(callback);
        try {
            CFtpConnection& connection = call.Connect();
            if (!connection.SetCurrentDirectory(endpoint::kDownloadsDir)) {
                return kBusyOrFtpError;
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
