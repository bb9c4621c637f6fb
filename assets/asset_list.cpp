// Listing a user's assets of one product as records appended to the caller's list.
#include "assets/asset_operations.h"
#include "assets/asset_replies.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/raw_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/assets.h"
#include "vanta/result_codes.h"

#include <cstdlib>
#include <memory>

using namespace vanta::result;
using namespace vanta::internal;

namespace {
// Fields 2 to 13 of a list record; field 1 has been read and judged by the caller.
void ReadRecordTail(ReplyCursor& cursor, CString& scratch, QDX_CAssetInfo& info) {
    cursor.Next(info.m_strText2);
    cursor.Next(scratch);
    info.m_nValue1 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(scratch);
    info.m_nValue2 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(scratch);
    info.m_lValue3 = std::strtoll(scratch, nullptr, 10);
    cursor.Next(info.m_strText3);
    cursor.Next(scratch);
    info.m_dValue = std::atof(scratch);
    cursor.Next(info.m_strAssetNum);
    cursor.Next(info.m_strText4);
    cursor.Next(scratch);
    info.m_nValue4 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(info.m_strText5);
    cursor.Next(scratch);
    info.m_nValue5 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(info.m_strText6);
}
} // namespace

unsigned int ReadAssetListReply(const CString& answer, const CString& userNum, CObList& assets) {
    // Records of 13 fields follow one another with no separator; one scratch string serves
    // the numbers of every record, so a cut-short record repeats the last number read.
    ReplyCursor cursor(answer);
    CString scratch;
    while (!cursor.AtEnd()) {
        auto entry = std::make_unique<QDX_CAssetInfo>();
        entry->m_strUserNum = userNum;
        cursor.Next(entry->m_strText1);
        if (entry->m_strText1 == reply::kFail) {
            return kServiceFail;
        }
        if (entry->m_strText1 == reply::kNoRows) {
            return kNoRows;
        }
        ReadRecordTail(cursor, scratch, *entry);
        // From here on the entry is the caller's.
        assets.AddTail(entry.get());
        entry.release();
    }
    return kSuccess;
}

namespace core {

vanta::Result<unsigned int> GetAssetList(const CallContext& context, const CString& userNum,
                                         const CString& productNum, CObList& assets) {
    FormBody body;
    // The service's field name is "prodcut_id", spelt so.
    body.Add("user_num=", userNum).AddRaw("&asset_num=0").Add("&prodcut_id=", productNum);
    CString answer;
    // The whole reply, however many records it holds.
    const auto posted =
        PostRaw(context, body, endpoint::kGetAsset, answer, vanta::repeat_rule("asset_list"));
    const unsigned int code =
        posted ? ReadAssetListReply(answer, userNum, assets) : posted.error().code;
    // NOROWS is how the service says the list is empty.
    if (code == kSuccess || code == kNoRows) {
        return code;
    }
    return RequestFailure(vanta::ErrorCategory::unknown_user, code, kListingAssets,
                          "the service knows no such user");
}

} // namespace core
