// The vanta command run as a user runs it, one table per command group: exit status, the one
// failure line, --json held to docs/vanta-json.schema.json, and the service's state after.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli_checks.h"
#include "control_client.h"
#include "ftp_checks.h"
#include "registry_file.h"
#include "scripted_replies.h"
#include "service_fixture.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

struct Case {
    std::string name;
    std::vector<std::string> args; // after --json
    int exit;
    std::string failure; // "" for none; else in the one stderr line
    std::function<void()> before = [] {};
    std::function<void(const nlohmann::json&)> check = [](const nlohmann::json&) {};
    ChildOptions options = {};
};

// Runs each case with --json and holds it to its exit status, its failure line and the schema.
// A usage error (2) must not have reached the service.
void RunTable(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(false);
        c.before();
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--json");
        const ChildResult r = Vanta(args, c.options);
        EXPECT_EQ(r.exitCode, c.exit) << r.out << r.err;
        const nlohmann::json out = nlohmann::json::parse(r.out, nullptr, false);
        EXPECT_THAT(OutputSchemaProblems(out), IsEmpty()) << r.out;
        EXPECT_EQ(out.value("exit_status", -1), c.exit);
        const std::vector<std::string> errLines = Lines(r.err);
        if (c.failure.empty()) {
            EXPECT_THAT(errLines, IsEmpty());
        } else {
            ASSERT_EQ(errLines.size(), 1U) << r.err;
            const std::string command = out.value("command", "");
            const std::string prefix = "vanta: " + (command.empty() ? "" : command + ": ");
            EXPECT_THAT(errLines[0], StartsWith(prefix));
            EXPECT_THAT(errLines[0], HasSubstr(c.failure));
            EXPECT_EQ(prefix + out.value("reason", ""), errLines[0]);
        }
        if (c.exit == 2) {
            EXPECT_THAT(control::RequestLog(), IsEmpty());
        }
        c.check(out);
    }
}

ChildOptions Stdin(const std::string& text) {
    return {.input = text};
}
ChildOptions PasswordVariable(const std::string& password) {
    return {.env = {{"VANTA_PASSWORD", password}}};
}

class CliCommands : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        const ChildResult r =
            Vanta({"user", "register", "--user", "ann", "--product", "3", "--first-name", "Ann",
                   "--last-name", "Lee", "--email", "ann@example.com", "--password-stdin"},
                  Stdin("secret\n"));
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr("registration: new\n"));
    }
};

