// The vanta commands over the account, asset, homepage and version exports, run as a user
// runs them: exit status, result names, JSON for scripts, and the update commands that keep
// what they are not told to change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "child_process.h"
#include "control_client.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::HasSubstr;

ChildResult Vanta(std::vector<std::string> args) {
    args.insert(args.begin(), CliPath());
    ChildOptions options;
    options.timeout = std::chrono::seconds(30);
    return RunChild(args, options);
}

// Runs with --json and parses the one object printed.
nlohmann::json VantaJson(std::vector<std::string> args, int expectedExit) {
    args.insert(args.begin(), "--json");
    const ChildResult r = Vanta(args);
    EXPECT_EQ(r.exitCode, expectedExit) << r.out << r.err;
    return nlohmann::json::parse(r.out, nullptr, false);
}

class AccountCommands : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        const ChildResult r = Vanta({"user", "register", "ann", "secret", "3", "--first", "Ann",
                                     "--last", "Lee", "--email", "ann@example.com"});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr("QDX_RegisterNewUser: NEW (65)"));
    }
};

TEST_F(AccountCommands, ExitStatusFollowsTheExportsResult) {
    const nlohmann::json valid = VantaJson({"user", "validate", "ann", "secret", "3"}, 0);
    EXPECT_EQ(valid["result"], 1);
    EXPECT_EQ(valid["valid"], true);

    const nlohmann::json wrong = VantaJson({"user", "validate", "ann", "nope", "3"}, 1);
    EXPECT_EQ(wrong["result"], 8192);
    EXPECT_EQ(wrong["result_name"], "STATUS_1 (8192)");

    const ChildResult again = Vanta({"user", "register", "ann", "other", "3"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.out, HasSubstr("WRONG_PASSWORD (8192)"));

    const nlohmann::json none = VantaJson({"asset", "list", "ann", "3"}, 1);
    EXPECT_EQ(none["result_name"], "NOROWS (2048)");
    EXPECT_TRUE(none["assets"].empty());

    ScriptBrokenReply("/cgiscripts/get_user_info.exe");
    const ChildResult broken = Vanta({"user", "get", "ann"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_THAT(broken.out, HasSubstr("CHANNEL_FAILURE (32)"));
}

TEST_F(AccountCommands, UpdatesChangeOnlyWhatTheyAreGiven) {
    ASSERT_EQ(Vanta({"user", "update", "ann", "secret", "--email", "new@example.com"}).exitCode, 0);
    const nlohmann::json user = VantaJson({"user", "get", "ann"}, 0);
    EXPECT_EQ(user["first"], "Ann");
    EXPECT_EQ(user["last"], "Lee");
    EXPECT_EQ(user["email"], "new@example.com");

    ASSERT_EQ(Vanta({"homepage", "set", "ann", "--title", "T", "--body", "B"}).exitCode, 0);
    ASSERT_EQ(Vanta({"homepage", "set", "ann", "--theme", "2"}).exitCode, 0);
    const nlohmann::json page = VantaJson({"homepage", "get", "ann"}, 0);
    EXPECT_EQ(page["title"], "T");
    EXPECT_EQ(page["body"], "B");
    EXPECT_EQ(page["theme"], "2");
    EXPECT_EQ(page["heading"], "");

    // A Latin-1 byte, which JSON cannot carry as it stands.
    ASSERT_EQ(Vanta({"homepage", "set", "ann", "--title", "Caf\xE9"}).exitCode, 0);
    EXPECT_EQ(VantaJson({"homepage", "get", "ann"}, 0)["title"], "Caf\xEF\xBF\xBD");

    ASSERT_EQ(Vanta({"homepage", "delete", "ann"}).exitCode, 0);
    const nlohmann::json gone = VantaJson({"homepage", "get", "ann"}, 1);
    EXPECT_EQ(gone["marker"], "NOROWS");
}

TEST_F(AccountCommands, ListsAndVersions) {
    CString created;
    ASSERT_EQ(QDX_SendHTTPRequest("UserId=ann&Name=Trip&Size=10&ProdId=3&AssetType=1"
                                  "&AssetDesc=d&FileCnt=1&File=a.jpg",
                                  "/cgiscripts/create_asset.exe", created, nullptr),
              1U);
    const nlohmann::json list = VantaJson({"asset", "list", "ann", "3"}, 0);
    ASSERT_EQ(list["assets"].size(), 1U);
    EXPECT_EQ(list["assets"][0]["text1"], "Trip");
    const std::string number = list["assets"][0]["asset_num"];
    const ChildResult info = Vanta({"asset", "info", "ann", number});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_THAT(info.out, HasSubstr("text1: Trip"));
    EXPECT_EQ(VantaJson({"asset", "stats", "ann", number}, 1)["result"], 2048);

    const nlohmann::json same = VantaJson({"version"}, 0);
    EXPECT_EQ(same["library"], "3.3");
    EXPECT_EQ(same["match"], true);
    ScriptReply("/cgiscripts/get_version.exe", "version=3.4");
    const nlohmann::json other = VantaJson({"version"}, 1);
    EXPECT_EQ(other["service"], "3.4");
    EXPECT_EQ(other["match"], false);
}

} // namespace
} // namespace vanta::test
