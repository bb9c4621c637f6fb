// Base64 (RFC 4648, standard alphabet, with padding) for the control interface, which carries
// raw bytes as text.
#pragma once

#include <string>
#include <string_view>

namespace vanta::test {

std::string Base64Encode(std::string_view bytes);

// Throws std::invalid_argument on a character outside the alphabet, a length that is not a
// multiple of four, or padding anywhere but at the end. Line breaks are not accepted.
std::string Base64Decode(std::string_view text);

} // namespace vanta::test
