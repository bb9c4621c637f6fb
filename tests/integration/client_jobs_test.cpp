// vanta::Client's background jobs against the reference service: several at once, each with
// its own progress and cancel; a handle destroyed mid-transfer; the job outcomes as error
// categories; and every callback on the thread its documentation names.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "control_client.h"
#include "service_fixture.h"
#include "vanta/client.hpp"

namespace vanta::test {
namespace {

using namespace std::chrono;
using std::filesystem::path;

constexpr auto kBound = seconds(20);

Config LocalConfig() {
    Config config;
    config.host = "127.0.0.1";
    config.ftp_timeout = milliseconds(5000);
    return config;
}

path MakeFile(const std::string& name, size_t bytes) {
    const path file = path(ServiceEnvironment::Instance().WorkDir()) / name;
    std::ofstream(file, std::ios::binary) << std::string(bytes, 'v');
    return file;
}

// Waits up to kBound for `done`; false when it did not come true.
template <class Condition>
bool Eventually(Condition done) {
    const auto deadline = steady_clock::now() + kBound;
    while (!done() && steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(5));
    }
    return done();
}

// What a job's callbacks saw, and on which threads.
struct Observed {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::vector<JobPhase> phases;
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<int> calls{0};
    std::atomic<int> notifications{0};

    JobOptions Options() {
        JobOptions options;
        options.on_progress = [this](const Progress& progress) {
            std::lock_guard<std::mutex> lock(mutex);
            threads.insert(std::this_thread::get_id());
            if (phases.empty() || phases.back() != progress.phase) {
                phases.push_back(progress.phase);
            }
            bytes = progress.bytes;
            ++calls;
        };
        options.on_status = [this](const StatusNotification&) {
            std::lock_guard<std::mutex> lock(mutex);
            threads.insert(std::this_thread::get_id());
            ++notifications;
        };
        return options;
    }
};

class ClientJobs : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        NewAccount account{"ann", "pw", "7", {}};
        ASSERT_TRUE(client.register_user(account).has_value());
    }
    void TearDown() override { control::FtpFaults(nlohmann::json::object()); }

    UploadRequest Upload(std::vector<path> files) const {
        UploadRequest request;
        request.user_id = "ann";
        request.product = 7;
        request.name = "Trip";
        request.files = std::move(files);
        request.recipients = {{"bob@example.net", "Bob", true}};
        return request;
    }

    Client client{LocalConfig()};
};

TEST_F(ClientJobs, TwoUploadsAtOnceHaveTheirOwnProgressAndCancel) {
    // The big upload's transfer stalls after its first bytes; the small one stays below that.
    const size_t bigSize = 16 << 20;
    const size_t smallSize = 30000;
    control::FtpFaults({{"stall_stor_after", 65536}});
    Observed seenBig, seenSmall;
    UploadJob big = client.upload(Upload({MakeFile("big.bin", bigSize)}), seenBig.Options());
    ASSERT_TRUE(Eventually([&] {
        return big.progress().phase == JobPhase::transferring && big.progress().bytes > 0;
    }));
    UploadJob small =
        client.upload(Upload({MakeFile("small.bin", smallSize)}), seenSmall.Options());
    const Result<UploadOutcome> done = small.outcome();
    ASSERT_TRUE(done.has_value()) << done.error().reason;
    EXPECT_NE(done->page_address.find("/QDXAssets/ann/7/" + done->asset_number + "/"),
              std::string::npos)
        << done->page_address;
    EXPECT_EQ(small.progress().phase, JobPhase::finished);
    EXPECT_EQ(seenSmall.bytes.load(), smallSize);
    EXPECT_EQ(small.progress().total, smallSize);

    // The big one still waits on its stalled transfer, with its own counts, until cancelled.
    EXPECT_FALSE(big.finished());
    EXPECT_EQ(big.progress().total, bigSize);
    EXPECT_LT(big.progress().bytes, bigSize);
    const auto cancelled = steady_clock::now();
    big.cancel();
    ASSERT_TRUE(big.wait(duration_cast<milliseconds>(kBound)));
    EXPECT_LT(steady_clock::now() - cancelled, seconds(5));
    const Result<UploadOutcome> stopped = big.outcome();
    ASSERT_FALSE(stopped.has_value());
    EXPECT_EQ(stopped.error().category, ErrorCategory::cancelled);
    EXPECT_EQ(stopped.error().code, 16384U);

    // Only the finished upload stays registered; the cancelled one was withdrawn.
    const Result<std::vector<Asset>> assets = client.asset_list("ann", "7");
    ASSERT_TRUE(assets.has_value()) << assets.error().reason;
    ASSERT_EQ(assets->size(), 1U);
    EXPECT_EQ(assets->front().asset_number, done->asset_number);
    EXPECT_EQ(assets->front().declared_size, static_cast<std::int64_t>(smallSize));
}

