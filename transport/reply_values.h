// Reply values with a fixed meaning, compared whole and case-sensitively after extraction.
#pragma once

namespace reply {
inline constexpr const char* kFail = "FAIL";
inline constexpr const char* kNoRows = "NOROWS";
inline constexpr const char* kQdxFail = "QDX_FAIL";
inline constexpr const char* kError = "ERROR";
inline constexpr const char* kWrongPassword = "WRONG_PASSWORD";
inline constexpr const char* kNewApp = "NEWAPP";
inline constexpr const char* kNew = "NEW";
inline constexpr const char* kOld = "OLD";
inline constexpr const char* kYes = "1";
} // namespace reply
