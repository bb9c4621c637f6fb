// The readers that turn a program's reply into records and out-arguments, fed the same bytes
// one after the other: the asset description, list and statistics, the user's record, the
// homepage, registration and login validation. They must not crash, leak or read outside the
// reply, and must answer one of the result codes their export documents.
#include "assets/asset_replies.h"
#include "fuzz_check.h"
#include "homepage/homepage_reply.h"
#include "users/user_replies.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace {
bool OneOf(unsigned int code, std::initializer_list<unsigned int> allowed) {
    for (const unsigned int ok : allowed) {
        if (code == ok) {
            return true;
        }
    }
    return false;
}

// The list readers hand every record to the caller's list; the caller deletes them.
void DeleteAll(CObList& list) {
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        delete list.GetNext(pos);
    }
    list.RemoveAll();
}

void ReadAssets(const CString& reply) {
    QDX_CAssetInfo info(CString("7"), CString("8"));
    FUZZ_CHECK(OneOf(ReadAssetInfoReply(reply, info), {1, 256}));

    CObList assets;
    const unsigned int listed = ReadAssetListReply(reply, CString("7"), assets);
    FUZZ_CHECK(OneOf(listed, {1, 256, 2048}));
    // Every record takes at least one field, and every field but the last ends at an "&".
    const size_t fields =
        1 + static_cast<size_t>(std::count(reply.view().begin(), reply.view().end(), '&'));
    FUZZ_CHECK(static_cast<size_t>(assets.GetCount()) <= fields);
    DeleteAll(assets);

    CObList stats;
    FUZZ_CHECK(OneOf(ReadAssetStatsReply(reply, stats), {1, 256, 2048}));
    FUZZ_CHECK(static_cast<size_t>(stats.GetCount()) <= fields);
    DeleteAll(stats);
}

void ReadUsers(const CString& reply) {
    FUZZ_CHECK(OneOf(ReadValidationReply(reply), {1, 2, 4, 6, 8192, 1024, 9216, 256, 32}));

    CString value1, value3, value4;
    FUZZ_CHECK(OneOf(ReadRegistrationReply(reply, value1, value3, value4),
                     {65, 4097, 32769, 256, 8192, 0}));

    CString texts[14];
    long number9 = 0;
    unsigned int number11 = 0;
    unsigned int number15 = 0;
    FUZZ_CHECK(
        OneOf(ReadUserInfoReply(reply, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5],
                                texts[6], texts[7], number9, texts[8], number11, texts[9],
                                texts[10], texts[11], number15, texts[12], texts[13]),
              {1, 256, 2048}));
}

void ReadHomepage(const CString& reply) {
    CString title, heading, body, theme, replyText;
    const unsigned int result = ReadHomepageReply(reply, title, heading, body, theme, replyText);
    // 0 exactly when the service refused, and the refusal stays in the title.
    FUZZ_CHECK(result == ((title == "FAIL" || title == "NOROWS") ? 0u : 1u));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CString reply(std::string_view(reinterpret_cast<const char*>(data), size));
    ReadAssets(reply);
    ReadUsers(reply);
    ReadHomepage(reply);
    return 0;
}
