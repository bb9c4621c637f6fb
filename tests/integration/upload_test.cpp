// The upload job as the application sees it: the exact requests of a successful upload, each
// step's reply deciding the result, cancels in each phase and what they withdraw, an unload
// while the worker runs, and the job among other callers (a second start, the application's
// own sends, application threads calling the exports while jobs start, are cancelled and end).
#include <gmock/gmock.h>

#include <atomic>

#include "child_process.h"
#include "job_checks.h"
#include "test_platform.h"

using namespace vanta::test;
using ::testing::AllOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

using UploadJob = JobTest;

// The caller changes and frees its arguments as soon as the start returns: the worker reads
// its own copies. The out-strings are written only once the caller's side sees the end.
TEST_F(UploadJob, SuccessSendsExactRequestsFromCopiesAndStoresTheFiles) {
    control::FtpFaults({{"delay_ms", 150}});
    QDX_CAssetStat notARecipient; // not announced
    auto in = std::make_unique<Upload>();
    in->File(files_.Write("a.jpg", Pattern(300))).File(files_.Write("b.jpg", Pattern(200, 2)));
    in->To("bob@example.com", 1, "Bob Smith");
    in->recipients.AddTail(&notARecipient);
    in->To("carol@example.com", 0, "Carol");
    CString password = "before", number;
    ASSERT_EQ(QDX_UploadAsset(in->user, 3, "D", "N", password, in->files, in->recipients, number, 2,
                              "", nullptr),
              1U);
    in->user = "mallory";
    in->files.SetAt(0, "/nonexistent");
    in.reset();
    ASSERT_TRUE(WaitUntil([] { return !FtpCommands("STOR").empty(); }));
    EXPECT_TRUE(number.IsEmpty());
    EXPECT_EQ(password, "before");
    control::FtpFaults(nlohmann::json::object());
    const JobStatus status = Status();
    ASSERT_EQ(status.code, 1U);

    // "http://<asset id>:<password>@localhost/QDXAssets/alice/3/<number>/index.asp"
    const std::string id = status.text.substr(7, status.text.find(':', 7) - 7);
    EXPECT_EQ(status.text, "http://" + id + ":" + password.str() + "@localhost/QDXAssets/alice/3/" +
                               number.str() + "/index.asp");
    EXPECT_THAT(BodiesPostedTo(kCreateAssetPath),
                ElementsAre("UserId=alice&Name=N&Size=500&ProdId=3&AssetType=2&AssetDesc=D"
                            "&FileCnt=2&File=a.jpg&File=b.jpg\n"));
    EXPECT_THAT(BodiesPostedTo(kSmtpMailPath),
                ElementsAre("AssetName=N&pword=" + password.str() +
                            "&UserId=alice&ProdNum=3&AssetID=" + id + "&AssetNum=" + number.str() +
                            "&AssetType=2&AssetDesc=D&Emails=2&Email0=bob@example.com&ViewType0=1"
                            "&RecipName0=Bob Smith&Email1=carol@example.com&ViewType1=0"
                            "&RecipName1=Carol\n"));
    const std::string stored = "assets/alice/3/" + number.str() + "/";
    EXPECT_EQ(ReadBytes(FtpPath(stored + "a.jpg")), Pattern(300));
    EXPECT_EQ(ReadBytes(FtpPath(stored + "b.jpg")), Pattern(200, 2));
    // After success: nothing runs, nothing is left to cancel, the result stays readable.
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(1000), 0U);
    EXPECT_EQ(Status("other").text, status.text);
}

