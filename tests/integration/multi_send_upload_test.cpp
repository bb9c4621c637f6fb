// The multi-file send on its own: one connection for all files, skipped local files,
// replaced names, network failures.
#include "upload_checks.h"

#include <gmock/gmock.h>

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
class MultiSend : public ::testing::Test {
protected:
    void SetUp() override {
        DiscardJob();
        control::Reset(true);
        RegisterUser("alice");
        dir_ = std::filesystem::path(ServiceDataDir()) / "ftp" / "assets" / "drop";
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { control::FtpFaults(nlohmann::json::object()); }

    CStringArray Paths(const std::vector<std::string>& paths) {
        CStringArray array;
        for (const std::string& path : paths) {
            array.Add(CString(path.c_str()));
        }
        return array;
    }

    LocalFiles files_;
    std::filesystem::path dir_;
};

TEST_F(MultiSend, AllFilesGoOverOneLoginAndArriveWhole) {
    const CStringArray paths =
        Paths({files_.Write("a.bin", Pattern(70000, 1)), files_.Write("b.bin", ""),
               files_.Write("c.bin", Pattern(1024, 3))});
    EXPECT_EQ(QDX_FTPFile("/assets/drop", paths, nullptr), 1U);
    const FtpSessionLog log = control::FtpLog();
    EXPECT_EQ(log.logins, 1);
    EXPECT_EQ(log.sessions_total, 1);
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR a.bin", "STOR b.bin", "STOR c.bin"));
    EXPECT_EQ(ReadFile(dir_ / "a.bin"), Pattern(70000, 1));
    EXPECT_EQ(ReadFile(dir_ / "b.bin"), "");
    EXPECT_EQ(ReadFile(dir_ / "c.bin"), Pattern(1024, 3));
}

TEST_F(MultiSend, UnreadableLocalFilesAreSkippedAndTheLaterOfTwoNamesWins) {
    LocalFiles other;
    const CStringArray paths =
        Paths({files_.Write("same.bin", "first"), files_.Path("missing.bin"),
               std::string(ServiceDataDir()), other.Write("same.bin", "second")});
    EXPECT_EQ(QDX_FTPFile("/assets/drop", paths, nullptr), 1U);
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR same.bin", "STOR same.bin"));
    EXPECT_EQ(ReadFile(dir_ / "same.bin"), "second");
}

TEST_F(MultiSend, EmptyListStillConnectsAndChangesDirectory) {
    EXPECT_EQ(QDX_FTPFile("/assets/drop", CStringArray(), nullptr), 1U);
    EXPECT_EQ(control::FtpLog().logins, 1);
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/drop"));
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
}

TEST_F(MultiSend, NetworkFailuresGiveSixteen) {
    const CStringArray paths = Paths({files_.Write("a.bin", "abc"), files_.Write("b.bin", "d")});
    control::FtpFaults({{"refuse_login", true}});
    EXPECT_EQ(QDX_FTPFile("/assets/drop", paths, nullptr), 16U);
    control::FtpFaults(nlohmann::json::object());
    // A directory the server refuses would send the files elsewhere: nothing is stored.
    EXPECT_EQ(QDX_FTPFile("/assets/no-such-dir", paths, nullptr), 16U);
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    // A STOR the server breaks off ends the whole send; the files before it stay.
    control::FtpFaults({{"fail_stor_after", 1}});
    EXPECT_EQ(QDX_FTPFile("/assets/drop", paths, nullptr), 16U);
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR a.bin"));
}
} // namespace
