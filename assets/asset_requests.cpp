// Creating an asset's record before its files are sent.
#include "assets/asset_requests.h"
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
