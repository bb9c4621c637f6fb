// Accounts: login check, registration, the user's record, update and removal.
#include "client/client_impl.h"
#include "users/user_operations.h"

namespace vanta {

namespace {
core::ContactDetails ToContactDetails(const UserDetails& d) {
    return {ToCString(d.first_name), ToCString(d.last_name),   ToCString(d.address),
            ToCString(d.city),       ToCString(d.state),       ToCString(d.zip),
            ToCString(d.email),      ToCString(d.day_phone),   ToCString(d.extension),
            ToCString(d.fax),        ToCString(d.night_phone), ToCString(d.middle_initial)};
}
} // namespace

Result<Login> Client::validate_user(std::string_view user_id, std::string_view password,
                                    std::string_view product_id) const noexcept {
    return RunCore(*m_impl, core::kValidatingLogin, [&](const CallContext& ctx) -> Result<Login> {
        const auto verdict =
            core::ValidateUser(ctx, ToCString(user_id), ToCString(password), ToCString(product_id));
        if (!verdict) {
            return verdict.error();
        }
        return Login{verdict->hasPublished, verdict->hasHomepage};
    });
}

Result<Registration> Client::register_user(const NewAccount& account) const noexcept {
    return RunCore(*m_impl, core::kRegisteringAccount,
                   [&](const CallContext& ctx) -> Result<Registration> {
                       const core::RegistrationForm form{
                           ToCString(account.user_id), ToContactDetails(account.details),
                           ToCString(account.details.code), ToCString(account.password),
                           ToCString(account.product_id)};
                       core::RegistrationReply reply;
                       const auto registered = core::RegisterUser(ctx, form, reply);
                       if (!registered) {
                           return registered.error();
                       }
                       return Registration{registered->kind, ToString(reply.userId),
                                           ToString(reply.number), ToString(reply.message)};
                   });
}

Result<User> Client::user_info(std::string_view user_id) const noexcept {
    return RunCore(*m_impl, core::kReadingUser, [&](const CallContext& ctx) -> Result<User> {
        core::UserRecord record;
        if (auto read = core::GetUserInfo(ctx, ToCString(user_id), record); !read) {
            return read.error();
        }
        const core::ContactDetails& d = record.details;
        User user;
        user.user_id = ToString(record.userId);
        user.details =
            UserDetails{ToString(d.first),     ToString(d.last),  ToString(d.middleInitial),
                        ToString(d.address),   ToString(d.city),  ToString(d.state),
                        ToString(d.zip),       ToString(d.email), ToString(d.dayPhone),
                        ToString(d.extension), ToString(d.fax),   ToString(d.nightPhone),
                        ToString(record.code)};
        user.user_number = record.number;
        // The record keeps what atoi gave in unsigned members: back to the signed value.
        user.asset_count = static_cast<int>(record.assetCount);
        user.product_count = static_cast<int>(record.productCount);
        return user;
    });
}

Result<void> Client::update_user(std::string_view user_id, std::string_view password,
                                 const UserDetails& d) const noexcept {
    return RunCore(*m_impl, core::kUpdatingUser, [&](const CallContext& ctx) {
        return core::UpdateUser(ctx, ToCString(user_id), ToCString(password), ToContactDetails(d),
                                ToCString(d.code));
    });
}

Result<void> Client::delete_user(std::string_view user_id) const noexcept {
    return RunCore(*m_impl, core::kRemovingAccount, [&](const CallContext& ctx) {
        return core::DeleteUser(ctx, ToCString(user_id));
    });
}

} // namespace vanta
