// The self-update exports: the download of the library file and the key it is checked
// against.
#include "exports/export_context.h"
#include "transport/export_guard.h"
#include "update/update_download.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"

using namespace vanta::result;

unsigned int WINAPI QDX_DownloadDll(const CString& localDir, StatusCallback callback) {
    return GuardExport("downloading the library", kBusyOrFtpError, [&]() -> unsigned int {
        const auto fetched = core::DownloadUpdate(ExportContext(callback), localDir);
        return fetched ? kSuccess : fetched.error().code;
    });
}

unsigned int WINAPI QDX_SetUpdateKey(const char* pemPath) {
    return GuardExport("setting the update key", kZero, [&]() -> unsigned int {
        const auto set = core::SetUpdateKey(pemPath == nullptr ? "" : pemPath);
        return set ? kSuccess : set.error().code;
    });
}
