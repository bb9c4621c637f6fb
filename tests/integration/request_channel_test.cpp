// The request channel against the reference service: the bytes on the wire, replies of every
// kind, time-outs and broken connections, status notifications, why a call failed, and the
// configuration read at load (the trace: the client's tests, on the same sink; concurrent
// calls: concurrent_requests_test.cpp, which also runs under ThreadSanitizer).
#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "child_process.h"
#include "control_client.h"
#include "loopback_servers.h"
#include "service_fixture.h"
#include "test_platform.h"
#include <vantaapi.h>

namespace vanta::test {
namespace {

using ::testing::AllOf;
using ::testing::Ge;
using ::testing::Le;
using Clock = std::chrono::steady_clock;

constexpr const char* kScripted = "/cgiscripts/get_user_info.exe";
constexpr const char* kVersion = "/cgiscripts/get_version.exe";

long long MillisSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

unsigned int Post(const CString& program = kVersion, CString body = "") {
    CString reply;
    return QDX_SendHTTPRequest(body, program, reply, nullptr);
}

class RequestChannel : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        QDX_SetServiceAddress("127.0.0.1", 80, 21);
    }
    void TearDown() override { QDX_SetServiceAddress("localhost", 80, 21); }
};

// The body with one line feed and the fixed headers (the notifications: the TLS tests, in
// both modes); the reply appended to the caller's text byte for byte, and held once at its
// announced size, not in a buffer that doubled past it.
TEST_F(RequestChannel, SendsTheFixedRequestAndKeepsTheReplyByteForByte) {
    ASSERT_EQ(Post(kScripted, "UserId=bob&x=1"), 1U);
    const LoggedRequest sent = control::RequestsTo(kScripted).at(0);
    std::string headers = sent.method + " " + sent.body; // "-": not sent
    for (const char* name :
         {"Content-Length", "Content-Type", "Authorization", "Accept", "Expect", "User-Agent"}) {
        headers += "|" + sent.Header(name).value_or("-");
    }
    // The login is mossbay:mossbay, presented up front.
    EXPECT_EQ(headers, "POST UserId=bob&x=1\n|15|application/x-www-form-urlencoded|"
                       "Basic bW9zc2JheTptb3NzYmF5|-|-|vantaAPI/1.1");

    std::string binary(3 * 1024 * 1024 + 17, '\0');
    std::mt19937 random(7);
    std::ranges::generate(binary, [&] { return static_cast<char>(random() & 0xFF); });
    control::Script({.path = kScripted, .body = "a=1&b=2\r\n"});
    control::Script({.path = kScripted, .body = binary});
    CString reply("kept:"), whole;
    ASSERT_EQ(QDX_SendHTTPRequest("", kScripted, reply, nullptr), 1U);
    ASSERT_EQ(QDX_SendHTTPRequest("", kScripted, whole, nullptr), 1U);
    EXPECT_EQ(reply, "kept:a=1&b=2\r\n");
    EXPECT_TRUE(whole.str() == binary);
    EXPECT_LE(whole.GetAllocLength(), whole.GetLength() * 1.2);
}

// Error pages and redirects fail with their text kept; a server silent for longer than the
// 2 s step limit, before or in the middle of the body, fails after about 2 s with what had
// arrived; a slow but steady one is no failure; a connection closed mid-body fails at once.
TEST_F(RequestChannel, RepliesThatFailKeepWhatArrived) {
    const char* const elsewhere = "http://127.0.0.1/cgiscripts/get_version.exe";
    const struct {
        ReplyScript script;
        unsigned int result;
        const char* reply;
        long long minMs, maxMs;
    } rows[] = {
        {{.body = "<h1>missing</h1>", .status = 404}, 32, "<h1>missing</h1>", 0, 1500},
        {{.body = "moved", .redirect = elsewhere}, 32, "moved", 0, 1500},
        {{.body = "a=1", .delay_ms = 4000}, 32, "", 1900, 3500},
        {{.body = "a=1&b=2", .delay_ms = 1200}, 1, "a=1&b=2", 1100, 3000},
        {{.body = "one=1\ntwo", .stall_after = 6, .stall_ms = 5000}, 32, "one=1\n", 1900, 3500},
        {{.body = "abc=1\ndef=2&ghi=3", .close_after = 9}, 32, "abc=1\ndef", 0, 1500},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        ReplyScript script = row.script;
        script.path = kScripted;
        control::Script(script);
        CString reply;
        const auto start = Clock::now();
        EXPECT_EQ(QDX_SendHTTPRequest("", kScripted, reply, nullptr), row.result);
        EXPECT_THAT(MillisSince(start), AllOf(Ge(row.minMs), Le(row.maxMs)));
        EXPECT_EQ(reply, row.reply);
    }
    EXPECT_TRUE(control::RequestsTo(kVersion).empty()) << "the redirect was followed";
}

