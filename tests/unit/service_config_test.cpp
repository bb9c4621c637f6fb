// The service configuration: which source wins for each setting, how the registry file is
// read, what is reported when a source cannot be used, and the changes a program makes after
// load.
#include "os/registry.h"
#include "transport/config_loader.h"
#include "transport/service_config.h"
#include "vanta/transport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string Summary(const ServiceConfig& config) {
    return config.host + " " + std::to_string(config.httpPort) + " " +
           std::to_string(config.ftpPort) + " " + std::to_string(config.ftpTimeout.count()) +
           (config.retry.retries == 0 ? ""
                                      : " +" + std::to_string(config.retry.retries) + " retries") +
           (config.parallelTransfers == 1
                ? ""
                : " x" + std::to_string(config.parallelTransfers) + " connections");
}

#if defined(_WIN32)
// The Win32 twin reads the system's registry: the key's values as the file's would be read,
// strings converted from UTF-16 to UTF-8, and a missing key or value is no problem.
TEST(ConfigurationSources, EachSettingComesFromItsFirstUsableSource) {
    const wchar_t* const kApps = L"SOFTWARE\\Vanta Inc\\Apps";
    const std::wstring fits(1023, L'h'); // 1,024 bytes with the final NUL
    const DWORD four = 4;
    const struct {
        const wchar_t* name; // nullptr: no key at all
        DWORD type;
        std::wstring text; // a string value, or none for the four bytes of `four`
        std::string loaded;
        const char* problem;
    } rows[] = {
        {nullptr, REG_SZ, L"", "localhost 80 21 30000", ""},
        {L"Server", REG_SZ, L"reg.example", "reg.example 80 21 30000", ""},
        {L"SERVER", REG_SZ, L"reg.example", "reg.example 80 21 30000", ""}, // names ignore case
        {L"Server", REG_SZ, fits, std::string(1023, 'h') + " 80 21 30000", ""},
        {L"Server", REG_SZ, fits + L"h", "localhost 80 21 30000", ""},
        {L"Server", REG_SZ, L"u@reg.example", "localhost 80 21 30000", "it holds '@'"},
        {L"Retries", REG_DWORD, L"", "localhost 80 21 30000 +4 retries", ""},
        {L"Retries", REG_SZ, L"4", "localhost 80 21 30000 +4 retries", ""}, // as text alike
        {L"Server", REG_BINARY, L"", "localhost 80 21 30000", ""},          // no type of a setting
        {L"Server", REG_DWORD, L"", "localhost 80 21 30000", "is a number (4), not a host"},
        {L"Other", REG_SZ, L"x", "localhost 80 21 30000", ""},
    };
    for (const auto& row : rows) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kApps);
        if (row.name != nullptr) {
            const bool text = row.type == REG_SZ;
            ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kApps, row.name, row.type,
                                      text ? static_cast<const void*>(row.text.c_str()) : &four,
                                      text ? static_cast<DWORD>((row.text.size() + 1) * 2)
                                           : static_cast<DWORD>(sizeof(four))),
                      ERROR_SUCCESS);
        }
        const LoadedConfig loaded = LoadServiceConfig();
        const std::string problem = loaded.problems.Joined();
        EXPECT_EQ(Summary(loaded.config), row.loaded) << problem;
        EXPECT_TRUE(*row.problem == '\0' ? problem.empty()
                                         : problem.find(row.problem) != std::string::npos)
            << problem;
    }
    // UTF-16 in the registry, UTF-8 in the library; a buffer too small is refused with the size.
    const std::wstring accented = L"d\u00e9j\u00e0";
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kApps, L"Login", REG_SZ, accented.c_str(),
                              static_cast<DWORD>((accented.size() + 1) * 2)),
              ERROR_SUCCESS);
    unsigned char value[16] = {};
    DWORD size = sizeof(value);
    DWORD type = 0;
    EXPECT_EQ(ReadRegistryValue("SOFTWARE\\Vanta Inc\\Apps", "login", &type, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(value), size),
              std::string("d\xc3\xa9j\xc3\xa0", 7));
    size = 6;
    EXPECT_EQ(ReadRegistryValue("SOFTWARE\\Vanta Inc\\Apps", "Login", &type, value, &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 7U);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kApps);
}
#else
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

std::string Registry(const std::string& server, const char* key = "Vanta Inc\\Apps") {
    return kHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\" + key + "]\n\"Server\"=\"" + server + "\"\n";
}

// As the registry editor exports: byte-order mark, UTF-16LE, CR LF.
std::string Utf16(const std::string& text) {
    std::string wide = "\xff\xfe";
    for (const char ch : text) {
        wide += ch == '\n' ? std::string("\r\0\n\0", 4) : std::string{ch, '\0'};
    }
    return wide;
}

