#include "client/record_conversion.h"

#include "client/client_impl.h"

#include <charconv>
#include <cmath>

using namespace std::chrono;

std::optional<vanta::TimePoint> FromDayNumber(double days) {
    // About ±29,000 years either side: beyond that the clock's 64-bit count overflows.
    constexpr double kLimit = 1.0e7;
    if (!std::isfinite(days) || std::fabs(days) > kLimit) {
        return std::nullopt;
    }
    constexpr sys_days kEpoch = year(1899) / December / 30;
    const auto offset = duration_cast<system_clock::duration>(duration<double, days::period>(days));
    return vanta::TimePoint(kEpoch) + offset;
}

std::optional<sys_days> FromYyyymmdd(long value) {
    if (value <= 0) {
        return std::nullopt;
    }
    const year_month_day day{year(static_cast<int>(value / 10000)),
                             month(static_cast<unsigned>(value / 100 % 100)),
                             std::chrono::day(static_cast<unsigned>(value % 100))};
    if (!day.ok()) {
        return std::nullopt;
    }
    return sys_days(day);
}

std::optional<std::uint64_t> ParseByteCount(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> SplitFileNames(std::string_view joined) {
    std::vector<std::string> names;
    while (!joined.empty()) {
        const size_t bar = joined.find('|');
        names.emplace_back(joined.substr(0, bar));
        if (bar == std::string_view::npos) {
            break;
        }
        joined.remove_prefix(bar + 1);
    }
    return names;
}

vanta::Asset ToAsset(const QDX_CAssetInfo& info) {
    vanta::Asset asset;
    asset.user_number = ToString(info.m_strUserNum);
    asset.asset_number = ToString(info.m_strAssetNum);
    asset.name = ToString(info.m_strText1);
    asset.description = ToString(info.m_strText2);
    // The record's unsigned members hold what atoi gave: back to the signed value.
    asset.product = static_cast<int>(info.m_nValue1);
    asset.type = static_cast<int>(info.m_nValue2);
    asset.declared_size = info.m_lValue3;
    asset.asset_id = ToString(info.m_strText3);
    asset.password = ToString(info.m_strText4);
    asset.created = FromDayNumber(info.m_dValue).value_or(vanta::TimePoint());
    asset.file_count = static_cast<int>(info.m_nValue4);
    asset.page_address = ToString(info.m_strText5);
    asset.page_views = static_cast<int>(info.m_nValue5);
    asset.file_names = SplitFileNames(info.m_strText6.view());
    return asset;
}
