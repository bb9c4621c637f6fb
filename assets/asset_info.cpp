// Reading one asset's description.
#include "assets/asset_operations.h"
#include "assets/asset_replies.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/result_codes.h"

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
    info.m_lValue3 = std::strtoll(scratch, nullptr, 10);
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

namespace core {

vanta::Result<void> GetAssetInfo(const CallContext& context, QDX_CAssetInfo& info) {
    FormBody body;
    body.Add("user_num=", info.m_strUserNum).Add("&asset_num=", info.m_strAssetNum);
    CString answer;
    unsigned int code = kChannelFailure;
    if (PostRequest(context, body, endpoint::kGetAsset, answer, kFixedReplyLimit,
                    vanta::repeat_rule("asset_info")) == kSuccess) {
        code = ReadAssetInfoReply(answer, info);
    }
    return SucceededOr(code, vanta::ErrorCategory::not_found, kReadingAsset,
                       "the service knows no such asset of that user");
}

} // namespace core
