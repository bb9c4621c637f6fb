// Reading one asset's description, into a record or into separate out-arguments.
#include "assets/asset_replies.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/assets.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

#include <cstdlib>

using namespace vanta::result;
using namespace vanta::internal;

unsigned int ReadAssetInfoReply(const CString& answer, QDX_CAssetInfo& info) {
    ReplyCursor cursor(answer);
    // Numbers pass through one scratch string, so a number the reply lacks repeats the last
    // numeric text it did carry. Only FAIL refuses: NOROWS in field 1 is taken as data.
    CString scratch;
    cursor.Next(info.m_strText1);
    if (info.m_strText1 == reply::kFail) {
        return kServiceFail;
    }
    cursor.Next(info.m_strText2);
    cursor.Next(scratch);
    info.m_nValue1 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(scratch);
    info.m_nValue2 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(scratch);
    info.m_lValue3 = std::atol(scratch);
    cursor.Next(info.m_strText3);
    cursor.Next(info.m_strText4);
    cursor.Next(scratch);
    info.m_dValue = std::atof(scratch);
    cursor.Next(scratch);
    info.m_nValue4 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(info.m_strText5);
    cursor.Next(scratch);
    info.m_nValue5 = static_cast<unsigned int>(std::atoi(scratch));
    cursor.Next(info.m_strText6);
    return kSuccess;
}

unsigned int WINAPI QDX_GetAssetInfo(QDX_CAssetInfo& info, StatusCallback callback) {
    return GuardExport("reading an asset", kChannelFailure, [&]() -> unsigned int {
        FormBody body;
        body.Add("user_num=", info.m_strUserNum).Add("&asset_num=", info.m_strAssetNum);
        CString answer;
        if (PostRequest(body, endpoint::kGetAsset, answer, callback, kFixedReplyLimit) !=
            kSuccess) {
            return kChannelFailure;
        }
        return ReadAssetInfoReply(answer, info);
    });
}

unsigned int WINAPI QDX_GetAssetInfo(const CString& userNum, const CString& assetNum,
                                     CString& text4, unsigned int& value4, CString& text2,
                                     CString& text5, double& dValue, CString& text3,
                                     unsigned int& value5, CString& text6, unsigned int& value1,
                                     unsigned int& value2, StatusCallback callback) {
    return GuardExport("reading an asset", kChannelFailure, [&]() -> unsigned int {
        QDX_CAssetInfo info(userNum, assetNum);
        const unsigned int result = QDX_GetAssetInfo(info, callback);
        if (result == kSuccess) {
            text4 = info.m_strText4;
            value4 = info.m_nValue4;
            text2 = info.m_strText2;
            text5 = info.m_strText5;
            dValue = info.m_dValue;
            text3 = info.m_strText3;
            value5 = info.m_nValue5;
            text6 = info.m_strText6;
            value1 = info.m_nValue1;
            value2 = info.m_nValue2;
        }
        return result;
    });
}
