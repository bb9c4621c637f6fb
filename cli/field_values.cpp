#include "cli/field_values.h"

#include <charconv>

nlohmann::ordered_json IntegerOrNull(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return nullptr;
    }
    return value;
}
