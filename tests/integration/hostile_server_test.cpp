// A hostile or broken server: error statuses, replies that never end or trickle in, stalled FTP
// data connections, a DELE answered 1xx and then dropped, and an active-mode data connection from
// a stranger. Every call must end within its bound with its failure result. tests/CMakeLists.txt
// runs this file with VANTA_FTP_TIMEOUT_MS=1500.
#include <gtest/gtest.h>

#include "ftp_checks.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

// Runs `call`, expects `expected` within `boundMs`.
void ExpectWithin(const std::function<unsigned int()>& call, unsigned int expected, long boundMs) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(call(), expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(boundMs));
}

class HostileServer : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

// An error status fails whatever the page says (read as a reply, each page would be a
// success); a reply of a fixed-field export is read no further than 1 MiB, also when it never
// ends.
TEST_F(HostileServer, ErrorStatusesAndOverlongRepliesFail) {
    CString text;
    const auto version = [&] { return QDX_GetServerVersion(text, nullptr); };
    const auto validate = [] { return QDX_ValidateUser("u", "p", "1", nullptr); };
    const std::string justFits = "a=" + std::string((1 << 20) - 2, 'x');
    const struct {
        ReplyScript script;
        std::function<unsigned int()> call;
        unsigned int expected;
    } cases[] = {
        {{.body = "status=0&published=1&homepage=1", .status = 500}, validate, 32},
        {{.body = "v=3.3", .status = 302}, validate, 32},
        {{.body = "r=OK", .status = 502},
         [] { return QDX_UpdateHomepageInfo("u", "t", "h", "b", "1", "r", nullptr); },
         0},
        {{.body = justFits}, version, 0},
        {{.body = justFits + "y"}, version, 32},
        {{.body = "a=1&", .endless = true}, version, 32},
        {{.body = "s=", .endless = true}, validate, 32},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.script.body.substr(0, 40));
        control::Reset();
        for (const char* program :
             {"validate_user.exe", "get_version.exe", "update_homepage.exe"}) {
            c.script.path = std::string("/cgiscripts/") + program;
            control::Script(c.script);
        }
        ExpectWithin(c.call, c.expected, 10000);
    }
}

TEST_F(HostileServer, TrickledReplyEndsAtTheLowSpeedLimit) {
    // One byte every 1.9 s never trips the 2 s step limit; under 1 KiB/s for 30 s ends it.
    control::Script(
        {.path = "/cgiscripts/get_version.exe", .body = std::string(40, 'v'), .trickle_ms = 1900});
    CString reply;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QDX_SendHTTPRequest("", "/cgiscripts/get_version.exe", reply, nullptr), 32u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(25));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(40));
}

// A data connection stalled by the server (a STOR no longer read, RETR or NLST data no
// longer sent), a DELE answered only with 1xx before the connection drops, and an active-mode
// data connection from another address: each call ends within the FTP limit (and time for
// the close and a slow sanitizer build) with its failure, and nothing is written or removed.
TEST_F(HostileServer, FtpCallsEndAtTheLimitWithTheirFailureAndChangeNothing) {
    WriteBytes(FtpPath("assets/u1/photo.jpg"), "jpeg");
    LocalFiles files;
    // Larger than what the socket buffers of both ends take in before a STOR must be read.
    const std::string big = files.Sparse("big.bin", 64 << 20);
    const std::string target = files.Path("update");
    std::filesystem::create_directories(target);
    int found = 7;
    const auto send = [&] { return QDX_FTPFile("/assets/u1", big.c_str(), "s", nullptr) + 0U; };
    const auto download = [&] { return QDX_DownloadDll(target.c_str(), nullptr); };
    const auto search = [&] { return QDX_CheckFile("u1", "photo.jpg", found, nullptr); };
    const auto remove = [] { return QDX_FTPDeleteFile("u1", "photo.jpg", nullptr); };
    const nlohmann::json stalled = {{"stall_send_after", 0}};
    const struct {
        nlohmann::json faults;
        std::function<unsigned int()> call;
        unsigned int expected;
    } cases[] = {
        {{{"stall_stor_after", 0}}, send, 0},
        {stalled, download, 16},
        {stalled, search, 16},
        {{{"active_from", "127.0.0.2"}}, download, 16},
        {{{"dele_1xx_drop", true}}, remove, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults.dump());
        control::FtpFaults(c.faults);
        ExpectWithin(c.call, c.expected, 1500 + 3000);
        control::FtpFaults(nlohmann::json::object());
    }
    EXPECT_EQ(found, 7);
    EXPECT_TRUE(std::filesystem::is_empty(target)) << "no file, partial or temporary, stays";
    // The same calls from the server's own address work.
    EXPECT_EQ(download(), 1u);
    EXPECT_EQ(search(), 1u);
    EXPECT_EQ(found, 1);
}

} // namespace
} // namespace vanta::test
