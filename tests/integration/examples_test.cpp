// The programs in examples/, run as a user runs them against the reference service: a login
// checked, an upload followed to its end and then listed (also by the README's quick start),
// an upload cancelled with Ctrl-C.
#include "job_checks.h"

#include <gmock/gmock.h>

#include "child_process.h"

using namespace vanta::test;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

namespace {
std::vector<std::string> Example(const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), std::string(VANTA_BINARY_DIR) + "/examples/" + name);
    return args;
}

ChildResult RunExample(const std::string& name, const std::vector<std::string>& args,
                       ChildOptions options = {.timeout = std::chrono::seconds(30)}) {
    return RunChild(Example(name, args), options);
}

class Examples : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        RegisterUser("alice"); // password "pw", product 3
    }
    void TearDown() override { control::FtpFaults(nlohmann::json::object()); }

    LocalFiles files_;
};

TEST_F(Examples, ValidateLoginSaysWhatTheAnswerMeans) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } cases[] = {
        {{"alice", "pw", "3"}, 0, "valid login\n"},
        {{"alice", "bad", "3"}, 1, "refused: wrong password\n"},
        {{"alice", "pw"}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const ChildResult result = RunExample("validate_login", c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.out, c.out);
    }
    // A reply cut short is a network failure, told on stderr.
    ScriptBrokenReply("/cgiscripts/validate_user.exe");
    const ChildResult result = RunExample("validate_login", {"alice", "pw", "3"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_THAT(result.err, HasSubstr("could not be reached"));
}

TEST_F(Examples, UploadFollowedToItsEndThenListed) {
    const std::string photo = Pattern(5000);
    const ChildResult upload = RunExample("upload_with_progress",
                                          {"alice", "3", "Trip", files_.Write("photo.jpg", photo)});
    ASSERT_EQ(upload.exitCode, 0) << upload.out << upload.err;
    EXPECT_THAT(upload.out, StartsWith("asset 1 uploaded, password "));
    EXPECT_THAT(upload.out, HasSubstr("/QDXAssets/alice/3/1/index.asp\n"));
    EXPECT_THAT(upload.err, HasSubstr("sending"));
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, "1") / "photo.jpg"), photo);

    const ChildResult list = RunExample("list_assets", {"alice", "3"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_THAT(list.out, MatchesRegex("1\tTrip\t5000 bytes\t0 views\thttp://[^\n]*"
                                       "/QDXAssets/alice/3/1/index.asp\n"));
    const ChildResult none = RunExample("list_assets", {"alice", "4"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.out, "no assets\n");
    EXPECT_EQ(RunExample("validate_login", {"alice", "pw", "3"}).out,
              "valid login; the account has published assets under this product\n");
    // The README's quick start: a login, then the list; a refused login ends it.
    const ChildResult quick = RunExample("quick_start", {"alice", "pw", "3"});
    EXPECT_EQ(quick.exitCode, 0) << quick.err;
    EXPECT_EQ(quick.out, "1 Trip\n");
    const ChildResult refused = RunExample("quick_start", {"alice", "bad", "3"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("(result 8192)"));
}

TEST_F(Examples, CtrlCCancelsTheUploadAndNothingStaysListed) {
    // Slow FTP replies keep the job in its transfer when the interrupt comes.
    control::FtpFaults({{"delay_ms", 300}});
    const ChildResult upload = RunExample(
        "upload_with_progress", {"alice", "3", "Trip", files_.Write("big.jpg", Pattern(2000000))},
        {.timeout = std::chrono::seconds(60), .interruptOnStderr = "sending"});
    EXPECT_EQ(upload.exitCode, 130) << upload.out << upload.err;
    EXPECT_EQ(upload.out, "cancelled\n");
    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(RunExample("list_assets", {"alice", "3"}).out, "no assets\n");
}
} // namespace
