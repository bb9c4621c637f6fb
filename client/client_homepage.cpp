// The homepage record, with refusals and failures told apart.
#include "client/client_impl.h"
#include "homepage/homepage_operations.h"

namespace vanta {

Result<Homepage> Client::homepage(std::string_view user_id) const noexcept {
    return RunCore(
        *m_impl, core::kReadingHomepage, [&](const CallContext& ctx) -> Result<Homepage> {
            core::HomepageRecord page;
            if (auto read = core::ReadHomepage(ctx, ToCString(user_id), page); !read) {
                return read.error();
            }
            return Homepage{ToString(page.title), ToString(page.heading), ToString(page.body),
                            ToString(page.theme), ToString(page.reply)};
        });
}

Result<void> Client::update_homepage(std::string_view user_id,
                                     const Homepage& page) const noexcept {
    return RunCore(*m_impl, core::kWritingHomepage, [&](const CallContext& ctx) {
        const core::HomepageRecord record{ToCString(page.title), ToCString(page.heading),
                                          ToCString(page.body), ToCString(page.theme),
                                          ToCString(page.reply)};
        return core::WriteHomepage(ctx, ToCString(user_id), record);
    });
}

Result<void> Client::delete_homepage(std::string_view user_id) const noexcept {
    return RunCore(*m_impl, core::kRemovingHomepage, [&](const CallContext& ctx) {
        return core::RemoveHomepage(ctx, ToCString(user_id));
    });
}

} // namespace vanta
