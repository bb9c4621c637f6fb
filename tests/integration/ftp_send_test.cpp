// The single-file send against the reference service's FTP server: the bytes that arrive, the
// commands that reach the server, and what happens when the server, the directory or the
// local file is not as expected.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ftp_checks.h"
#include "status_recorder.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FtpSend : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        std::filesystem::create_directories(FtpPath("assets/u1"));
        local_ = std::filesystem::path(ServiceEnvironment::Instance().WorkDir()) / "send-local";
        std::filesystem::remove_all(local_);
        std::filesystem::create_directories(local_);
    }

    // A local file holding `bytes`.
    std::string Local(const std::string& name, const std::string& bytes) {
        WriteBytes(local_ / name, bytes);
        return (local_ / name).string();
    }

    std::filesystem::path local_;
};

// --- what arrives ---------------------------------------------------------------------------

TEST_F(FtpSend, StoresEveryByteWhateverTheSize) {
    // Empty, within one block, around the 1 KiB blocks and the 64 KiB hand-off, and large.
    for (const size_t size : {0, 1, 1023, 1025, 65535, 65536, 65537, 300007}) {
        SCOPED_TRACE(size);
        const std::string name = "f" + std::to_string(size);
        const std::string bytes = Pattern(size);
        ASSERT_TRUE(QDX_FTPFile("/assets/u1", Local(name, bytes).c_str(), name.c_str(), nullptr));
        ASSERT_TRUE(std::filesystem::exists(FtpPath("assets/u1/" + name)));
        EXPECT_EQ(ReadBytes(FtpPath("assets/u1/" + name)), bytes);
    }
}

TEST_F(FtpSend, ReplacesALongerRemoteFileOfTheSameName) {
    WriteBytes(FtpPath("assets/u1/doc.txt"), std::string(5000, 'x'));
    ASSERT_TRUE(QDX_FTPFile("/assets/u1", Local("new.txt", "short").c_str(), "doc.txt", nullptr));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/doc.txt")), "short");
}

TEST_F(FtpSend, EmptyDirectoryMeansTheLoginDirectoryAndNamesMayHoldAPath) {
    ASSERT_TRUE(QDX_FTPFile("", Local("a.bin", "abc").c_str(), "assets/u1/a.bin", nullptr));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/a.bin")), "abc");
    EXPECT_THAT(FtpCommands("CWD"), IsEmpty());
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR assets/u1/a.bin"));
}

// --- the conversation -----------------------------------------------------------------------

TEST_F(FtpSend, OneConnectionOneLoginClosedWhenDone) {
    ASSERT_TRUE(
        QDX_FTPFile("/assets/u1", Local("b.bin", Pattern(70000)).c_str(), "b.bin", nullptr));
    const FtpSessionLog log = control::FtpLog();
    EXPECT_EQ(log.sessions_total, 1);
    EXPECT_EQ(log.logins, 1);
    EXPECT_THAT(FtpCommands("USER"), ElementsAre("USER mossbay"));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/u1"));
    EXPECT_THAT(FtpCommands("TYPE"), ElementsAre("TYPE I"));
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR b.bin"));
    // Active mode: the client names its own data address; the server never offers one.
    EXPECT_EQ(FtpCommands("EPRT").size() + FtpCommands("PORT").size(), 1u);
    EXPECT_THAT(FtpCommands("PASV"), IsEmpty());
    EXPECT_THAT(FtpCommands("EPSV"), IsEmpty());
    EXPECT_THAT(FtpCommands("QUIT"), ElementsAre("QUIT"));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpSend, NotificationsReachTheCallbackOnlyWhenOneIsGiven) {
    const std::string path = Local("c.bin", "c");
    ClearStatuses();
    ASSERT_TRUE(QDX_FTPFile("/assets/u1", path.c_str(), "c.bin", nullptr));
    EXPECT_THAT(RecordedStatuses(), IsEmpty());

    ASSERT_TRUE(QDX_FTPFile("/assets/u1", path.c_str(), "c.bin", &RecordStatus));
    // The connection's own events only: the data connections of the transfer raise none.
    EXPECT_THAT(RecordedStatuses(), ElementsAre(60, 10, 11, 20, 21, 50, 51, 70));
}

// --- failures ---------------------------------------------------------------------------------

TEST_F(FtpSend, RefusedLoginFailsWithoutOpeningTheLocalFile) {
    const std::string path = Local("d.bin", "d");
    control::FtpFaults({{"refuse_login", true}});
    OpenWatch watch(path);
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", path.c_str(), "d.bin", nullptr));
    EXPECT_FALSE(watch.Opened());
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpSend, RefusedDirectoryFailsWithoutOpeningTheLocalFileOrStoringElsewhere) {
    const std::string path = Local("e.bin", "e");
    OpenWatch watch(path);
    EXPECT_FALSE(QDX_FTPFile("/assets/missing", path.c_str(), "e.bin", nullptr));
    EXPECT_FALSE(watch.Opened());
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(FtpPath("e.bin")));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpSend, UnreadableLocalFileFailsAndStoresNothing) {
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", (local_ / "absent.bin").c_str(), "absent.bin", nullptr));
    // A directory opens on this platform but is no file to send.
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", local_.c_str(), "dir.bin", nullptr));
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpSend, FullDiskOnTheServerIsAFailure) {
    control::FtpFaults({{"fail_stor_after", 100000}});
    EXPECT_FALSE(
        QDX_FTPFile("/assets/u1", Local("g.bin", Pattern(300000)).c_str(), "g.bin", nullptr));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpSend, DroppedConnectionIsNotReplacedByASilentNewLogin) {
    // USER, PASS, PWD and CWD are answered; the connection drops at the next command. A new
    // login would start in the login directory, not in /assets/u1.
    control::FtpFaults({{"drop_after_commands", 4}});
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", Local("h.bin", "h").c_str(), "h.bin", nullptr));
    const FtpSessionLog log = control::FtpLog();
    EXPECT_EQ(log.logins, 1);
    EXPECT_EQ(log.sessions_total, 1);
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(FtpPath("h.bin")));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpSend, LineBreaksInNamesReachNothing) {
    WriteBytes(FtpPath("assets/u1/victim"), "keep");
    const std::string path = Local("i.bin", "i");
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", path.c_str(), "i.bin\r\nDELE victim", nullptr));
    EXPECT_FALSE(QDX_FTPFile("/assets/u1\nDELE victim", path.c_str(), "i.bin", nullptr));
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", path.c_str(), CString("i.bin\0victim", 12), nullptr));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/victim")), "keep");
    EXPECT_THAT(FtpCommands("DELE"), IsEmpty());
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

} // namespace
} // namespace vanta::test
