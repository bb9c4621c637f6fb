#include "cli/asset_fields.h"

#include "cli/field_values.h"
#include "cli/service_dates.h"

std::vector<std::string> AssetFileNames(const QDX_CAssetInfo& info) {
    std::vector<std::string> names;
    const std::string joined = info.m_strText6.str();
    if (joined.empty()) {
        return names;
    }
    size_t start = 0;
    for (size_t bar = joined.find('|'); bar != std::string::npos; bar = joined.find('|', start)) {
        names.push_back(joined.substr(start, bar - start));
        start = bar + 1;
    }
    names.push_back(joined.substr(start));
    return names;
}

Fields AssetFields(const QDX_CAssetInfo& info) {
    const std::optional<std::string> created = DayNumberToIso8601(info.m_dValue);
    // The record's unsigned members hold atoi's int; a negative text reads back as it was.
    return {{"user", info.m_strUserNum.str()},
            {"asset_number", IntegerOrNull(info.m_strAssetNum.str())},
            {"name", info.m_strText1.str()},
            {"description", info.m_strText2.str()},
            {"product", static_cast<int>(info.m_nValue1)},
            {"type", static_cast<int>(info.m_nValue2)},
            {"declared_size", info.m_lValue3},
            {"asset_id", info.m_strText3.str()},
            {"password", info.m_strText4.str()},
            {"created", created ? Fields(*created) : Fields()},
            {"file_count", static_cast<int>(info.m_nValue4)},
            {"page_address", info.m_strText5.str()},
            {"page_views", static_cast<int>(info.m_nValue5)},
            {"files", AssetFileNames(info)}};
}