TEST_F(ClientJobs, DestroyingAHandleMidTransferCancelsAndWaitsInBounds) {
    const path file = MakeFile("big.bin", 16 << 20);
    control::FtpFaults({{"stall_stor_after", 65536}});
    Observed seen;
    std::optional<UploadJob> job(client.upload(Upload({file}), seen.Options()));
    ASSERT_TRUE(Eventually([&] { return seen.bytes.load() > 0; }));

    const auto start = steady_clock::now();
    job.reset();
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    // The worker has ended: nothing calls back any more, and the asset was withdrawn.
    const int calls = seen.calls.load();
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(seen.calls.load(), calls);
    control::FtpFaults(nlohmann::json::object());
    EXPECT_TRUE(client.asset_list("ann", "7")->empty());
}

TEST_F(ClientJobs, CallbacksRunOnTheDocumentedThreads) {
    // A synchronous operation's notifications arrive on the calling thread, during the call.
    std::set<std::thread::id> callers;
    Config config = LocalConfig();
    config.on_status = [&](const StatusNotification&) {
        callers.insert(std::this_thread::get_id());
    };
    const Client notifying(config);
    ASSERT_TRUE(notifying.check_version().has_value());
    EXPECT_EQ(callers, std::set<std::thread::id>{std::this_thread::get_id()});

    // A job's progress and notifications arrive on its one worker thread, phases in order.
    Observed seen;
    UploadJob job = notifying.upload(Upload({MakeFile("small.bin", 5000)}), seen.Options());
    ASSERT_TRUE(job.wait(duration_cast<milliseconds>(kBound)));
    ASSERT_TRUE(job.outcome().has_value()) << job.outcome().error().reason;
    std::lock_guard<std::mutex> lock(seen.mutex);
    ASSERT_EQ(seen.threads.size(), 1U);
    EXPECT_NE(*seen.threads.begin(), std::this_thread::get_id());
    EXPECT_GT(seen.notifications.load(), 0);
    EXPECT_EQ(seen.phases, (std::vector<JobPhase>{JobPhase::preparing, JobPhase::transferring,
                                                  JobPhase::notifying, JobPhase::finished}));
    // The client's own handler saw nothing of the job, which has a handler of its own.
    EXPECT_EQ(callers.size(), 1U);
}

TEST_F(ClientJobs, JobFailuresHaveTheirCategories) {
    const path file = MakeFile("one.bin", 3000);
    control::SetQuota("ann", 100);
    UploadRequest unknownUser = Upload({file});
    unknownUser.user_id = "nobody";
    const struct {
        const char* what;
        UploadRequest request;
        ErrorCategory category;
        unsigned int code;
    } cases[] = {
        {"over quota", Upload({file}), ErrorCategory::no_space, 128},
        {"missing file", Upload({file, "/nonexistent/x.bin"}), ErrorCategory::local_file, 8},
        {"unknown user", unknownUser, ErrorCategory::refused, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UploadJob job = client.upload(c.request);
        const Result<UploadOutcome> outcome = job.outcome();
        ASSERT_FALSE(outcome.has_value());
        EXPECT_EQ(to_string(outcome.error().category), to_string(c.category));
        EXPECT_EQ(outcome.error().code, c.code);
    }
}

TEST_F(ClientJobs, SharingByMailSendsTheFilesAndMailsEachRecipient) {
    ShareRequest request;
    request.sender = "ann@example.net";
    request.recipients = {"bob@example.net", "cy@example.net"};
    request.subject = "Pictures";
    request.message = "Hello\nthere";
    request.sender_name = "Ann";
    request.files = {MakeFile("pic.jpg", 2000)};
    // Two shares at once: each has its own session and its own request file.
    ShareJob first = client.share_by_email(request);
    ShareJob second = client.share_by_email(request);
    const Result<ShareOutcome> one = first.outcome();
    const Result<ShareOutcome> two = second.outcome();
    ASSERT_TRUE(one.has_value()) << one.error().reason;
    ASSERT_TRUE(two.has_value()) << two.error().reason;
    size_t messages = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(path(ServiceDataDir()) / "outbox")) {
        messages += entry.path().filename().string().ends_with("-share.eml") ? 1 : 0;
    }
    EXPECT_EQ(messages, 4U);

    request.sender.clear();
    request.recipients.clear();
    const Result<ShareOutcome> nobody = client.share_by_email(request).outcome();
    ASSERT_FALSE(nobody.has_value());
    EXPECT_EQ(nobody.error().category, ErrorCategory::invalid_argument);
}

} // namespace
} // namespace vanta::test
