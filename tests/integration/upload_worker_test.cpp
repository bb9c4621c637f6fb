// The upload worker's requests and results: the exact bodies of the creation and the
// notification, the quota check, local file failures, network failures at each step, and the
// disk-space and deletion exports on their own.
#include "pty_process.h"
#include "upload_checks.h"

#include <gmock/gmock.h>

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {
class UploadWorker : public ::testing::Test {
protected:
    void SetUp() override {
        DiscardJob();
        control::Reset(true);
        RegisterUser("alice");
    }
    void TearDown() override { control::FtpFaults(nlohmann::json::object()); }

    // The part of the page address before "@": "http://ID:PASSWORD".
    static std::string AssetIdOf(const std::string& page) {
        const size_t start = std::string("http://").size();
        return page.substr(start, page.find(':', start) - start);
    }

    // A reply that stops short of its announced length: the channel reports a failure.
    static void ScriptBrokenReply(const std::string& path) {
        ReplyScript script;
        script.path = path;
        script.body = "a=1&b=2&c=3&d=4";
        script.close_after = 4;
        control::Script(script);
    }

    LocalFiles files_;
};

TEST_F(UploadWorker, BodiesWithoutRecipients) {
    Upload upload;
    upload.File(files_.Write("a.jpg", Pattern(300))).File(files_.Write("b.jpg", Pattern(200)));
    ASSERT_EQ(upload.Start(), 1U);
    const JobStatus status = Status();
    ASSERT_EQ(status.code, 1U);
    EXPECT_THAT(Bodies(kDiskSpacePath), ElementsAre("user_num=alice&product_id=3\n"));
    EXPECT_THAT(Bodies(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=500&ProdId=3&AssetType=2&AssetDesc=D"
                            "&FileCnt=2&File=a.jpg&File=b.jpg\n"));
    const std::string number = upload.assetNum.str();
    EXPECT_THAT(Bodies(kSmtpMailPath),
                ElementsAre("AssetName=N&pword=" + upload.password.str() +
                            "&UserId=alice&ProdNum=3&AssetID=" + AssetIdOf(status.text) +
                            "&AssetNum=" + number + "&AssetType=2&AssetDesc=D&Emails=0\n"));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/alice/3/" + number));
    EXPECT_EQ(ReadFile(AssetDir("alice", 3, number) / "a.jpg"), Pattern(300));
    EXPECT_EQ(ReadFile(AssetDir("alice", 3, number) / "b.jpg"), Pattern(200));
}

TEST_F(UploadWorker, TwoRecipientsAreNamedInListOrderAndMailed) {
    Upload upload;
    upload.File(files_.Write("a.jpg", "abc"));
    upload.To("bob@example.com", 1, "Bob Smith");
    // Entries that are not recipients are not announced.
    upload.recipients.AddTail(new QDX_CAssetStat);
    upload.To("carol@example.com", 0, "Carol");
    ASSERT_EQ(upload.Start(), 1U);
    const JobStatus status = Status();
    ASSERT_EQ(status.code, 1U);
    const std::vector<std::string> bodies = Bodies(kSmtpMailPath);
    ASSERT_EQ(bodies.size(), 1U);
    EXPECT_THAT(bodies[0],
                ::testing::EndsWith("&AssetDesc=D&Emails=2&Email0=bob@example.com&ViewType0=1"
                                    "&RecipName0=Bob Smith&Email1=carol@example.com&ViewType1=0"
                                    "&RecipName1=Carol\n"));
    std::vector<std::string> mails;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(ServiceDataDir()) / "outbox")) {
        mails.push_back(ReadFile(entry.path()));
    }
    ASSERT_EQ(mails.size(), 2U);
    for (const std::string& mail : mails) {
        EXPECT_THAT(mail, HasSubstr("/QDXAssets/alice/3/" + upload.assetNum.str() + "/index.asp"));
    }
}

TEST_F(UploadWorker, SizesPastTwoGigabytesAndTheLargestProductNumber) {
    control::SetQuota("alice", 1ULL << 40);
    ScriptReply(kCreateAssetPath, "asset_num=FAIL");
    Upload upload;
    upload.product = 4294967295U;
    upload.File(files_.Sparse("big1.bin", 1ULL << 31)).File(files_.Sparse("big2.bin", 1ULL << 32));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 256U);
    EXPECT_THAT(Bodies(kDiskSpacePath), ElementsAre("user_num=alice&product_id=-1\n"));
    EXPECT_THAT(Bodies(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=6442450944&ProdId=-1&AssetType=2"
                            "&AssetDesc=D&FileCnt=2&File=big1.bin&File=big2.bin\n"));
    EXPECT_EQ(upload.assetNum, "");
    EXPECT_EQ(upload.password, "keep-password");
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

