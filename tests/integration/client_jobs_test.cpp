// What vanta::Client's job handles add over the exports' one job: several jobs at once, each
// with its own progress and cancel; a handle destroyed mid-transfer; the outcomes as error
// categories; callbacks on the job's own thread, and each member called from them; the page
// address on another port.
#include <gmock/gmock.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>

#include "job_checks.h"
#include "vanta/client.hpp"

namespace vanta::test {
namespace {

using namespace std::chrono;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// What a job's progress callbacks saw: the threads they ran on, the phases in order, the
// bytes last reported, how many calls.
struct Observed {
    std::mutex mutex;
    std::set<std::thread::id> threads;
    std::vector<JobPhase> phases;
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<int> calls{0};

    JobOptions Options() {
        return {[this](const Progress& progress) {
                    std::lock_guard<std::mutex> lock(mutex);
                    threads.insert(std::this_thread::get_id());
                    if (phases.empty() || phases.back() != progress.phase) {
                        phases.push_back(progress.phase);
                    }
                    bytes = progress.bytes;
                    ++calls;
                },
                {}};
    }
};

// User "ann" with product 7.
class ClientJobs : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        ASSERT_TRUE(client.register_user({"ann", "pw", "7", {}}).has_value());
    }

    UploadRequest Upload(size_t size) {
        const std::string path = files_.Write(std::to_string(size) + ".bin", Pattern(size));
        return {"ann", 7, "Trip", "", 0, {path}, {{"bob@example.net", "Bob", true}}};
    }

    // An FTP limit far above every bound the tests set: only an abort ends a stalled transfer
    // in time.
    Client client{[] {
        Config config = Config::from_environment();
        config.ftp_timeout = seconds(30);
        return config;
    }()};
    LocalFiles files_;
};

// The big upload's transfer stalls after its first bytes; a small one started meanwhile
// finishes with its own counts, spaced as it asked, on its own thread, phases in order; the big one
// waits with its own counts until its handle is destroyed, which cancels it and waits for its
// worker within a bound: nothing calls back afterwards.
TEST_F(ClientJobs, TwoUploadsAtOnceHaveTheirOwnProgressAndCancel) {
    control::FtpFaults({{"stall_stor_after", 65536}});
    Observed seenBig, seenSmall;
    std::optional<UploadJob> big(client.upload(Upload(16 << 20), seenBig.Options()));
    ASSERT_TRUE(WaitUntil([&] { return seenBig.bytes.load() > 0; }));
    JobOptions spaced = seenSmall.Options(); // 30 blocks, at most one call per 10,000 bytes
    spaced.progress_bytes = 10000;
    UploadJob small = client.upload(Upload(30000), std::move(spaced));
    const Result<UploadOutcome> done = small.outcome();
    ASSERT_TRUE(done.has_value()) << done.error().reason;
    EXPECT_THAT(done->page_address, HasSubstr("/QDXAssets/ann/7/" + done->asset_number + "/"));
    EXPECT_EQ(seenSmall.bytes.load(), 30000U);    // the last call is never held back
    EXPECT_LE(seenSmall.calls.load(), 4 + 3 + 1); // phases, byte steps, the total
    EXPECT_EQ(seenSmall.phases, (std::vector<JobPhase>{JobPhase::preparing, JobPhase::transferring,
                                                       JobPhase::notifying, JobPhase::finished}));
    ASSERT_EQ(seenSmall.threads.size(), 1U);
    EXPECT_NE(*seenSmall.threads.begin(), std::this_thread::get_id());

    EXPECT_FALSE(big->finished());
    EXPECT_EQ(big->progress().total, 16U << 20);
    EXPECT_LT(big->progress().bytes, 16U << 20);
    const auto start = steady_clock::now();
    big.reset();
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    const int calls = seenBig.calls.load();
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(seenBig.calls.load(), calls);
}

