// A hostile or broken server: error statuses, replies that never end or trickle in, stalled FTP
// data connections, a DELE answered 1xx and then dropped, and an active-mode data connection from a
// stranger. Every call must end within its bound with its failure result. tests/CMakeLists.txt runs
// this file with VANTA_FTP_TIMEOUT_MS=1500.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "ftp_checks.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr long long kFtpLimitMs = 1500;
// The FTP limit, and time for the connection's close and a slow sanitizer build after it.
constexpr long long kFtpBoundMs = kFtpLimitMs + 3000;

long long MillisSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void Script(const char* program, const std::string& body, int status = 200) {
    control::Script(
        {.path = std::string("/cgiscripts/") + program, .body = body, .status = status});
}

class HostileServer : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

// --- HTTP -----------------------------------------------------------------------------------

TEST_F(HostileServer, ErrorStatusesFailWhateverThePageSays) {
    CString text;
    CObList list;
    const struct {
        const char* program;
        const char* page; // a plausible reply: read as one, it would be a success
        int status;
        std::function<unsigned int()> call;
        unsigned int expected;
    } cases[] = {
        {"validate_user.exe", "status=0&published=1&homepage=1", 500,
         [] { return QDX_ValidateUser("u", "p", "1", nullptr); }, 32},
        {"delete_user.exe", "r=OK", 404, [] { return QDX_DeleteUser("u", nullptr); }, 32},
        {"get_version.exe", "v=3.3", 302, [&] { return QDX_GetServerVersion(text, nullptr); }, 32},
        {"update_homepage.exe", "r=OK", 502,
         [] { return QDX_UpdateHomepageInfo("u", "t", "h", "b", "1", "r", nullptr); }, 0},
        {"get_asset.exe", "r=NOROWS", 503,
         [&] { return QDX_GetAssetList("1", "1", list, nullptr); }, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        Script(c.program, c.page, c.status);
        EXPECT_EQ(c.call(), c.expected);
    }
}

TEST_F(HostileServer, FixedFieldRepliesAreReadNoFurtherThanOneMebibyte) {
    CString t[13];
    long n9 = 0;
    unsigned int n11 = 0, n15 = 0;
    const auto userInfo = [&] {
        return QDX_GetUserInfo("u", t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], n9, t[8], n11,
                               t[9], t[10], t[11], n15, t[12], t[0], nullptr);
    };
    const std::string justFits = "a=" + std::string((1 << 20) - 2, 'x');
    const struct {
        ReplyScript script;
        unsigned int expected;
    } cases[] = {
        {{.path = "/cgiscripts/get_user_info.exe", .body = justFits}, 1},
        {{.path = "/cgiscripts/get_user_info.exe", .body = justFits + "y"}, 32},
        {{.path = "/cgiscripts/get_user_info.exe", .body = "a=1&", .endless = true}, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.body.size());
        control::Script(c.script);
        const auto start = Clock::now();
        EXPECT_EQ(userInfo(), c.expected);
        EXPECT_LT(MillisSince(start), 10000);
    }
    control::Script({.path = "/cgiscripts/validate_user.exe", .body = "s=", .endless = true});
    EXPECT_EQ(QDX_ValidateUser("u", "p", "1", nullptr), 32u);
}

TEST_F(HostileServer, TrickledReplyEndsAtTheLowSpeedLimit) {
    // One byte every 1.9 s never trips the 2 s step limit; under 1 KiB/s for 30 s ends it.
    control::Script(
        {.path = "/cgiscripts/get_version.exe", .body = std::string(40, 'v'), .trickle_ms = 1900});
    CString reply;
    const auto start = Clock::now();
    EXPECT_EQ(QDX_SendHTTPRequest("", "/cgiscripts/get_version.exe", reply, nullptr), 32u);
    EXPECT_GE(MillisSince(start), 25000);
    EXPECT_LT(MillisSince(start), 40000);
}

// --- FTP ------------------------------------------------------------------------------------

// A data connection stalled by the server (a STOR no longer read, RETR or NLST data no
// longer sent), a DELE answered only with 1xx before the connection drops, and an active-mode
// data connection from another address: each call ends within the FTP limit with its failure,
// and nothing is written or removed.
TEST_F(HostileServer, FtpCallsEndAtTheLimitWithTheirFailureAndChangeNothing) {
    WriteBytes(FtpPath("assets/u1/photo.jpg"), "jpeg");
    LocalFiles files;
    // Larger than what the socket buffers of both ends take in before a STOR must be read.
    const std::string big = files.Sparse("big.bin", 64 << 20);
    const std::string small = files.Write("small.bin", "small");
    const std::string target = files.Path("update");
    std::filesystem::create_directories(target);
    int found = 7;
    const auto send = [](const std::string& path) {
        return [path] { return QDX_FTPFile("/assets/u1", path.c_str(), "s", nullptr) ? 1u : 0u; };
    };
    const auto download = [&] { return QDX_DownloadDll(target.c_str(), nullptr); };
    const auto search = [&] { return QDX_CheckFile("u1", "photo.jpg", found, nullptr); };
    const auto remove = [] { return QDX_FTPDeleteFile("u1", "photo.jpg", nullptr); };
    const nlohmann::json stalled = {{"stall_send_after", 0}};
    const nlohmann::json stranger = {{"active_from", "127.0.0.2"}};
    const struct {
        const char* what;
        nlohmann::json faults;
        std::function<unsigned int()> call;
        unsigned int expected;
    } cases[] = {
        {"STOR not read", {{"stall_stor_after", 0}}, send(big), 0},
        {"RETR not sent", stalled, download, 16},
        {"NLST not sent", stalled, search, 16},
        {"NLST before DELE not sent", stalled, remove, 16},
        {"download from a stranger", stranger, download, 16},
        {"send to a stranger", stranger, send(small), 0},
        {"search from a stranger", stranger, search, 16},
        {"DELE answered 1xx, then dropped", {{"dele_1xx_drop", true}}, remove, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        control::FtpFaults(c.faults);
        const auto start = Clock::now();
        EXPECT_EQ(c.call(), c.expected);
        EXPECT_LT(MillisSince(start), kFtpBoundMs);
        control::FtpFaults(nlohmann::json::object());
        if (!c.faults.contains("dele_1xx_drop")) {
            EXPECT_EQ(ReadBytes(FtpPath("assets/u1/photo.jpg")), "jpeg");
        }
    }
    EXPECT_EQ(found, 7);
    EXPECT_TRUE(std::filesystem::is_empty(target)) << "no file, partial or temporary, stays";
    WriteBytes(FtpPath("assets/u1/photo.jpg"), "jpeg");
    // The same calls from the server's own address work.
    EXPECT_EQ(download(), 1u);
    EXPECT_EQ(search(), 1u);
    EXPECT_EQ(found, 1);
}

} // namespace
} // namespace vanta::test
