// A user's homepage record: read, write, delete. Every failure, the request's own included,
// comes back as 0.
#include "homepage/homepage_reply.h"
#include "homepage/homepage_requests.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/homepage.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace {
unsigned int OneOrZero(unsigned int result) {
    return result == kSuccess ? kSuccess : kZero;
}
} // namespace

unsigned int ReadHomepageReply(const CString& answer, CString& title, CString& heading,
                               CString& body, CString& theme, CString& replyText) {
    ReplyCursor cursor(answer);
    cursor.Next(title);
    // The marker stays in the title, the caller's only way to tell a refusal from a failure.
    if (title == reply::kFail || title == reply::kNoRows) {
        return kZero;
    }
    cursor.Next(heading);
    cursor.Next(body);
    cursor.Next(theme);
    cursor.Next(replyText);
    return kSuccess;
}

unsigned int ReadHomepage(const CString& userId, CString& title, CString& heading, CString& body,
                          CString& theme, CString& replyText, StatusCallback callback) {
    FormBody form;
    form.Add("user=", userId);
    CString answer;
    if (PostRequest(form, endpoint::kGetHomepage, answer, callback, kFixedReplyLimit) != kSuccess) {
        return kChannelFailure;
    }
    if (ReadHomepageReply(answer, title, heading, body, theme, replyText) == kSuccess) {
        return kSuccess;
    }
    // The reader leaves the service's marker in the title.
    return title == reply::kFail ? kServiceFail : kNoRows;
}

unsigned int WriteHomepage(const CString& userId, const CString& title, const CString& heading,
                           const CString& body, const CString& theme, const CString& replyText,
                           StatusCallback callback) {
    FormBody form;
    form.Add("user=", userId)
        .Add("&Title=", title)
        .Add("&Heading=", heading)
        .Add("&Body=", body)
        .Add("&Theme=", theme)
        .Add("&Reply=", replyText);
    return PostForVerdict(form, endpoint::kUpdateHomepage, callback, VerdictIn::kWholeValue);
}

unsigned int RemoveHomepage(const CString& userId, StatusCallback callback) {
    FormBody form;
    form.Add("user=", userId);
    return PostForVerdict(form, endpoint::kDeleteHomepage, callback, VerdictIn::kWholeValue);
}

unsigned int WINAPI QDX_GetHomepageInfo(const CString& userId, CString& title, CString& heading,
                                        CString& body, CString& theme, CString& replyText,
                                        StatusCallback callback) {
    return GuardExport("reading a homepage", kZero, [&]() -> unsigned int {
        return OneOrZero(ReadHomepage(userId, title, heading, body, theme, replyText, callback));
    });
}

unsigned int WINAPI QDX_UpdateHomepageInfo(const CString& userId, const CString& title,
                                           const CString& heading, const CString& body,
                                           const CString& theme, const CString& replyText,
                                           StatusCallback callback) {
    return GuardExport("updating a homepage", kZero, [&]() -> unsigned int {
        return OneOrZero(WriteHomepage(userId, title, heading, body, theme, replyText, callback));
    });
}

unsigned int WINAPI QDX_DeleteHomepageInfo(const CString& userId, StatusCallback callback) {
    return GuardExport("deleting a homepage", kZero, [&]() -> unsigned int {
        return OneOrZero(RemoveHomepage(userId, callback));
    });
}