// Every member called from inside the job's own callbacks, on its worker, answers at once:
// the progress, a cancel taken, no end yet. A handle destroyed there lets the job cancel,
// withdraw what it registered and end on its own, calling back no more. on_progress acts once
// the files are being sent, on_status at the first notification (the quota request, before
// registration).
TEST_F(ClientJobs, MembersCalledFromTheJobsOwnCallbacksAnswerAtOnce) {
    using Handle = std::optional<UploadJob>;
    const auto category = [](const Result<UploadOutcome>& outcome) {
        return outcome ? std::string("ok") : std::string(to_string(outcome.error().category));
    };
    const struct {
        std::function<std::string(Handle&)> member;
        std::string answer;
        std::string endInProgress, endInStatus;
    } rows[] = {
        {[](Handle& job) { return job->cancel(), std::string(); }, "", "cancelled", "cancelled"},
        {[](Handle& job) { return std::to_string(job->progress().total); }, "200000", "ok", "ok"},
        {[](Handle& job) {
             return std::to_string(job->wait(milliseconds(200))) + std::to_string(job->finished());
         },
         "00", "ok", "ok"},
        {[&](Handle& job) { return category(job->outcome()); }, "invalid_argument", "ok", "ok"},
        {[](Handle& job) { return job.reset(), std::string(); }, "", "withdrawn", "unregistered"},
    };
    for (const auto& row : rows) {
        for (const bool inStatus : {false, true}) {
            const std::string& end = inStatus ? row.endInStatus : row.endInProgress;
            SCOPED_TRACE(row.answer + (inStatus ? " in on_status" : " in on_progress"));
            control::Reset();
            std::atomic<bool> ready{false}, sending{false}, acted{false}, done{false}, ended{false};
            std::atomic<int> calls{0};
            std::string answer;
            steady_clock::duration took{};
            Handle job;
            const auto act = [&](bool fromStatus) {
                ++calls;
                if (fromStatus == inStatus && ready && (sending || inStatus) &&
                    !acted.exchange(true)) {
                    const auto start = steady_clock::now();
                    answer = row.member(job);
                    took = steady_clock::now() - start;
                    done = true;
                }
            };
            JobOptions options{[&](const Progress& now) {
                                   sending = sending || now.phase == JobPhase::transferring;
                                   act(false);
                                   ended = now.phase == JobPhase::finished;
                               },
                               [&](const StatusNotification&) { act(true); }};
            job.emplace(client.upload(Upload(200000), std::move(options)));
            ready = true;
            const bool detaches = end == "withdrawn" || end == "unregistered";
            ASSERT_TRUE(WaitUntil([&] { return detaches ? done.load() : ended.load(); }));
            if (detaches) {
                // No call back once the handle is gone; the asset, if registered, withdrawn.
                const int callsBefore = calls;
                EXPECT_TRUE(
                    WaitUntil([&] { return end != "withdrawn" || Requested(kDeleteAssetPath); }));
                std::this_thread::sleep_for(milliseconds(300));
                EXPECT_EQ(calls.load(), callsBefore);
            }
            EXPECT_EQ(answer, row.answer);
            EXPECT_LT(took, milliseconds(100));
            const bool withdrawn = BodiesPostedTo(kDeleteAssetPath).size() == 1;
            EXPECT_EQ(job                           ? category(job->outcome())
                      : withdrawn                   ? "withdrawn"
                      : Requested(kCreateAssetPath) ? "left"
                                                    : "unregistered",
                      end);
        }
    }
}

