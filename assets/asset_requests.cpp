// Creating an asset's record before its files are sent.
#include "assets/asset_requests.h"

#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"
#include "vanta/upload.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace core {

vanta::Result<NewAsset> CreateAsset(const CallContext& context, const AssetDraft& draft) {
    constexpr std::string_view doing = "registering the asset";
    const CStringArray& fileNames = draft.fileNames;
    FormBody body;
    body.Add("UserId=", draft.userId)
        .Add("&Name=", draft.name)
        .AddSize("&Size=", draft.totalBytes)
        .AddInt("&ProdId=", static_cast<int>(draft.productNum))
        .AddInt("&AssetType=", static_cast<int>(draft.assetType))
        .Add("&AssetDesc=", draft.description)
        .AddInt("&FileCnt=", static_cast<int>(fileNames.GetSize()));
    for (INT_PTR i = 0; i < fileNames.GetSize(); ++i) {
        body.Add("&File=", fileNames.GetAt(i));
    }

    CString answer;
    if (PostRequest(context, body, endpoint::kCreateAsset, answer, kFixedReplyLimit,
                    vanta::repeat_rule("create_asset")) != kSuccess) {
        return FailedWith(vanta::ErrorCategory::network, kChannelFailure, doing,
                          "the request failed");
    }
    NewAsset asset;
    asset.password = draft.password;
    const CString rest = NextReplyField(answer, asset.number);
    if (asset.number == reply::kFail) {
        return FailedWith(vanta::ErrorCategory::refused, kServiceFail, doing,
                          "the service refused to register the asset");
    }
    NextReplyField(NextReplyField(rest, asset.id), asset.password);
    return asset;
}

} // namespace core