// Each step's reply: the quota compared with what the asset needs (4 bytes here), a FAIL,
// a broken reply (the channel's 32), and a transfer the server refuses or breaks off (16).
// Only a job that succeeds keeps its asset, files and page address, and fills the caller's
// out-strings: a failure after the registration withdraws the record and leaves no file and
// no directory on the service, nor any space used. A withdrawal the service refuses leaves the
// asset's number (and its page address) to the caller.
TEST_F(UploadJob, EachStepsReplyDecidesTheResult) {
    const struct {
        const char* path;  // nullptr: the transfer, with `faults`
        const char* reply; // nullptr: a broken reply
        unsigned long code;
        nlohmann::json faults = nlohmann::json::object();
        bool withdrawalRefused = false;
    } cases[] = {
        {kDiskSpacePath, "quota=4&used=0", 1},
        {kDiskSpacePath, "quota=2000&used=1997", 128},
        {kDiskSpacePath, "quota=lots&used=0", 128},
        {kDiskSpacePath, "quota=5000&", 1},
        {kDiskSpacePath, "quota=5", 0},
        {kDiskSpacePath, nullptr, 32},
        {kCreateAssetPath, nullptr, 32},
        {kCreateAssetPath, "result=FAIL", 256},
        {nullptr, nullptr, 16, {{"fail_stor_after", 1}}},
        {nullptr, nullptr, 16, {{"refuse_login", true}}},
        // The exports make one attempt unless the process names retries.
        {nullptr, nullptr, 16, {{"drop_data_after", 2}}},
        {kSmtpMailPath, nullptr, 32},
        {kSmtpMailPath, "result=FAIL", 0},
        {kSmtpMailPath, "result=FAIL", 0, {}, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        control::Reset(true);
        RegisterUser("alice");
        control::FtpFaults(c.faults.is_null() ? nlohmann::json::object() : c.faults);
        c.path == nullptr ? void()
        : c.reply         ? ScriptReply(c.path, c.reply)
                          : ScriptBrokenReply(c.path);
        if (c.withdrawalRefused) {
            ScriptReply(kDeleteAssetPath, "result=FAIL");
        }
        Upload upload;
        ASSERT_EQ(upload.File(files_.Write("a.bin", "four")).Start(), 1U);
        const JobStatus status = Status();
        // Why it failed reaches the thread that sees the end, from either export that shows it.
        const std::string reason = QDX_GetLastFailureReason();
        EXPECT_FALSE(QDX_IsUploading());
        EXPECT_EQ(QDX_GetLastFailureReason(), reason);
        EXPECT_EQ(reason.empty(), c.code == 1) << reason;
        EXPECT_THAT(reason, HasSubstr(c.path == nullptr ? "port 21" : ""));
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(status.code, c.code);
        const bool registered = c.path == nullptr || c.path == kSmtpMailPath || c.code == 1;
        EXPECT_EQ(Requested(kCreateAssetPath), c.path != kDiskSpacePath || c.code == 1);
        EXPECT_EQ(Requested(kSmtpMailPath), c.path == kSmtpMailPath || c.code == 1);
        EXPECT_EQ(Requested(kDeleteAssetPath), registered && c.code != 1);
        const bool kept = c.code == 1 || c.withdrawalRefused;
        EXPECT_EQ(status.text.empty(), !kept);
        EXPECT_EQ(upload.assetNum.IsEmpty(), !kept);
        EXPECT_EQ(LeftOnService("alice/3").empty(), c.code != 1);
        EXPECT_EQ(UsedSpace("alice"), c.code == 1 ? "4" : "0");
    }
}

// A cancel before registration creates nothing; after it the asset is withdrawn once, and
// neither the files that reached the host nor the asset's directory stay, nor do the caller's
// out-strings change unless the withdrawal is refused. A cancel that waits ends the worker
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
        // A size past 32 bits reaches the service whole.
        {kCreateAssetPath,
         "asset_num=41&asset_id=ID41&password=PW41",
         {},
         (1ULL << 32) + 5,
         0,
         10000},
        // Past 43 MB a 32-bit product of bytes and 100 wraps: 70 % would never show.
        {nullptr, nullptr, {{"stall_stor_after", 50'000'000}}, 64ULL << 20, 70, 3000},
        // Every byte is in: the progress shows 100 % while the final reply is awaited.
        {nullptr, nullptr, {{"stall_stor_after", 100000}}, 100000, 100, 3000},
        // Not stalled: the cancel is seen between two blocks of the last file.
        {nullptr, nullptr, {}, 64ULL << 20, 1, 0},
    };
    control::SetQuota("alice", 1ULL << 40);
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
        // The scripted registration's asset 41 is unknown to the service, which refuses its
        // withdrawal: the number and password stay with the caller.
        const bool refused = c.slowPath == kCreateAssetPath;
        EXPECT_EQ(upload.assetNum, refused ? "41" : "");
        EXPECT_EQ(upload.password, refused ? "PW41" : "keep-password");
        EXPECT_THAT(
            BodiesPostedTo(kDeleteAssetPath),
            ElementsAreArray(std::vector(registered, AllOf(StartsWith("user_id=alice&asset_num ="),
                                                           EndsWith("&product_id =3\n")))));
        EXPECT_THAT(LeftOnService("alice/3"), IsEmpty());
        EXPECT_EQ(UsedSpace("alice"), "0");
        EXPECT_FALSE(Requested(kSmtpMailPath));
        EXPECT_EQ(FtpCommands("STOR").size(), c.slowPath ? 0U : 1U);
        EXPECT_THAT(BodiesPostedTo(kCreateAssetPath),
                    Each(HasSubstr("&Size=" + std::to_string(c.size) + "&")));
    }
}

