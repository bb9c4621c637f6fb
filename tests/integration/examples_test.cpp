// The programs in examples/, run as a user runs them against the reference service: a login
// checked, an upload followed to its end and then listed (also by the README's quick start).
#include "job_checks.h"

#include <gmock/gmock.h>

#include <functional>
#include <regex>

#include "child_process.h"
#include "scripted_replies.h"

using namespace vanta::test;

namespace {

// Each run in order against one service: its exit status and what it printed (a POSIX extended
// regular expression over stdout, then stderr). A reply cut short is a network failure, told on
// stderr.
TEST(Examples, EachProgramSaysWhatTheAnswerMeans) {
    control::Reset(true);
    RegisterUser("alice"); // password "pw", product 3
    LocalFiles files;
    const std::string photo = Pattern(5000);
    const std::string page = "http://[^\n]*/QDXAssets/alice/3/1/index.asp\n";
    const struct {
        std::vector<std::string> args; // the program in examples/, then its arguments
        int exitCode;
        std::string output;
        std::function<void()> before = [] {};
    } rows[] = {
        {{"validate_login", "alice", "pw", "3"}, 0, "valid login\n"},
        {{"validate_login", "alice", "bad", "3"}, 1, "refused: wrong password\n"},
        {{"upload_with_progress", "alice", "3", "Trip", files.Write("photo.jpg", photo)},
         0,
         "asset 1 uploaded, password .*" + page + ".*sending.*"},
        {{"list_assets", "alice", "3"}, 0, "1\tTrip\t5000 bytes\t0 views\t" + page},
        // The README's quick start: a login, then the list.
        {{"quick_start", "alice", "pw", "3"}, 0, "1 Trip\n"},
        {{"validate_login", "alice", "pw", "3"},
         3,
         "the service could not be reached",
         [] { ScriptBrokenReply("/cgiscripts/validate_user.exe"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        row.before();
        std::vector<std::string> argv = row.args;
        argv[0] = std::string(VANTA_BINARY_DIR) + "/examples/" + argv[0];
        const ChildResult run = RunChild(argv, {.timeout = std::chrono::seconds(60)});
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        // std::regex, not GoogleTest's own: on Windows GoogleTest knows no bracket expressions.
        const std::string said = run.out + run.err;
        EXPECT_TRUE(std::regex_search(said, std::regex("^" + row.output, std::regex::extended)))
            << said;
    }
    EXPECT_EQ(ReadBytes(FtpPath("assets/alice/3/1/photo.jpg")), photo);
}

} // namespace