TEST_F(CliCommands, AccountsHomepagesAndVersions) {
    RunTable({
        {"valid login, password from the environment",
         {"user", "validate", "--user", "ann", "--product", "3"},
         0,
         "",
         [] {},
         [](const auto& j) {
             EXPECT_EQ(j["result_name"], "VALID");
             EXPECT_EQ(j["published"], false);
             EXPECT_EQ(j["has_homepage"], false);
         },
         PasswordVariable("secret")},
        {"wrong password from stdin",
         {"user", "validate", "--user", "ann", "--product", "3", "--password-stdin"},
         1,
         "wrong password",
         [] {},
         [](const auto&) {},
         Stdin("nope\n")},
        {"no password to be had",
         {"user", "validate", "--user", "ann", "--product", "3"},
         2,
         "a password is needed"},
        {"stdin ends before the password",
         {"user", "validate", "--user", "ann", "--product", "3", "--password-stdin"},
         2,
         "stdin ended"},
        {"register again with another password",
         {"user", "register", "--user", "ann", "--product", "3", "--password-stdin"},
         1,
         "the user exists with another password",
         [] {},
         [](const auto&) {},
         Stdin("other\n")},
        {"register a further product",
         {"user", "register", "--user", "ann", "--product", "4", "--password-stdin"},
         0,
         "",
         [] {},
         [](const auto& j) { EXPECT_EQ(j["registration"], "new_product"); },
         Stdin("secret\n")},
        {"update one detail",
         {"user", "update", "--user", "ann", "--email", "new@example.com"},
         0,
         "",
         [] {},
         [](const auto&) {},
         PasswordVariable("secret")},
        {"the record keeps what the update was not given",
         {"user", "get", "--user", "ann"},
         0,
         "",
         [] {},
         [](const auto& j) {
             EXPECT_EQ(j["first_name"], "Ann");
             EXPECT_EQ(j["email"], "new@example.com");
             EXPECT_EQ(j["product_count"], 2);
         }},
        {"unknown user", {"user", "get", "--user", "bob"}, 1, "no such user"},
        {"delete an unknown user", {"user", "delete", "--user", "bob"}, 1, "no such user"},
        {"no homepage yet",
         {"homepage", "get", "--user", "ann"},
         1,
         "the user has no homepage record"},
        {"homepage from nothing", {"homepage", "set", "--user", "ann", "--title", "T"}, 0, ""},
        {"homepage keeps what set was not given",
         {"homepage", "set", "--user", "ann", "--theme", "2"},
         0,
         ""},
        {"homepage read back",
         {"homepage", "get", "--user", "ann"},
         0,
         "",
         [] {},
         [](const auto& j) {
             EXPECT_EQ(j["title"], "T");
             EXPECT_EQ(j["theme"], "2");
             EXPECT_EQ(j["reply_to"], "");
         }},
        {"versions match",
         {"version"},
         0,
         "",
         [] {},
         [](const auto& j) { EXPECT_EQ(j["match"], true); }},
        {"versions differ",
         {"version"},
         1,
         "the service offers version 3.4, this library is 3.3",
         [] { ScriptReply("/cgiscripts/get_version.exe", "version=3.4"); }},
        {"unknown command",
         {"user", "frobnicate"},
         2,
         "unknown command 'frobnicate'; the commands are validate, register"},
        {"unknown top-level command", {"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {"a group without its command", {"asset"}, 2, "a command is needed: info, list"},
        {"missing option", {"user", "get"}, 2, "--user is required"},
        {"unknown option",
         {"user", "get", "--user", "ann", "--bogus"},
         2,
         "unknown option '--bogus'"},
        {"product is a number",
         {"asset", "list", "--user", "ann", "--product", "x"},
         2,
         "--product"},
        {"server port out of range",
         {"--server", "127.0.0.1:99999", "version"},
         2,
         "--server: the port must be a number from 1 to 65535"},
    });
}

TEST_F(CliCommands, CatalogueUploadsAndMail) {
    const std::string local = ServiceEnvironment::Instance().WorkDir() + "/photo.jpg";
    WriteBytes(local, std::string(5000, 'p'));
    RunTable({
        {"empty list is a success",
         {"asset", "list", "--user", "ann", "--product", "3"},
         0,
         "",
         [] {},
         [](const auto& j) { EXPECT_TRUE(j["assets"].empty()); }},
        {"upload and notify",
         {"upload", "--user", "ann", "--product", "3", "--name", "Trip", "--to",
          "bob@example.com:download:Bob Brown", "--to", "cy@example.com", local},
         0,
         "",
         [] {},
         [](const auto& j) {
             EXPECT_EQ(j["asset_number"], 1);
             EXPECT_THAT(j["page_address"].template get<std::string>(),
                         HasSubstr("/QDXAssets/ann/3/1/index.asp"));
             EXPECT_THAT(BodiesPostedTo("/cgiscripts/smtp_mail.exe"),
                         ElementsAre(HasSubstr("&Email0=bob@example.com&ViewType0=1&RecipName0=Bob "
                                               "Brown&Email1=cy@example.com&ViewType1=0")));
         }},
        {"the list holds the asset, typed",
         {"asset", "list", "--user", "ann", "--product", "3"},
         0,
         "",
         [] {},
         [](const auto& j) {
             ASSERT_EQ(j["assets"].size(), 1U);
             EXPECT_EQ(j["assets"][0]["name"], "Trip");
             EXPECT_EQ(j["assets"][0]["declared_size"], 5000);
             EXPECT_EQ(j["assets"][0]["files"], nlohmann::json::array({"photo.jpg"}));
         }},
        {"day numbers become UTC times",
         {"asset", "info", "--user", "ann", "--asset", "1"},
         0,
         "",
         [] {
             ScriptReply("/cgiscripts/get_asset.exe",
                         "n=Trip&d=&p=3&t=1&s=10&i=id&w=pw&c=46362.57&f=2&a=http://x&v=7&"
                         "names=a.jpg|b.jpg");
         },
         [](const auto& j) {
             EXPECT_EQ(j["created"], "2026-12-06T13:40:48Z");
             EXPECT_EQ(j["page_views"], 7);
             EXPECT_EQ(j["files"], nlohmann::json::array({"a.jpg", "b.jpg"}));
         }},
        {"statistics days become dates",
         {"asset", "stats", "--user", "ann", "--asset", "1"},
         0,
         "",
         [] { ScriptReply("/cgiscripts/get_stats.exe", "d=20240601&v=3&d=20240230&v=1"); },
         [](const auto& j) {
             EXPECT_EQ(j["days"], nlohmann::json::parse(R"([{"date": "2024-06-01",
                 "page_views": 3}, {"date": null, "page_views": 1}])"));
         }},
        {"unknown asset",
         {"asset", "info", "--user", "ann", "--asset", "99"},
         1,
         "the service knows no such asset of this user"},
        {"quota and use in bytes",
         {"disk-space", "--user", "ann", "--product", "3"},
         0,
         "",
         [] {},
         [](const auto& j) {
             EXPECT_EQ(j["quota_bytes"], 104857600);
             EXPECT_EQ(j["used_bytes"], 5000);
         }},
        {"purge removes the files too",
         {"asset", "delete", "--user", "ann", "--product", "3", "--asset", "1", "--purge"},
         0,
         "",
         [] {},
         [](const auto& j) {
             EXPECT_EQ(j["removed_files"], nlohmann::json::array({"photo.jpg"}));
             EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/ann/3/1")));
         }},
        {"a withdrawn asset cannot be deleted again",
         {"asset", "delete", "--user", "ann", "--product", "3", "--asset", "1"},
         1,
         "the service knows no such asset of this user"},
        {"purge takes plain names only",
         {"asset", "delete", "--user", "ann", "--product", "3", "--asset", "../1", "--purge"},
         2,
         "--purge needs"},
        {"share files by mail",
         {"email", "--from", "ann@example.com", "--to", "bob@example.com", "--subject", "Trip",
          "--message", "See you", "--sender-name", "Ann", local},
         0,
         "",
         [] {},
         [](const auto&) {
             int shares = 0;
             for (const auto& mail :
                  std::filesystem::directory_iterator(ServiceDataDir() + "/outbox")) {
                 shares += mail.path().string().ends_with("-share.eml") ? 1 : 0;
             }
             EXPECT_EQ(shares, 1);
         }},
        {"a recipient's view is view or download",
         {"upload", "--user", "ann", "--product", "3", "--name", "T", "--to", "b@x.org:sideways",
          local},
         2,
         "the view must be view (0) or download (1)"},
    });
}

TEST_F(CliCommands, FtpAndSelfUpdate) {
    const std::string local = ServiceEnvironment::Instance().WorkDir() + "/cli-put.txt";
    WriteBytes(local, "from the command line");
    std::filesystem::create_directories(FtpPath("assets/u1/album"));
    const std::string target = ServiceEnvironment::Instance().WorkDir() + "/update";
    std::filesystem::create_directories(target);
    RunTable({
        {"put",
         {"ftp", "put", "--dir", "/assets/u1", "--name", "cli.txt", local},
         0,
         "",
         [] {},
         [](const auto&) {
             EXPECT_EQ(ReadBytes(FtpPath("assets/u1/cli.txt")), "from the command line");
         }},
        {"check finds it",
         {"ftp", "check", "--dir", "u1", "--name", "cli.txt"},
         0,
         "",
         [] {},
         [](const auto& j) { EXPECT_EQ(j["found"], true); }},
        {"check misses",
         {"ftp", "check", "--dir", "u1", "--name", "none"},
         0,
         "",
         [] {},
         [](const auto& j) { EXPECT_EQ(j["found"], false); }},
        {"rm of nothing",
         {"ftp", "rm", "--dir", "u1", "--name", "nothing.txt"},
         1,
         "nothing removed"},
        {"rmdir",
         {"ftp", "rmdir", "--dir", "/assets/u1/album"},
         0,
         "",
         [] {},
         [](const auto&) { EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/u1/album"))); }},
        {"update download",
         {"update", "download", target},
         0,
         "",
         [] {},
         [&](const auto&) { EXPECT_TRUE(std::filesystem::exists(target + "/VantaAPI.dll")); }},
    });
}

// One line per failure class, in text mode as a user sees it.
TEST_F(CliCommands, EachFailureClassSaysWhy) {
    const std::string unreachable = ServiceEnvironment::Instance().WorkDir() + "/elsewhere.reg";
    // All of 127/8 is loopback, but the service listens on 127.0.0.1 only.
    WriteRegistryFile(unreachable, {.server = "127.0.0.2"});
    const ChildOptions elsewhere{.env = {{"VANTA_REGISTRY", unreachable}}};
    struct FailureCase {
        std::string name;
        std::function<void()> before;
        std::vector<std::string> args;
        ChildOptions options;
        int exit;
        std::string line;
    };
    const std::vector<FailureCase> cases = {
        {"refused",
         [] { ScriptReply("/cgiscripts/get_user_info.exe", "u=QDX_FAIL"); },
         {"user", "get", "--user", "ann"},
         {},
         1,
         "vanta: user get: the service could not read the user's record"},
        {"unreachable",
         [] {},
         {"user", "get", "--user", "ann"},
         elsewhere,
         3,
         "vanta: user get: cannot connect to 127.0.0.2 port 80"},
        {"unreachable by FTP",
         [] {},
         {"ftp", "check", "--dir", "u1", "--name", "x"},
         elsewhere,
         3,
         "vanta: ftp check: cannot connect to 127.0.0.2 port 21"},
        {"time-out",
         [] {
             ReplyScript slow;
             slow.path = "/cgiscripts/get_user_info.exe";
             slow.delay_ms = 3000;
             control::Script(slow);
         },
         {"user", "get", "--user", "ann"},
         {},
         3,
         "vanta: user get: timed out"},
        {"refused login",
         [] {
             control::FtpFaults({{"refuse_login", true}});
         },
         {"ftp", "check", "--dir", "u1", "--name", "x"},
         {},
         1,
         "vanta: ftp check: "},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(false);
        c.before();
        const ChildResult r = Vanta(c.args, c.options);
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_EQ(r.out, "");
        ASSERT_EQ(Lines(r.err).size(), 1U) << r.err;
        EXPECT_THAT(r.err, StartsWith(c.line));
    }
}

// Text from the service reaches the terminal with its control characters escaped.
TEST_F(CliCommands, ControlCharactersAreShownEscaped) {
    struct EscapeCase {
        std::string name;
        std::function<void()> before;
        std::vector<std::string> args;
        std::string out; // a line of stdout
        std::string err; // the start of stderr
    };
    const std::vector<EscapeCase> cases = {
        {"stored title",
         [] {},
         {"homepage", "set", "--user", "ann", "--title", "\x1b[31mRed\a"},
         "",
         ""},
        {"read back", [] {}, {"homepage", "get", "--user", "ann"}, "title: \\x1B[31mRed\\x07", ""},
        {"latin-1 byte",
         [] { ScriptReply("/cgiscripts/get_homepage.exe", "t=Caf\xE9&h=&b=&t=&r="); },
         {"homepage", "get", "--user", "ann"},
         "title: Caf\\xE9",
         ""},
        {"raw reply",
         [] { ScriptReply("/cgiscripts/x.exe", "a=\x1b]0;pwn\a&b=\r\n"); },
         {"request", "--program", "/cgiscripts/x.exe"},
         "a=\\x1B]0;pwn\\x07&b=\\x0D",
         ""},
        {"failure line",
         [] { ScriptReply("/cgiscripts/get_version.exe", "v=\x1b[2J"); },
         {"version"},
         "",
         "vanta: version: the service offers version \\x1B[2J,"},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(false);
        c.before();
        const ChildResult r = Vanta(c.args);
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << r.out;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
        if (!c.out.empty()) {
            EXPECT_THAT(Lines(r.out), ::testing::Contains(c.out)) << r.out;
        }
        EXPECT_THAT(r.err, StartsWith(c.err));
    }
}

} // namespace
} // namespace vanta::test
