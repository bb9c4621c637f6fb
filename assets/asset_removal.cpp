// Removing an asset's record.
#include "assets/asset_operations.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace core {

vanta::Result<void> DeleteAsset(const CallContext& context, const CString& userId,
                                const CString& productNum, const CString& assetNum) {
    // The service expects the asset number before the product number, and both names with a
    // blank before the "=".
    FormBody body;
    body.Add("user_id=", userId).Add("&asset_num =", assetNum).Add("&product_id =", productNum);
    const unsigned int verdict =
        PostForVerdict(context, body, endpoint::kDeleteAsset, vanta::repeat_rule("delete_asset"),
                       VerdictIn::kWholeValue);
    // FAIL is the export's 0.
    return SucceededOr(verdict == kServiceFail ? kZero : verdict, vanta::ErrorCategory::refused,
                       kRemovingAsset, "the service refused the removal");
}

} // namespace core
