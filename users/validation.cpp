// Checking a login and removing an account.
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "users/user_operations.h"
#include "users/user_replies.h"
#include "vanta/result_codes.h"

#include <cstdlib>

using namespace vanta::result;
using namespace vanta::internal;
using vanta::ErrorCategory;

namespace {
// The service's status values that refuse the login, and the codes the caller knows them by.
unsigned int StatusCode(long status) {
    switch (status) {
    case 1:
        return validate_user::kWrongPassword;
    case 2:
        return kNotFound;
    case 3:
        return validate_user::kWrongPasswordAndNotRegistered;
    default:
        return kZero;
    }
}
} // namespace

unsigned int ReadValidationReply(const CString& answer) {
    // A reply without a single field (empty, a plain-text page) is no verdict: read by
    // position it would pass for a valid login.
    if (answer.Find('=') < 0) {
        return kChannelFailure;
    }
    // One string serves all three fields, so a field the reply lacks repeats the one before.
    ReplyCursor cursor(answer);
    CString field;
    cursor.Next(field);
    if (const unsigned int refused = StatusCode(std::atol(field)); refused != kZero) {
        return refused;
    }
    cursor.Next(field);
    if (field == reply::kFail) {
        return kServiceFail;
    }
    unsigned int flags = field == reply::kYes ? kValidPublished : kZero;
    cursor.Next(field);
    if (field == reply::kYes) {
        flags |= kValidHasHomepage;
    }
    return flags != kZero ? flags : kSuccess;
}

namespace core {

vanta::Result<LoginVerdict> ValidateUser(const CallContext& context, const CString& userId,
                                         const CString& password, const CString& productId) {
    constexpr std::string_view doing = kValidatingLogin;
    FormBody body;
    body.Add("user_id=", userId).Add("&PW=", password).Add("&product_id=", productId);
    CString answer;
    unsigned int code = kChannelFailure;
    if (PostRequest(context, body, endpoint::kValidateUser, answer, kFixedReplyLimit,
                    vanta::repeat_rule("validate_user")) == kSuccess) {
        code = ReadValidationReply(answer);
    }
    switch (code) {
    case kSuccess:
    case kValidHasHomepage:
    case kValidPublished:
    case kValidPublishedAndHomepage:
        return LoginVerdict{code, (code & kValidPublished) != 0, (code & kValidHasHomepage) != 0};
    case validate_user::kWrongPassword:
        return FailedWith(ErrorCategory::wrong_password, code, doing, "wrong password");
    case kNotFound:
        return FailedWith(ErrorCategory::product_not_registered, code, doing,
                          "the product is not registered for the account");
    case validate_user::kWrongPasswordAndNotRegistered:
        return FailedWith(ErrorCategory::wrong_password, code, doing,
                          "wrong password, and the product is not registered");
    case kServiceFail:
        return FailedWith(ErrorCategory::unknown_user, code, doing,
                          "the service knows no such user");
    default:
        return RequestFailure(ErrorCategory::unexpected_reply, code, doing, "unexpected answer");
    }
}

vanta::Result<void> DeleteUser(const CallContext& context, const CString& userId) {
    FormBody body;
    body.Add("user=", userId);
    return SucceededOr(PostForVerdict(context, body, endpoint::kDeleteUser,
                                      vanta::repeat_rule("delete_user"), VerdictIn::kWholeValue),
                       ErrorCategory::unknown_user, kRemovingAccount,
                       "the service knows no such user");
}

} // namespace core
