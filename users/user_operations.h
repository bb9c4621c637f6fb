// The account operations of the library's core: a login check, a registration, the user's
// record, its update and the account's removal. Each takes the call's context and gives a
// typed outcome whose Error carries the code the matching export gives.
#pragma once

#include "transport/call_context.h"
#include "users/contact_fields.h"
#include "vanta/cstring.h"
#include "vanta/records.hpp"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What each operation is doing, as its failures describe it.
inline constexpr std::string_view kValidatingLogin = "validating a login";
inline constexpr std::string_view kRegisteringAccount = "registering an account";
inline constexpr std::string_view kReadingUser = "reading a user's record";
inline constexpr std::string_view kUpdatingUser = "updating a user's record";
inline constexpr std::string_view kRemovingAccount = "removing an account";

// A login the service accepted.
struct LoginVerdict {
    unsigned int code = 0; // the export's success code: 1, 2, 4 or 6
    bool hasPublished = false;
    bool hasHomepage = false;
};

// Checks a login for a product. Refusals: wrong_password (8192, and 9216 when the product is
// not registered either), product_not_registered (1024), unknown_user (256); a reply without
// any field is a network failure (32).
vanta::Result<LoginVerdict> ValidateUser(const CallContext& context, const CString& userId,
                                         const CString& password, const CString& productId);

// What a registration sends.
struct RegistrationForm {
    CString userId;
    ContactDetails contact;
    CString code;
    CString password;
    CString productId;
};

// The registration reply's fields. The service's fields are read into it whatever the
// outcome; a field the reply lacks keeps what the record held.
struct RegistrationReply {
    CString userId; // the first field, which also carries the service's refusals
    CString number;
    CString message; // the service's "*" turned back into the "&" it stands for
};

// A registration the service made, with the export's code for it (65, 4097 or 32769).
struct Registered {
    unsigned int code = 0;
    vanta::Registration::Kind kind = vanta::Registration::Kind::new_account;
};

// Registers an account, or a further product for a known one. Refusals: wrong_password
// (8192), refused (256), unexpected_reply (0: no known kind), network (32).
vanta::Result<Registered> RegisterUser(const CallContext& context, const RegistrationForm& form,
                                       RegistrationReply& reply);

// The record the service keeps for a user. A text the reply lacks keeps what the record held;
// the numbers pass through one scratch string, so a number the reply lacks repeats the last
// numeric text it did carry.
struct UserRecord {
    CString userId; // the first field, which holds QDX_FAIL or NOROWS when the service refuses
    ContactDetails details;
    long number = 0;
    unsigned int assetCount = 0;
    unsigned int productCount = 0;
    CString code;
};

// Reads a user's record into `record`. Failures: unknown_user (2048), refused (256), network
// (32).
vanta::Result<void> GetUserInfo(const CallContext& context, const CString& userId,
                                UserRecord& record);

// Updates a user's record. Failures: refused (256: unknown user or wrong password), network.
vanta::Result<void> UpdateUser(const CallContext& context, const CString& userId,
                               const CString& password, const ContactDetails& details,
                               const CString& cc);

// Removes an account. Failures: unknown_user (256), network (32).
vanta::Result<void> DeleteUser(const CallContext& context, const CString& userId);

} // namespace core
