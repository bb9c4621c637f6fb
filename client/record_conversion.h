// The service's reply values turned into the typed records' fields.
#pragma once

#include "vanta/assets.h"
#include "vanta/client.hpp"

#include <optional>
#include <string_view>

// A day number counted from 30 December 1899, the time of day as its fraction (46362.5 is
// noon on 6 December 2026), as a time point. Values no calendar holds give nullopt.
std::optional<vanta::TimePoint> FromDayNumber(double days);

// A day written yyyymmdd as a number, or nullopt when it names no day of the calendar.
std::optional<std::chrono::sys_days> FromYyyymmdd(long value);

// A decimal byte count with nothing else around it, or nullopt.
std::optional<std::uint64_t> ParseByteCount(std::string_view text);

// The file names of an asset, which the service joins with "|".
std::vector<std::string> SplitFileNames(std::string_view joined);

// The asset record of the exports as a typed record.
vanta::Asset ToAsset(const QDX_CAssetInfo& info);
