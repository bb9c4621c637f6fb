// A caller's std::filesystem::path as the library's text for a local path: its bytes here,
// UTF-8 on Windows (where the path holds UTF-16 and its native() is wide text).
#pragma once

#include <filesystem>
#include <string>

inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
