#include "registry_file.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace vanta::test {

namespace {

void AppendUnit(std::string& out, uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8 & 0xFF);
}

// UTF-8 to UTF-16LE. Bytes that do not form valid UTF-8 are taken as Latin-1, so that any
// input gives some file (tests may want odd ones).
std::string ToUtf16Le(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        uint32_t cp = b0;
        size_t len = 1;
        if (b0 >= 0xC0 && b0 < 0xF8) {
            len = b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
            cp = b0 & (0x7F >> len);
            bool valid = i + len <= text.size();
            for (size_t k = 1; valid && k < len; ++k) {
                const auto bk = static_cast<unsigned char>(text[i + k]);
                valid = (bk & 0xC0) == 0x80;
                cp = cp << 6 | (bk & 0x3F);
            }
            if (!valid || cp > 0x10FFFF) {
                cp = b0;
                len = 1;
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit(out, 0xD800 | cp >> 10);
            AppendUnit(out, 0xDC00 | (cp & 0x3FF));
        } else {
            AppendUnit(out, cp);
        }
        i += len;
    }
    return out;
}

} // namespace

std::string RegistryFileBytes(const RegistryFileOptions& options) {
    const bool utf16 = options.encoding == RegistryEncoding::Utf16LeBom;
    const std::string eol = utf16 ? "\r\n" : "\n";
    std::string text = "Windows Registry Editor Version 5.00" + eol + eol;
    if (options.withKey) {
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]" + eol;
        if (options.withValue)
            text += "\"Server\"=\"" + options.server + "\"" + eol;
        text += eol;
    }
    if (!utf16)
        return text;
    return std::string("\xFF\xFE", 2) + ToUtf16Le(text);
}

void WriteRegistryFile(const std::string& path, const RegistryFileOptions& options) {
    const std::string bytes = RegistryFileBytes(options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write the registry file " + path);
}

} // namespace vanta::test
