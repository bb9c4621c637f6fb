#include "cli/terminal_text.h"

#include <cstdio>

namespace {
void AppendEscaped(std::string& out, unsigned char byte) {
    char hex[5];
    std::snprintf(hex, sizeof(hex), "\\x%02X", byte);
    out += hex;
}

// Length of the well-formed UTF-8 sequence that starts at `at`, or 0 when the bytes there do
// not form one (overlong forms, surrogates and values above U+10FFFF included).
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}
} // namespace

std::string EscapeForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F) {
                AppendEscaped(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(text, i);
        // U+0080..U+009F (C2 80..C2 9F) are the C1 controls: a terminal may act on them.
        const bool c1 =
            length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (length == 0 || c1) {
            for (size_t k = 0; k < (c1 ? 2 : 1); ++k) {
                AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
            }
            i += c1 ? 2 : 1;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}