// Returning from main with the worker stalled in the middle of a file (the server stops
// reading): the unload cancels the job, aborts its transfer and waits for the worker, within
// a bound, and the worker withdraws the asset. A status callback that calls the job exports on
// the worker (at the quota request, before anything is registered) has their answers at once,
// and its cancel ends the job before the process returns from main. A library loaded at run
// time and unloaded while a job it let go from its callback is still stalled waits for that
// worker as well, and is gone afterwards.
TEST_F(UploadJob, UnloadDuringAJobCancelsItAndWaitsForTheWorkerWithinABound) {
    const std::string path = files_.Sparse("slow.bin", 64ULL << 20);
    const struct {
        const char* probe;
        const char* mode;
        const char* out;
        size_t withdrawals;
        bool atProcessEnd = false; // the library unloads as the probe's process ends
    } cases[] = {
        {"upload_unload_probe", "", "running=1\n", 1, true},
        {"upload_unload_probe", "calls-back",
         "status=259 '' uploading=1 cancel=0 prompt=1\nrunning=0\n", 0},
        {"library_unload_probe", "", "unloaded=1 gone=1\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.probe) + " " + c.mode);
        if (c.atProcessEnd && !UnloadAtExitReachesRunningJobs()) {
            continue;
        }
        control::Reset();
        control::FtpFaults({{"stall_stor_after", 1 << 20}});
        const auto start = std::chrono::steady_clock::now();
        const ChildResult result = RunChild({HelperPath(c.probe), path, c.mode},
                                            ChildOptions{.timeout = std::chrono::seconds(30)});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        // Neither the worker nor the network layer beneath it may outlive what it uses.
        EXPECT_EQ(result.out, c.out);
        EXPECT_THAT(result.err,
                    AllOf(Not(HasSubstr("Sanitizer")), Not(HasSubstr("runtime error"))));
        EXPECT_EQ(BodiesPostedTo(kDeleteAssetPath).size(), c.withdrawals);
    }
}

// A second upload or share while a job (an upload or a share) runs gives 16 before any
// request, any file or any change to the caller's list: a running share's info file, which it
// may still send, keeps its recipients.
TEST_F(UploadJob, WhileAJobRunsASecondStartGivesSixteenBeforeAnything) {
    for (const int kinds : {0, 1, 2, 3}) { // bit 0: a share runs; bit 1: a share is started
        SCOPED_TRACE(kinds);
        control::Reset();
        control::FtpFaults({{"delay_ms", 200}});
        Upload first, second;
        EmailShare firstShare, secondShare;
        firstShare.Address("ann@example.com").Address("bob@example.com");
        secondShare.Address("eve@example.com").Address("carol@example.com");
        secondShare.File(files_.Write("a.txt", "a")).File(files_.Path("old/~emailinfo.qorl"));
        ASSERT_EQ((kinds & 1) ? firstShare.File(files_.Write("1.txt", "1")).Start()
                              : first.File(files_.Write("1.bin", "1")).Start(),
                  1U);
        // Past its requests: the running job is logging in, every reply slow.
        ASSERT_TRUE(WaitUntil([] { return !FtpCommands("USER").empty(); }));
        const std::string infoBefore = ReadBytes(LocalInfoPath());
        const size_t requests = control::RequestLog().size();
        EXPECT_EQ((kinds & 2) ? secondShare.Start() : second.File("a.txt").Start(), 16U);
        EXPECT_TRUE(QDX_IsUploading());
        EXPECT_EQ(control::RequestLog().size(), requests);
        EXPECT_EQ(ReadBytes(LocalInfoPath()), infoBefore);
        EXPECT_EQ(secondShare.Files().size(), 2U);
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(Status().code, 1U);
    }
}

// The application's own multi-file send neither resets nor adds to the running job's progress,
// and is not stopped by the job's cancel request, pending or left behind by an ended job.
TEST_F(UploadJob, TheApplicationsOwnSendNeverTouchesTheJob) {
    control::FtpFaults({{"stall_stor_after", 1 << 20}});
    Upload upload;
    ASSERT_EQ(upload.File(files_.Sparse("big.bin", 64ULL << 20)).Start(), 1U);
    // Stalled once the socket buffers are full: the progress stands still for a whole second.
    // A shorter pause is no proof: on a loaded machine the service may read nothing for a while
    // before the point it stalls at.
    unsigned int stalledAt = 0;
    ASSERT_TRUE(WaitUntil([&] {
        const unsigned int before = QDX_GetUploadProgress();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return before > 0 && (stalledAt = QDX_GetUploadProgress()) == before;
    }));
    CStringArray mine;
    mine.Add(CString(files_.Write("mine.bin", Pattern(70000, 7))));
    const auto sendMine = [&] {
        std::filesystem::remove(FtpPath("mine.bin"));
        EXPECT_EQ(QDX_FTPFile("", mine, nullptr), 1U);
        EXPECT_EQ(ReadBytes(FtpPath("mine.bin")), Pattern(70000, 7));
    };
    sendMine();
    EXPECT_EQ(QDX_GetUploadProgress(), stalledAt);
    // A cancel that does not wait leaves the request set while the worker winds down...
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    sendMine();
    EXPECT_EQ(Status().code, 16384U);
    // ...and on the ended job, which stays current with it.
    sendMine();
}

// Application threads start uploads and cancel them, all at once, for three seconds: every
// answer is one the exports may give (never the code of a running thread, 259, as a job's
// result).
TEST_F(UploadJob, ApplicationThreadsStartAndCancelJobsAtOnce) {
    Upload uploads[3]; // whichever thread sees a job end writes its out-strings
    for (Upload& upload : uploads) {
        upload.File(files_.Write("small.bin", Pattern(30000, 9)));
    }
    std::atomic<int> starts{0}, unexpected{0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    {
        std::vector<std::jthread> threads;
        for (Upload& upload : uploads) {
            threads.emplace_back([&] {
                for (unsigned int round = 0; std::chrono::steady_clock::now() < end; ++round) {
                    const unsigned int started = upload.Start();
                    starts += started == 1 ? 1 : 0;
                    unexpected += (started == 1 || started == 16) &&
                                          QDX_CancelUpload(round % 40) <= 1 && Status().code != 259
                                      ? 0
                                      : 1;
                }
            });
        }
    }
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_GT(starts.load(), 0);
}

} // namespace
