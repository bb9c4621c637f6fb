// The job's states as the application sees them (QDX_IsUploading, QDX_GetUploadProgress,
// QDX_CancelUpload, QDX_GetAssetUploadStatus) in every phase of an upload, and cancels that
// land before registration, after it and during the transfer.
#include "upload_checks.h"

#include <gmock/gmock.h>

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {
constexpr unsigned long kWaitForever = 0xFFFFFFFF;

class UploadJob : public ::testing::Test {
protected:
    void SetUp() override {
        DiscardJob();
        control::Reset(true);
        RegisterUser("alice");
    }
    void TearDown() override {
        control::FtpFaults(nlohmann::json::object());
        if (QDX_IsUploading()) {
            QDX_CancelUpload(kWaitForever);
            Status();
        }
    }

    // Three files whose transfer the FTP delay stretches over seconds.
    void ThreeFiles(Upload& upload) {
        upload.File(files_.Write("one.bin", Pattern(20000, 1)))
            .File(files_.Write("two.bin", Pattern(20000, 2)))
            .File(files_.Write("three.bin", Pattern(20000, 3)));
    }

    LocalFiles files_;
};

TEST_F(UploadJob, AfterSuccessTheResultStaysReadableAndCancelDoesNothing) {
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    const JobStatus status = Status();
    EXPECT_EQ(status.code, 1U);
    // The page address names the asset id and password the service stored; the test process
    // reads no registry file of its own, so its host is the default one.
    CString reply;
    ASSERT_EQ(
        QDX_SendHTTPRequest(CString(("user_num=alice&asset_num=" + upload.assetNum.str()).c_str()),
                            "/cgiscripts/get_asset.exe", reply, nullptr),
        1U);
    std::vector<std::string> fields;
    std::stringstream parts(reply.str());
    for (std::string field; std::getline(parts, field, '&');) {
        fields.push_back(field.substr(field.find('=') + 1));
    }
    ASSERT_GE(fields.size(), 7U) << reply.GetString();
    EXPECT_EQ(status.text, "http://" + fields[5] + ":" + upload.password.str() +
                               "@localhost/QDXAssets/alice/3/" + upload.assetNum.str() +
                               "/index.asp");
    EXPECT_EQ(fields[6], upload.password.str());

    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(1000), 0U);
    const JobStatus again = Status("other");
    EXPECT_EQ(again.text, status.text);
    EXPECT_EQ(again.code, 1U);
    for (const char* name : {"one.bin", "two.bin", "three.bin"}) {
        EXPECT_EQ(ReadFile(AssetDir("alice", 3, upload.assetNum.str()) / name).size(), 20000U)
            << name;
    }
}

TEST_F(UploadJob, DuringTheTransferASecondStartIsRefusedAndTheFirstGoesOn) {
    control::FtpFaults({{"delay_ms", 250}});
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    // The second STOR comes once the first file is counted.
    ASSERT_TRUE(WaitUntil([] { return FtpCommands("STOR").size() >= 2; }));
    EXPECT_TRUE(QDX_IsUploading());
    const unsigned int before = QDX_GetUploadProgress();
    EXPECT_GE(before, 33U);
    EXPECT_LE(before, 100U);

    Upload second;
    second.File(files_.Write("other.bin", "x"));
    EXPECT_EQ(second.Start(), 16U);
    EXPECT_TRUE(QDX_IsUploading());
    EXPECT_GE(QDX_GetUploadProgress(), before);

    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(Status().code, 1U);
    EXPECT_EQ(Bodies(kCreateAssetPath).size(), 1U);
    EXPECT_TRUE(second.assetNum.IsEmpty());
}

TEST_F(UploadJob, DuringTheNotificationProgressIsZeroAndCancelIsNotRecorded) {
    ScriptSlowReply(kSmtpMailPath, "result=OK&sent=0", 1200);
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return Requested(kSmtpMailPath); }));
    EXPECT_TRUE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    EXPECT_EQ(QDX_CancelUpload(50), 0U);
    const JobStatus status = Status();
    EXPECT_EQ(status.code, 1U);
    EXPECT_THAT(status.text, StartsWith("http://"));
    EXPECT_TRUE(control::RequestsTo(kDeleteAssetPath).empty());
}

TEST_F(UploadJob, AfterAFailureProgressKeepsItsValueAndCancelDiscardsTheJob) {
    control::SetQuota("alice", 10);
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 128U);
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);

    EXPECT_EQ(QDX_CancelUpload(0), 1U);
    const JobStatus gone = Status("as passed");
    EXPECT_EQ(gone.code, 16384U);
    EXPECT_EQ(gone.text, "as passed");
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
}

