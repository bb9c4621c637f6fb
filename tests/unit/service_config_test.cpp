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

constexpr const char* kVariables[] = {"VANTA_SERVER", "VANTA_REGISTRY", "VANTA_HTTP_PORT",
                                      "VANTA_FTP_PORT", "VANTA_FTP_TIMEOUT_MS"};

// What stands at $VANTA_REGISTRY.
enum class Registry { Server, NoValue, Missing, Directory, Fifo, Huge };

struct Sources {
    const char* server = nullptr; // $VANTA_SERVER
    Registry registry = Registry::NoValue;
    const char* httpPort = nullptr;
    const char* ftpPort = nullptr;
    const char* ftpTimeoutMs = nullptr;
};

struct Expected {
    std::string host;
    unsigned httpPort = 80;
    unsigned ftpPort = 21;
    long ftpTimeoutMs = 30000;
    std::string problem; // "" or a text the joined problems must hold
};

class ConfigurationSources : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vanta-config-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        for (const char* name : kVariables) {
            unsetenv(name);
        }
        fs::remove_all(m_dir);
    }

    // Sets the environment and the registry path as `sources` says, then loads.
    LoadedConfig Load(const Sources& sources) {
        const fs::path registry = m_dir / "registry.reg";
        fs::remove_all(registry);
        switch (sources.registry) {
        case Registry::Server:
            vanta::test::WriteRegistryFile(registry, {.server = "reg.example"});
            break;
        case Registry::NoValue:
            vanta::test::WriteRegistryFile(registry, {.withValue = false});
            break;
        case Registry::Missing:
            break;
        case Registry::Directory:
            fs::create_directory(registry);
            break;
        case Registry::Fifo:
            mkfifo(registry.c_str(), 0600); // nobody ever writes: a read would wait for ever
            break;
        case Registry::Huge: {
            std::ofstream(registry) << std::string(1024 * 1024 + 1, '\n');
            break;
        }
        }
        setenv("VANTA_REGISTRY", registry.c_str(), 1);
        const std::pair<const char*, const char*> values[] = {
            {"VANTA_SERVER", sources.server},
            {"VANTA_HTTP_PORT", sources.httpPort},
            {"VANTA_FTP_PORT", sources.ftpPort},
            {"VANTA_FTP_TIMEOUT_MS", sources.ftpTimeoutMs}};
        for (const auto& [name, value] : values) {
            if (value != nullptr) {
                setenv(name, value, 1);
            } else {
                unsetenv(name);
            }
        }
        return LoadServiceConfig();
    }

    fs::path m_dir;
};

TEST_F(ConfigurationSources, EachSettingComesFromItsFirstUsableSource) {
    const struct {
        const char* what;
        Sources sources;
        Expected expected;
    } rows[] = {
        {"nothing set", {}, {.host = "localhost"}},
        {"registry", {.registry = Registry::Server}, {.host = "reg.example"}},
        {"environment beats registry",
         {.server = "env.example", .registry = Registry::Server},
         {.host = "env.example"}},
        {"empty environment value is unset",
         {.server = "", .registry = Registry::Server},
         {.host = "reg.example"}},
        {"missing registry file is reported",
         {.registry = Registry::Missing},
         {.host = "localhost",
          .problem = "registry.reg named by VANTA_REGISTRY: No such file or directory; "
                     "using localhost"}},
        {"registry not needed when the environment names the host",
         {.server = "env.example", .registry = Registry::Missing},
         {.host = "env.example"}},
        {"directory",
         {.registry = Registry::Directory},
         {.host = "localhost", .problem = "a directory"}},
        {"fifo",
         {.registry = Registry::Fifo},
         {.host = "localhost", .problem = "not a regular file"}},
        {"huge",
         {.registry = Registry::Huge},
         {.host = "localhost", .problem = "larger than 1 MiB"}},
        {"ports and time-out",
         {.httpPort = "8080", .ftpPort = "2121", .ftpTimeoutMs = "1500"},
         {"localhost", 8080, 2121, 1500}},
        {"highest port", {.httpPort = "65535"}, {"localhost", 65535}},
        {"port zero",
         {.httpPort = "0"},
         {.host = "localhost", .problem = "VANTA_HTTP_PORT=0 is not a port number (1 to 65535)"}},
        {"port too large",
         {.ftpPort = "65536"},
         {.host = "localhost", .problem = "VANTA_FTP_PORT=65536 is not a port number"}},
        {"port with junk",
         {.httpPort = "80x"},
         {.host = "localhost", .problem = "VANTA_HTTP_PORT=80x"}},
        {"signed port",
         {.httpPort = "-80"},
         {.host = "localhost", .problem = "VANTA_HTTP_PORT=-80"}},
        {"spaced port", {.ftpPort = " 21"}, {.host = "localhost", .problem = "VANTA_FTP_PORT= 21"}},
        {"port overflowing",
         {.ftpPort = "18446744073709551697"},
         {.host = "localhost", .problem = "VANTA_FTP_PORT="}},
        {"time-out no number",
         {.ftpTimeoutMs = "soon"},
         {.host = "localhost",
          .problem = "VANTA_FTP_TIMEOUT_MS=soon is not a time in milliseconds"}},
        {"two problems joined",
         {.registry = Registry::Missing, .httpPort = "x"},
         {.host = "localhost", .problem = "using localhost; VANTA_HTTP_PORT=x"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const LoadedConfig loaded = Load(row.sources);
        EXPECT_EQ(loaded.config.host, row.expected.host);
        EXPECT_EQ(loaded.config.httpPort, row.expected.httpPort);
        EXPECT_EQ(loaded.config.ftpPort, row.expected.ftpPort);
        EXPECT_EQ(loaded.config.ftpTimeout.count(), row.expected.ftpTimeoutMs);
        const std::string problem = loaded.problems.Joined();
        if (row.expected.problem.empty()) {
            EXPECT_EQ(problem, "");
        } else {
            EXPECT_NE(problem.find(row.expected.problem), std::string::npos) << problem;
        }
    }
}

// The process-wide configuration as a program changes it after load; restored afterwards.
class ProcessConfiguration : public ::testing::Test {
protected:
    void SetUp() override { m_saved = *ProcessConfig(); }
    void TearDown() override { PublishProcessConfig(m_saved, {}); }

    ServiceConfig m_saved;
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
        {"127.0.0.1", 0, 0, 1, "127.0.0.1", 8080, 2121},
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
        EXPECT_EQ(ActiveConfig().host, "outer.example");
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
