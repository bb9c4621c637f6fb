// The user's disk quota and the space already used, as the upload worker checks them.
#include "jobs/disk_space.h"

#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"
#include "vanta/upload.h"

using namespace vanta::result;
using namespace vanta::internal;

unsigned int ReadDiskSpace(const CallContext& context, const CString& userId,
                           const CString& productId, CString& quota, CString& used) {
    FormBody body;
    body.Add("user_num=", userId).Add("&product_id=", productId);
    CString answer;
    if (PostRequest(context, body, endpoint::kGetDiskSpace, answer, kFixedReplyLimit) != kSuccess) {
        return kChannelFailure;
    }
    if (answer.Find('=') < 0 || answer.Find('&') < 0) {
        return kZero;
    }
    NextReplyField(NextReplyField(answer, quota), used);
    return kSuccess;
}

unsigned int WINAPI QDX_GetDiskSpace(const CString& userId, const CString& productId,
                                     CString& quota, CString& used, StatusCallback callback) {
    return GuardExport("reading the disk space", kChannelFailure, [&]() -> unsigned int {
        // Transitional: the client's disk-space read still reaches this export under its own
        // scope, so the configuration is the thread's until it calls the core itself.
        return ReadDiskSpace(CallContext{ActiveConfig(), StatusSink(callback)}, userId, productId,
                             quota, used);
    });
}