TEST_F(UploadWorker, QuotaEqualToTheAssetPassesAndOneByteLessRefuses) {
    control::SetQuota("alice", 1000);
    Upload fits;
    fits.File(files_.Write("a.bin", Pattern(1000)));
    ASSERT_EQ(fits.Start(), 1U);
    EXPECT_EQ(Status().code, 1U);

    control::Reset(true);
    RegisterUser("alice");
    control::SetQuota("alice", 999);
    Upload over;
    over.File(files_.Write("a.bin", Pattern(1000)));
    ASSERT_EQ(over.Start(), 1U);
    EXPECT_EQ(Status().code, 128U);
    EXPECT_TRUE(control::RequestsTo(kCreateAssetPath).empty());
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

TEST_F(UploadWorker, DiskSpaceRepliesTheWorkerReadsAsTheyAre) {
    struct Case {
        const char* reply;
        unsigned long code;
    };
    // No number in the quota counts as 0; a missing second value counts as nothing used; a
    // reply without "&" stops the job.
    for (const Case& c : {Case{"quota=lots&used=0", 128}, Case{"quota=5000&", 1},
                          Case{"quota=5", 0}, Case{"quota=2000&used=1997", 128}}) {
        control::Reset(true);
        RegisterUser("alice");
        ScriptReply(kDiskSpacePath, c.reply);
        Upload upload;
        upload.File(files_.Write("a.bin", "four"));
        ASSERT_EQ(upload.Start(), 1U);
        EXPECT_EQ(Status().code, c.code) << c.reply;
        EXPECT_EQ(Requested(kCreateAssetPath), c.code == 1) << c.reply;
    }
}

TEST_F(UploadWorker, MissingLocalFileEndsWithEightBeforeAnyRequest) {
    control::Reset(); // forgets the registration request, keeps the user
    Upload upload;
    upload.File(files_.Write("a.bin", "abc")).File(files_.Path("missing.bin"));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 8U);
    EXPECT_THAT(control::RequestLog(), IsEmpty());
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

TEST_F(UploadWorker, EmptyFileListRegistersAndNotifiesWithoutStoring) {
    Upload upload;
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 1U);
    EXPECT_THAT(Bodies(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=0&ProdId=3&AssetType=2&AssetDesc=D"
                            "&FileCnt=0\n"));
    EXPECT_EQ(control::FtpLog().logins, 1);
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_EQ(Bodies(kSmtpMailPath).size(), 1U);
}

TEST_F(UploadWorker, ServiceRefusalsAndChannelFailuresAtEachStep) {
    struct Case {
        const char* path;
        bool broken; // channel failure instead of a FAIL reply
        unsigned long code;
    };
    for (const Case& c : {Case{kDiskSpacePath, true, 32}, Case{kCreateAssetPath, true, 32},
                          Case{kCreateAssetPath, false, 256}, Case{kSmtpMailPath, true, 32},
                          Case{kSmtpMailPath, false, 0}}) {
        control::Reset(true);
        RegisterUser("alice");
        if (c.broken) {
            ScriptBrokenReply(c.path);
        } else {
            ScriptReply(c.path, "result=FAIL");
        }
        Upload upload;
        upload.File(files_.Write("a.bin", "abc"));
        ASSERT_EQ(upload.Start(), 1U);
        const JobStatus status = Status();
        EXPECT_EQ(status.code, c.code) << c.path;
        // Only a job that got to its notification has a page address.
        EXPECT_EQ(status.text.empty(), std::string(c.path) != kSmtpMailPath) << c.path;
        EXPECT_TRUE(control::RequestsTo(kDeleteAssetPath).empty()) << c.path;
    }
}

TEST_F(UploadWorker, UnknownUserIsRefusedByTheCreation) {
    Upload upload;
    upload.user = "nobody";
    upload.File(files_.Write("a.bin", "abc"));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 256U);
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

