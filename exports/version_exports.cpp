// The exports of the library's version and of the comparison with the service's.
#include "exports/export_context.h"
#include "transport/export_guard.h"
#include "update/version_check.h"
#include "vanta/result_codes.h"
#include "vanta/versions.h"

using namespace vanta::result;

CString WINAPI QDX_GetDllVersion() {
    return GuardExport("reading the library version", CString(),
                       [&]() -> CString { return CString(core::LibraryVersion()); });
}

unsigned int WINAPI QDX_GetServerVersion(CString& version, StatusCallback callback) {
    return GuardExport("comparing versions with the service", kChannelFailure,
                       [&]() -> unsigned int {
                           auto asked = core::AskServiceVersion(ExportContext(callback));
                           if (!asked) {
                               return asked.error().code;
                           }
                           version = asked.value().version;
                           return asked.value().matches ? kSuccess : kZero;
                       });
}
