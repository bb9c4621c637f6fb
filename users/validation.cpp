// Checking a login and removing an account.
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "users/user_replies.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"
#include "vanta/users.h"

#include <cstdlib>

using namespace vanta::result;
using namespace vanta::internal;

namespace {
// The service's status values that refuse the login, and the codes the caller knows them by.
unsigned int StatusCode(long status) {
    switch (status) {
    case 1:
        return kStatus1OrWrongPassword;
    case 2:
        return kNotFound;
    case 3:
        return kStatus3;
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

unsigned int WINAPI QDX_ValidateUser(const CString& userId, const CString& password,
                                     const CString& productId, StatusCallback callback) {
    return GuardExport("validating a login", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("user_id=", userId).Add("&PW=", password).Add("&product_id=", productId);
        CString answer;
        if (PostRequest(body, endpoint::kValidateUser, answer, callback, kFixedReplyLimit) !=
            kSuccess) {
            return kChannelFailure;
        }
        return ReadValidationReply(answer);
    });
}

unsigned int WINAPI QDX_DeleteUser(const CString& userId, StatusCallback callback) {
    return GuardExport("deleting an account", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("user=", userId);
        return PostForVerdict(body, endpoint::kDeleteUser, callback, VerdictIn::kWholeValue);
    });
}
