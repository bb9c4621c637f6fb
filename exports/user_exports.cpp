// The account exports: each runs its core operation with the process's configuration and the
// caller's callback, and writes the reply's fields into the caller's out-arguments.
#include "exports/export_code.h"
#include "exports/export_context.h"
#include "transport/export_guard.h"
#include "users/user_operations.h"
#include "vanta/result_codes.h"
#include "vanta/users.h"

using namespace vanta::result;

unsigned int WINAPI QDX_ValidateUser(const CString& userId, const CString& password,
                                     const CString& productId, StatusCallback callback) {
    return GuardExport("validating a login", kChannelFailure, [&]() -> unsigned int {
        const auto verdict =
            core::ValidateUser(ExportContext(callback), userId, password, productId);
        return verdict ? verdict->code : verdict.error().code;
    });
}

unsigned int WINAPI QDX_RegisterNewUser(
    const CString& cust, CString& replyValue3, const CString& first, const CString& last,
    const CString& addr, const CString& city, const CString& st, const CString& zip,
    const CString& email, const CString& day, CString& replyValue1, CString& postPassword,
    CString& productId, CString& replyValue4, const CString& ex, const CString& fax,
    const CString& night, const CString& mid, const CString& code, StatusCallback callback) {
    return GuardExport("registering an account", kChannelFailure, [&]() -> unsigned int {
        const core::RegistrationForm form{
            cust,
            {first, last, addr, city, st, zip, email, day, ex, fax, night, mid},
            code,
            postPassword,
            productId};
        // The fields the reply lacks stay as the caller had them.
        core::RegistrationReply reply{replyValue1, replyValue3, replyValue4};
        const auto registered = core::RegisterUser(ExportContext(callback), form, reply);
        replyValue1 = reply.userId;
        replyValue3 = reply.number;
        replyValue4 = reply.message;
        return registered ? registered->code : registered.error().code;
    });
}

unsigned int WINAPI QDX_GetUserInfo(const CString& userId, CString& text1, CString& text2,
                                    CString& text3, CString& text4, CString& text5, CString& text6,
                                    CString& text7, CString& text8, long& number9, CString& text10,
                                    unsigned int& number11, CString& text12, CString& text13,
                                    CString& text14, unsigned int& number15, CString& text16,
                                    CString& text17, StatusCallback callback) {
    return GuardExport("reading an account", kChannelFailure, [&]() -> unsigned int {
        // A text the reply lacks stays as the caller had it. The numbers are written only
        // when the record was read, the only case in which the reply gives all three.
        core::UserRecord record;
        record.userId = text1;
        record.details = {text2, text3,  text4,  text5,  text6,  text7,
                          text8, text10, text12, text13, text14, text16};
        record.code = text17;
        const auto read = core::GetUserInfo(ExportContext(callback), userId, record);
        text1 = record.userId;
        text2 = record.details.first;
        text3 = record.details.last;
        text4 = record.details.address;
        text5 = record.details.city;
        text6 = record.details.state;
        text7 = record.details.zip;
        text8 = record.details.email;
        text10 = record.details.dayPhone;
        text12 = record.details.extension;
        text13 = record.details.fax;
        text14 = record.details.nightPhone;
        text16 = record.details.middleInitial;
        text17 = record.code;
        if (read) {
            number9 = record.number;
            number11 = record.assetCount;
            number15 = record.productCount;
        }
        return ExportCode(read);
    });
}

unsigned int WINAPI QDX_UpdateUser(const CString& userId, const CString& password,
                                   const CString& first, const CString& last, const CString& addr,
                                   const CString& city, const CString& st, const CString& zip,
                                   const CString& email, const CString& day, const CString& ex,
                                   const CString& fax, const CString& night, const CString& mid,
                                   const CString& cc, StatusCallback callback) {
    return GuardExport("updating an account", kChannelFailure, [&]() -> unsigned int {
        const core::ContactDetails details{first, last, addr, city, st,    zip,
                                           email, day,  ex,   fax,  night, mid};
        return ExportCode(core::UpdateUser(ExportContext(callback), userId, password, details, cc));
    });
}

unsigned int WINAPI QDX_DeleteUser(const CString& userId, StatusCallback callback) {
    return GuardExport("deleting an account", kChannelFailure, [&]() -> unsigned int {
        return ExportCode(core::DeleteUser(ExportContext(callback), userId));
    });
}
