// Creating an asset's record before its files are sent, and removing a record.
#include "assets/asset_requests.h"
#include "transport/export_guard.h"
#include "vanta/result_codes.h"

#include "jobs/job.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/transport.h"
#include "vanta/upload.h"

using namespace vanta::result;
using namespace vanta::internal;

unsigned int CreateAsset(Job& job, const CStringArray& fileNames) {
    FormBody body;
    body.Add("UserId=", job.m_strUserId)
        .Add("&Name=", job.m_strAssetName)
        .AddSize("&Size=", job.TotalBytes())
        .AddInt("&ProdId=", static_cast<int>(job.m_nProductNum))
        .AddInt("&AssetType=", static_cast<int>(job.m_nAssetType))
        .Add("&AssetDesc=", job.m_strDescription)
        .AddInt("&FileCnt=", static_cast<int>(fileNames.GetSize()));
    for (INT_PTR i = 0; i < fileNames.GetSize(); ++i) {
        body.Add("&File=", fileNames.GetAt(i));
    }

    CString answer;
    if (PostRequest(body, endpoint::kCreateAsset, answer, job.m_pfnCallback, kFixedReplyLimit) !=
        kSuccess) {
        return kChannelFailure;
    }
    CString assetNum;
    const CString rest = NextReplyField(answer, assetNum);
    if (assetNum == reply::kFail) {
        return kServiceFail;
    }
    job.m_strAssetNum = assetNum;
    NextReplyField(NextReplyField(rest, job.m_strAssetId), job.m_strPassword);
    job.m_bRegistered = true;
    return kSuccess;
}

unsigned int WINAPI QDX_DeleteAsset(const CString& userId, const CString& productNum,
                                    const CString& assetNum, StatusCallback callback) {
    return GuardExport("deleting an asset", kChannelFailure, [&]() -> unsigned int {
        // The service expects the asset number before the product number, and both names with a
        // blank before the "=".
        FormBody body;
        body.Add("user_id=", userId).Add("&asset_num =", assetNum).Add("&product_id =", productNum);
        // FAIL is this export's 0.
        const unsigned int verdict =
            PostForVerdict(body, endpoint::kDeleteAsset, callback, VerdictIn::kWholeValue);
        return verdict == kServiceFail ? kZero : verdict;
    });
}
