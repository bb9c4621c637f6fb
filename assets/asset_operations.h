// The asset operations of the library's core: one asset's description, a user's list, an
// asset's statistics, an asset's removal and the user's disk space. Each takes the call's
// context and gives a typed outcome whose Error carries the code the matching export gives.
#pragma once

#include "transport/call_context.h"
#include "vanta/assets.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What each operation is doing, as its failures describe it.
inline constexpr std::string_view kReadingAsset = "reading an asset";
inline constexpr std::string_view kListingAssets = "listing assets";
inline constexpr std::string_view kReadingAssetStats = "reading an asset's statistics";
inline constexpr std::string_view kRemovingAsset = "removing an asset";
inline constexpr std::string_view kReadingDiskSpace = "reading the disk quota";

// Reads the asset that `info` names (user and asset number) into `info`. A text the reply
// lacks keeps what `info` held; a number it lacks repeats the last numeric text read.
// Failures: not_found (256), network (32).
vanta::Result<void> GetAssetInfo(const CallContext& context, QDX_CAssetInfo& info);

// Appends a user's assets of one product to `assets` as QDX_CAssetInfo entries that are the
// caller's, the ones read before a refusal included. The value is the export's success code:
// 1, or 2048 when the service has no rows. Failures: unknown_user (256), network (32).
vanta::Result<unsigned int> GetAssetList(const CallContext& context, const CString& userNum,
                                         const CString& productNum, CObList& assets);

// Appends an asset's statistics to `stats` as QDX_CAssetStat entries, owned as the list's.
// The value is 1, or 2048 when the service has no rows. Failures: refused (256), network.
vanta::Result<unsigned int> GetAssetStats(const CallContext& context, const CString& userNum,
                                          const CString& assetNum, CObList& stats);

// Removes an asset's record. Failures: refused (with the export's 0 when the service answered
// FAIL), network (32).
vanta::Result<void> DeleteAsset(const CallContext& context, const CString& userId,
                                const CString& productNum, const CString& assetNum);

// The user's disk quota and the space used, as the service writes them. A field the reply
// lacks keeps what the record held.
struct DiskSpaceReply {
    CString quota;
    CString used;
};

// Reads the disk space of a user's product into `space`. Failures: unexpected_reply (0: the
// reply holds no quota), network (32).
vanta::Result<void> GetDiskSpace(const CallContext& context, const CString& userId,
                                 const CString& productId, DiskSpaceReply& space);

} // namespace core
