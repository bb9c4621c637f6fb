#include "base64.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace vanta::test {

std::string Base64Encode(std::string_view bytes) {
    std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string Base64Decode(std::string_view text) {
    std::string bytes(text.size() / 4 * 3 + 3, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0 || text.size() % 4 != 0) {
        throw std::invalid_argument("not base64: " + std::string(text.substr(0, 40)));
    }
    // The decoder counts the padding as zero bytes.
    const size_t padding = text.ends_with("==") ? 2 : text.ends_with("=") ? 1 : 0;
    bytes.resize(static_cast<size_t>(length) - padding);
    return bytes;
}

} // namespace vanta::test
