// The homepage record, with refusals and failures told apart.
#include "client/client_impl.h"
#include "homepage/homepage_requests.h"
#include "vanta/result_codes.h"

namespace vanta {
using namespace vanta::result;

namespace {
// The homepage exports give 0 for every failure, so that is the code the Error carries.
Error HomepageError(unsigned int code, std::string_view doing, ErrorCategory onFail) {
    switch (code) {
    case kChannelFailure:
        return FailedWith(ErrorCategory::network, kZero, doing, "the request failed");
    case kNoRows:
        return FailedWith(ErrorCategory::not_found, kZero, doing, "the user has no homepage");
    default:
        return FailedWith(onFail, kZero, doing, "the service answered FAIL");
    }
}
} // namespace

Result<Homepage> Client::homepage(std::string_view user_id) const noexcept {
    constexpr std::string_view doing = "reading a homepage";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<Homepage> {
        CString title, heading, body, theme, reply;
        const unsigned int code =
            ReadHomepage(ToCString(user_id), title, heading, body, theme, reply, scope.Callback());
        if (code != kSuccess) {
            return HomepageError(code, doing, ErrorCategory::unknown_user);
        }
        return Homepage{ToString(title), ToString(heading), ToString(body), ToString(theme),
                        ToString(reply)};
    });
}

Result<void> Client::update_homepage(std::string_view user_id,
                                     const Homepage& page) const noexcept {
    constexpr std::string_view doing = "writing a homepage";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code = WriteHomepage(
            ToCString(user_id), ToCString(page.title), ToCString(page.heading),
            ToCString(page.body), ToCString(page.theme), ToCString(page.reply), scope.Callback());
        if (code != kSuccess) {
            return HomepageError(code, doing, ErrorCategory::refused);
        }
        return {};
    });
}

Result<void> Client::delete_homepage(std::string_view user_id) const noexcept {
    constexpr std::string_view doing = "removing a homepage";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code = RemoveHomepage(ToCString(user_id), scope.Callback());
        if (code != kSuccess) {
            // The service answers FAIL when there was no homepage to remove.
            return HomepageError(code, doing, ErrorCategory::not_found);
        }
        return {};
    });
}

} // namespace vanta
