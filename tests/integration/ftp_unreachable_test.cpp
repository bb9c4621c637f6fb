// Every FTP export with nobody listening on the service host: the failure result, no local
// file opened or written, and nothing left open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ftp_checks.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

class FtpUnreachable : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ServiceEnvironment::Instance().StopService(); }
    static void TearDownTestSuite() { ServiceEnvironment::Instance().StartService(); }

    void SetUp() override {
        dir_ = std::filesystem::path(ServiceEnvironment::Instance().WorkDir()) / "unreachable";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }

    std::filesystem::path dir_;
};

TEST_F(FtpUnreachable, EveryExportReportsItsNetworkFailure) {
    WriteBytes(dir_ / "f.bin", "f");
    OpenWatch watch(dir_ / "f.bin");
    EXPECT_FALSE(QDX_FTPFile("/assets", (dir_ / "f.bin").c_str(), "f.bin", nullptr));
    EXPECT_FALSE(watch.Opened());

    int found = 5;
    EXPECT_EQ(QDX_CheckFile("u1", "f.bin", found, nullptr), 16u);
    EXPECT_EQ(found, 5);
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "f.bin", nullptr), 16u);
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1", nullptr), 16u);

    std::filesystem::remove(dir_ / "f.bin");
    EXPECT_EQ(QDX_DownloadDll(dir_.c_str(), nullptr), 16u);
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

} // namespace
} // namespace vanta::test
