// The upload job as the application sees it: the exact requests of a successful upload, each
// step's reply deciding the result, cancels in each phase and what they withdraw, a transfer
// that fails, and an unload while the worker runs.
#include <gmock/gmock.h>

#include "child_process.h"
#include "job_checks.h"

using namespace vanta::test;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

using UploadJob = JobTest;

std::string WithdrawalOf(const std::string& number) {
    return "user_id=alice&asset_num =" + number + "&product_id =3\n";
}

TEST_F(UploadJob, SuccessSendsExactRequestsStoresTheFilesAndStaysReadable) {
    Upload upload;
    upload.File(files_.Write("a.jpg", Pattern(300))).File(files_.Write("b.jpg", Pattern(200, 2)));
    upload.To("bob@example.com", 1, "Bob Smith");
    upload.recipients.AddTail(new QDX_CAssetStat); // not a recipient: not announced
    upload.To("carol@example.com", 0, "Carol");
    ASSERT_EQ(upload.Start(), 1U);
    const JobStatus status = Status();
    ASSERT_EQ(status.code, 1U);

    // "http://<asset id>:<password>@localhost/QDXAssets/alice/3/<number>/index.asp"
    const std::string number = upload.assetNum.str();
    const std::string id = status.text.substr(7, status.text.find(':', 7) - 7);
    EXPECT_EQ(status.text, "http://" + id + ":" + upload.password.str() +
                               "@localhost/QDXAssets/alice/3/" + number + "/index.asp");
    EXPECT_THAT(BodiesPostedTo(kDiskSpacePath), ElementsAre("user_num=alice&product_id=3\n"));
    EXPECT_THAT(BodiesPostedTo(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=500&ProdId=3&AssetType=2&AssetDesc=D"
                            "&FileCnt=2&File=a.jpg&File=b.jpg\n"));
    EXPECT_THAT(BodiesPostedTo(kSmtpMailPath),
                ElementsAre("AssetName=N&pword=" + upload.password.str() +
                            "&UserId=alice&ProdNum=3&AssetID=" + id + "&AssetNum=" + number +
                            "&AssetType=2&AssetDesc=D&Emails=2&Email0=bob@example.com&ViewType0=1"
                            "&RecipName0=Bob Smith&Email1=carol@example.com&ViewType1=0"
                            "&RecipName1=Carol\n"));
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, number) / "a.jpg"), Pattern(300));
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, number) / "b.jpg"), Pattern(200, 2));
    EXPECT_THAT(OutboxMessages(), ElementsAre(HasSubstr(status.text), HasSubstr(status.text)));
    // After success: nothing runs, nothing is left to cancel, the result stays readable.
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(1000), 0U);
    EXPECT_EQ(Status("other").text, status.text);
}

// Sizes and their sum past 32 bits reach the service whole.
TEST_F(UploadJob, SizesPastFourGigabytesAreSentWhole) {
    control::SetQuota("alice", 1ULL << 40);
    ScriptReply(kCreateAssetPath, "asset_num=FAIL");
    Upload upload;
    upload.File(files_.Sparse("big1.bin", 1ULL << 31)).File(files_.Sparse("big2.bin", 1ULL << 32));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 256U);
    EXPECT_THAT(BodiesPostedTo(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=6442450944&ProdId=3&AssetType=2"
                            "&AssetDesc=D&FileCnt=2&File=big1.bin&File=big2.bin\n"));
}

