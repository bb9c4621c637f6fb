#include "transport/form_body.h"

#include <cstdio>

namespace vanta::internal {

namespace {
bool NeedsEncoding(unsigned char byte) {
    return byte == '%' || byte == '&' || byte == '=' || byte == '+' || byte < 0x20 || byte == 0x7F;
}
} // namespace

CString EncodeFormValue(const CString& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(value.str().size());
    for (const char ch : value.str()) {
        const auto byte = static_cast<unsigned char>(ch);
        if (NeedsEncoding(byte)) {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += ch;
        }
    }
    return CString(std::move(encoded));
}

FormBody& FormBody::Add(const char* prefix, const CString& value) {
    m_text += prefix;
    m_text += EncodeFormValue(value);
    return *this;
}

FormBody& FormBody::AddInt(const char* prefix, int number) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", number);
    m_text += prefix;
    m_text += digits;
    return *this;
}

FormBody& FormBody::AddUnsigned(const char* prefix, unsigned int number) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%u", number);
    m_text += prefix;
    m_text += digits;
    return *this;
}

FormBody& FormBody::AddSize(const char* prefix, unsigned long long number) {
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%llu", number);
    m_text += prefix;
    m_text += digits;
    return *this;
}

FormBody& FormBody::AddRaw(const char* text) {
    m_text += text;
    return *this;
}

} // namespace vanta::internal