TEST_F(UploadJob, CancelBeforeRegistrationCreatesNoAsset) {
    ScriptSlowReply(kDiskSpacePath, "quota=104857600&used=0", 800);
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return Requested(kDiskSpacePath); }));
    EXPECT_EQ(QDX_CancelUpload(10000), 1U);
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(Status().code, 16384U);
    EXPECT_TRUE(upload.assetNum.IsEmpty());
    EXPECT_TRUE(control::RequestsTo(kCreateAssetPath).empty());
    EXPECT_TRUE(control::RequestsTo(kDeleteAssetPath).empty());
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

TEST_F(UploadJob, CancelAfterRegistrationWithdrawsTheAssetOnceWithoutATransfer) {
    ScriptSlowReply(kCreateAssetPath, "asset_num=41&asset_id=ID41&password=PW41", 800);
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return Requested(kCreateAssetPath); }));
    EXPECT_EQ(QDX_CancelUpload(10000), 1U);
    EXPECT_EQ(upload.assetNum, "41");
    EXPECT_EQ(upload.password, "PW41");
    EXPECT_THAT(Bodies(kDeleteAssetPath),
                ElementsAre("user_id=alice&asset_num =41&product_id =3\n"));
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
    EXPECT_EQ(Status().code, 16384U);
}

TEST_F(UploadJob, CancelDuringTheTransferWithdrawsTheRecordAndKeepsPartialFiles) {
    control::FtpFaults({{"delay_ms", 400}});
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return !FtpCommands("STOR").empty(); }));
    EXPECT_EQ(QDX_CancelUpload(20000), 1U);
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);

    const std::string number = upload.assetNum.str();
    ASSERT_FALSE(number.empty());
    EXPECT_THAT(Bodies(kDeleteAssetPath),
                ElementsAre("user_id=alice&asset_num =" + number + "&product_id =3\n"));
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR one.bin"));
    // The file being sent is closed and stays as far as it got; the others never went.
    const auto dir = AssetDir("alice", 3, number);
    EXPECT_TRUE(std::filesystem::exists(dir / "one.bin"));
    EXPECT_LT(std::filesystem::file_size(dir / "one.bin"), 20000U);
    EXPECT_FALSE(std::filesystem::exists(dir / "two.bin"));
    // The record is gone from the service.
    CString reply;
    ASSERT_EQ(QDX_SendHTTPRequest(CString(("user_num=alice&asset_num=" + number).c_str()),
                                  "/cgiscripts/get_asset.exe", reply, nullptr),
              1U);
    EXPECT_THAT(reply.str(), StartsWith("name=FAIL"));
}

TEST_F(UploadJob, CancelWithoutWaitingThenStatusWaitsForTheWorker) {
    control::FtpFaults({{"delay_ms", 300}});
    Upload upload;
    ThreeFiles(upload);
    ASSERT_EQ(upload.Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return !FtpCommands("STOR").empty(); }));
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    EXPECT_TRUE(QDX_IsUploading());
    const JobStatus status = Status("as passed");
    EXPECT_EQ(status.code, 16384U);
    EXPECT_EQ(status.text, "");
    EXPECT_FALSE(QDX_IsUploading());
    // The worker left its transfer phase when it withdrew the asset.
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    EXPECT_EQ(Bodies(kDeleteAssetPath).size(), 1U);
}

TEST_F(UploadJob, ProgressStaysSaneBeyondFortyThreeMegabytes) {
    // The send fails at 45 of 50 MB; the job ends with its transfer phase still on, so the
    // last progress figure stays readable.
    constexpr std::uint64_t kSize = 50'000'000;
    control::FtpFaults({{"fail_stor_after", 45'000'000}});
    Upload upload;
    upload.File(files_.Sparse("big.bin", kSize));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 16U);
    EXPECT_TRUE(control::RequestsTo(kDeleteAssetPath).empty());
    EXPECT_TRUE(control::RequestsTo(kSmtpMailPath).empty());
    const unsigned int failedAt = QDX_GetUploadProgress();
    EXPECT_GE(failedAt, 85U);
    EXPECT_LE(failedAt, 100U);

    EXPECT_EQ(QDX_CancelUpload(0), 1U);
}

TEST_F(UploadJob, WorkerCallsTheJobsCallbackOnItsOwnThread) {
    static std::thread::id seen;
    static std::atomic<int> calls{0};
    calls = 0;
    Upload upload;
    upload.File(files_.Write("a.bin", "abc"));
    ASSERT_EQ(upload.Start([](unsigned long, void*, unsigned long) -> unsigned long {
        seen = std::this_thread::get_id();
        ++calls;
        return 0;
    }),
              1U);
    EXPECT_EQ(Status().code, 1U);
    EXPECT_GT(calls.load(), 0);
    EXPECT_NE(seen, std::this_thread::get_id());
}
} // namespace
