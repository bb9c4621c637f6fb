// A hostile or broken server: error statuses, replies that never end or trickle in, stalled FTP
// data connections, a DELE answered 1xx and then dropped, and an active-mode data connection from a
// stranger. Every call must end within its bound with its failure result. tests/CMakeLists.txt runs
// this file with VANTA_FTP_TIMEOUT_MS=1500.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

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

class HostileFtp : public HostileServer {
protected:
    void SetUp() override {
        HostileServer::SetUp();
        WriteBytes(FtpPath("assets/u1/photo.jpg"), "jpeg");
        // Larger than what the socket buffers of both ends take in before a STOR must be read.
        big_ = std::filesystem::path(ServiceEnvironment::Instance().WorkDir()) / "big.bin";
        const int fd = ::open(big_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);
        ::close(fd);
        small_ = std::filesystem::path(ServiceEnvironment::Instance().WorkDir()) / "small.bin";
        WriteBytes(small_, "small");
        target_ = std::filesystem::path(ServiceEnvironment::Instance().WorkDir()) / "update";
        std::filesystem::remove_all(target_);
        std::filesystem::create_directories(target_);
    }

    // Runs `call` under `faults` and checks its result and that it ended within the bound.
    void ExpectBounded(const nlohmann::json& faults, const std::function<unsigned int()>& call,
                       unsigned int expected) {
        control::FtpFaults(faults);
        const auto start = Clock::now();
        EXPECT_EQ(call(), expected);
        EXPECT_LT(MillisSince(start), kFtpBoundMs);
        control::FtpFaults(nlohmann::json::object());
    }

    std::filesystem::path big_;
    std::filesystem::path small_;
    std::filesystem::path target_;
};

TEST_F(HostileFtp, StalledDataConnectionsEndAtTheFtpLimit) {
    int found = 7;
    const struct {
        const char* what;
        nlohmann::json faults;
        std::function<unsigned int()> call;
        unsigned int expected;
    } cases[] = {
        {"STOR not read",
         {{"stall_stor_after", 0}},
         [&] { return QDX_FTPFile("/assets/u1", big_.c_str(), "big.bin", nullptr) ? 1u : 0u; },
         0},
        {"RETR not sent",
         {{"stall_send_after", 0}},
         [&] { return QDX_DownloadDll(target_.c_str(), nullptr); },
         16},
        {"NLST not sent",
         {{"stall_send_after", 0}},
         [&] { return QDX_CheckFile("u1", "photo.jpg", found, nullptr); },
         16},
        {"NLST before DELE not sent",
         {{"stall_send_after", 0}},
         [] { return QDX_FTPDeleteFile("u1", "photo.jpg", nullptr); },
         16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectBounded(c.faults, c.call, c.expected);
    }
    EXPECT_EQ(found, 7);
    EXPECT_TRUE(std::filesystem::is_empty(target_)) << "no file, partial or temporary, stays";
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/photo.jpg")), "jpeg");
}

TEST_F(HostileFtp, DeleAnsweredOnlyPreliminarilyHasNoKnownOutcome) {
    ExpectBounded(
        {{"dele_1xx_drop", true}}, [] { return QDX_FTPDeleteFile("u1", "photo.jpg", nullptr); },
        16);
}

TEST_F(HostileFtp, ActiveDataConnectionFromAnotherAddressIsRefused) {
    int found = 7;
    const struct {
        const char* what;
        std::function<unsigned int()> call;
        unsigned int expected;
    } cases[] = {
        {"download", [&] { return QDX_DownloadDll(target_.c_str(), nullptr); }, 16},
        {"send", [&] { return QDX_FTPFile("/assets/u1", small_.c_str(), "s", nullptr) ? 1u : 0u; },
         0},
        {"search", [&] { return QDX_CheckFile("u1", "photo.jpg", found, nullptr); }, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectBounded({{"active_from", "127.0.0.2"}}, c.call, c.expected);
    }
    EXPECT_TRUE(std::filesystem::is_empty(target_));
    // The same calls from the server's own address work.
    EXPECT_EQ(QDX_DownloadDll(target_.c_str(), nullptr), 1u);
    EXPECT_EQ(QDX_CheckFile("u1", "photo.jpg", found, nullptr), 1u);
    EXPECT_EQ(found, 1);
}

} // namespace
} // namespace vanta::test
