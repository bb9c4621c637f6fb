// The job among other callers: a second start while a job runs, the application's own sends
// while a job runs, the caller's objects going away, and application threads calling the
// exports while jobs start, are cancelled and end.
#include <gmock/gmock.h>

#include <atomic>

#include "job_checks.h"

using namespace vanta::test;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using JobFaults = JobTest;

// A second upload or share while a job (an upload or a share) runs gives 16 before any
// request, any file or any change to the caller's list: a running share's info file, which it
// may still send, keeps its recipients.
TEST_F(JobFaults, WhileAJobRunsASecondStartGivesSixteenBeforeAnything) {
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
TEST_F(JobFaults, TheApplicationsOwnSendNeverTouchesTheJob) {
    control::FtpFaults({{"stall_stor_after", 1 << 20}});
    Upload upload;
    ASSERT_EQ(upload.File(files_.Sparse("big.bin", 64ULL << 20)).Start(), 1U);
    // Stalled once the socket buffers are full: the progress stands still.
    unsigned int stalledAt = 0;
    ASSERT_TRUE(WaitUntil([&] {
        const unsigned int before = QDX_GetUploadProgress();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
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

// The worker reads its own copies: the caller may change and free its arguments as soon as the
// start returns. The out-strings are written only once the end is seen by the caller's side.
TEST_F(JobFaults, TheJobWorksOnCopiesAndWritesTheOutStringsOnceItsEndIsSeen) {
    control::FtpFaults({{"delay_ms", 150}});
    auto in = std::make_unique<Upload>();
    in->File(files_.Write("a.bin", Pattern(3000, 5))).To("bob@example.com", 1, "Bob");
    CString password = "before";
    CString assetNum;
    ASSERT_EQ(QDX_UploadAsset(in->user, in->product, in->description, in->name, password, in->files,
                              in->recipients, assetNum, in->type, CString(), nullptr),
              1U);
    in->user = "mallory";
    in->files.SetAt(0, "/nonexistent");
    in.reset();
    ASSERT_TRUE(WaitUntil([] { return !FtpCommands("STOR").empty(); }));
    EXPECT_TRUE(assetNum.IsEmpty());
    EXPECT_EQ(password, "before");
    control::FtpFaults(nlohmann::json::object());
    ASSERT_TRUE(WaitUntil([] { return !QDX_IsUploading(); }));
    EXPECT_EQ(assetNum, "1");
    EXPECT_EQ(Status().code, 1U);
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, "1") / "a.bin"), Pattern(3000, 5));
    EXPECT_THAT(BodiesPostedTo(kSmtpMailPath),
                ElementsAre(AllOf(HasSubstr("&pword=" + password.str() + "&UserId=alice&"),
                                  HasSubstr("&Emails=1&Email0=bob@example.com&ViewType0=1"))));
}

// Application threads start uploads and shares, cancel them, watch them and make their own
// sends, all at once, for a bounded time. Every answer is one the exports may give.
TEST_F(JobFaults, ApplicationThreadsUseTheExportsWhileJobsStartCancelAndEnd) {
    const std::string small = files_.Write("small.bin", Pattern(30000, 9));
    CStringArray mine;
    mine.Add(CString(small));
    // The out-strings are written by whichever thread sees a job end: they outlive the threads.
    Upload uploads[2];
    uploads[0].File(small);
    uploads[1].File(small);
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com").File(small);
    std::atomic<bool> stop{false};
    std::atomic<int> starts{0};
    std::atomic<int> unexpected{0};
    std::vector<std::thread> threads;
    for (int id = 0; id < 3; ++id) {
        threads.emplace_back([&, id] {
            for (unsigned int round = 0; !stop; ++round) {
                const unsigned int started = id == 2 ? share.Start() : uploads[id].Start();
                starts += started == 1 ? 1 : 0;
                // Never the code of a running thread (259) as a job's result.
                const bool expected = (started == 1 || started == 16) &&
                                      QDX_CancelUpload((round * 7 + id) % 40) <= 1 &&
                                      QDX_GetUploadProgress() <= 100 && Status().code != 259 &&
                                      QDX_FTPFile("", mine, nullptr) == 1;
                unexpected += expected ? 0 : 1;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    QDX_CancelUpload(kWaitForever);
    Status();
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_GT(starts.load(), 0);
}

} // namespace
