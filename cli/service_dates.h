// The records' dates as ISO 8601 for output.
#pragma once

#include "vanta/client.hpp"

#include <chrono>
#include <optional>
#include <string>

// "YYYY-MM-DDTHH:MM:SSZ", rounded to the second; nothing for a time at or before 1899-12-30
// (the service's day 0: the reply carried no date).
std::optional<std::string> ToIso8601(vanta::TimePoint time);

// "YYYY-MM-DD".
std::string ToIsoDate(std::chrono::sys_days day);
