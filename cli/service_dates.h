// The service's two date forms, turned into ISO 8601 for output.
#pragma once

#include <optional>
#include <string>

// The service stamps assets with a day number counted from 1899-12-30 00:00 UTC, the time of
// day as its fraction (46362.5 is 2026-12-06T12:00:00Z). Returns the UTC time rounded to the
// second, "YYYY-MM-DDTHH:MM:SSZ"; nothing for 0 or less (the reply carried no date) or for a
// number past the year 9999.
std::optional<std::string> DayNumberToIso8601(double dayNumber);

// Statistics name their day as the number yyyymmdd. Returns "YYYY-MM-DD", or nothing when the
// number is not a real calendar day.
std::optional<std::string> CompactDateToIso8601(long long yyyymmdd);
