// Why a call failed, as QDX_GetLastFailureReason tells it, for each class of failure; the
// trace a program can watch; and where the configuration built at load sends the calls.
#include "child_process.h"
#include "control_client.h"
#include "registry_file.h"
#include "service_fixture.h"

#include <vantaapi.h>

#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace vanta::test {
namespace {

constexpr const char* kVersion = "/cgiscripts/get_version.exe";

unsigned int Post() {
    CString reply;
    return QDX_SendHTTPRequest("", kVersion, reply, nullptr);
}

unsigned int CheckFile() {
    int found = 0;
    return QDX_CheckFile("nobody", "f.bin", found, nullptr);
}

class FailureReasons : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        QDX_SetServiceAddress("127.0.0.1", 80, 21);
    }
    void TearDown() override { QDX_SetServiceAddress("localhost", 80, 21); }
};

TEST_F(FailureReasons, EachClassOfFailureSaysWhatFailedWhereAndWhy) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::function<unsigned int()> call;
        unsigned int result;
        std::string reason; // the reason starts with this
        unsigned int kind;
    } rows[] = {
        {"HTTP refused", [] { QDX_SetServiceAddress(nullptr, 9, 0); }, Post, 32,
         "cannot connect to 127.0.0.1 port 9: Connection refused", 1},
        {"FTP refused", [] { QDX_SetServiceAddress(nullptr, 0, 9); }, CheckFile, 16,
         "cannot connect to 127.0.0.1 port 9: Connection refused", 1},
        {"unreachable", [] { QDX_SetServiceAddress("10.255.255.1", 0, 0); }, Post, 32,
         "cannot connect to 10.255.255.1 port 80: Network is unreachable", 1},
        {"no reply in time",
         [] { control::Script({.path = kVersion, .body = "x", .delay_ms = 3000}); }, Post, 32,
         "timed out after 2000 ms waiting for 127.0.0.1 port 80", 1},
        {"FTP login refused",
         [] {
             control::FtpFaults({{"refuse_login", true}});
         },
         CheckFile, 16, "FTP server 127.0.0.1 port 21 refused the login: 530", 2},
        {"FTP command refused", [] {},
         [] { return QDX_FTPRemoveDir("/assets/no-such-dir", nullptr); }, 16,
         "127.0.0.1 port 21 refused \"RMD /assets/no-such-dir\": 550", 2},
        {"local file", [] {},
         [] { return QDX_FTPFile("", "/no/such/file.bin", "file.bin", nullptr) ? 1u : 0u; }, 0,
         "cannot open local file /no/such/file.bin: No such file or directory", 3},
        {"success leaves no reason", [] {}, Post, 1, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        ASSERT_EQ(Post(), 1u); // leaves no reason behind
        row.arrange();
        EXPECT_EQ(row.call(), row.result);
        const std::string reason = QDX_GetLastFailureReason();
        EXPECT_EQ(reason.substr(0, row.reason.size()), row.reason) << reason;
        EXPECT_EQ(row.reason.empty(), reason.empty()) << reason;
        EXPECT_EQ(QDX_GetLastFailureKind(), row.kind);
    }
}

std::mutex g_traceMutex;
std::vector<std::string> g_trace;

void WINAPI Collect(const char* line) {
    const std::lock_guard lock(g_traceMutex);
    g_trace.emplace_back(line);
}

