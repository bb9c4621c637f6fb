// vanta asset info|list|stats: reading the asset catalogue.
#include "cli/cli_common.h"
#include "cli/field_values.h"
#include "cli/output.h"
#include "cli/service_dates.h"

#include <string>

namespace {
struct AssetArgs {
    std::string user;
    std::string asset;
    unsigned int product = 0;
};

AssetArgs& Args() {
    static AssetArgs args;
    return args;
}

// Every field of the record, typed: the creation time in ISO 8601 (null when the reply
// carried none), the file names as a list.
Fields AssetFields(const vanta::Asset& asset) {
    const std::optional<std::string> created = ToIso8601(asset.created);
    return {{"user", asset.user_number},
            {"asset_number", IntegerOrNull(asset.asset_number)},
            {"name", asset.name},
            {"description", asset.description},
            {"product", asset.product},
            {"type", asset.type},
            {"declared_size", asset.declared_size},
            {"asset_id", asset.asset_id},
            {"password", asset.password},
            {"created", created ? Fields(*created) : Fields()},
            {"file_count", asset.file_count},
            {"page_address", asset.page_address},
            {"page_views", asset.page_views},
            {"files", asset.file_names}};
}

// The code the list exports give: an empty list is their "no rows" (a success all the same).
unsigned int SuccessCode(const Fields& entries) {
    return entries.empty() ? vanta::result::kNoRows : vanta::result::kSuccess;
}

int RunInfo() {
    const auto asset = Service().asset_info(Args().user, Args().asset);
    return Finish(
        "QDX_GetAssetInfo", asset,
        asset ? AssetFields(*asset)
              : Fields{{"user", Args().user}, {"asset_number", IntegerOrNull(Args().asset)}});
}

int RunList() {
    const auto assets = Service().asset_list(Args().user, std::to_string(Args().product));
    Fields entries = Fields::array();
    for (const vanta::Asset& asset : assets ? *assets : std::vector<vanta::Asset>()) {
        entries.push_back(AssetFields(asset));
    }
    return Finish("QDX_GetAssetList", assets ? nullptr : &assets.error(),
                  {{"user", Args().user}, {"product", Args().product}, {"assets", entries}},
                  SuccessCode(entries));
}

int RunStats() {
    const auto stats = Service().asset_stats(Args().user, Args().asset);
    Fields days = Fields::array();
    for (const vanta::AssetStat& stat : stats ? *stats : std::vector<vanta::AssetStat>()) {
        days.push_back({{"date", ToIsoDate(stat.day)}, {"page_views", stat.page_views}});
    }
    return Finish(
        "QDX_GetAssetStats", stats ? nullptr : &stats.error(),
        {{"user", Args().user}, {"asset_number", IntegerOrNull(Args().asset)}, {"days", days}},
        SuccessCode(days));
}
} // namespace

void AddAssetDeleteCommand(CLI::App& asset);

void AddAssetCommands(CLI::App& app) {
    auto* asset = app.add_subcommand("asset", "The asset catalogue: read, list, delete");

    auto* info = asset->add_subcommand("info", "Show one asset's record");
    info->add_option("--user", Args().user, "User id of the owner")->required();
    info->add_option("--asset", Args().asset, "Asset number")->required();
    info->footer("Example:\n  vanta asset info --user ann --asset 1");
    OnSelected(*info, RunInfo);

    auto* list = asset->add_subcommand("list", "List a user's assets of one product");
    list->add_option("--user", Args().user, "User id of the owner")->required();
    list->add_option("--product", Args().product, "Product number")->required();
    list->footer("Example:\n  vanta asset list --user ann --product 3\n"
                 "An empty list is a success (exit 0).");
    OnSelected(*list, RunList);

    auto* stats = asset->add_subcommand("stats", "Show an asset's page views per day");
    stats->add_option("--user", Args().user, "User id of the owner")->required();
    stats->add_option("--asset", Args().asset, "Asset number")->required();
    stats->footer("Example:\n  vanta asset stats --user ann --asset 1");
    OnSelected(*stats, RunStats);

    AddAssetDeleteCommand(*asset);
}
