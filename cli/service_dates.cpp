#include "cli/service_dates.h"

#include <cstdio>

namespace {
using namespace std::chrono;

// The service counts days from here; its 0 means "no date".
constexpr sys_days kServiceEpoch = year(1899) / December / 30;
} // namespace

std::string ToIsoDate(sys_days day) {
    const year_month_day date{day};
    char text[16];
    std::snprintf(text, sizeof(text), "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::optional<std::string> ToIso8601(vanta::TimePoint time) {
    // In seconds: the clock's own unit spans only a few centuries.
    const sys_seconds stamp = round<seconds>(time);
    if (stamp <= kServiceEpoch) {
        return std::nullopt;
    }
    const sys_days day = floor<days>(stamp);
    const hh_mm_ss<seconds> clock{stamp - day};
    char text[48];
    std::snprintf(text, sizeof(text), "%sT%02lld:%02lld:%02lldZ", ToIsoDate(day).c_str(),
                  static_cast<long long>(clock.hours().count()),
                  static_cast<long long>(clock.minutes().count()),
                  static_cast<long long>(clock.seconds().count()));
    return text;
}