TEST_F(UploadWorker, NetworkFailureMidSendEndsWithSixteenAndKeepsTheAsset) {
    control::FtpFaults({{"fail_stor_after", 5000}});
    Upload upload;
    upload.File(files_.Write("a.bin", Pattern(3000)))
        .File(files_.Write("b.bin", Pattern(20000)))
        .File(files_.Write("c.bin", Pattern(100)));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 16U);
    EXPECT_TRUE(control::RequestsTo(kDeleteAssetPath).empty());
    EXPECT_TRUE(control::RequestsTo(kSmtpMailPath).empty());
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR a.bin", "STOR b.bin"));
    // The transfer phase never ended: progress and cancel still act on the job.
    EXPECT_GT(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(0), 1U);
}

TEST_F(UploadWorker, DiskSpaceExportReadsTwoValues) {
    control::SetQuota("alice", 5000000000ULL);
    CString quota = "q";
    CString used = "u";
    EXPECT_EQ(QDX_GetDiskSpace("alice", "3", quota, used, nullptr), 1U);
    EXPECT_EQ(quota, "5000000000");
    EXPECT_EQ(used, "0");

    ScriptReply(kDiskSpacePath, "quota=100&");
    quota = "q";
    used = "u";
    EXPECT_EQ(QDX_GetDiskSpace("alice", "3", quota, used, nullptr), 1U);
    EXPECT_EQ(quota, "100");
    EXPECT_EQ(used, "u");

    ScriptReply(kDiskSpacePath, "quota&used");
    EXPECT_EQ(QDX_GetDiskSpace("alice", "3", quota, used, nullptr), 0U);
    EXPECT_EQ(quota, "100");

    ScriptBrokenReply(kDiskSpacePath);
    EXPECT_EQ(QDX_GetDiskSpace("alice", "3", quota, used, nullptr), 32U);
    EXPECT_EQ(quota, "100");
}

TEST_F(UploadWorker, DeleteAssetSendsAssetBeforeProductAndReadsOnlyAnExactFail) {
    EXPECT_EQ(QDX_DeleteAsset("U", "3", "9", nullptr), 0U); // the service knows no asset 9
    EXPECT_THAT(Bodies(kDeleteAssetPath), ElementsAre("user_id=U&asset_num =9&product_id =3\n"));
    ScriptReply(kDeleteAssetPath, "result=FAIL\n");
    EXPECT_EQ(QDX_DeleteAsset("U", "3", "9", nullptr), 1U);
    ScriptReply(kDeleteAssetPath, "no field at all");
    EXPECT_EQ(QDX_DeleteAsset("U", "3", "9", nullptr), 1U);
    ScriptBrokenReply(kDeleteAssetPath);
    EXPECT_EQ(QDX_DeleteAsset("U", "3", "9", nullptr), 32U);
}

// Ctrl-C while slow FTP replies hold the job before or in its transfer, and while the server
// has stopped reading just where the interrupt comes (the cancel must abort the transfer).
TEST_F(UploadWorker, CommandLineCtrlCCancelsTheUploadAndWithdrawsTheAsset) {
    struct Case {
        const char* name;
        nlohmann::json faults;
        std::string file;
        const char* interruptAt;
    };
    const Case cases[] = {
        {"slow replies", {{"delay_ms", 300}}, files_.Write("big.jpg", Pattern(2000000)), "0%"},
        {"stalled server",
         {{"stall_stor_after", (64 << 20) / 10}},
         files_.Sparse("huge.jpg", 64 << 20),
         // The bar's first line past 0 comes at 10% or more, all of which reaches the server.
         "MiB / 64.0 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(true);
        RegisterUser("alice");
        control::FtpFaults(c.faults);
        const auto start = std::chrono::steady_clock::now();
        const PtyResult result = RunInPty(
            {CliPath(), "upload", "--user", "alice", "--product", "3", "--name", "Trip", c.file},
            {.timeout = std::chrono::milliseconds(60000), .typeWhen = {{c.interruptAt, "\x03"}}});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(result.exitCode, 130) << result.output;
        EXPECT_THAT(result.output, HasSubstr("vanta: upload: interrupted: "));
        // Cancelled before or after registration, no asset stays on record and nobody is told.
        CObList assets;
        EXPECT_EQ(QDX_GetAssetList("alice", "3", assets, nullptr), 2048U);
        EXPECT_TRUE(assets.IsEmpty());
        EXPECT_FALSE(Requested(kSmtpMailPath));
    }
}
} // namespace
