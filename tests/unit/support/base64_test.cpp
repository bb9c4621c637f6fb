#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base64.h"

namespace vanta::test {
namespace {

TEST(Base64, EncodesTheStandardVectors) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64Encode(std::string("\xFB\xFF\xBF", 3)), "+/+/");
    EXPECT_EQ(Base64Encode(std::string("\0\0", 2)), "AAA=");
}

TEST(Base64, DecodesTheStandardVectors) {
    EXPECT_EQ(Base64Decode(""), "");
    EXPECT_EQ(Base64Decode("Zg=="), "f");
    EXPECT_EQ(Base64Decode("Zm8="), "fo");
    EXPECT_EQ(Base64Decode("Zm9vYmFy"), "foobar");
    EXPECT_EQ(Base64Decode("+/+/"), std::string("\xFB\xFF\xBF", 3));
    EXPECT_EQ(Base64Decode("AAA="), std::string("\0\0", 2));
}

TEST(Base64, RoundTripsEveryByteAtEveryLengthRemainder) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (size_t length = 0; length <= all.size(); ++length) {
        // Rotate so that every byte value appears in every position of a group.
        const std::string bytes = (all.substr(length % 256) + all).substr(0, length);
        const std::string text = Base64Encode(bytes);
        ASSERT_EQ(text.size(), (length + 2) / 3 * 4) << "length " << length;
        ASSERT_EQ(Base64Decode(text), bytes) << "length " << length;
    }
}

TEST(Base64, RejectsMalformedText) {
    EXPECT_THROW(Base64Decode("Zg="), std::invalid_argument);      // not a multiple of four
    EXPECT_THROW(Base64Decode("Zg=a"), std::invalid_argument);     // data after padding
    EXPECT_THROW(Base64Decode("Z==="), std::invalid_argument);     // padding too early
    EXPECT_THROW(Base64Decode("Zg==Zg=="), std::invalid_argument); // padding mid-text
    EXPECT_THROW(Base64Decode("Zm9v\nYmFy"), std::invalid_argument);
    EXPECT_THROW(Base64Decode("Zm-_"), std::invalid_argument); // URL-safe alphabet
}

} // namespace
} // namespace vanta::test
