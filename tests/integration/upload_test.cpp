// The upload job as the application sees it: the exact requests of a successful upload, each
// step's reply deciding the result, cancels in each phase and what they withdraw, a transfer
// that fails, and an unload while the worker runs.
#include <gmock/gmock.h>

#include <atomic>
#include <sstream>

#include "child_process.h"
#include "job_checks.h"

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

using UploadJob = JobTest;

// The "&"-separated values of the service's stored record of `number`.
std::vector<std::string> StoredAsset(const std::string& number) {
    CString reply;
    EXPECT_EQ(QDX_SendHTTPRequest(CString(("user_num=alice&asset_num=" + number).c_str()),
                                  "/cgiscripts/get_asset.exe", reply, nullptr),
              1U);
    std::vector<std::string> values;
    std::stringstream parts(reply.str());
    for (std::string field; std::getline(parts, field, '&');) {
        values.push_back(field.substr(field.find('=') + 1));
    }
    return values;
}

std::atomic<int> g_callbacks{0};
std::thread::id g_callbackThread;

unsigned long WINAPI CountCallback(unsigned long, void*, unsigned long) {
    g_callbackThread = std::this_thread::get_id();
    ++g_callbacks;
    return 0;
}

TEST_F(UploadJob, SuccessSendsExactRequestsStoresTheFilesAndStaysReadable) {
    Upload upload;
    upload.File(files_.Write("a.jpg", Pattern(300))).File(files_.Write("b.jpg", Pattern(200, 2)));
    upload.To("bob@example.com", 1, "Bob Smith");
    upload.recipients.AddTail(new QDX_CAssetStat); // not a recipient: not announced
    upload.To("carol@example.com", 0, "Carol");
    ASSERT_EQ(upload.Start(&CountCallback), 1U);
    const JobStatus status = Status();
    ASSERT_EQ(status.code, 1U);
    EXPECT_GT(g_callbacks.load(), 0);
    EXPECT_NE(g_callbackThread, std::this_thread::get_id()) << "the job's worker calls back";

    const std::string number = upload.assetNum.str();
    const std::vector<std::string> stored = StoredAsset(number);
    ASSERT_GE(stored.size(), 7U);
    const std::string& id = stored[5];
    EXPECT_EQ(stored[6], upload.password.str());
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
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/alice/3/" + number));
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, number) / "a.jpg"), Pattern(300));
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, number) / "b.jpg"), Pattern(200, 2));
    const std::vector<std::string> mails = OutboxMessages();
    ASSERT_EQ(mails.size(), 2U);
    for (const std::string& mail : mails) {
        EXPECT_THAT(mail, HasSubstr("/QDXAssets/alice/3/" + number + "/index.asp"));
    }
    // After success: nothing runs, cancel does nothing, the result stays readable.
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(1000), 0U);
    const JobStatus again = Status("other");
    EXPECT_EQ(again.text, status.text);
    EXPECT_EQ(again.code, 1U);
}

TEST_F(UploadJob, EmptyFileListRegistersAndNotifiesWithoutStoring) {
    Upload upload;
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 1U);
    EXPECT_THAT(BodiesPostedTo(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=0&ProdId=3&AssetType=2&AssetDesc=D"
                            "&FileCnt=0\n"));
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    EXPECT_THAT(BodiesPostedTo(kSmtpMailPath), ElementsAre(HasSubstr("&Emails=0\n")));
}

TEST_F(UploadJob, SizesPastTwoGigabytesAndTheLargestProductNumber) {
    control::SetQuota("alice", 1ULL << 40);
    ScriptReply(kCreateAssetPath, "asset_num=FAIL");
    Upload upload;
    upload.product = 4294967295U;
    upload.File(files_.Sparse("big1.bin", 1ULL << 31)).File(files_.Sparse("big2.bin", 1ULL << 32));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 256U);
    EXPECT_THAT(BodiesPostedTo(kDiskSpacePath), ElementsAre("user_num=alice&product_id=-1\n"));
    EXPECT_THAT(BodiesPostedTo(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=6442450944&ProdId=-1&AssetType=2"
                            "&AssetDesc=D&FileCnt=2&File=big1.bin&File=big2.bin\n"));
    EXPECT_EQ(upload.assetNum, "");
    EXPECT_EQ(upload.password, "keep-password");
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

