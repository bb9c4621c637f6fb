#include "base64.h"

#include <cstdint>
#include <stdexcept>

namespace vanta::test {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                               static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1]))
                                   << 8 |
                               static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 2]));
        out += kAlphabet[group >> 18 & 0x3F];
        out += kAlphabet[group >> 12 & 0x3F];
        out += kAlphabet[group >> 6 & 0x3F];
        out += kAlphabet[group & 0x3F];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2)
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += kAlphabet[group >> 18 & 0x3F];
        out += kAlphabet[group >> 12 & 0x3F];
        out += rest == 2 ? kAlphabet[group >> 6 & 0x3F] : '=';
        out += '=';
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    if (text.size() % 4 != 0)
        throw std::invalid_argument("base64: length is not a multiple of four");
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int padding = 0;
        uint32_t group = 0;
        for (size_t j = 0; j < 4; ++j) {
            const char c = text[i + j];
            int value = 0;
            if (c == '=') {
                // Padding only in the last two places of the last group, and nothing after it.
                if (!last || j < 2)
                    throw std::invalid_argument("base64: misplaced padding");
                ++padding;
            } else {
                if (padding > 0)
                    throw std::invalid_argument("base64: data after padding");
                value = SextetOf(c);
                if (value < 0)
                    throw std::invalid_argument("base64: character outside the alphabet");
            }
            group = group << 6 | static_cast<uint32_t>(value);
        }
        out += static_cast<char>(group >> 16 & 0xFF);
        if (padding < 2)
            out += static_cast<char>(group >> 8 & 0xFF);
        if (padding < 1)
            out += static_cast<char>(group & 0xFF);
    }
    return out;
}

} // namespace vanta::test
