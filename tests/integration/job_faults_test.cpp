// A job under faults: a server that stops reading in the middle of a file or before its final
// reply, the application's own sends while a job runs, the caller's objects going away, and
// application threads calling the exports while jobs start, are cancelled and end.
#include "job_checks.h"

#include <gmock/gmock.h>

#include <atomic>

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using Clock = std::chrono::steady_clock;

class JobFaults : public JobTest {
protected:
    void SetUp() override {
        JobTest::SetUp();
        std::filesystem::create_directories(drop_);
    }
    const std::filesystem::path drop_ = FtpPath("assets/drop");
};

// The server stops reading the data connection past `stallAfter` bytes (mid-file), or once the
// whole file is in (the final reply never comes); the job is an upload or a share. A cancel
// must end the worker within its wait, and the worker rolls back as after any cancel.
struct StallCase {
    const char* name;
    bool share;
    std::uint64_t size;
    std::uint64_t stallAfter;
};

class StalledServer : public JobFaults, public ::testing::WithParamInterface<StallCase> {};

TEST_P(StalledServer, CancelEndsTheWorkerWithinItsWaitAndRollsBack) {
    const StallCase& c = GetParam();
    control::FtpFaults({{"stall_stor_after", c.stallAfter}});
    const std::string path = files_.Sparse("big.bin", c.size);
    Upload upload;
    EmailShare share;
    if (c.share) {
        ASSERT_EQ(share.Address("ann@example.com").Address("bob@example.com").File(path).Start(),
                  1U);
    } else {
        ASSERT_EQ(upload.File(path).Start(), 1U);
    }
    ASSERT_TRUE(WaitUntil([] { return !FtpCommands("STOR").empty(); }));
    // Long enough for the worker to be stuck on the silent server.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(QDX_IsUploading());

    const auto start = Clock::now();
    EXPECT_EQ(QDX_CancelUpload(3000), 1U);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    RecordProperty("cancel_ms", static_cast<int>(took));
    EXPECT_LT(took, 3000);
    EXPECT_FALSE(QDX_IsUploading());
    control::FtpFaults(nlohmann::json::object());

    if (c.share) {
        EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/" + SessionFromFtpLog())));
        EXPECT_FALSE(Requested(kFireEmailsPath));
    } else {
        EXPECT_THAT(
            BodiesPostedTo(kDeleteAssetPath),
            ElementsAre("user_id=alice&asset_num =" + upload.assetNum.str() + "&product_id =3\n"));
        EXPECT_FALSE(Requested(kSmtpMailPath));
    }
}

INSTANTIATE_TEST_SUITE_P(Job, StalledServer,
                         ::testing::Values(StallCase{"UploadMidFile", false, 64ULL << 20, 1 << 20},
                                           StallCase{"UploadBeforeTheFinalReply", false, 100000,
                                                     100000},
                                           StallCase{"ShareMidFile", true, 64ULL << 20, 1 << 20}),
                         [](const auto& p) { return std::string(p.param.name); });

// The application's own multi-file send neither resets nor adds to the running job's progress,
// and is not stopped by the job's cancel request, pending or left behind by an ended job.
TEST_F(JobFaults, TheApplicationsOwnSendNeverTouchesTheJob) {
    control::FtpFaults({{"stall_stor_after", 1 << 20}});
    Upload upload;
    ASSERT_EQ(upload.File(files_.Sparse("big.bin", 64ULL << 20)).Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return QDX_GetUploadProgress() > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const unsigned int stalledAt = QDX_GetUploadProgress();

    CStringArray mine;
    mine.Add(CString(files_.Write("mine.bin", Pattern(70000, 7))));
    EXPECT_EQ(QDX_FTPFile("/assets/drop", mine, nullptr), 1U);
    EXPECT_EQ(QDX_GetUploadProgress(), stalledAt);

    // A cancel that does not wait leaves the request set while the worker winds down...
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    std::filesystem::remove(drop_ / "mine.bin");
    EXPECT_EQ(QDX_FTPFile("/assets/drop", mine, nullptr), 1U);
    EXPECT_EQ(Status().code, 16384U);
    // ...and on the ended job, which stays current with it.
    std::filesystem::remove(drop_ / "mine.bin");
    EXPECT_EQ(QDX_FTPFile("/assets/drop", mine, nullptr), 1U);
    EXPECT_EQ(ReadBytes(drop_ / "mine.bin"), Pattern(70000, 7));
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
    EXPECT_NE(password, "before");
    EXPECT_EQ(Status().code, 1U);
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, "1") / "a.bin"), Pattern(3000, 5));
    EXPECT_THAT(BodiesPostedTo(kSmtpMailPath),
                ElementsAre(HasSubstr("&pword=" + password.str() + "&UserId=alice&")));
    EXPECT_THAT(BodiesPostedTo(kSmtpMailPath),
                ElementsAre(HasSubstr("&Emails=1&Email0=bob@example.com&ViewType0=1")));
}

// Application threads start uploads and shares, cancel them, watch them and make their own
// sends, all at once, for a bounded time. Every answer is one the exports may give, every own
// send arrives, and no job is left running.
TEST_F(JobFaults, ApplicationThreadsUseTheExportsWhileJobsStartCancelAndEnd) {
    const std::string small = files_.Write("small.bin", Pattern(30000, 9));
    std::atomic<bool> stop{false};
    std::atomic<int> unexpected{0};
    std::atomic<int> starts{0};
    std::atomic<int> ownSends{0};
    const auto expect = [&](bool ok) {
        if (!ok) {
            ++unexpected;
        }
    };

    std::vector<std::thread> threads;
    for (int id = 0; id < 2; ++id) {
        threads.emplace_back([&, id] {
            // Written by whichever thread sees a job of this thread end; never read here.
            CString password;
            CString assetNum;
            CStringArray files;
            files.Add(CString(small));
            CObList recipients;
            for (unsigned int round = 0; !stop; ++round) {
                const unsigned int started =
                    QDX_UploadAsset("alice", 3, "D", "N", password, files, recipients, assetNum, 2,
                                    CString(), nullptr);
                expect(started == 1 || started == 16);
                starts += started == 1 ? 1 : 0;
                const unsigned int cancelled = QDX_CancelUpload((round * 7 + id) % 40);
                expect(cancelled == 0 || cancelled == 1);
            }
        });
    }
    threads.emplace_back([&] {
        EmailShare share;
        share.Address("ann@example.com").Address("bob@example.com").File(small);
        while (!stop) {
            const unsigned int started = share.Start();
            expect(started == 1 || started == 16);
            starts += started == 1 ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    threads.emplace_back([&] {
        CStringArray mine;
        mine.Add(CString(small));
        while (!stop) {
            expect(QDX_FTPFile("/assets/drop", mine, nullptr) == 1);
            ++ownSends;
            expect(QDX_GetUploadProgress() <= 100);
            QDX_IsUploading();
            const JobStatus status = Status();
            expect(status.code != 259); // never the code of a running thread
        }
    });

    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    // A job past its transfer cannot be cancelled: the status waits for its end.
    QDX_CancelUpload(kWaitForever);
    Status();
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_GT(starts.load(), 0);
    EXPECT_GT(ownSends.load(), 0);
    EXPECT_EQ(ReadBytes(drop_ / "small.bin"), Pattern(30000, 9));
}
} // namespace
