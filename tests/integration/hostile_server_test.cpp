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

// A reply of a fixed-field export is read up to 1 MiB and no further, also when it never ends;
// a reply trickled one byte every 1.9 s, which never trips the 2 s step limit, ends at the
// low-speed limit (under 1 KiB/s for 30 s).
TEST(HostileServer, OverlongAndTrickledRepliesFail) {
    control::Reset(true);
    const struct {
        ReplyScript script;
        unsigned int expected;
        long boundMs;
    } cases[] = {
        {{.body = "a=" + std::string((1 << 20) - 2, 'x')}, 0, 10000},
        {{.body = "a=1&", .endless = true}, 32, 10000},
        {{.body = std::string(40, 'v'), .trickle_ms = 1900}, 32, 40000},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.script.body.substr(0, 40));
        c.script.path = "/cgiscripts/get_version.exe";
        control::Script(c.script);
        CString text;
        ExpectWithin([&] { return QDX_GetServerVersion(text, nullptr); }, c.expected, c.boundMs);
    }
}

// A data connection stalled by the server (a STOR no longer read, RETR or NLST data no
// longer sent), a DELE answered only with 1xx before the connection drops, and an active-mode
// data connection from another address: each call ends within the FTP limit (and time for
// the close and a slow sanitizer build) with its failure, and nothing is written or removed.
TEST(HostileServer, FtpCallsEndAtTheLimitWithTheirFailureAndChangeNothing) {
    control::Reset(true);
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
}

} // namespace
} // namespace vanta::test
