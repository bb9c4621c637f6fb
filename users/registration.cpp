// Registering an account, or a further product for a known one.
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "users/contact_fields.h"
#include "users/user_replies.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"
#include "vanta/users.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace {
unsigned int Classify(const CString& status, const CString& kind) {
    if (status.IsEmpty()) {
        return kZero;
    }
    // The service's refusals win over whatever kind it also named.
    if (status == reply::kError) {
        return kServiceFail;
    }
    if (status == reply::kWrongPassword) {
        return kStatus1OrWrongPassword;
    }
    if (kind == reply::kNewApp) {
        return kRegisteredNewApp;
    }
    if (kind == reply::kNew) {
        return kRegisteredNew;
    }
    if (kind == reply::kOld) {
        return kRegisteredOld;
    }
    return kZero;
}
} // namespace

unsigned int ReadRegistrationReply(const CString& answer, CString& replyValue1,
                                   CString& replyValue3, CString& replyValue4) {
    // All four fields are read before any is judged, so the caller sees them whatever the
    // outcome.
    ReplyCursor cursor(answer);
    CString kind;
    cursor.Next(replyValue1);
    cursor.Next(kind);
    cursor.Next(replyValue3);
    cursor.Next(replyValue4);
    // The service's field syntax cannot carry an "&", so it writes "*" for the one it
    // means.
    if (const int star = replyValue4.Find('*'); star >= 0) {
        replyValue4.SetAt(star, '&');
    }
    return Classify(replyValue1, kind);
}

unsigned int WINAPI QDX_RegisterNewUser(
    const CString& cust, CString& replyValue3, const CString& first, const CString& last,
    const CString& addr, const CString& city, const CString& st, const CString& zip,
    const CString& email, const CString& day, CString& replyValue1, CString& postPassword,
    CString& productId, CString& replyValue4, const CString& ex, const CString& fax,
    const CString& night, const CString& mid, const CString& code, StatusCallback callback) {
    return GuardExport("registering an account", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("Cust=", cust);
        AddContactFields(body, first, last, addr, city, st, zip, email, day, ex, fax, night, mid)
            .Add("&Code=", code)
            .Add("&PostPW=", postPassword)
            .Add("&ProductId=", productId);
        CString answer;
        if (PostRequest(body, endpoint::kCreateUser, answer, callback, kFixedReplyLimit) !=
            kSuccess) {
            return kChannelFailure;
        }
        return ReadRegistrationReply(answer, replyValue1, replyValue3, replyValue4);
    });
}
