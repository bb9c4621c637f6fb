// vanta asset info|list|stats: reading the asset catalogue.
#include "cli/asset_fields.h"
#include "cli/cli_common.h"
#include "cli/field_values.h"
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

int RunInfo() {
    QDX_CAssetInfo record{CString(Args().user), CString(Args().asset)};
    const unsigned int code = QDX_GetAssetInfo(record, CliStatusCallback());
    return Finish(
        "QDX_GetAssetInfo", code,
        code == 1 ? AssetFields(record)
                  : Fields{{"user", Args().user}, {"asset_number", IntegerOrNull(Args().asset)}});
}

int RunList() {
    OwnedList assets;
    const unsigned int code =
        QDX_GetAssetList(CString(Args().user), CString(std::to_string(Args().product)), assets.list,
                         CliStatusCallback());
    // Entries before a refusing record are shown too: the export keeps them.
    Fields entries = Fields::array();
    for (POSITION pos = assets.list.GetHeadPosition(); pos != nullptr;) {
        entries.push_back(AssetFields(static_cast<QDX_CAssetInfo&>(*assets.list.GetNext(pos))));
    }
    return Finish("QDX_GetAssetList", code,
                  {{"user", Args().user}, {"product", Args().product}, {"assets", entries}});
}

int RunStats() {
    OwnedList records;
    const unsigned int code = QDX_GetAssetStats(CString(Args().user), CString(Args().asset),
                                                records.list, CliStatusCallback());
    Fields days = Fields::array();
    for (POSITION pos = records.list.GetHeadPosition(); pos != nullptr;) {
        const auto& stat = static_cast<QDX_CAssetStat&>(*records.list.GetNext(pos));
        const std::optional<std::string> date = CompactDateToIso8601(stat.m_nValue1);
        days.push_back({{"date", date ? Fields(*date) : Fields()}, {"page_views", stat.m_nValue2}});
    }
    return Finish(
        "QDX_GetAssetStats", code,
        {{"user", Args().user}, {"asset_number", IntegerOrNull(Args().asset)}, {"days", days}});
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
