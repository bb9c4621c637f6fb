// Reading an asset's statistics as two-number records appended to the caller's list.
#include "assets/asset_replies.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/assets.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

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

unsigned int WINAPI QDX_GetAssetStats(const CString& userNum, const CString& assetNum,
                                      CObList& stats, StatusCallback callback) {
    return GuardExport("reading asset statistics", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("User_Id=", userNum).Add("&Asset_num=", assetNum);
        CString answer;
        if (QDX_SendHTTPRequest(body, endpoint::kGetStats, answer, callback) != kSuccess) {
            return kChannelFailure;
        }
        return ReadAssetStatsReply(answer, stats);
    });
}
