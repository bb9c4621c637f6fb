// vanta asset info|list|stats: reading the asset catalogue.
#include "cli/cli_common.h"

#include <iostream>
#include <string>

namespace {
struct AssetArgs {
    std::string user;
    std::string asset;
    std::string product;
};

AssetArgs& Args() {
    static AssetArgs args;
    return args;
}

// The record's members, named as in the header without their type prefix.
nlohmann::ordered_json RecordFields(const QDX_CAssetInfo& info) {
    return {{"user_num", info.m_strUserNum.str()},
            {"asset_num", info.m_strAssetNum.str()},
            {"text1", info.m_strText1.str()},
            {"text2", info.m_strText2.str()},
            {"value1", info.m_nValue1},
            {"value2", info.m_nValue2},
            {"value3", info.m_lValue3},
            {"text3", info.m_strText3.str()},
            {"d_value", info.m_dValue},
            {"text4", info.m_strText4.str()},
            {"text5", info.m_strText5.str()},
            {"value4", info.m_nValue4},
            {"value5", info.m_nValue5},
            {"text6", info.m_strText6.str()}};
}

// Text mode gets one indented block per entry after the summary; JSON one array.
int ReportList(const std::string& exportName, unsigned int code, const char* key,
               const nlohmann::ordered_json& entries) {
    if (Options().json) {
        return Report(exportName, code, 1, {{key, entries}});
    }
    const int status = Report(exportName, code, 1, {{"entries", entries.size()}});
    size_t number = 0;
    for (const auto& entry : entries) {
        std::cout << "  [" << ++number << "]\n";
        for (const auto& [name, value] : entry.items()) {
            std::cout << "    " << name << ": "
                      << (value.is_string() ? value.get<std::string>() : value.dump()) << '\n';
        }
    }
    return status;
}

void AddInfo(CLI::App& asset) {
    auto* info = asset.add_subcommand("info", "Read one asset's record");
    info->add_option("USER", Args().user)->required();
    info->add_option("ASSET", Args().asset, "Asset number")->required();
    info->callback([] {
        QDX_CAssetInfo record{CString(Args().user), CString(Args().asset)};
        const unsigned int code = QDX_GetAssetInfo(record, CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_GetAssetInfo", code, 1,
                   code == 1 ? RecordFields(record) : nlohmann::ordered_json::object()));
    });
}

void AddList(CLI::App& asset) {
    auto* list = asset.add_subcommand("list", "List a user's assets of one product");
    list->add_option("USER", Args().user)->required();
    list->add_option("PRODUCT", Args().product, "Product number")->required();
    list->callback([] {
        OwnedList assets;
        const unsigned int code = QDX_GetAssetList(CString(Args().user), CString(Args().product),
                                                   assets.list, CliStatusCallback());
        // Entries before a refusing record are shown too: the export keeps them.
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (POSITION pos = assets.list.GetHeadPosition(); pos != nullptr;) {
            entries.push_back(
                RecordFields(static_cast<QDX_CAssetInfo&>(*assets.list.GetNext(pos))));
        }
        throw CLI::RuntimeError(ReportList("QDX_GetAssetList", code, "assets", entries));
    });
}

void AddStats(CLI::App& asset) {
    auto* stats = asset.add_subcommand("stats", "Read an asset's statistics records");
    stats->add_option("USER", Args().user)->required();
    stats->add_option("ASSET", Args().asset, "Asset number")->required();
    stats->callback([] {
        OwnedList records;
        const unsigned int code = QDX_GetAssetStats(CString(Args().user), CString(Args().asset),
                                                    records.list, CliStatusCallback());
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (POSITION pos = records.list.GetHeadPosition(); pos != nullptr;) {
            const auto& stat = static_cast<QDX_CAssetStat&>(*records.list.GetNext(pos));
            entries.push_back({{"value1", stat.m_nValue1}, {"value2", stat.m_nValue2}});
        }
        throw CLI::RuntimeError(ReportList("QDX_GetAssetStats", code, "stats", entries));
    });
}
} // namespace

void AddAssetCommands(CLI::App& app) {
    auto* asset = app.add_subcommand("asset", "Read the asset catalogue");
    asset->require_subcommand(1);
    AddInfo(*asset);
    AddList(*asset);
    AddStats(*asset);
}
