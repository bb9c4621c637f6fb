// The service configuration: which source wins for each setting, what is reported when a
// source cannot be used, and the changes a program makes after load.
#include "registry_file.h"
#include "transport/config_loader.h"
#include "transport/service_config.h"
#include "vanta/transport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What stands at $VANTA_REGISTRY.
enum class Registry { Server, NoValue, Missing, Directory, Fifo, Huge };

TEST(ConfigurationSources, EachSettingComesFromItsFirstUsableSource) {
    const fs::path registry =
        fs::temp_directory_path() / ("vanta-config-" + std::to_string(getpid()));
    const char* const variables[] = {"VANTA_SERVER", "VANTA_HTTP_PORT", "VANTA_FTP_PORT",
                                     "VANTA_FTP_TIMEOUT_MS"};
    const struct {
        Registry registry;
        const char* environment[4]; // values of `variables`, nullptr: unset
        const char* host;
        unsigned httpPort, ftpPort;
        long ftpTimeoutMs;
        const char* problem; // "" or a text the joined problems must hold
    } rows[] = {
        {Registry::NoValue, {}, "localhost", 80, 21, 30000, ""},
        {Registry::Server, {}, "reg.example", 80, 21, 30000, ""},
        {Registry::Server, {"env.example"}, "env.example", 80, 21, 30000, ""},
        {Registry::Server, {""}, "reg.example", 80, 21, 30000, ""}, // empty is unset
        {Registry::Missing,
         {},
         "localhost",
         80,
         21,
         30000,
         "named by VANTA_REGISTRY: No such file or directory; using localhost"},
        {Registry::Missing, {"env.example"}, "env.example", 80, 21, 30000, ""},
        {Registry::Directory, {}, "localhost", 80, 21, 30000, "a directory"},
        {Registry::Fifo, {}, "localhost", 80, 21, 30000, "not a regular file"},
        {Registry::Huge, {}, "localhost", 80, 21, 30000, "larger than 1 MiB"},
        {Registry::NoValue, {nullptr, "65535", "2121", "1500"}, "localhost", 65535, 2121, 1500, ""},
        {Registry::NoValue,
         {nullptr, "0"},
         "localhost",
         80,
         21,
         30000,
         "VANTA_HTTP_PORT=0 is not a port number (1 to 65535)"},
        {Registry::NoValue,
         {nullptr, nullptr, "65536"},
         "localhost",
         80,
         21,
         30000,
         "VANTA_FTP_PORT=65536"},
        {Registry::NoValue, {nullptr, "80x"}, "localhost", 80, 21, 30000, "VANTA_HTTP_PORT=80x"},
        {Registry::NoValue, {nullptr, "-80"}, "localhost", 80, 21, 30000, "VANTA_HTTP_PORT=-80"},
        {Registry::NoValue,
         {nullptr, nullptr, " 21"},
         "localhost",
         80,
         21,
         30000,
         "VANTA_FTP_PORT= 21"},
        {Registry::NoValue,
         {nullptr, nullptr, "18446744073709551697"},
         "localhost",
         80,
         21,
         30000,
         "VANTA_FTP_PORT=1844"},
        {Registry::NoValue,
         {nullptr, nullptr, nullptr, "soon"},
         "localhost",
         80,
         21,
         30000,
         "VANTA_FTP_TIMEOUT_MS=soon is not a time in milliseconds"},
        {Registry::Missing,
         {nullptr, "x"},
         "localhost",
         80,
         21,
         30000,
         "using localhost; VANTA_HTTP_PORT=x"},
    };
    setenv("VANTA_REGISTRY", registry.c_str(), 1);
    for (const auto& row : rows) {
        fs::remove_all(registry);
        if (row.registry == Registry::Server || row.registry == Registry::NoValue) {
            vanta::test::WriteRegistryFile(
                registry, {.server = "reg.example", .withValue = row.registry == Registry::Server});
        } else if (row.registry == Registry::Directory) {
            fs::create_directory(registry);
        } else if (row.registry == Registry::Fifo) {
            mkfifo(registry.c_str(), 0600); // nobody ever writes: a read would wait for ever
        } else if (row.registry == Registry::Huge) {
            std::ofstream(registry) << std::string(1024 * 1024 + 1, '\n');
        }
        for (size_t i = 0; i < std::size(variables); ++i) {
            row.environment[i] ? setenv(variables[i], row.environment[i], 1)
                               : unsetenv(variables[i]);
        }
        const LoadedConfig loaded = LoadServiceConfig();
        const std::string problem = loaded.problems.Joined();
        SCOPED_TRACE(problem);
        EXPECT_EQ(loaded.config.host, row.host);
        EXPECT_EQ(loaded.config.httpPort, row.httpPort);
        EXPECT_EQ(loaded.config.ftpPort, row.ftpPort);
        EXPECT_EQ(loaded.config.ftpTimeout.count(), row.ftpTimeoutMs);
        EXPECT_TRUE(*row.problem == '\0' ? problem.empty()
                                         : problem.find(row.problem) != std::string::npos);
    }
    for (const char* name : variables) {
        unsetenv(name);
    }
    unsetenv("VANTA_REGISTRY");
    fs::remove_all(registry);
}

