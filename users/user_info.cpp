// Reading and updating the record the service keeps for a user.
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

#include <cstdlib>

using namespace vanta::result;
using namespace vanta::internal;
using vanta::ErrorCategory;

unsigned int ReadUserInfoReply(const CString& answer, core::UserRecord& record) {
    ReplyCursor cursor(answer);
    // Numbers pass through one scratch string, so a number the reply lacks repeats the last
    // numeric text it did carry.
    CString scratch;
    core::ContactDetails& d = record.details;
    cursor.Next(record.userId);
    if (record.userId == reply::kQdxFail) {
        return kServiceFail;
    }
    if (record.userId == reply::kNoRows) {
        return kNoRows;
    }
    for (CString* text : {&d.first, &d.last, &d.address, &d.city, &d.state, &d.zip, &d.email}) {
        cursor.Next(*text);
    }
    cursor.Next(scratch);
    record.number = std::atol(scratch);
    cursor.Next(d.dayPhone);
    cursor.Next(scratch);
    record.assetCount = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(d.extension);
    cursor.Next(d.fax);
    cursor.Next(d.nightPhone);
    cursor.Next(scratch);
    record.productCount = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(d.middleInitial);
    cursor.Next(record.code);
    return kSuccess;
}

namespace core {

vanta::Result<void> GetUserInfo(const CallContext& context, const CString& userId,
                                UserRecord& record) {
    constexpr std::string_view doing = kReadingUser;
    FormBody body;
    body.Add("UserId=", userId);
    CString answer;
    if (PostRequest(context, body, endpoint::kGetUserInfo, answer, kFixedReplyLimit,
                    vanta::repeat_rule("user_info")) != kSuccess) {
        return RequestFailure(ErrorCategory::unexpected_reply, kChannelFailure, doing,
                              "unexpected answer");
    }
    const unsigned int code = ReadUserInfoReply(answer, record);
    if (code == kNoRows) {
        return FailedWith(ErrorCategory::unknown_user, code, doing,
                          "the service knows no such user");
    }
    if (code == kServiceFail) {
        return FailedWith(ErrorCategory::refused, code, doing, "the service refused the request");
    }
    return {};
}

vanta::Result<void> UpdateUser(const CallContext& context, const CString& userId,
                               const CString& password, const ContactDetails& details,
                               const CString& cc) {
    FormBody body;
    body.Add("UserId=", userId).Add("&PW=", password);
    AddContactFields(body, details).Add("&CC=", cc);
    return SucceededOr(PostForVerdict(context, body, endpoint::kUpdateUser,
                                      vanta::repeat_rule("update_user"), VerdictIn::kWholeValue),
                       ErrorCategory::refused, kUpdatingUser,
                       "the service refused (unknown user or wrong password)");
}

} // namespace core