// Each way a job ends is reported in its category, with the export's code, and leaves nothing
// on the service: a file cut short or grown mid-send is a local file failure too, and so is
// one changed while the send waits to resume. A withdrawal the service refuses names the asset
// that stayed. A broken FTP connection (control or data, at the first block, mid-file, at the
// last byte of a file, between two files) is outlived within the client's retry policy: the
// upload's and the share's files arrive byte for byte, in one asset or session, with one set
// of mails, each resume told to on_progress and no byte counted twice; once the policy is spent
// the job fails naming its attempts. A notification whose reply breaks off is not repeated.
// Over several connections (the client's default for the shares, which send a request file
// too; 1, 2 and 8 for five files), each logs in once and the files arrive as over one: a
// server that allows two connections refuses the others, a drop breaks one of them, which
// resumes while the others go on; only when no connection can log in does the job fail, and a
// cancel ends every connection, each stalled mid-file, within its bound.
// Two shares at once each have their own session and request file and mail every recipient; a
// malformed address is refused before anything is sent.
TEST_F(ClientJobs, JobOutcomesHaveTheirCategories) {
    UploadRequest tooBig = Upload(10);
    tooBig.files = {files_.Sparse("big.bin", 10'000'001)};
    UploadRequest unknownUser = Upload(10);
    unknownUser.user_id = "nobody";
    UploadRequest missingFile = Upload(10);
    missingFile.files.push_back("/nonexistent/x.bin");
    UploadRequest twoFiles = Upload(300000);
    twoFiles.files.push_back(files_.Write("b.bin", Pattern(200000, 2)));
    UploadRequest fiveFiles = twoFiles;
    for (unsigned int seed = 3; seed <= 5; ++seed) {
        fiveFiles.files.push_back(
            files_.Write(std::to_string(seed) + ".bin", Pattern(100000 * seed, seed)));
    }
    // Nothing listens: the job's first request waits 5 s before each new attempt.
    Config refusedConfig = client.config();
    refusedConfig.http_port = 9;
    refusedConfig.retry = {.retries = 5,
                           .budget = seconds(60),
                           .initial_backoff = seconds(5),
                           .max_backoff = seconds(5)};
    const Client unreachable(refusedConfig);
    // Reached, but the FTP port refuses: each new login waits 5 s.
    Config patientConfig = refusedConfig;
    patientConfig.http_port = client.config().http_port;
    const Client patient(patientConfig);
    const auto drop = [](const char* what, int bytes) { return nlohmann::json{{what, bytes}}; };
    const struct {
        UploadRequest request;
        nlohmann::json faults;
        bool cancel;
        std::optional<ErrorCategory> category; // none: the job succeeds
        unsigned int code;
        std::string reason = "";         // the worker's own, not only its failure class
        std::intmax_t resizeTo = -1;     // the file's new size once 1 MiB is sent
        bool withdrawalRefused = false;  // after a mail request the service refuses
        const Client* waiting = nullptr; // cancelled during this client's wait before a retry
        bool share = false;              // the files shared by mail instead
        bool atResume = false;           // resized when the send first resumes instead
        bool brokenNotice = false;       // the notification's reply breaks off
        unsigned int parallel = 0;       // the client's connections; 0: the default
        size_t busy = 0;                 // cancelled once this many STORs have begun
    } cases[] = {
        {tooBig, {}, false, ErrorCategory::no_space, 128},
        {missingFile, {}, false, ErrorCategory::local_file, 8},
        {unknownUser, {}, false, ErrorCategory::refused, 256},
        {Upload(10), {}, true, ErrorCategory::cancelled, 16384},
        {Upload(10),
         {{"refuse_login", true}},
         false,
         ErrorCategory::network,
         16,
         "refused the login"},
        {Upload(8'000'000),
         {},
         false,
         ErrorCategory::local_file,
         8,
         "changed while it was sent: measured 8000000 bytes",
         1000},
        {Upload(8'000'001),
         {},
         false,
         ErrorCategory::local_file,
         8,
         "sent 8000001, now 12000001 bytes long",
         12'000'001},
        {Upload(10), {}, false, ErrorCategory::refused, 0, "the roll-back left asset", -1, true},
        {Upload(10), {}, true, ErrorCategory::cancelled, 16384, "", -1, false, &unreachable},
        {twoFiles, drop("drop_data_after", 1), false, {}, 1},
        {twoFiles, drop("drop_control_after", 150000), false, {}, 1},
        {twoFiles, drop("drop_data_after", 299999), false, {}, 1},
        {twoFiles, drop("drop_control_after", 300000), false, {}, 1},
        {twoFiles, drop("drop_data_after", 499999), false, {}, 1},
        {.request = twoFiles, .faults = drop("drop_data_after", 1), .code = 1, .share = true},
        {.request = twoFiles,
         .faults = drop("drop_control_after", 300000),
         .code = 1,
         .share = true},
        {twoFiles, drop("drop_data_every", 100000), false, ErrorCategory::network, 16,
         "3 attempts"},
        {.request = twoFiles,
         .faults = drop("drop_control_every", 100000),
         .category = ErrorCategory::network,
         .code = 16,
         .reason = "3 attempts",
         .share = true},
        {.request = Upload(300000),
         .faults = drop("drop_data_after", 100000),
         .category = ErrorCategory::local_file,
         .code = 8,
         .reason = "changed while it was sent",
         .resizeTo = 1000,
         .atResume = true},
        {.request = Upload(300000),
         .faults = drop("refuse_connections_ms", 60000),
         .cancel = true,
         .category = ErrorCategory::cancelled,
         .code = 16384,
         .waiting = &patient},
        {.request = Upload(10),
         .category = ErrorCategory::network,
         .code = 32,
         .brokenNotice = true},
        {.request = fiveFiles, .code = 1, .parallel = 1},
        {.request = fiveFiles, .faults = {{"delay_ms", 20}}, .code = 1, .parallel = 2},
        {.request = fiveFiles, .faults = {{"delay_ms", 20}}, .code = 1, .parallel = 8},
        {.request = fiveFiles,
         .faults = {{"max_sessions", 2}, {"delay_ms", 20}},
         .code = 1,
         .parallel = 8},
        {.request = fiveFiles,
         .faults = {{"drop_data_after", 700000}, {"delay_ms", 20}},
         .code = 1,
         .parallel = 4},
        {.request = fiveFiles,
         .faults = {{"refuse_login", true}},
         .category = ErrorCategory::network,
         .code = 16,
         .reason = "refused the login",
         .parallel = 4},
        {.request = fiveFiles,
         .faults = {{"stall_stor_after", 65536}},
         .cancel = true,
         .category = ErrorCategory::cancelled,
         .code = 16384,
         .parallel = 4,
         .busy = 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        SCOPED_TRACE(c.faults.dump());
        control::Reset(true);
        ASSERT_TRUE(client.register_user({"ann", "pw", "7", {}}).has_value());
        control::SetQuota("ann", 10'000'000);
        control::FtpFaults(c.faults.is_null() ? nlohmann::json::object() : c.faults);
        if (c.withdrawalRefused) {
            ScriptReply(kSmtpMailPath, "result=FAIL");
            ScriptReply(kDeleteAssetPath, "result=FAIL");
        }
        if (c.brokenNotice) {
            ScriptBrokenReply(kSmtpMailPath);
        }
        std::atomic<bool> resized{false}, backwards{false};
        std::atomic<unsigned int> resumes{0};
        std::atomic<std::uint64_t> last{0};
        JobOptions options;
        options.on_progress = [&](const Progress& progress) {
            backwards = backwards || progress.bytes < last.exchange(progress.bytes);
            resumes = progress.resumes;
            const bool due = c.atResume ? progress.resumes > 0 : progress.bytes >= (1U << 20);
            if (c.resizeTo >= 0 && due && !resized.exchange(true)) {
                std::filesystem::resize_file(c.request.files[0], c.resizeTo);
            }
        };
        const auto follow = [&](auto job) -> std::optional<Error> {
            if (c.waiting != nullptr || c.busy != 0) {
                EXPECT_TRUE(WaitUntil([&] { return FtpCommands("STOR").size() >= c.busy; }));
                std::this_thread::sleep_for(milliseconds(300)); // into the wait, or the stall
            }
            const auto cancelled = steady_clock::now();
            if (c.cancel) {
                job.cancel();
            }
            const auto outcome = job.outcome();
            if (c.waiting != nullptr) {
                EXPECT_LT(steady_clock::now() - cancelled, seconds(2)); // not the 5 s wait
            }
            if (c.busy != 0) { // the aborts and the roll-back, as over one connection
                EXPECT_LT(steady_clock::now() - cancelled, seconds(4));
            }
            if (outcome) {
                EXPECT_EQ(job.progress().bytes, job.progress().total); // each byte counted once
                return std::nullopt;
            }
            return outcome.error();
        };
        std::optional<Client> parallel;
        if (c.parallel != 0) {
            Config config = client.config();
            config.parallel_transfers = c.parallel;
            parallel.emplace(config);
        }
        const Client& via = c.waiting != nullptr ? *c.waiting : parallel ? *parallel : client;
        const ShareRequest share{"ann@x.net",    {"bob@x.net", "cy@x.net"}, "Pics", "Hi", "Ann",
                                 c.request.files};
        const std::optional<Error> failure = c.share ? follow(via.share_by_email(share, options))
                                                     : follow(via.upload(c.request, options));
        control::FtpFaults(nlohmann::json::object());
        EXPECT_LE(BodiesPostedTo(c.share ? kFireEmailsPath : kSmtpMailPath).size(), 1U);
        if (!c.category) {
            ASSERT_FALSE(failure) << failure->reason;
            EXPECT_FALSE(backwards);
            EXPECT_EQ(resumes.load() >= 1U, c.faults.dump().find("drop_") != std::string::npos);
            // One asset with the files; a session with them and the request file.
            const size_t files = c.request.files.size();
            const std::vector<std::string> assets = LeftOnService("ann/7");
            ASSERT_EQ(assets.size(), c.share ? 0U : files + 1);
            const std::string dir = c.share ? SessionFromFtpLog() : "ann/7/" + assets[0];
            EXPECT_THAT(LeftOnService(dir), ::testing::SizeIs(c.share ? files + 1 : files));
            if (c.parallel != 0) {
                // Each connection logged in once, no more of them than files; with more than
                // one allowed, the files went over several.
                const FtpSessionLog log = control::FtpLog();
                std::set<std::string> storing;
                for (const auto& [session, command] : log.commands) {
                    if (command.starts_with("STOR")) {
                        storing.insert(session);
                    }
                }
                EXPECT_LE(log.logins, std::min<int>(c.parallel, 5) + int(resumes.load()));
                EXPECT_EQ(storing.size() > 1, c.parallel > 1) << log.logins;
            }
            for (const std::filesystem::path& local : c.request.files) {
                EXPECT_EQ(ReadBytes(FtpPath("assets/" + dir + "/" + local.filename().string())),
                          ReadBytes(local));
            }
            EXPECT_EQ(OutboxMessages().size(), c.share ? 2U : 1U);
            continue;
        }
        ASSERT_TRUE(failure);
        EXPECT_EQ(to_string(failure->category), to_string(*c.category));
        EXPECT_EQ(failure->code, c.code);
        EXPECT_THAT(failure->reason, HasSubstr(c.reason));
        EXPECT_EQ(failure->asset_number.empty(), !c.withdrawalRefused);
        EXPECT_THAT(LeftOnService(c.share ? "" : "ann/7"), IsEmpty());
        EXPECT_EQ(UsedSpace("ann"), "0");
    }

    control::Reset(true);
    ASSERT_TRUE(client.register_user({"ann", "pw", "7", {}}).has_value());
    const std::string picture = files_.Write("pic.jpg", "jpeg");
    const ShareRequest share{"ann@x.net", {"bob@x.net", "cy@x.net"}, "Pics", "Hi", "Ann",
                             {picture}};
    ShareJob first = client.share_by_email(share);
    ShareJob second = client.share_by_email(share);
    ASSERT_TRUE(first.outcome().has_value()) << first.outcome().error().reason;
    ASSERT_TRUE(second.outcome().has_value()) << second.outcome().error().reason;
    EXPECT_EQ(OutboxMessages().size(), 4U);
    ShareRequest malformed = share;
    malformed.recipients.push_back("eve@example.com, mallory@example.com");
    const size_t requests = control::RequestLog().size();
    const Result<ShareOutcome> refused = client.share_by_email(malformed).outcome();
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(to_string(refused.error().category), "invalid_argument");
    EXPECT_THAT(refused.error().reason, HasSubstr("mallory@example.com"));
    EXPECT_EQ(control::RequestLog().size(), requests);
}

// The page is served where the requests go: on a port that is not the scheme's own, the
// address names it.
TEST_F(ClientJobs, ThePageAddressNamesAPortOtherThanTheSchemes) {
    ServiceEnvironment other("127.0.0.2");
    other.SetExtraArguments({"--http-port", "8080"});
    other.SetUp();
    Config config = Config::from_environment();
    config.host = "127.0.0.2";
    config.http_port = 8080;
    const Client elsewhere(config);
    ASSERT_TRUE(elsewhere.register_user({"ann", "pw", "7", {}}).has_value());
    const Result<UploadOutcome> done = elsewhere.upload(Upload(10)).outcome();
    other.TearDown();
    ASSERT_TRUE(done.has_value()) << done.error().reason;
    EXPECT_THAT(done->page_address, HasSubstr("@127.0.0.2:8080/QDXAssets/ann/7/"));
}

} // namespace
} // namespace vanta::test
