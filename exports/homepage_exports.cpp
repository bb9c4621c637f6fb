// The homepage exports: each runs its core operation with the process's configuration and the
// caller's callback. Every failure, the request's own included, comes back as 0.
#include "exports/export_code.h"
#include "exports/export_context.h"
#include "homepage/homepage_operations.h"
#include "transport/export_guard.h"
#include "vanta/homepage.h"
#include "vanta/result_codes.h"

using namespace vanta::result;

unsigned int WINAPI QDX_GetHomepageInfo(const CString& userId, CString& title, CString& heading,
                                        CString& body, CString& theme, CString& replyText,
                                        StatusCallback callback) {
    return GuardExport("reading a homepage", kZero, [&]() -> unsigned int {
        // What the reply lacks stays as the caller had it.
        core::HomepageRecord page{title, heading, body, theme, replyText};
        const auto read = core::ReadHomepage(ExportContext(callback), userId, page);
        title = page.title;
        heading = page.heading;
        body = page.body;
        theme = page.theme;
        replyText = page.reply;
        return ExportCode(read);
    });
}

unsigned int WINAPI QDX_UpdateHomepageInfo(const CString& userId, const CString& title,
                                           const CString& heading, const CString& body,
                                           const CString& theme, const CString& replyText,
                                           StatusCallback callback) {
    return GuardExport("updating a homepage", kZero, [&]() -> unsigned int {
        const core::HomepageRecord page{title, heading, body, theme, replyText};
        return ExportCode(core::WriteHomepage(ExportContext(callback), userId, page));
    });
}

unsigned int WINAPI QDX_DeleteHomepageInfo(const CString& userId, StatusCallback callback) {
    return GuardExport("deleting a homepage", kZero, [&]() -> unsigned int {
        return ExportCode(core::RemoveHomepage(ExportContext(callback), userId));
    });
}
