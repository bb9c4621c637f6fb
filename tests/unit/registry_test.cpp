// The service host comes from the registry file, read the way the library reads it at load.
#include "platform/registry.h"
#include "registry_file.h"
#include "transport/globals.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using vanta::test::RegistryEncoding;
using vanta::test::RegistryFileOptions;

class ServerAddressFromRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = std::filesystem::temp_directory_path() /
                 ("vanta-registry-" + std::to_string(getpid()) + ".reg");
        const char* old = std::getenv("VANTA_REGISTRY");
        m_hadOld = old != nullptr;
        m_old = old ? old : "";
        setenv("VANTA_REGISTRY", m_path.c_str(), 1);
    }
    void TearDown() override {
        std::filesystem::remove(m_path);
        if (m_hadOld) {
            setenv("VANTA_REGISTRY", m_old.c_str(), 1);
        } else {
            unsetenv("VANTA_REGISTRY");
        }
    }
    std::string ReadWith(const RegistryFileOptions& options) {
        vanta::test::WriteRegistryFile(m_path.string(), options);
        return ReadServerAddress().str();
    }

    std::filesystem::path m_path;
    std::string m_old;
    bool m_hadOld = false;
};

TEST_F(ServerAddressFromRegistry, ReadsBothFileEncodings) {
    EXPECT_EQ(ReadWith({.server = "svc.example", .encoding = RegistryEncoding::Ascii}),
              "svc.example");
    EXPECT_EQ(ReadWith({.server = "10.1.2.3", .encoding = RegistryEncoding::Utf16LeBom}),
              "10.1.2.3");
}

TEST_F(ServerAddressFromRegistry, MissingFileKeyOrValueGiveTheDefaultHost) {
    EXPECT_EQ(ReadServerAddress(), kDefaultServiceHost); // no file at all
    EXPECT_EQ(ReadWith({.withKey = false}), kDefaultServiceHost);
    EXPECT_EQ(ReadWith({.withValue = false}), kDefaultServiceHost);
}

TEST_F(ServerAddressFromRegistry, EmptyValueIsTakenAsItStands) {
    EXPECT_EQ(ReadWith({.server = ""}), "");
}

// The value is read into a buffer of 1,024 bytes with its final NUL: 1,023 characters fit,
// 1,024 do not and fall back to the default host.
TEST_F(ServerAddressFromRegistry, ValuesThatDoNotFitTheBufferGiveTheDefaultHost) {
    EXPECT_EQ(ReadWith({.server = std::string(1023, 'h')}), std::string(1023, 'h'));
    EXPECT_EQ(ReadWith({.server = std::string(1024, 'h')}), kDefaultServiceHost);
    EXPECT_EQ(ReadWith({.server = std::string(100000, 'h')}), kDefaultServiceHost);
}

TEST_F(ServerAddressFromRegistry, KeyAndValueNamesIgnoreCaseAndOtherKeysAreSkipped) {
    std::ofstream(m_path) << "Windows Registry Editor Version 5.00\n\n"
                          << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"Server\"=\"wrong\"\n\n"
                          << "[hkey_local_machine\\software\\vanta inc\\apps]\n"
                          << "\"Other\"=dword:00000001\n\"SERVER\"=\"right\\\\host\"\n";
    EXPECT_EQ(ReadServerAddress(), "right\\host");
}

TEST(Registry, QueryReportsTheNeededSizeWhenTheBufferIsShort) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("vanta-registry-size-" + std::to_string(getpid()) + ".reg");
    vanta::test::WriteRegistryFile(path.string(), {.server = "abcdef"});
    setenv("VANTA_REGISTRY", path.c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vanta Inc\\Apps", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    unsigned char buffer[4] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExA(key, "Server", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, buffer, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    unsetenv("VANTA_REGISTRY");
    std::filesystem::remove(path);
}

} // namespace
