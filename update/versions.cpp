// The library's version text and the comparison with the service's.
#include "vanta/versions.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace {
// The version the service is asked to match; not the shared library's file version.
constexpr const char* kLibraryVersion = "3.3";
} // namespace

CString WINAPI QDX_GetDllVersion() {
    return GuardExport("reading the library version", CString(),
                       [&]() -> CString { return CString(kLibraryVersion); });
}

unsigned int WINAPI QDX_GetServerVersion(CString& version, StatusCallback callback) {
    return GuardExport("comparing versions with the service", kChannelFailure,
                       [&]() -> unsigned int {
                           CString answer;
                           if (PostRequest(CString(), endpoint::kGetVersion, answer, callback,
                                           kFixedReplyLimit) != kSuccess) {
                               return kChannelFailure;
                           }
                           // Taken whole: a line end or blank after the number makes it another
                           // version.
                           version = ReplyValue(answer);
                           return version == kLibraryVersion ? kSuccess : kZero;
                       });
}
