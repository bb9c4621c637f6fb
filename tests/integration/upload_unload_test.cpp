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

TEST(UploadUnload, ExitWithARunningJobCancelsItAndWaitsForTheWorker) {
    control::Reset(true);
    RegisterUser("alice");
    LocalFiles files;
    const std::string path = files.Write("slow.bin", Pattern(50000));
    // Every FTP reply waits, so the worker is still logging in when the process exits.
    control::FtpFaults({{"delay_ms", 400}});
    const ChildResult result = RunChild({HelperPath("upload_unload_probe"), "exit-running", path},
                                        ChildOptions{.timeout = std::chrono::seconds(30)});
    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "running=1\n");
    // Neither the worker nor the network layer beneath it may outlive what it uses.
    EXPECT_THAT(result.err, Not(HasSubstr("Sanitizer")));
    EXPECT_THAT(result.err, Not(HasSubstr("runtime error")));
    // The worker saw the cancel request after registering the asset and withdrew it.
    EXPECT_THAT(Bodies(kDeleteAssetPath),
                ElementsAre("user_id=alice&asset_num =1&product_id =3\n"));
    EXPECT_TRUE(FtpCommands("STOR").empty());
}
} // namespace