// Each step's reply: the quota compared with what the asset needs (4 bytes here), a FAIL,
// and a broken reply (the channel's 32). Only a job that got to its notification has a page
// address; no step's failure withdraws anything.
TEST_F(UploadJob, EachStepsReplyDecidesTheResult) {
    const struct {
        const char* path;
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
        {kSmtpMailPath, nullptr, 32},
        {kSmtpMailPath, "result=FAIL", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + (c.reply ? c.reply : "broken"));
        control::Reset();
        c.reply ? ScriptReply(c.path, c.reply) : ScriptBrokenReply(c.path);
        Upload upload;
        upload.File(files_.Write("a.bin", "four"));
        ASSERT_EQ(upload.Start(), 1U);
        const JobStatus status = Status();
        EXPECT_EQ(status.code, c.code);
        const bool pastQuota = std::string(c.path) != kDiskSpacePath || c.code == 1;
        EXPECT_EQ(Requested(kCreateAssetPath), pastQuota);
        EXPECT_EQ(status.text.empty(), std::string(c.path) != kSmtpMailPath && c.code != 1);
        EXPECT_FALSE(Requested(kDeleteAssetPath));
    }
}

TEST_F(UploadJob, MissingLocalFileEndsWithEightBeforeAnyRequest) {
    control::Reset(); // forgets the registration request, keeps the user
    Upload upload;
    upload.File(files_.Write("a.bin", "abc")).File(files_.Path("missing.bin"));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 8U);
    EXPECT_THAT(control::RequestLog(), IsEmpty());
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

// A failed transfer ends the job with 16 and withdraws nothing; the transfer phase never
// ended, so the progress (64-bit: past 43 MB a 32-bit product wraps) and cancel still act.
TEST_F(UploadJob, AFailedTransferGivesSixteenKeepsTheAssetAndItsProgress) {
    control::FtpFaults({{"fail_stor_after", 45'000'000}});
    Upload upload;
    upload.File(files_.Sparse("big.bin", 50'000'000)).File(files_.Write("c.bin", "c"));
    ASSERT_EQ(upload.Start(), 1U);
    EXPECT_EQ(Status().code, 16U);
    EXPECT_FALSE(Requested(kDeleteAssetPath));
    EXPECT_FALSE(Requested(kSmtpMailPath));
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR big.bin"));
    const unsigned int failedAt = QDX_GetUploadProgress();
    EXPECT_GE(failedAt, 85U);
    EXPECT_LE(failedAt, 100U);
    EXPECT_EQ(QDX_CancelUpload(0), 1U);
    const JobStatus gone = Status("as passed");
    EXPECT_EQ(gone.code, 16384U);
    EXPECT_EQ(gone.text, "as passed");
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
}

TEST_F(UploadJob, DuringTheTransferASecondStartIsRefusedAndTheFirstGoesOn) {
    control::FtpFaults({{"delay_ms", 250}});
    Upload upload;
    for (const char* name : {"one.bin", "two.bin", "three.bin"}) {
        upload.File(files_.Write(name, Pattern(20000)));
    }
    ASSERT_EQ(upload.Start(), 1U);
    // The second STOR comes once the first file is counted.
    ASSERT_TRUE(WaitUntil([] { return FtpCommands("STOR").size() >= 2; }));
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
    EXPECT_EQ(BodiesPostedTo(kCreateAssetPath).size(), 1U);
    EXPECT_TRUE(second.assetNum.IsEmpty());
}

TEST_F(UploadJob, DuringTheNotificationProgressIsZeroAndCancelIsNotRecorded) {
    ScriptReply(kSmtpMailPath, "result=OK&sent=0", 1200);
    Upload upload;
    ASSERT_EQ(upload.File(files_.Write("a.bin", "abc")).Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return Requested(kSmtpMailPath); }));
    EXPECT_TRUE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(50), 0U);
    EXPECT_EQ(Status().code, 1U);
    EXPECT_FALSE(Requested(kDeleteAssetPath));
}

