// The job exports right after load, and an unload while a job's worker still runs: the
// library stops the worker and waits for it before the job and its own code go away.
#include "upload_checks.h"

#include <gmock/gmock.h>

#include "child_process.h"

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {
TEST(UploadUnload, RightAfterLoadThereIsNoJob) {
    const ChildResult result = RunChild({HelperPath("upload_unload_probe"), "fresh"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "uploading=0 progress=0 cancel=0 code=16384 status=as passed\n");
}

// Returning from main with the worker logging in (every FTP reply slow) or stalled in the
// middle of a file (the server stops reading): the unload cancels the job, aborts its
// transfer and waits for the worker, within a bound, and the worker withdraws the asset.
struct ExitCase {
    const char* name;
    const char* mode;
    nlohmann::json faults;
    std::uint64_t size;
    size_t stors;
};

class UploadUnloadExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(UploadUnloadExit, CancelsTheJobAndWaitsForTheWorkerWithinABound) {
    const ExitCase& c = GetParam();
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
    EXPECT_THAT(Bodies(kDeleteAssetPath),
                ElementsAre("user_id=alice&asset_num =1&product_id =3\n"));
    EXPECT_EQ(FtpCommands("STOR").size(), c.stors);
}

INSTANTIATE_TEST_SUITE_P(
    Worker, UploadUnloadExit,
    ::testing::Values(
        ExitCase{"LoggingIn", "exit-running", {{"delay_ms", 400}}, 50000, 0},
        ExitCase{
            "StalledMidFile", "exit-sending", {{"stall_stor_after", 1 << 20}}, 64ULL << 20, 1}),
    [](const auto& p) { return std::string(p.param.name); });
} // namespace
