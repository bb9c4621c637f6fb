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

// The code point of a well-formed sequence of `length` bytes at `at`.
char32_t CodePoint(std::string_view text, size_t at, size_t length) {
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = static_cast<unsigned char>(text[at]) & kLeadBits[length];
    for (size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    }
    return value;
}

// Characters that are not controls to the terminal but change what it shows: the
// bidirectional controls reorder the text around them (a name can make "gpj.exe" read
// "exe.jpg"), the separators break lines where the terminal supports them.
bool ShownEscaped(char32_t c, LineFeeds lineFeeds) {
    const bool bidi = c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
                      (c >= 0x2066 && c <= 0x2069);
    const bool separator = c == 0x2028 || c == 0x2029;
    return bidi || (separator && lineFeeds == LineFeeds::kEscape);
}
} // namespace

std::string EscapeForTerminal(std::string_view text, LineFeeds lineFeeds) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            const bool kept = byte == '\t' || (byte == '\n' && lineFeeds == LineFeeds::kKeep);
            if ((byte < 0x20 && !kept) || byte == 0x7F) {
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
        if (const char32_t c = CodePoint(text, i, length); ShownEscaped(c, lineFeeds)) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04X", static_cast<unsigned int>(c));
            out += escaped;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}