// The process-wide configuration as a program changes it after load; restored afterwards.
class ProcessConfiguration : public ::testing::Test {
protected:
    void TearDown() override { PublishProcessConfig(m_saved, {}); }

    const ServiceConfig m_saved = *ProcessConfig();
};

TEST_F(ProcessConfiguration, SetServiceAddressChangesOnlyWhatItIsGivenAndRefusesBadValues) {
    PublishProcessConfig({"a.example", 80, 21, std::chrono::milliseconds(30000)},
                         {.host = "registry unreadable", .httpPort = "bad port"});
    const struct {
        const char* host;
        unsigned httpPort, ftpPort;
        unsigned result;
        const char* hostAfter;
        unsigned httpAfter, ftpAfter;
    } rows[] = {
        {nullptr, 8080, 0, 1, "a.example", 8080, 21},
        {"b.example", 0, 2121, 1, "b.example", 8080, 2121},
        {"[::1]", 0, 0, 1, "[::1]", 8080, 2121},
        {"", 0, 0, 0, "[::1]", 8080, 2121},
        {"bad host", 0, 0, 0, "[::1]", 8080, 2121},
        {"evil\r\nHost: x", 0, 0, 0, "[::1]", 8080, 2121},
        {"a.example/path", 0, 0, 0, "[::1]", 8080, 2121},
        {"a.example:99", 0, 0, 0, "[::1]", 8080, 2121},
        {"c.example", 65536, 0, 0, "[::1]", 8080, 2121},
        {nullptr, 0, 70000, 0, "[::1]", 8080, 2121},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.host ? row.host : "(null)");
        EXPECT_EQ(QDX_SetServiceAddress(row.host, row.httpPort, row.ftpPort), row.result);
        EXPECT_EQ(ActiveConfig().host, row.hostAfter);
        EXPECT_EQ(ActiveConfig().httpPort, row.httpAfter);
        EXPECT_EQ(ActiveConfig().ftpPort, row.ftpAfter);
    }
    // What was changed lost its problem.
    EXPECT_STREQ(QDX_GetConfigurationProblem(), "");
}

TEST_F(ProcessConfiguration, ScopedConfigurationBelongsToItsThreadAndNests) {
    PublishProcessConfig({"process.example", 80, 21, std::chrono::milliseconds(30000)}, {});
    {
        const ScopedServiceConfig outer({"outer.example", 81, 22, std::chrono::milliseconds(1)});
        {
            const ScopedServiceConfig inner(
                {"inner.example", 82, 23, std::chrono::milliseconds(2)});
            EXPECT_EQ(ActiveConfig().host, "inner.example");
            std::string seenElsewhere;
            std::thread([&] { seenElsewhere = ActiveConfig().host; }).join();
            EXPECT_EQ(seenElsewhere, "process.example");
        }
        EXPECT_EQ(ActiveConfig().httpPort, 81u);
    }
    EXPECT_EQ(ActiveConfig().host, "process.example");
}

} // namespace
