// The asset exports: each runs its core operation with the process's configuration and the
// caller's callback, and writes the reply into the caller's record, list or out-arguments.
#include "assets/asset_operations.h"
#include "exports/export_code.h"
#include "exports/export_context.h"
#include "transport/export_guard.h"
#include "vanta/assets.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

using namespace vanta::result;

unsigned int WINAPI QDX_GetAssetInfo(QDX_CAssetInfo& info, StatusCallback callback) {
    return GuardExport("reading an asset", kChannelFailure, [&]() -> unsigned int {
        return ExportCode(core::GetAssetInfo(ExportContext(callback), info));
    });
}

unsigned int WINAPI QDX_GetAssetInfo(const CString& userNum, const CString& assetNum,
                                     CString& text4, unsigned int& value4, CString& text2,
                                     CString& text5, double& dValue, CString& text3,
                                     unsigned int& value5, CString& text6, unsigned int& value1,
                                     unsigned int& value2, StatusCallback callback) {
    return GuardExport("reading an asset", kChannelFailure, [&]() -> unsigned int {
        QDX_CAssetInfo info(userNum, assetNum);
        const auto read = core::GetAssetInfo(ExportContext(callback), info);
        // Only an asset that was read is written out.
        if (read) {
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
        return ExportCode(read);
    });
}

unsigned int WINAPI QDX_GetAssetList(const CString& userNum, const CString& productNum,
                                     CObList& assets, StatusCallback callback) {
    return GuardExport("listing assets", kChannelFailure, [&]() -> unsigned int {
        const auto listed =
            core::GetAssetList(ExportContext(callback), userNum, productNum, assets);
        return listed ? *listed : listed.error().code;
    });
}

unsigned int WINAPI QDX_GetAssetStats(const CString& userNum, const CString& assetNum,
                                      CObList& stats, StatusCallback callback) {
    return GuardExport("reading asset statistics", kChannelFailure, [&]() -> unsigned int {
        const auto read = core::GetAssetStats(ExportContext(callback), userNum, assetNum, stats);
        return read ? *read : read.error().code;
    });
}

unsigned int WINAPI QDX_DeleteAsset(const CString& userId, const CString& productNum,
                                    const CString& assetNum, StatusCallback callback) {
    return GuardExport("deleting an asset", kChannelFailure, [&]() -> unsigned int {
        return ExportCode(core::DeleteAsset(ExportContext(callback), userId, productNum, assetNum));
    });
}

unsigned int WINAPI QDX_GetDiskSpace(const CString& userId, const CString& productId,
                                     CString& quota, CString& used, StatusCallback callback) {
    return GuardExport("reading the disk space", kChannelFailure, [&]() -> unsigned int {
        // What the reply lacks stays as the caller had it.
        core::DiskSpaceReply space{quota, used};
        const auto read = core::GetDiskSpace(ExportContext(callback), userId, productId, space);
        quota = space.quota;
        used = space.used;
        return ExportCode(read);
    });
}