TEST_F(FailureReasons, TraceShowsRequestsCommandsAndRepliesButNoSecretsOrBodies) {
    g_trace.clear();
    QDX_SetTraceCallback(&Collect);
    CString reply;
    EXPECT_EQ(QDX_SendHTTPRequest("UserId=secret-body", kVersion, reply, nullptr), 1u);
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/no-such-dir", nullptr), 16u);
    QDX_SetTraceCallback(nullptr);
    EXPECT_EQ(Post(), 1u); // nothing more arrives once switched off

    std::string all;
    for (const std::string& line : g_trace) {
        all += line + "\n";
    }
    for (const char* expected :
         {"* POST http://127.0.0.1:80/cgiscripts/get_version.exe\n",
          "> POST /cgiscripts/get_version.exe HTTP/1.1\n", "> Authorization: ****\n", "< HTTP/1.",
          "> USER mossbay\n", "> PASS ****\n", "< 230 ", "> RMD /assets/no-such-dir\n", "< 550 "}) {
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
    }
    for (const char* secret : {"PASS mossbay", "bW9zc2JheTptb3NzYmF5", "secret-body"}) {
        EXPECT_EQ(all.find(secret), std::string::npos) << secret << " in\n" << all;
    }
    EXPECT_EQ(all.find("\n\n"), std::string::npos); // no empty lines, no line ends inside
}

std::map<std::string, std::string> Fields(const std::string& out) {
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = std::min(out.find('\n', start), out.size());
        const std::string line = out.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            fields[line.substr(0, equals)] = line.substr(equals + 1);
        }
        start = end + 1;
    }
    return fields;
}

// Load in a process of its own: flag (--server) before environment before registry file.
TEST(ConfigurationAtLoad, FlagBeatsEnvironmentBeatsRegistryAndAnUnreadableRegistryIsReported) {
    const std::string registry = ServiceEnvironment::Instance().WorkDir() + "/load.reg";
    WriteRegistryFile(registry, {.server = "127.0.0.77"}); // nothing listens there
    const std::string missing = ServiceEnvironment::Instance().WorkDir() + "/missing.reg";
    const std::string missingProblem = "cannot read the registry file " + missing +
                                       " named by VANTA_REGISTRY: No such file or directory; "
                                       "using localhost";
    using Env = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* what;
        std::vector<std::string> flag;
        Env env;
        std::string result, host, reason, problem;
    } rows[] = {
        {"registry",
         {},
         {{"VANTA_REGISTRY", registry}},
         "32",
         "127.0.0.77",
         "cannot connect to 127.0.0.77 port 80: Connection refused",
         ""},
        {"environment over registry",
         {},
         {{"VANTA_REGISTRY", registry}, {"VANTA_SERVER", "127.0.0.1"}},
         "1",
         "127.0.0.1",
         "",
         ""},
        {"environment port",
         {},
         {{"VANTA_SERVER", "127.0.0.1"}, {"VANTA_HTTP_PORT", "9"}},
         "32",
         "127.0.0.1",
         "cannot connect to 127.0.0.1 port 9: Connection refused",
         ""},
        {"flag over environment",
         {"--server", "127.0.0.1:80"},
         {{"VANTA_SERVER", "127.0.0.77"}, {"VANTA_HTTP_PORT", "9"}},
         "1",
         "127.0.0.1",
         "",
         ""},
        {"unreadable registry",
         {},
         {{"VANTA_REGISTRY", missing}, {"VANTA_HTTP_PORT", "9"}},
         "32",
         "localhost",
         "cannot connect to localhost port 9: Connection refused (" + missingProblem + ")",
         missingProblem},
        {"flag drops the registry's problem",
         {"--server", "127.0.0.1"},
         {{"VANTA_REGISTRY", missing}},
         "1",
         "127.0.0.1",
         "",
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> argv = {HelperPath("channel_probe")};
        argv.insert(argv.end(), row.flag.begin(), row.flag.end());
        argv.emplace_back(kVersion);
        const ChildResult child =
            RunChild(argv, {.env = row.env,
                            .unsetEnv = {"VANTA_SERVER", "VANTA_HTTP_PORT", "VANTA_REGISTRY"},
                            .timeout = std::chrono::milliseconds(20000)});
        ASSERT_TRUE(child.Exited()) << child.err;
        auto fields = Fields(child.out);
        EXPECT_EQ(fields["result"], row.result);
        EXPECT_EQ(fields["host"], row.host);
        EXPECT_EQ(fields["reason"], row.reason);
        EXPECT_EQ(fields["problem"], row.problem);
    }
}

} // namespace
} // namespace vanta::test
