// Assets: one asset, a user's list, an asset's statistics, removal and the disk quota.
#include "client/client_impl.h"
#include "client/record_conversion.h"
#include "vanta/assets.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <memory>

namespace vanta {
using namespace vanta::result;

namespace {
// Takes the entries out of an export's list, converting each; the list owns none of them.
template <class Entry, class Convert>
auto DrainList(CObList& list, Convert convert) -> std::vector<decltype(convert(Entry()))> {
    std::vector<decltype(convert(Entry()))> records;
    records.reserve(static_cast<size_t>(list.GetCount()));
    while (!list.IsEmpty()) {
        std::unique_ptr<CObject> entry(list.RemoveHead());
        if (const auto* typed = dynamic_cast<const Entry*>(entry.get())) {
            records.push_back(convert(*typed));
        }
    }
    return records;
}

// Deletes whatever entries are left should the conversion fail half-way.
struct OwnedList {
    CObList list;
    ~OwnedList() {
        while (!list.IsEmpty()) {
            delete list.RemoveHead();
        }
    }
};
} // namespace

Result<Asset> Client::asset_info(std::string_view user_id,
                                 std::string_view asset_number) const noexcept {
    constexpr std::string_view doing = "reading an asset";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<Asset> {
        QDX_CAssetInfo info(ToCString(user_id), ToCString(asset_number));
        const unsigned int code = QDX_GetAssetInfo(info, scope.Callback());
        if (code == kSuccess) {
            return ToAsset(info);
        }
        return RequestFailure(ErrorCategory::not_found, code, doing,
                              "the service knows no such asset of that user");
    });
}

Result<std::vector<Asset>> Client::asset_list(std::string_view user_id,
                                              std::string_view product) const noexcept {
    constexpr std::string_view doing = "listing assets";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<std::vector<Asset>> {
        OwnedList owned;
        const unsigned int code =
            QDX_GetAssetList(ToCString(user_id), ToCString(product), owned.list, scope.Callback());
        // NOROWS is how the service says the list is empty.
        if (code == kSuccess || code == kNoRows) {
            return DrainList<QDX_CAssetInfo>(owned.list, ToAsset);
        }
        return RequestFailure(ErrorCategory::unknown_user, code, doing,
                              "the service knows no such user");
    });
}

Result<std::vector<AssetStat>> Client::asset_stats(std::string_view user_id,
                                                   std::string_view asset_number) const noexcept {
    constexpr std::string_view doing = "reading an asset's statistics";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<std::vector<AssetStat>> {
        OwnedList owned;
        const unsigned int code = QDX_GetAssetStats(ToCString(user_id), ToCString(asset_number),
                                                    owned.list, scope.Callback());
        if (code != kSuccess && code != kNoRows) {
            return RequestFailure(ErrorCategory::refused, code, doing,
                                  "the service refused the request");
        }
        bool readable = true;
        auto stats = DrainList<QDX_CAssetStat>(owned.list, [&](const QDX_CAssetStat& stat) {
            const auto day = FromYyyymmdd(stat.m_nValue1);
            readable = readable && day.has_value();
            return AssetStat{day.value_or(std::chrono::sys_days()), stat.m_nValue2};
        });
        if (!readable) {
            return FailedWith(ErrorCategory::unexpected_reply, kZero, doing,
                              "a record names no day of the calendar");
        }
        return stats;
    });
}

Result<void> Client::delete_asset(std::string_view user_id, std::string_view product,
                                  std::string_view asset_number) const noexcept {
    constexpr std::string_view doing = "removing an asset";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code = QDX_DeleteAsset(ToCString(user_id), ToCString(product),
                                                  ToCString(asset_number), scope.Callback());
        return SucceededOr(code, ErrorCategory::refused, doing, "the service refused the removal");
    });
}

Result<DiskSpace> Client::disk_space(std::string_view user_id,
                                     std::string_view product) const noexcept {
    constexpr std::string_view doing = "reading the disk quota";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<DiskSpace> {
        CString quota;
        CString used;
        const unsigned int code =
            QDX_GetDiskSpace(ToCString(user_id), ToCString(product), quota, used, scope.Callback());
        if (code != kSuccess) {
            return RequestFailure(ErrorCategory::unexpected_reply, code, doing,
                                  "the reply holds no quota");
        }
        const auto quotaBytes = ParseByteCount(quota.view());
        const auto usedBytes = ParseByteCount(used.view());
        if (!quotaBytes || !usedBytes) {
            return FailedWith(ErrorCategory::unexpected_reply, kZero, doing,
                              "the quota or the space used is not a byte count");
        }
        return DiskSpace{*quotaBytes, *usedBytes};
    });
}

} // namespace vanta
