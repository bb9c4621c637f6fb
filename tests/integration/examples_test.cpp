// The programs in examples/, run as a user runs them against the reference service: a login
// checked, an upload followed to its end and then listed (also by the README's quick start).
#include "job_checks.h"

#include <gmock/gmock.h>

#include "child_process.h"

using namespace vanta::test;

namespace {
ChildResult RunExample(std::vector<std::string> args) {
    args[0] = std::string(VANTA_BINARY_DIR) + "/examples/" + args[0];
    return RunChild(args, {.timeout = std::chrono::seconds(60)});
}

class Examples : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        RegisterUser("alice"); // password "pw", product 3
    }
    LocalFiles files_;
};

// Each run in order against one service: its exit status and what it printed (a regular
// expression over stdout, then stderr).
TEST_F(Examples, EachProgramSaysWhatTheAnswerMeans) {
    const std::string photo = Pattern(5000);
    const std::string page = "http://[^\n]*/QDXAssets/alice/3/1/index.asp\n";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string output;
    } rows[] = {
        {{"validate_login", "alice", "pw", "3"}, 0, "valid login\n"},
        {{"validate_login", "alice", "bad", "3"}, 1, "refused: wrong password\n"},
        {{"upload_with_progress", "alice", "3", "Trip", files_.Write("photo.jpg", photo)},
         0,
         "asset 1 uploaded, password .*" + page + ".*sending.*"},
        {{"list_assets", "alice", "3"}, 0, "1\tTrip\t5000 bytes\t0 views\t" + page},
        // The README's quick start: a login, then the list; a refused login ends it.
        {{"quick_start", "alice", "pw", "3"}, 0, "1 Trip\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const ChildResult run = RunExample(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_THAT(run.out + run.err, ::testing::ContainsRegex("^" + row.output));
    }
    EXPECT_EQ(ReadBytes(AssetDir("alice", 3, "1") / "photo.jpg"), photo);
    // A reply cut short is a network failure, told on stderr.
    ScriptBrokenReply("/cgiscripts/validate_user.exe");
    const ChildResult broken = RunExample({"validate_login", "alice", "pw", "3"});
    EXPECT_EQ(broken.exitCode, 3);
    EXPECT_THAT(broken.err, ::testing::HasSubstr("could not be reached"));
}

} // namespace