// Each step's reply: the quota compared with what the asset needs (4 bytes here), a FAIL,
// a broken reply (the channel's 32), and a transfer the server breaks off (16). Only a job
// that got to its notification has a page address; no step's failure withdraws anything.
TEST_F(UploadJob, EachStepsReplyDecidesTheResult) {
    const struct {
        const char* path;  // nullptr: the transfer
        const char* reply; // nullptr: a broken reply
        unsigned long code;
    } cases[] = {
        {kDiskSpacePath, "quota=4&used=0", 1},
        {kDiskSpacePath, "quota=2000&used=1997", 128},
        {kDiskSpacePath, "quota=lots&used=0", 128},
        {kDiskSpacePath, "quota=5000&", 1},
        {kDiskSpacePath, "quota=5", 0},
        {kDiskSpacePath, nullptr, 32},
        {kCreateAssetPath, nullptr, 32},
        {kCreateAssetPath, "result=FAIL", 256},
        {nullptr, nullptr, 16},
        {kSmtpMailPath, nullptr, 32},
        {kSmtpMailPath, "result=FAIL", 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        control::Reset();
        if (c.path == nullptr) {
            control::FtpFaults({{"fail_stor_after", 1}});
        } else {
            c.reply ? ScriptReply(c.path, c.reply) : ScriptBrokenReply(c.path);
        }
        Upload upload;
        ASSERT_EQ(upload.File(files_.Write("a.bin", "four")).Start(), 1U);
        const JobStatus status = Status();
        EXPECT_EQ(status.code, c.code);
        EXPECT_EQ(Requested(kCreateAssetPath), c.path != kDiskSpacePath || c.code == 1);
        EXPECT_EQ(Requested(kSmtpMailPath), c.path == kSmtpMailPath || c.code == 1);
        EXPECT_EQ(status.text.empty(), c.path != kSmtpMailPath && c.code != 1);
        EXPECT_FALSE(Requested(kDeleteAssetPath));
    }
}

// A cancel before registration creates nothing; after it the asset is withdrawn once, with
// the files that reached the host left as far as they got. A cancel that waits ends the worker
// within its wait even when the server has stopped reading mid-file or before its final reply,
// and discards the job; one that does not wait gives 0, and the status then waits for the
// worker.
TEST_F(UploadJob, CancelInEachPhaseWithdrawsWhatWasRegistered) {
    const struct {
        const char* slowPath; // answered after 800 ms; the cancel comes once it is asked
        const char* reply;
        nlohmann::json faults;
        std::uint64_t size;
        unsigned int progress; // without a slow path, the cancel comes at this progress
        unsigned long wait;
    } cases[] = {
        {kDiskSpacePath, "quota=1000000&used=0", {}, 5, 0, 10000},
        {kCreateAssetPath, "asset_num=41&asset_id=ID41&password=PW41", {}, 5, 0, 10000},
        // Past 43 MB a 32-bit product of bytes and 100 wraps: 70 % would never show.
        {nullptr, nullptr, {{"stall_stor_after", 50'000'000}}, 64ULL << 20, 70, 3000},
        // Every byte is in: the progress shows 100 % while the final reply is awaited.
        {nullptr, nullptr, {{"stall_stor_after", 100000}}, 100000, 100, 3000},
        // Not stalled: the cancel is seen between two blocks of the last file.
        {nullptr, nullptr, {}, 64ULL << 20, 1, 0},
    };
    control::SetQuota("alice", 1ULL << 40); // withdrawn assets still count
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        control::Reset();
        if (c.slowPath != nullptr) {
            ScriptReply(c.slowPath, c.reply, 800);
        }
        control::FtpFaults(c.faults.is_null() ? nlohmann::json::object() : c.faults);
        Upload upload;
        ASSERT_EQ(upload.File(files_.Sparse("big.bin", c.size)).Start(), 1U);
        ASSERT_TRUE(WaitUntil([&] {
            return c.slowPath ? Requested(c.slowPath) : QDX_GetUploadProgress() >= c.progress;
        }));
        // Long enough for the worker to be stuck on a silent server.
        std::this_thread::sleep_for(std::chrono::milliseconds(c.wait == 3000 ? 500 : 0));
        EXPECT_EQ(QDX_CancelUpload(c.wait), c.wait == 0 ? 0U : 1U);
        const JobStatus status = Status("as passed");
        EXPECT_EQ(status.code, 16384U);
        EXPECT_EQ(status.text, c.wait == 0 ? "" : "as passed");
        EXPECT_FALSE(QDX_IsUploading());
        control::FtpFaults(nlohmann::json::object());
        const bool registered = c.slowPath != kDiskSpacePath;
        EXPECT_EQ(upload.assetNum.IsEmpty(), !registered);
        EXPECT_EQ(upload.password == "keep-password", !registered);
        EXPECT_EQ(BodiesPostedTo(kDeleteAssetPath),
                  registered ? std::vector<std::string>{WithdrawalOf(upload.assetNum.str())}
                             : std::vector<std::string>{});
        EXPECT_FALSE(Requested(kSmtpMailPath));
        EXPECT_EQ(FtpCommands("STOR").size(), c.slowPath ? 0U : 1U);
    }
}

// Returning from main with the worker stalled in the middle of a file (the server stops
// reading): the unload cancels the job, aborts its transfer and waits for the worker, within
// a bound, and the worker withdraws the asset.
TEST(UploadUnload, ExitDuringAJobCancelsItAndWaitsForTheWorkerWithinABound) {
    control::Reset(true);
    RegisterUser("alice");
    LocalFiles files;
    const std::string path = files.Sparse("slow.bin", 64ULL << 20);
    control::FtpFaults({{"stall_stor_after", 1 << 20}});
    const auto start = std::chrono::steady_clock::now();
    const ChildResult result = RunChild({HelperPath("upload_unload_probe"), "exit-sending", path},
                                        ChildOptions{.timeout = std::chrono::seconds(30)});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Neither the worker nor the network layer beneath it may outlive what it uses.
    EXPECT_THAT(result.out + result.err, AllOf(HasSubstr("running=1"), Not(HasSubstr("Sanitizer")),
                                               Not(HasSubstr("runtime error"))));
    EXPECT_THAT(BodiesPostedTo(kDeleteAssetPath), ElementsAre(WithdrawalOf("1")));
}

} // namespace
