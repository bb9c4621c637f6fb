// Reading and updating the record the service keeps for a user.
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

#include <cstdlib>

using namespace vanta::result;
using namespace vanta::internal;

unsigned int ReadUserInfoReply(const CString& answer, CString& text1, CString& text2,
                               CString& text3, CString& text4, CString& text5, CString& text6,
                               CString& text7, CString& text8, long& number9, CString& text10,
                               unsigned int& number11, CString& text12, CString& text13,
                               CString& text14, unsigned int& number15, CString& text16,
                               CString& text17) {
    ReplyCursor cursor(answer);
    // Numbers pass through one scratch string, so a number the reply lacks repeats the last
    // numeric text it did carry.
    CString scratch;
    cursor.Next(text1);
    if (text1 == reply::kQdxFail) {
        return kServiceFail;
    }
    if (text1 == reply::kNoRows) {
        return kNoRows;
    }
    for (CString* text : {&text2, &text3, &text4, &text5, &text6, &text7, &text8}) {
        cursor.Next(*text);
    }
    cursor.Next(scratch);
    number9 = std::atol(scratch);
    cursor.Next(text10);
    cursor.Next(scratch);
    number11 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(text12);
    cursor.Next(text13);
    cursor.Next(text14);
    cursor.Next(scratch);
    number15 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(text16);
    cursor.Next(text17);
    return kSuccess;
}

unsigned int WINAPI QDX_GetUserInfo(const CString& userId, CString& text1, CString& text2,
                                    CString& text3, CString& text4, CString& text5, CString& text6,
                                    CString& text7, CString& text8, long& number9, CString& text10,
                                    unsigned int& number11, CString& text12, CString& text13,
                                    CString& text14, unsigned int& number15, CString& text16,
                                    CString& text17, StatusCallback callback) {
    return GuardExport("reading an account", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("UserId=", userId);
        CString answer;
        if (PostRequest(body, endpoint::kGetUserInfo, answer, callback, kFixedReplyLimit) !=
            kSuccess) {
            return kChannelFailure;
        }
        return ReadUserInfoReply(answer, text1, text2, text3, text4, text5, text6, text7, text8,
                                 number9, text10, number11, text12, text13, text14, number15,
                                 text16, text17);
    });
}

unsigned int WINAPI QDX_UpdateUser(const CString& userId, const CString& password,
                                   const CString& first, const CString& last, const CString& addr,
                                   const CString& city, const CString& st, const CString& zip,
                                   const CString& email, const CString& day, const CString& ex,
                                   const CString& fax, const CString& night, const CString& mid,
                                   const CString& cc, StatusCallback callback) {
    return GuardExport("updating an account", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("UserId=", userId).Add("&PW=", password);
        AddContactFields(body, first, last, addr, city, st, zip, email, day, ex, fax, night, mid)
            .Add("&CC=", cc);
        return PostForVerdict(body, endpoint::kUpdateUser, callback, VerdictIn::kWholeValue);
    });
}
