// Reading an asset's statistics as two-number records appended to the caller's list.
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

unsigned int ReadAssetStatsReply(const CString& answer, CObList& stats) {
    // One scratch string for the whole reply: a record cut short after its first number
    // repeats that number as its second.
    ReplyCursor cursor(answer);
    CString scratch;
    while (!cursor.AtEnd()) {
        cursor.Next(scratch);
        if (scratch == reply::kFail) {
            return kServiceFail;
        }
        if (scratch == reply::kNoRows) {
            return kNoRows;
        }
        auto entry = std::make_unique<QDX_CAssetStat>();
        entry->m_nValue1 = std::atoi(scratch);
        cursor.Next(scratch);
        entry->m_nValue2 = std::atoi(scratch);
        // From here on the entry is the caller's.
        stats.AddTail(entry.get());
        entry.release();
    }
    return kSuccess;
}

namespace core {

vanta::Result<unsigned int> GetAssetStats(const CallContext& context, const CString& userNum,
                                          const CString& assetNum, CObList& stats) {
    FormBody body;
    body.Add("User_Id=", userNum).Add("&Asset_num=", assetNum);
    CString answer;
    // The whole reply, however many records it holds.
    const auto posted =
        PostRaw(context, body, endpoint::kGetStats, answer, vanta::repeat_rule("asset_stats"));
    const unsigned int code = posted ? ReadAssetStatsReply(answer, stats) : posted.error().code;
    if (code == kSuccess || code == kNoRows) {
        return code;
    }
    return RequestFailure(vanta::ErrorCategory::refused, code, kReadingAssetStats,
                          "the service refused the request");
}

} // namespace core