// What stands at $VANTA_REGISTRY.
enum class Kind { File, Missing, Directory, Fifo };

TEST(ConfigurationSources, EachSettingComesFromItsFirstUsableSource) {
    const fs::path registry =
        fs::temp_directory_path() / ("vanta-config-" + std::to_string(getpid()));
    using enum Kind;
    const std::string fits(1023, 'h'); // 1,024 bytes with the final NUL
    const char* const kDefaults = "localhost 80 21 30000";
    // Key and value names ignore case; other values are skipped.
    const std::string mixedCase = kHeader + "[hkey_local_machine\\software\\vanta inc\\apps]\n"
                                            "\"a\"=dword:00000001\n\"SERVER\"=\"a\\\\b\"\n";
    const char* const variables[] = {"VANTA_SERVER",   "VANTA_HTTP_PORT",
                                     "VANTA_FTP_PORT", "VANTA_FTP_TIMEOUT_MS",
                                     "VANTA_RETRIES",  "VANTA_PARALLEL_TRANSFERS"};
    const std::string retries = kHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n"
                                          "\"Retries\"=dword:00000004\n";
    const struct {
        Kind kind;
        std::string file;
        const char* environment[6]; // values of `variables`, nullptr: unset
        std::string loaded;         // host, ports, FTP limit, retries, connections unless one
        const char* problem;        // "" or a text the joined problems must hold
    } rows[] = {
        {File, Registry("reg.example"), {""}, "reg.example 80 21 30000", ""}, // empty is unset
        {File, Registry("reg.example"), {"env.example"}, "env.example 80 21 30000", ""},
        {File, Utf16(Registry("10.1.2.3")), {}, "10.1.2.3 80 21 30000", ""},
        {File, Registry(fits), {}, fits + " 80 21 30000", ""},
        {File, Registry(fits + "h"), {}, kDefaults, ""},
        {File, Registry("x", "Other"), {}, kDefaults, ""},
        {File, mixedCase, {}, kDefaults, "\"a\\\\b\" is not a host"}, // unescaped to a\b
        {Missing, "", {}, kDefaults, "VANTA_REGISTRY: No such file or directory"},
        {Missing, "", {"env.example"}, "env.example 80 21 30000", ""},
        {Directory, "", {}, kDefaults, "a directory"},
        {Fifo, "", {}, kDefaults, "not a regular file"},
        {File, std::string(1024 * 1024 + 1, '\n'), {}, kDefaults, "larger than 1 MiB"},
        {File, "", {nullptr, "65535", "2121", "1500"}, "localhost 65535 2121 1500", ""},
        {File, "", {nullptr, "0"}, kDefaults, "HTTP_PORT=0 is not a port number (1 to 65535)"},
        {File, "", {nullptr, nullptr, "65536"}, kDefaults, "VANTA_FTP_PORT=65536"},
        {File, "", {nullptr, "-80", " 21"}, kDefaults, "(1 to 65535); VANTA_FTP_PORT= 21"},
        {File, "", {nullptr, "80x", "18446744073709551697"}, kDefaults, "); VANTA_FTP_PORT=1844"},
        {Missing, "", {nullptr, nullptr, nullptr, "soon"}, kDefaults, "directory; VANTA_FTP_TIME"},
        // A host value that cannot be a host is named, escaped, and the next source is used.
        {File,
         Registry("reg.example"),
         {"a.example:8080"},
         "reg.example 80 21 30000",
         "VANTA_SERVER: \"a.example:8080\" is not a host: it holds a port (HOST:PORT)"},
        {File, "", {"[::1]:8080"}, kDefaults, "\"[::1]:8080\" is not a host: it holds a port"},
        {File, "", {"::1"}, kDefaults, "an IPv6 address needs brackets"},
        {File, "", {"[::1]"}, "[::1] 80 21 30000", ""},
        {File, "", {"a b"}, kDefaults, "\"a b\" is not a host: it holds a space"},
        {File,
         "",
         {"evil\r\nHost: x"},
         kDefaults,
         "\"evil\\r\\nHost: x\" is not a host: it "
         "holds a line break"},
        {File, "", {"a.example/x"}, kDefaults, "it holds '/' (a path)"},
        {File, "", {"a.example?x"}, kDefaults, "it holds '?' (a query)"},
        {File, "", {"a.example#x"}, kDefaults, "it holds '#' (a fragment)"},
        {File,
         Registry("u@reg.example"),
         {},
         kDefaults,
         "the registry file's \"Server\": \"u@reg.example\" is not a host: it holds '@'"},
        // A number would name an IPv4 address ("4" is 0.0.0.4): no host, and said so.
        {File,
         kHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n\"Server\"=dword:00000004\n",
         {},
         kDefaults,
         "the registry file's \"Server\" is a number (4), not a host"},
        // Only a named number of retries makes the exports repeat a request.
        {File, retries, {}, "localhost 80 21 30000 +4 retries", ""},
        {File, retries, {nullptr, nullptr, nullptr, nullptr, "0"}, kDefaults, ""},
        {File,
         "",
         {nullptr, nullptr, nullptr, nullptr, "100"},
         "localhost 80 21 30000 +100 retries",
         ""},
        {File,
         "",
         {nullptr, nullptr, nullptr, nullptr, "101"},
         kDefaults,
         "VANTA_RETRIES=101 is not a number of retries (0 to 100)"},
        {File,
         retries,
         {nullptr, nullptr, nullptr, nullptr, "-1"},
         "localhost 80 21 30000 +4 retries",
         "VANTA_RETRIES=-1"},
        {File, "", {nullptr, nullptr, nullptr, nullptr, "00"}, kDefaults, "VANTA_RETRIES=00"},
        {File,
         kHeader + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n\"Retries\"=\"2x\"\n",
         {},
         kDefaults,
         "the registry file's \"Retries\"=2x is not a number of retries"},
        // The exports keep one connection unless the process names more.
        {File,
         "",
         {nullptr, nullptr, nullptr, nullptr, nullptr, "32"},
         "localhost 80 21 30000 x32 connections",
         ""},
        {File,
         "",
         {nullptr, nullptr, nullptr, nullptr, nullptr, "33"},
         kDefaults,
         "VANTA_PARALLEL_TRANSFERS=33 is not a number of connections (1 to 32)"},
        {File,
         "",
         {nullptr, nullptr, nullptr, nullptr, nullptr, "0"},
         kDefaults,
         "VANTA_PARALLEL_TRANSFERS=0"},
    };
    setenv("VANTA_REGISTRY", registry.c_str(), 1);
    for (const auto& row : rows) {
        fs::remove_all(registry);
        if (row.kind == File) {
            std::ofstream(registry, std::ios::binary) << row.file;
        } else if (row.kind == Directory) {
            fs::create_directory(registry);
        } else if (row.kind == Fifo) {
            mkfifo(registry.c_str(), 0600); // nobody ever writes: a read would wait for ever
        }
        for (size_t i = 0; i < std::size(variables); ++i) {
            row.environment[i] ? setenv(variables[i], row.environment[i], 1)
                               : unsetenv(variables[i]);
        }
        const LoadedConfig loaded = LoadServiceConfig();
        const std::string problem = loaded.problems.Joined();
        EXPECT_EQ(Summary(loaded.config), row.loaded) << problem;
        EXPECT_TRUE(*row.problem == '\0' ? problem.empty()
                                         : problem.find(row.problem) != std::string::npos)
            << problem;
    }
    for (const char* name : variables) {
        unsetenv(name);
    }
    unsetenv("VANTA_REGISTRY");
    fs::remove_all(registry);
}
#endif

