// Accounts through the C interface.
#include "capi/c_records.h"

using namespace vanta::capi;

extern "C" {

vanta_result vanta_validate_user(const vanta_client* client, const char* user_id,
                                 const char* password, const char* product_id, vanta_login** login,
                                 vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r =
                RequireTexts("checking a login", {client, user_id, password, product_id}, error)) {
            return r;
        }
        return Deliver(client->client.validate_user(user_id, password, product_id), login, error,
                       MakeLogin);
    });
}

vanta_result vanta_register_user(const vanta_client* client, const char* user_id,
                                 const char* password, const char* product_id,
                                 const vanta_user_details* details,
                                 vanta_registration** registration, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("registering an account",
                                        {client, user_id, password, product_id}, error)) {
            return r;
        }
        const vanta::NewAccount account{user_id, password, product_id, ToUserDetails(details)};
        return Deliver(client->client.register_user(account), registration, error,
                       MakeRegistration);
    });
}

vanta_result vanta_user_info(const vanta_client* client, const char* user_id, vanta_user** user,
                             vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("reading a user", {client, user_id}, error)) {
            return r;
        }
        return Deliver(client->client.user_info(user_id), user, error, MakeUser);
    });
}

vanta_result vanta_update_user(const vanta_client* client, const char* user_id,
                               const char* password, const vanta_user_details* details,
                               vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r =
                RequireTexts("updating a user", {client, user_id, password, details}, error)) {
            return r;
        }
        return Deliver(client->client.update_user(user_id, password, ToUserDetails(details)),
                       error);
    });
}

vanta_result vanta_delete_user(const vanta_client* client, const char* user_id,
                               vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("removing a user", {client, user_id}, error)) {
            return r;
        }
        return Deliver(client->client.delete_user(user_id), error);
    });
}

} // extern "C"
