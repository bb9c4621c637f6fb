// Fetching the library file from the reference service: where it lands, what it replaces, and
// that a failed fetch leaves the target directory as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ftp_checks.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class FtpDownload : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        served_ = ReadBytes(FtpPath("downloads/VantaAPI.dll"));
        ASSERT_FALSE(served_.empty());
        target_ = std::filesystem::path(ServiceEnvironment::Instance().WorkDir()) / "dl";
        std::filesystem::remove_all(target_);
        std::filesystem::create_directories(target_);
    }

    std::vector<std::string> TargetEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(target_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    std::string served_;
    std::filesystem::path target_;
};

TEST_F(FtpDownload, StoresTheServedFileInTheDirectoryReplacingAnOldCopy) {
    WriteBytes(target_ / "VantaAPI.dll", std::string(100000, 'o'));
    EXPECT_EQ(QDX_DownloadDll(target_.c_str(), nullptr), 1u);
    EXPECT_EQ(ReadBytes(target_ / "VantaAPI.dll"), served_);
    EXPECT_THAT(TargetEntries(), ElementsAre("VantaAPI.dll"));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /downloads"));
    EXPECT_THAT(FtpCommands("RETR"), ElementsAre("RETR VantaAPI.dll"));
    EXPECT_EQ(control::FtpLog().logins, 1);
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpDownload, MissingRemoteFileLeavesTheOldCopyAndNoStrayFile) {
    WriteBytes(target_ / "VantaAPI.dll", "old copy");
    WriteBytes(target_ / "other.txt", "unrelated");
    std::filesystem::remove(FtpPath("downloads/VantaAPI.dll"));
    EXPECT_EQ(QDX_DownloadDll(target_.c_str(), nullptr), 16u);
    EXPECT_EQ(ReadBytes(target_ / "VantaAPI.dll"), "old copy");
    EXPECT_THAT(TargetEntries(), UnorderedElementsAre("VantaAPI.dll", "other.txt"));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpDownload, MissingRemoteDirectoryOrLocalDirectoryFails) {
    EXPECT_EQ(QDX_DownloadDll((target_ / "absent").c_str(), nullptr), 16u);
    EXPECT_FALSE(std::filesystem::exists(target_ / "absent"));

    std::filesystem::remove_all(FtpPath("downloads"));
    EXPECT_EQ(QDX_DownloadDll(target_.c_str(), nullptr), 16u);
    EXPECT_TRUE(TargetEntries().empty());
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(FtpDownload, RefusedLoginWritesNothing) {
    control::FtpFaults({{"refuse_login", true}});
    EXPECT_EQ(QDX_DownloadDll(target_.c_str(), nullptr), 16u);
    EXPECT_TRUE(TargetEntries().empty());
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

} // namespace
} // namespace vanta::test
