// The service host comes from the registry file, read the way the library reads it at load.
#include "registry_file.h"
#include "transport/globals.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using vanta::test::RegistryEncoding;

TEST(ServerAddressFromRegistry, EncodingsMissingPartsAndTheBufferBound) {
    const std::string path = std::filesystem::temp_directory_path() /
                             ("vanta-registry-" + std::to_string(getpid()) + ".reg");
    setenv("VANTA_REGISTRY", path.c_str(), 1);
    EXPECT_EQ(ReadServerAddress(), kDefaultServiceHost); // no file at all
    const std::string fits(1023, 'h');                   // 1,024 bytes with the final NUL
    const struct {
        vanta::test::RegistryFileOptions file;
        std::string host;
    } rows[] = {
        {{.server = "svc.example"}, "svc.example"},
        {{.server = "10.1.2.3", .encoding = RegistryEncoding::Utf16LeBom}, "10.1.2.3"},
        {{.withKey = false}, kDefaultServiceHost},
        {{.withValue = false}, kDefaultServiceHost},
        {{.server = ""}, ""},
        {{.server = fits}, fits},
        {{.server = fits + "h"}, kDefaultServiceHost},
    };
    for (const auto& row : rows) {
        vanta::test::WriteRegistryFile(path, row.file);
        EXPECT_EQ(ReadServerAddress().str(), row.host) << row.file.server.size();
    }
    // Key and value names ignore case; other keys and values are skipped.
    std::ofstream(path) << "Windows Registry Editor Version 5.00\n\n"
                        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"Server\"=\"wrong\"\n\n"
                        << "[hkey_local_machine\\software\\vanta inc\\apps]\n"
                        << "\"Other\"=dword:00000001\n\"SERVER\"=\"right\\\\host\"\n";
    EXPECT_EQ(ReadServerAddress(), "right\\host");

    unsetenv("VANTA_REGISTRY");
    std::filesystem::remove(path);
}

} // namespace
