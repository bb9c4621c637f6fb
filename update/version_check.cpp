// The library's version text and the comparison with the service's.
#include "update/version_check.h"

#include "transport/endpoints.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;

const char* core::LibraryVersion() noexcept {
    return "3.3";
}

vanta::Result<core::ServiceVersion> core::AskServiceVersion(const CallContext& context) {
    CString answer;
    const unsigned int code = PostRequest(context, CString(), endpoint::kGetVersion, answer,
                                          kFixedReplyLimit, vanta::repeat_rule("check_version"));
    if (code != kSuccess) {
        return FailedWith(vanta::ErrorCategory::network, kChannelFailure, kAskingVersion,
                          "the request failed");
    }
    // Taken whole: a line end or blank after the number makes it another version.
    ServiceVersion reply{ReplyValue(answer)};
    reply.matches = reply.version == LibraryVersion();
    return reply;
}
