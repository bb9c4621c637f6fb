// Assets: one asset, a user's list, an asset's statistics, removal and the disk quota.
#include "assets/asset_operations.h"
#include "client/client_impl.h"
#include "client/record_conversion.h"
#include "vanta/assets.h"
#include "vanta/result_codes.h"

#include <memory>

namespace vanta {

namespace {
// Takes the entries out of a core list, converting each; the list owns none of them.
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
    return RunCore(*m_impl, core::kReadingAsset, [&](const CallContext& ctx) -> Result<Asset> {
        QDX_CAssetInfo info(ToCString(user_id), ToCString(asset_number));
        if (auto read = core::GetAssetInfo(ctx, info); !read) {
            return read.error();
        }
        return ToAsset(info);
    });
}

Result<std::vector<Asset>> Client::asset_list(std::string_view user_id,
                                              std::string_view product) const noexcept {
    return RunCore(
        *m_impl, core::kListingAssets, [&](const CallContext& ctx) -> Result<std::vector<Asset>> {
            OwnedList owned;
            if (auto listed =
                    core::GetAssetList(ctx, ToCString(user_id), ToCString(product), owned.list);
                !listed) {
                return listed.error();
            }
            return DrainList<QDX_CAssetInfo>(owned.list, ToAsset);
        });
}

Result<std::vector<AssetStat>> Client::asset_stats(std::string_view user_id,
                                                   std::string_view asset_number) const noexcept {
    constexpr std::string_view doing = core::kReadingAssetStats;
    return RunCore(*m_impl, doing, [&](const CallContext& ctx) -> Result<std::vector<AssetStat>> {
        OwnedList owned;
        if (auto read =
                core::GetAssetStats(ctx, ToCString(user_id), ToCString(asset_number), owned.list);
            !read) {
            return read.error();
        }
        bool readable = true;
        auto stats = DrainList<QDX_CAssetStat>(owned.list, [&](const QDX_CAssetStat& stat) {
            const auto day = FromYyyymmdd(stat.m_nValue1);
            readable = readable && day.has_value();
            return AssetStat{day.value_or(std::chrono::sys_days()), stat.m_nValue2};
        });
        if (!readable) {
            return FailedWith(ErrorCategory::unexpected_reply, result::kZero, doing,
                              "a record names no day of the calendar");
        }
        return stats;
    });
}

Result<void> Client::delete_asset(std::string_view user_id, std::string_view product,
                                  std::string_view asset_number) const noexcept {
    return RunCore(*m_impl, core::kRemovingAsset, [&](const CallContext& ctx) {
        return core::DeleteAsset(ctx, ToCString(user_id), ToCString(product),
                                 ToCString(asset_number));
    });
}

Result<DiskSpace> Client::disk_space(std::string_view user_id,
                                     std::string_view product) const noexcept {
    constexpr std::string_view doing = core::kReadingDiskSpace;
    return RunCore(*m_impl, doing, [&](const CallContext& ctx) -> Result<DiskSpace> {
        core::DiskSpaceReply space;
        if (auto read = core::GetDiskSpace(ctx, ToCString(user_id), ToCString(product), space);
            !read) {
            return read.error();
        }
        const auto quotaBytes = ParseByteCount(space.quota.view());
        const auto usedBytes = ParseByteCount(space.used.view());
        if (!quotaBytes || !usedBytes) {
            return FailedWith(ErrorCategory::unexpected_reply, result::kZero, doing,
                              "the quota or the space used is not a byte count");
        }
        return DiskSpace{*quotaBytes, *usedBytes};
    });
}

} // namespace vanta