// A cancel before registration creates nothing; after it the asset is withdrawn once, with
// the files that reached the host left as far as they got. A cancel that does not wait gives
// 0, and the status then waits for the worker.
TEST_F(UploadJob, CancelInEachPhaseWithdrawsWhatWasRegistered) {
    const struct {
        const char* name;
        std::function<void()> slowDown;
        std::function<bool()> reached;
        unsigned long wait;
        bool registered;
        bool transferring;
    } cases[] = {
        {"before registration", [] { ScriptReply(kDiskSpacePath, "quota=1000000&used=0", 800); },
         [] { return Requested(kDiskSpacePath); }, 10000, false, false},
        {"after registration",
         [] { ScriptReply(kCreateAssetPath, "asset_num=41&asset_id=ID41&password=PW41", 800); },
         [] { return Requested(kCreateAssetPath); }, 10000, true, false},
        {"during the transfer",
         [] {
             control::FtpFaults({{"delay_ms", 300}});
         },
         [] { return !FtpCommands("STOR").empty(); }, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset();
        c.slowDown();
        Upload upload;
        upload.File(files_.Write("one.bin", Pattern(20000))).File(files_.Write("two.bin", "2"));
        ASSERT_EQ(upload.Start(), 1U);
        ASSERT_TRUE(WaitUntil(c.reached));
        EXPECT_EQ(QDX_CancelUpload(c.wait), c.wait == 0 ? 0U : 1U);
        // A cancel that waited discarded the job; one that did not leaves it current.
        const JobStatus status = Status("as passed");
        EXPECT_EQ(status.code, 16384U);
        EXPECT_EQ(status.text, c.wait == 0 ? "" : "as passed");
        EXPECT_FALSE(QDX_IsUploading());
        control::FtpFaults(nlohmann::json::object());
        const std::string number = upload.assetNum.str();
        EXPECT_EQ(number.empty(), !c.registered);
        EXPECT_EQ(Requested(kCreateAssetPath), c.registered);
        EXPECT_EQ(BodiesPostedTo(kDeleteAssetPath),
                  c.registered ? std::vector<std::string>{"user_id=alice&asset_num =" + number +
                                                          "&product_id =3\n"}
                               : std::vector<std::string>{});
        EXPECT_FALSE(Requested(kSmtpMailPath));
        if (c.transferring) {
            EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR one.bin"));
            EXPECT_LT(std::filesystem::file_size(AssetDir("alice", 3, number) / "one.bin"), 20000U);
            EXPECT_THAT(StoredAsset(number), ::testing::Contains("FAIL")) << "record withdrawn";
        } else {
            EXPECT_EQ(control::FtpLog().sessions_total, 0);
            EXPECT_EQ(upload.password, c.registered ? "PW41" : "keep-password");
        }
    }
}

TEST(UploadUnload, RightAfterLoadThereIsNoJob) {
    const ChildResult result = RunChild({HelperPath("upload_unload_probe"), "fresh"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "uploading=0 progress=0 cancel=0 code=16384 status=as passed\n");
}

// Returning from main with the worker logging in (every FTP reply slow) or stalled in the
// middle of a file (the server stops reading): the unload cancels the job, aborts its
// transfer and waits for the worker, within a bound, and the worker withdraws the asset.
TEST(UploadUnload, ExitDuringAJobCancelsItAndWaitsForTheWorkerWithinABound) {
    const struct {
        const char* mode;
        nlohmann::json faults;
        std::uint64_t size;
        size_t stors;
    } cases[] = {{"exit-running", {{"delay_ms", 400}}, 50000, 0},
                 {"exit-sending", {{"stall_stor_after", 1 << 20}}, 64ULL << 20, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        control::Reset(true);
        RegisterUser("alice");
        LocalFiles files;
        const std::string path = files.Sparse("slow.bin", c.size);
        control::FtpFaults(c.faults);
        const auto start = std::chrono::steady_clock::now();
        const ChildResult result = RunChild({HelperPath("upload_unload_probe"), c.mode, path},
                                            ChildOptions{.timeout = std::chrono::seconds(30)});
        const auto took = std::chrono::steady_clock::now() - start;
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "running=1\n");
        EXPECT_LT(took, std::chrono::seconds(10));
        // Neither the worker nor the network layer beneath it may outlive what it uses.
        EXPECT_THAT(result.err, Not(HasSubstr("Sanitizer")));
        EXPECT_THAT(result.err, Not(HasSubstr("runtime error")));
        EXPECT_THAT(BodiesPostedTo(kDeleteAssetPath),
                    ElementsAre("user_id=alice&asset_num =1&product_id =3\n"));
        EXPECT_EQ(FtpCommands("STOR").size(), c.stors);
    }
}

} // namespace
