// Registering an account, or a further product for a known one.
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "users/contact_fields.h"
#include "users/user_operations.h"
#include "users/user_replies.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;
using vanta::ErrorCategory;
using Kind = vanta::Registration::Kind;

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
        return register_user::kWrongPassword;
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

unsigned int ReadRegistrationReply(const CString& answer, core::RegistrationReply& reply) {
    // All four fields are read before any is judged, so the caller sees them whatever the
    // outcome.
    ReplyCursor cursor(answer);
    CString kind;
    cursor.Next(reply.userId);
    cursor.Next(kind);
    cursor.Next(reply.number);
    cursor.Next(reply.message);
    // The service's field syntax cannot carry an "&", so it writes "*" for the one it
    // means.
    if (const int star = reply.message.Find('*'); star >= 0) {
        reply.message.SetAt(star, '&');
    }
    return Classify(reply.userId, kind);
}

namespace core {

vanta::Result<Registered> RegisterUser(const CallContext& context, const RegistrationForm& form,
                                       RegistrationReply& reply) {
    constexpr std::string_view doing = kRegisteringAccount;
    FormBody body;
    body.Add("Cust=", form.userId);
    AddContactFields(body, form.contact)
        .Add("&Code=", form.code)
        .Add("&PostPW=", form.password)
        .Add("&ProductId=", form.productId);
    CString answer;
    unsigned int code = kChannelFailure;
    if (PostRequest(context, body, endpoint::kCreateUser, answer, kFixedReplyLimit,
                    vanta::repeat_rule("register_user")) == kSuccess) {
        code = ReadRegistrationReply(answer, reply);
    }
    switch (code) {
    case kRegisteredNew:
        return Registered{code, Kind::new_account};
    case kRegisteredNewApp:
        return Registered{code, Kind::new_product};
    case kRegisteredOld:
        return Registered{code, Kind::existing};
    case register_user::kWrongPassword:
        return FailedWith(ErrorCategory::wrong_password, code, doing,
                          "the account exists with another password");
    case kServiceFail:
        return FailedWith(ErrorCategory::refused, code, doing, "the service refused the details");
    default:
        return RequestFailure(ErrorCategory::unexpected_reply, code, doing,
                              "the reply names no known kind of registration");
    }
}

} // namespace core
