#include "cli/service_dates.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace {
using namespace std::chrono;

// 1899-12-30 is 25569 days before the Unix epoch.
constexpr double kDaysBeforeUnixEpoch = 25569.0;
constexpr double kLastDayNumber = 2958466.0; // 10000-01-01

std::string FormatDay(const year_month_day& day) {
    char text[16];
    std::snprintf(text, sizeof(text), "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}
} // namespace

std::optional<std::string> DayNumberToIso8601(double dayNumber) {
    if (!(dayNumber > 0.0) || dayNumber >= kLastDayNumber) {
        return std::nullopt;
    }
    const auto seconds =
        static_cast<long long>(std::llround((dayNumber - kDaysBeforeUnixEpoch) * 86400.0));
    const sys_seconds stamp{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(stamp);
    const hh_mm_ss<std::chrono::seconds> time{stamp - day};
    char text[48];
    std::snprintf(text, sizeof(text), "%sT%02lld:%02lld:%02lldZ",
                  FormatDay(year_month_day{day}).c_str(),
                  static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return text;
}

std::optional<std::string> CompactDateToIso8601(long long yyyymmdd) {
    if (yyyymmdd < 101 || yyyymmdd > 99991231) {
        return std::nullopt;
    }
    const year_month_day day{year{static_cast<int>(yyyymmdd / 10000)},
                             month{static_cast<unsigned>(yyyymmdd / 100 % 100)},
                             std::chrono::day{static_cast<unsigned>(yyyymmdd % 100)}};
    if (!day.ok()) {
        return std::nullopt;
    }
    return FormatDay(day);
}
