// Accounts: login check, registration, the user's record, update and removal.
#include "client/client_impl.h"
#include "vanta/result_codes.h"
#include "vanta/users.h"

namespace vanta {
using namespace vanta::result;

Result<Login> Client::validate_user(std::string_view user_id, std::string_view password,
                                    std::string_view product_id) const noexcept {
    constexpr std::string_view doing = "validating a login";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<Login> {
        const unsigned int code = QDX_ValidateUser(ToCString(user_id), ToCString(password),
                                                   ToCString(product_id), scope.Callback());
        switch (code) {
        case kSuccess:
        case kValidHasHomepage:
        case kValidPublished:
        case kValidPublishedAndHomepage:
            return Login{(code & kValidPublished) != 0, (code & kValidHasHomepage) != 0};
        case kStatus1OrWrongPassword:
            return FailedWith(ErrorCategory::wrong_password, code, doing, "wrong password");
        case kNotFound:
            return FailedWith(ErrorCategory::product_not_registered, code, doing,
                              "the product is not registered for the account");
        case kStatus3:
            return FailedWith(ErrorCategory::wrong_password, code, doing,
                              "wrong password, and the product is not registered");
        case kServiceFail:
            return FailedWith(ErrorCategory::unknown_user, code, doing,
                              "the service knows no such user");
        default:
            return RequestFailure(ErrorCategory::unexpected_reply, code, doing,
                                  "unexpected answer");
        }
    });
}

Result<Registration> Client::register_user(const NewAccount& account) const noexcept {
    constexpr std::string_view doing = "registering an account";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<Registration> {
        const UserDetails& d = account.details;
        CString number;
        CString userId;
        CString password = ToCString(account.password);
        CString product = ToCString(account.product_id);
        CString message;
        const unsigned int code = QDX_RegisterNewUser(
            ToCString(account.user_id), number, ToCString(d.first_name), ToCString(d.last_name),
            ToCString(d.address), ToCString(d.city), ToCString(d.state), ToCString(d.zip),
            ToCString(d.email), ToCString(d.day_phone), userId, password, product, message,
            ToCString(d.extension), ToCString(d.fax), ToCString(d.night_phone),
            ToCString(d.middle_initial), ToCString(d.code), scope.Callback());
        Registration registration{Registration::Kind::new_account, ToString(userId),
                                  ToString(number), ToString(message)};
        switch (code) {
        case kRegisteredNew:
            return registration;
        case kRegisteredNewApp:
            registration.kind = Registration::Kind::new_product;
            return registration;
        case kRegisteredOld:
            registration.kind = Registration::Kind::existing;
            return registration;
        case kStatus1OrWrongPassword:
            return FailedWith(ErrorCategory::wrong_password, code, doing,
                              "the account exists with another password");
        case kServiceFail:
            return FailedWith(ErrorCategory::refused, code, doing,
                              "the service refused the details");
        default:
            return RequestFailure(ErrorCategory::unexpected_reply, code, doing,
                                  "the reply names no known kind of registration");
        }
    });
}

Result<User> Client::user_info(std::string_view user_id) const noexcept {
    constexpr std::string_view doing = "reading a user's record";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<User> {
        CString id, first, last, address, city, state, zip, email, day, extension, fax, night,
            middle, code;
        long number = 0;
        unsigned int assets = 0;
        unsigned int products = 0;
        const unsigned int result = QDX_GetUserInfo(
            ToCString(user_id), id, first, last, address, city, state, zip, email, number, day,
            assets, extension, fax, night, products, middle, code, scope.Callback());
        if (result == kNoRows) {
            return FailedWith(ErrorCategory::unknown_user, result, doing,
                              "the service knows no such user");
        }
        if (result == kServiceFail) {
            return FailedWith(ErrorCategory::refused, result, doing,
                              "the service refused the request");
        }
        if (result != kSuccess) {
            return RequestFailure(ErrorCategory::unexpected_reply, result, doing,
                                  "unexpected answer");
        }
        User user;
        user.user_id = ToString(id);
        user.details =
            UserDetails{ToString(first), ToString(last),      ToString(middle), ToString(address),
                        ToString(city),  ToString(state),     ToString(zip),    ToString(email),
                        ToString(day),   ToString(extension), ToString(fax),    ToString(night),
                        ToString(code)};
        user.user_number = number;
        // The export stores what atoi gave in unsigned members: back to the signed value.
        user.asset_count = static_cast<int>(assets);
        user.product_count = static_cast<int>(products);
        return user;
    });
}

Result<void> Client::update_user(std::string_view user_id, std::string_view password,
                                 const UserDetails& d) const noexcept {
    constexpr std::string_view doing = "updating a user's record";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code = QDX_UpdateUser(
            ToCString(user_id), ToCString(password), ToCString(d.first_name),
            ToCString(d.last_name), ToCString(d.address), ToCString(d.city), ToCString(d.state),
            ToCString(d.zip), ToCString(d.email), ToCString(d.day_phone), ToCString(d.extension),
            ToCString(d.fax), ToCString(d.night_phone), ToCString(d.middle_initial),
            ToCString(d.code), scope.Callback());
        return SucceededOr(code, ErrorCategory::refused, doing,
                           "the service refused (unknown user or wrong password)");
    });
}

Result<void> Client::delete_user(std::string_view user_id) const noexcept {
    constexpr std::string_view doing = "removing an account";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code = QDX_DeleteUser(ToCString(user_id), scope.Callback());
        return SucceededOr(code, ErrorCategory::unknown_user, doing,
                           "the service knows no such user");
    });
}

} // namespace vanta
