// Service texts turned into typed JSON values.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// The number a whole text spells in decimal (an optional minus sign, then digits); null when
// the text is anything else, so a script never reads a made-up 0.
nlohmann::ordered_json IntegerOrNull(const std::string& text);
