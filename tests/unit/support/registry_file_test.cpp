#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "registry_file.h"

namespace vanta::test {
namespace {

// The UTF-16LE form of ASCII text: each byte followed by a zero byte.
std::string Wide(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(RegistryFile, AsciiFileHasTheExportLayoutWithLineFeeds) {
    RegistryFileOptions options;
    options.server = "10.1.2.3";
    EXPECT_EQ(RegistryFileBytes(options), "Windows Registry Editor Version 5.00\n"
                                          "\n"
                                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n"
                                          "\"Server\"=\"10.1.2.3\"\n"
                                          "\n");
}

TEST(RegistryFile, Utf16FileHasByteOrderMarkAndCarriageReturns) {
    RegistryFileOptions options;
    options.server = "localhost";
    options.encoding = RegistryEncoding::Utf16LeBom;
    const std::string expected =
        std::string("\xFF\xFE", 2) + Wide("Windows Registry Editor Version 5.00\r\n"
                                          "\r\n"
                                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\r\n"
                                          "\"Server\"=\"localhost\"\r\n"
                                          "\r\n");
    EXPECT_EQ(RegistryFileBytes(options), expected);
}

TEST(RegistryFile, Utf16ConvertsMultiByteCharactersAndSurrogatePairs) {
    RegistryFileOptions options;
    options.encoding = RegistryEncoding::Utf16LeBom;
    options.server = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // U+00E9 U+20AC U+1F600
    const std::string bytes = RegistryFileBytes(options);
    const std::string value = std::string("\xE9\x00\xAC\x20\x3D\xD8\x00\xDE", 8);
    EXPECT_NE(bytes.find(Wide("\"Server\"=\"") + value + Wide("\"\r\n")), std::string::npos);
}

TEST(RegistryFile, OmitsTheValueOrTheKey) {
    RegistryFileOptions noValue;
    noValue.withValue = false;
    EXPECT_EQ(RegistryFileBytes(noValue), "Windows Registry Editor Version 5.00\n\n"
                                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n\n");

    RegistryFileOptions noKey;
    noKey.withKey = false;
    EXPECT_EQ(RegistryFileBytes(noKey), "Windows Registry Editor Version 5.00\n\n");
}

TEST(RegistryFile, WritesEmptyAndLongValuesAsGiven) {
    RegistryFileOptions empty;
    empty.server = "";
    EXPECT_NE(RegistryFileBytes(empty).find("\n\"Server\"=\"\"\n"), std::string::npos);

    RegistryFileOptions long_;
    long_.server = std::string(5000, 'h');
    EXPECT_NE(RegistryFileBytes(long_).find("\"Server\"=\"" + long_.server + "\"\n"),
              std::string::npos);
}

TEST(RegistryFile, WriteReplacesTheFileWithTheExactBytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("vanta-regfile-" + std::to_string(getpid())))
            .string();
    RegistryFileOptions options;
    options.encoding = RegistryEncoding::Utf16LeBom;
    options.server = "a-rather-long-host-name.example";
    WriteRegistryFile(path, options);
    options.server = "short"; // a shorter second write must not leave the old tail behind
    WriteRegistryFile(path, options);

    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::filesystem::remove(path);
    EXPECT_EQ(content.str(), RegistryFileBytes(options));

    EXPECT_THROW(WriteRegistryFile("/nonexistent-dir/registry.reg"), std::runtime_error);
}

} // namespace
} // namespace vanta::test
