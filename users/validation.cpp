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

namespace {
// The service's status values that refuse the login, and the codes the caller knows them by.
unsigned int StatusCode(long status) {
    switch (status) {
    case 1:
        return 8192;
    case 2:
        return 1024;
    case 3:
        return 9216;
    default:
        return 0;
    }
}
} // namespace

unsigned int ReadValidationReply(const CString& answer) {
    // A reply without a single field (empty, a plain-text page) is no verdict: read by
    // position it would pass for a valid login.
    if (answer.Find('=') < 0) {
        return 32;
    }
    // One string serves all three fields, so a field the reply lacks repeats the one before.
    ReplyCursor cursor(answer);
    CString field;
    cursor.Next(field);
    if (const unsigned int refused = StatusCode(std::atol(field)); refused != 0) {
        return refused;
    }
    cursor.Next(field);
    if (field == reply::kFail) {
        return 256;
    }
    unsigned int flags = field == reply::kYes ? 4 : 0;
    cursor.Next(field);
    if (field == reply::kYes) {
        flags += 2;
    }
    return flags != 0 ? flags : 1;
}

unsigned int WINAPI QDX_ValidateUser(const CString& userId, const CString& password,
                                     const CString& productId, StatusCallback callback) {
    return GuardExport("validating a login", vanta::result::kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("user_id=", userId).Add("&PW=", password).Add("&product_id=", productId);
        CString answer;
        if (PostRequest(body, endpoint::kValidateUser, answer, callback, kFixedReplyLimit) != 1) {
            return 32;
        }
        return ReadValidationReply(answer);
    });
}

unsigned int WINAPI QDX_DeleteUser(const CString& userId, StatusCallback callback) {
    return GuardExport(
        "deleting an account", vanta::result::kChannelFailure, [&]() -> unsigned int {
            FormBody body;
            body.Add("user=", userId);
            CString answer;
            if (PostRequest(body, endpoint::kDeleteUser, answer, callback, kFixedReplyLimit) != 1) {
                return 32;
            }
            return ReplyValue(answer) == reply::kFail ? 256 : 1;
        });
}
