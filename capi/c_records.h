// The records of the C interface made from vanta::Client's: each on the C heap, its strings
// copied, freed by its own vanta_*_free. A failed allocation throws std::bad_alloc and leaves
// nothing behind.
#pragma once

#include "capi/c_boundary.h"

#include <vector>

namespace vanta::capi {

vanta_login* MakeLogin(const Login& login);
vanta_registration* MakeRegistration(const Registration& registration);
vanta_user* MakeUser(const User& user);
vanta_asset* MakeAsset(const Asset& asset);
vanta_asset_list* MakeAssetList(const std::vector<Asset>& assets);
vanta_asset_stats* MakeAssetStats(const std::vector<AssetStat>& stats);
vanta_disk_space* MakeDiskSpace(const DiskSpace& space);
vanta_homepage* MakeHomepage(const Homepage& page);
vanta_version_check* MakeVersionCheck(const VersionCheck& check);

// The caller's details and homepage, members beyond their size taken as empty.
UserDetails ToUserDetails(const vanta_user_details* details);
Homepage ToHomepage(const vanta_homepage& page);

} // namespace vanta::capi
