// The user's disk quota and the space already used, as the upload worker checks them.
#include "assets/asset_operations.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace core {

vanta::Result<void> GetDiskSpace(const CallContext& context, const CString& userId,
                                 const CString& productId, DiskSpaceReply& space) {
    FormBody body;
    body.Add("user_num=", userId).Add("&product_id=", productId);
    CString answer;
    unsigned int code = kChannelFailure;
    if (PostRequest(context, body, endpoint::kGetDiskSpace, answer, kFixedReplyLimit,
                    vanta::repeat_rule("disk_space")) == kSuccess) {
        code = kZero;
        if (answer.Find('=') >= 0 && answer.Find('&') >= 0) {
            NextReplyField(NextReplyField(answer, space.quota), space.used);
            code = kSuccess;
        }
    }
    return SucceededOr(code, vanta::ErrorCategory::unexpected_reply, kReadingDiskSpace,
                       "the reply holds no quota");
}

} // namespace core
