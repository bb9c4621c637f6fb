// The requests whose whole answer is the service's verdict: done, or FAIL.
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;

unsigned int PostForVerdict(const CallContext& context, const CString& body, const char* program,
                            vanta::RepeatWhen when, VerdictIn where, size_t replyLimit) {
    CString answer;
    if (PostRequest(context, body, program, answer, replyLimit, when) != kSuccess) {
        return kChannelFailure;
    }
    CString verdict;
    if (where == VerdictIn::kFirstField) {
        NextReplyField(answer, verdict);
    } else {
        verdict = ReplyValue(answer);
    }
    return verdict == reply::kFail ? kServiceFail : kSuccess;
}
