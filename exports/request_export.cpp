// The raw request's export: any CGI program of the service, its whole reply appended to the
// caller's string.
#include "exports/export_code.h"
#include "exports/export_context.h"
#include "transport/export_guard.h"
#include "transport/raw_request.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

using namespace vanta::result;

unsigned int WINAPI QDX_SendHTTPRequest(const CString& body, const CString& scriptPath,
                                        CString& reply, StatusCallback callback) {
    return GuardExport("posting a request", kChannelFailure, [&]() -> unsigned int {
        return ExportCode(core::PostRaw(ExportContext(callback), body, scriptPath, reply,
                                        vanta::repeat_rule("post_request")));
    });
}