// A program's change after load reaches only what it names; a host that could carry a second
// header line, a path or a port of its own is refused and changes nothing.
TEST(ProcessConfiguration, SetServiceAddressChangesOnlyWhatItIsGivenAndRefusesBadValues) {
    const ServiceConfig saved = *ProcessConfig();
    PublishProcessConfig({"a.example", 80, 21, std::chrono::milliseconds(30000)},
                         {.host = "registry unreadable", .httpPort = "bad port"});
    EXPECT_EQ(QDX_SetServiceAddress(nullptr, 8080, 0), 1U);
    EXPECT_EQ(QDX_SetServiceAddress("b.example", 0, 2121), 1U);
    EXPECT_STREQ(QDX_GetConfigurationProblem(), ""); // what was changed lost its problem
    EXPECT_EQ(QDX_SetServiceAddress("[::1]", 0, 0), 1U);
    for (const char* host : {"", "bad host", "evil\r\nHost: x", "a.example/path", "a.example:99",
                             "a?b", "a#b", "u@a.example", "[::1]:80"}) {
        EXPECT_EQ(QDX_SetServiceAddress(host, 0, 0), 0U) << host;
    }
    EXPECT_EQ(QDX_SetServiceAddress("c.example", 65536, 0), 0U);
    EXPECT_EQ(QDX_SetServiceAddress(nullptr, 0, 70000), 0U);
    EXPECT_EQ(Summary(CurrentProcessConfig()), "[::1] 8080 2121 30000");
    PublishProcessConfig(saved, {});
}

} // namespace