// Each class of failure says what failed, where and why, within the bound of its wait (the
// wait for a reply: the table above; a refused FTP login: the job tests).
TEST_F(RequestChannel, EachClassOfFailureSaysWhatFailedWhereAndWhy) {
    FullListener full("127.0.0.9");
    const auto address = [](const char* host, unsigned int http) {
        return [=] { QDX_SetServiceAddress(host, http, 0); };
    };
    const auto post = [] { return Post(); };
    const std::string big = ServiceEnvironment::Instance().WorkDir() + "/big.jpg";
    std::ofstream(big) << std::string(300000, 'b');
    const auto faults = [](nlohmann::json set) { return [=] { control::FtpFaults(set); }; };
    const struct {
        std::function<void()> arrange;
        std::function<unsigned int()> call;
        unsigned int result;
        std::string reason; // the reason starts with this
        unsigned int kind;
    } rows[] = {
        {address(nullptr, 9), post, 32, "cannot connect to 127.0.0.1 port 9: Connection refused",
         1},
        {address("127.0.0.9", 0), post, 32,
         "timed out after 2000 ms connecting to 127.0.0.9 port 80", 1},
        {[] {}, [] { return QDX_FTPRemoveDir("/assets/no-such-dir", nullptr); }, 16,
         "127.0.0.1 port 21 refused \"RMD /assets/no-such-dir\": 550", 2},
        // A full server: libcurl takes the 421 for a time-out of its own.
        {faults({{"login_421", 1}}), [] { return QDX_FTPRemoveDir("/assets/x", nullptr); }, 16,
         "FTP server 127.0.0.1 port 21 answered 421 to \"PASS ****\": 421 Too many connections", 1},
        {faults({{"drop_control_after", 100000}}),
         [&] { return QDX_FTPFile("", big.c_str(), "big.jpg", nullptr) ? 1U : 0U; }, 0,
         "the connection to 127.0.0.1 port 21 broke after ", 1},
        {[] {}, [] { return QDX_FTPFile("", "/no/such/file.bin", "f", nullptr) ? 1U : 0U; }, 0,
         "cannot open local file /no/such/file.bin: No such file or directory", 3},
        // Refused before anything is sent: a NUL would post to the shorter path.
        {[] {}, [] { return Post(CString("/cgiscripts/get_version.exe\0.x", 30)); }, 32,
         "refused a program path holding a NUL byte", 4},
        {[] {}, [] { return Post(CString('p', 4097)); }, 32,
         "refused a program path of 4097 bytes: longer than 4096", 4},
        {[] {}, [] { return QDX_FTPRemoveDir(CString('d', 200000), nullptr); }, 16,
         "refused a name or path of 200000 bytes: longer than 4096", 4},
        {[] {}, post, 1, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        SetUp();
        ASSERT_EQ(Post(), 1U); // leaves no reason behind
        row.arrange();
        const auto start = Clock::now();
        EXPECT_EQ(row.call(), row.result);
        EXPECT_LE(MillisSince(start), 5000); // the 2 s waits, with room for a loaded machine
        const std::string reason = QDX_GetLastFailureReason();
        EXPECT_EQ(reason.substr(0, row.reason.size()), row.reason) << reason;
        EXPECT_EQ(row.reason.empty(), reason.empty()) << reason;
        EXPECT_EQ(QDX_GetLastFailureKind(), row.kind);
        if (row.kind == 4) { // refused: nothing sent after the first post above
            EXPECT_EQ(control::RequestLog().size(), 1U);
            EXPECT_TRUE(control::FtpLog().commands.empty());
        }
    }
}

// The library reads its address when it loads (the reading itself: the client's
// Config::from_environment, which shares it): a registry file that cannot be read is
// reported, with the problem, in the reason of the call that fails. The exports make one
// attempt unless the process names retries; a refused request never reached the service, so
// even the raw request (taken for a write) is made again then.
TEST(ConfigurationAtLoad, EnvironmentIsReadAndAnUnreadableRegistryIsReported) {
    const std::string missing = ServiceEnvironment::Instance().WorkDir() + "/missing.reg";
    const std::string problem = "cannot read the registry file " + missing +
                                " named by VANTA_REGISTRY: No such file or directory";
    const std::string refused = "result=32\nreason=cannot connect to localhost port 9: "
                                "Connection refused";
    const struct {
        std::vector<std::pair<std::string, std::string>> env;
        std::string out;
        bool registryFile = false; // a row of the registry file's, which Windows does not read
    } rows[] = {
        {{{"VANTA_REGISTRY", missing}},
         refused + " (" + problem + ")\nproblem=" + problem + "\n",
         true},
        {{{"VANTA_RETRIES", "2"}, {"VANTA_SERVER", "localhost"}},
         refused + " (after 3 attempts)\nproblem=\n"},
    };
    for (const auto& row : rows) {
        if (row.registryFile && !ReadsRegistryFile()) {
            continue;
        }
        auto env = row.env;
        env.emplace_back("VANTA_HTTP_PORT", "9");
        const ChildResult child = RunChild({HelperPath("channel_probe"), kVersion},
                                           {.env = env,
                                            .unsetEnv = {"VANTA_SERVER"},
                                            .timeout = std::chrono::milliseconds(20000)});
        EXPECT_EQ(child.out, row.out) << child.err;
    }
}

} // namespace
} // namespace vanta::test
