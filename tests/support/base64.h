// Base64 (standard alphabet, with padding) for the control interface, which carries raw bytes
// as text.
#pragma once

#include <string>
#include <string_view>

namespace vanta::test {

std::string Base64Encode(std::string_view bytes);

// Throws std::invalid_argument on text that is not base64.
std::string Base64Decode(std::string_view text);

} // namespace vanta::test
