// A user's homepage record: read, write, delete.
#include "homepage/homepage_operations.h"
#include "homepage/homepage_reply.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;
using vanta::ErrorCategory;

namespace {
// The homepage exports give 0 for every failure, so that is the code the Error carries: a
// failed request, the service's NOROWS, or its FAIL (which means `onFail`).
vanta::Error HomepageError(unsigned int code, std::string_view doing, ErrorCategory onFail) {
    switch (code) {
    case kChannelFailure:
        return FailedWith(ErrorCategory::network, kZero, doing, "the request failed");
    case kNoRows:
        return FailedWith(ErrorCategory::not_found, kZero, doing, "the user has no homepage");
    default:
        return FailedWith(onFail, kZero, doing, "the service answered FAIL");
    }
}

vanta::Result<void> Verdict(unsigned int code, std::string_view doing, ErrorCategory onFail) {
    if (code != kSuccess) {
        return HomepageError(code, doing, onFail);
    }
    return {};
}
} // namespace

unsigned int ReadHomepageReply(const CString& answer, core::HomepageRecord& page) {
    ReplyCursor cursor(answer);
    cursor.Next(page.title);
    // The marker stays in the title, the caller's only way to tell a refusal from a failure.
    if (page.title == reply::kFail || page.title == reply::kNoRows) {
        return kZero;
    }
    cursor.Next(page.heading);
    cursor.Next(page.body);
    cursor.Next(page.theme);
    cursor.Next(page.reply);
    return kSuccess;
}

namespace core {

vanta::Result<void> ReadHomepage(const CallContext& context, const CString& userId,
                                 HomepageRecord& page) {
    FormBody form;
    form.Add("user=", userId);
    CString answer;
    unsigned int code = kChannelFailure;
    if (PostRequest(context, form, endpoint::kGetHomepage, answer, kFixedReplyLimit,
                    vanta::repeat_rule("homepage")) == kSuccess) {
        code = ReadHomepageReply(answer, page);
        if (code != kSuccess) {
            // The reader leaves the service's marker in the title.
            code = page.title == reply::kFail ? kServiceFail : kNoRows;
        }
    }
    return Verdict(code, kReadingHomepage, ErrorCategory::unknown_user);
}

vanta::Result<void> WriteHomepage(const CallContext& context, const CString& userId,
                                  const HomepageRecord& page) {
    FormBody form;
    form.Add("user=", userId)
        .Add("&Title=", page.title)
        .Add("&Heading=", page.heading)
        .Add("&Body=", page.body)
        .Add("&Theme=", page.theme)
        .Add("&Reply=", page.reply);
    return Verdict(PostForVerdict(context, form, endpoint::kUpdateHomepage,
                                  vanta::repeat_rule("update_homepage"), VerdictIn::kWholeValue),
                   kWritingHomepage, ErrorCategory::refused);
}

vanta::Result<void> RemoveHomepage(const CallContext& context, const CString& userId) {
    FormBody form;
    form.Add("user=", userId);
    // The service answers FAIL when there was no homepage to remove.
    return Verdict(PostForVerdict(context, form, endpoint::kDeleteHomepage,
                                  vanta::repeat_rule("delete_homepage"), VerdictIn::kWholeValue),
                   kRemovingHomepage, ErrorCategory::not_found);
}

} // namespace core
