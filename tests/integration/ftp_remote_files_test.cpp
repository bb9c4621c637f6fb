// Looking names up, deleting files and removing directories on the reference service's FTP
// server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ftp_checks.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class FtpRemoteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        WriteBytes(FtpPath("assets/u1/photo.jpg"), "jpeg");
        WriteBytes(FtpPath("assets/u1/a[1].jpg"), "brackets");
        std::filesystem::create_directories(FtpPath("assets/u1/album"));
        WriteBytes(FtpPath("photo.jpg"), "same name in the login directory");
    }
};

// --- QDX_CheckFile --------------------------------------------------------------------------

TEST_F(FtpRemoteFiles, CheckFindsFilesAndDirectoriesByTheirExactName) {
    const struct {
        const char* name;
        int found;
    } cases[] = {
        {"photo.jpg", 1}, {"album", 1},     {"a[1].jpg", 1}, // brackets are no pattern
        {"photo", 0},     {"PHOTO.JPG", 0}, {"missing", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int found = -1;
        EXPECT_EQ(QDX_CheckFile("u1", c.name, found, nullptr), 1u);
        EXPECT_EQ(found, c.found);
    }
    EXPECT_EQ(control::FtpLog().logins, 6);
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpRemoteFiles, CheckInAMissingDirectoryFindsNothingElsewhere) {
    int found = -1;
    EXPECT_EQ(QDX_CheckFile("nobody", "photo.jpg", found, nullptr), 1u);
    EXPECT_EQ(found, 0);
    EXPECT_THAT(FtpCommands("NLST"), IsEmpty());
}

TEST_F(FtpRemoteFiles, CheckLeavesFoundAloneOnANetworkFailure) {
    control::FtpFaults({{"refuse_login", true}});
    int found = 7;
    EXPECT_EQ(QDX_CheckFile("u1", "photo.jpg", found, nullptr), 16u);
    EXPECT_EQ(found, 7);
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

// --- QDX_FTPDeleteFile ----------------------------------------------------------------------

TEST_F(FtpRemoteFiles, DeleteRemovesTheFileInTheNamedDirectoryOnly) {
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "photo.jpg", nullptr), 1u);
    EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/u1/photo.jpg")));
    EXPECT_TRUE(std::filesystem::exists(FtpPath("photo.jpg")));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/u1"));
    EXPECT_THAT(FtpCommands("DELE"), ElementsAre("DELE photo.jpg"));
    EXPECT_EQ(control::FtpLog().logins, 1);
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpRemoteFiles, DeleteOfAMissingNameOrInAMissingDirectoryChangesNothing) {
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "missing.jpg", nullptr), 1024u);
    EXPECT_EQ(QDX_FTPDeleteFile("nobody", "photo.jpg", nullptr), 1024u);
    EXPECT_THAT(FtpCommands("DELE"), IsEmpty());
    EXPECT_TRUE(std::filesystem::exists(FtpPath("assets/u1/photo.jpg")));
    EXPECT_TRUE(std::filesystem::exists(FtpPath("photo.jpg")));
}

TEST_F(FtpRemoteFiles, DeleteOfADirectoryIsRefusedAndSaysSo) {
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "album", nullptr), 1024u);
    EXPECT_TRUE(std::filesystem::is_directory(FtpPath("assets/u1/album")));
}

TEST_F(FtpRemoteFiles, LineBreaksAndNulBytesInNamesReachNothing) {
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "photo.jpg\r\nRMD album", nullptr), 16u);
    EXPECT_EQ(QDX_FTPDeleteFile("u1\nDELE photo.jpg", "x", nullptr), 16u);
    EXPECT_EQ(QDX_FTPDeleteFile("u1", CString("photo.jpg\0.keep", 15), nullptr), 16u);
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1/album\r\nDELE /assets/u1/photo.jpg", nullptr), 16u);
    int found = 3;
    EXPECT_EQ(QDX_CheckFile("u1", "x\nDELE photo.jpg", found, nullptr), 16u);
    EXPECT_EQ(found, 3);
    EXPECT_THAT(FtpCommands("DELE"), IsEmpty());
    EXPECT_THAT(FtpCommands("RMD"), IsEmpty());
    EXPECT_TRUE(std::filesystem::exists(FtpPath("assets/u1/photo.jpg")));
    EXPECT_TRUE(std::filesystem::is_directory(FtpPath("assets/u1/album")));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

// --- QDX_FTPRemoveDir -----------------------------------------------------------------------

TEST_F(FtpRemoteFiles, RemoveDirRemovesAnEmptyDirectoryAndReportsARefusal) {
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1/album", nullptr), 1u);
    EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/u1/album")));
    // Still holds files; does not exist.
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1", nullptr), 16u);
    EXPECT_TRUE(std::filesystem::exists(FtpPath("assets/u1/photo.jpg")));
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/nobody", nullptr), 16u);
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

} // namespace
} // namespace vanta::test
