// The vanta command run as a user runs it, against the reference service (serving TLS too,
// with a CA made for this run): each command's --json record held to
// docs/vanta-json.schema.json and to what the service holds, the exit status and the one
// failure line of each class of failure, the settings' precedence, and escaped service text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "control_client.h"
#include "ftp_checks.h"
#include "json_schema_check.h"
#include "registry_file.h"
#include "scripted_replies.h"
#include "service_fixture.h"

namespace vanta::test {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

ChildResult Vanta(std::vector<std::string> args, ChildOptions options = {}) {
    args.insert(args.begin(), CliPath());
    options.unsetEnv.push_back("VANTA_PASSWORD");
    options.timeout = std::min(options.timeout, std::chrono::milliseconds(30000));
    return RunChild(args, options);
}

// The problems of one --json output against the envelope and its command's part of the
// schema, closed: a field the schema does not name is a problem too.
std::vector<std::string> OutputSchemaProblems(const nlohmann::json& out) {
    static const nlohmann::json root = nlohmann::json::parse(
        std::ifstream(std::string(VANTA_SOURCE_DIR) + "/docs/vanta-json.schema.json"));
    if (!out.is_object() || !out.contains("command")) {
        return {"not an object with a command: " + out.dump()};
    }
    nlohmann::json merged = root["$defs"]["envelope"];
    // A failure before any command was chosen has no part of its own.
    nlohmann::json own =
        root["$defs"].value(out["command"].get<std::string>(), nlohmann::json::object());
    while (own.contains("$ref")) {
        own = root["$defs"][own["$ref"].get<std::string>().substr(8)];
    }
    const nlohmann::json properties = own.value("properties", nlohmann::json::object());
    for (const auto& property : properties.items()) {
        merged["properties"][property.key()] = property.value();
    }
    if (out.value("ok", false)) {
        for (const auto& name : own.value("required", nlohmann::json::array())) {
            merged["required"].push_back(name);
        }
    }
    return SchemaProblems(root, merged, out, true);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Work(const std::string& name) {
    return ServiceEnvironment::Instance().WorkDir() + "/" + name;
}

class Cli : public ::testing::Test {
protected:
    // Once per executable: a CA of its own, and the service restarted to serve HTTPS and FTPS
    // beside plain HTTP and FTP.
    static void SetUpTestSuite() {
        const ChildResult made =
            RunChild({std::string(VANTA_SOURCE_DIR) + "/scripts/make-test-ca", Work("ca")},
                     {.timeout = std::chrono::seconds(60)});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        ServiceEnvironment& service = ServiceEnvironment::Instance();
        service.StopService();
        service.SetExtraArguments(
            {"--tls-cert", Work("ca/server.pem"), "--tls-key", Work("ca/server.key")});
        service.StartService();
    }
    void SetUp() override { control::Reset(true); }
};

// Scripts the service's next reply of a CGI program.
std::function<void()> Reply(const std::string& program, const std::string& body) {
    return [=] { ScriptReply("/cgiscripts/" + program, body); };
}

// The words of a command line, split at spaces.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

struct Step {
    std::string args; // after --json
    int exit;
    std::string expected = "{}"; // JSON object: JSON pointer -> the value the output holds there
    std::string failure = "";    // in the one failure line
    std::string input = "";      // stdin
    bool password = false;       // VANTA_PASSWORD=secret
    std::function<void()> before = [] {};
};

// Runs the steps in order, each with --json: its exit status, its record (schema and values)
// and its failure line, which must repeat the record's reason. A usage error sends nothing.
void RunSteps(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args);
        control::Reset(false);
        step.before();
        std::vector<std::string> args = Words("--json " + step.args);
        ChildOptions options{.input = step.input};
        if (step.password) {
            options.env = {{"VANTA_PASSWORD", "secret"}};
        }
        const ChildResult r = Vanta(args, options);
        const json out = json::parse(r.out, nullptr, false);
        EXPECT_EQ(r.exitCode, step.exit) << r.out << r.err;
        EXPECT_EQ(out.value("exit_status", -1), step.exit);
        EXPECT_THAT(OutputSchemaProblems(out), IsEmpty()) << r.out;
        const json expected = json::parse(step.expected);
        for (const auto& [pointer, value] : expected.items()) {
            EXPECT_EQ(out.value(json::json_pointer(pointer), json()), value) << pointer;
        }
        const std::string command = out.value("command", "");
        if (step.failure.empty()) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.err, "vanta: " + (command.empty() ? "" : command + ": ") +
                                 out.value("reason", "") + "\n");
            EXPECT_THAT(r.err, HasSubstr(step.failure));
        }
        if (step.exit == 2) {
            EXPECT_THAT(control::RequestLog(), IsEmpty());
        }
    }
}

TEST_F(Cli, EveryCommandsRecordAgainstTheService) {
    const std::string photo = Work("photo.jpg");
    WriteBytes(photo, std::string(5000, 'p'));
    std::filesystem::create_directories(FtpPath("assets/u1/album"));
    std::filesystem::create_directories(Work("update"));
    const std::string validate = "user validate --user ann --product 3";
    RunSteps({
        {"user register --user ann --product 3 --first-name Ann --password-stdin", 0,
         R"({"/registration": "new", "/user_number": 1, "/result": 65})", "", "secret\n"},
        {validate, 0, R"({"/valid": true, "/published": false, "/result_name": "SUCCESS"})", "", "",
         true},
        {validate + " --password-stdin", 1,
         R"({"/valid": false, "/result": 8192, "/result_name": "WRONG_PASSWORD"})",
         "wrong password", "nope\n"},
        {validate, 2, "{}", "a password is needed"},
        {"user register --user ann --product 4", 0, R"({"/registration": "new_product"})", "", "",
         true},
        {"user update --user ann --email new@example.com", 0, "{}", "", "", true},
        {"user get --user ann", 0,
         R"({"/first_name": "Ann", "/email": "new@example.com", "/product_count": 2})"},
        {"user get --user bob", 1, R"({"/result_name": "UNKNOWN_USER"})", "no such user"},
        {"upload --user ann --product 3 --name Trip --to bob@example.com:download:Bob " + photo, 0,
         R"({"/asset_number": 1})"},
        {"asset list --user ann --product 3", 0,
         R"({"/assets/0/name": "Trip", "/assets/0/declared_size": 5000,
             "/assets/0/files": ["photo.jpg"]})"},
        {"asset info --user ann --asset 1", 0,
         R"({"/created": "2026-12-06T13:40:48Z", "/page_views": 7, "/files": ["a", "b"]})", "", "",
         false,
         Reply("get_asset.exe", "n=T&d=&p=3&t=1&s=10&i=i&w=w&c=46362.57&f=2&a=x&v=7&names=a|b")},
        {"asset stats --user ann --asset 1", 0,
         R"({"/days": [{"date": "2024-06-01", "page_views": 3}]})", "", "", false,
         Reply("get_stats.exe", "d=20240601&v=3")},
        {"disk-space --user ann --product 3", 0,
         R"({"/quota_bytes": 104857600, "/used_bytes": 5000})"},
        {"homepage get --user ann", 1, "{}", "no homepage"},
        {"homepage set --user ann --title T", 0},
        {"homepage set --user ann --theme 2", 0},
        {"homepage get --user ann", 0, R"({"/title": "T", "/theme": "2"})"},
        {"email --from ann@example.com --to bob@example.com --subject S " + photo, 0,
         R"({"/to": ["bob@example.com"]})"},
        {"ftp put --dir /assets/u1 --name c.txt " + photo, 0},
        {"ftp check --dir u1 --name c.txt", 0, R"({"/found": true})"},
        {"ftp rm --dir u1 --name none", 1, R"({"/result": 1024})", "no such file"},
        {"ftp rmdir --dir /assets/u1/album", 0},
        {"update download " + Work("update"), 0,
         json({{"/file", Work("update") + "/VantaAPI.dll"}}).dump()},
        {"version", 0, R"({"/match": true})"},
        {"version", 1, R"({"/match": false})",
         "the service offers version 3.4, this library is 3.3", "", false,
         Reply("get_version.exe", "version=3.4")},
        {"request --program /cgiscripts/get_version.exe", 0, R"({"/reply": "version=3.3"})"},
        {"asset delete --user ann --product 3 --asset 1 --purge", 0,
         R"({"/removed_files": ["photo.jpg"], "/purged": true})"},
        // The command line's own mistakes: nothing is sent.
        {"user frobnicate", 2, "{}", "unknown command 'frobnicate'; the commands are"},
        {"asset", 2, "{}", "a command is needed: info, list"},
        {"user get", 2, "{}", "--user is required"},
        {"--server 127.0.0.1:99999 version", 2, "{}", "the port must be a number"},
        {"asset delete --user a --product 3 --asset ../1 --purge", 2, "{}", "--purge needs"},
        {"upload --user a --product 3 --name T --to b@x:sideways " + photo, 2, "{}",
         "the view must be view (0) or download (1)"},
        // Passwords never go on the command line: there is no option that takes one.
        {validate + " --password secret", 2, "{}", "--password"},
        {"--login-password x version", 2, "{}", "--login-password"},
        {"--ca-file " + Work("none.pem") + " version", 2, "{}", "none.pem"},
    });
}

// In text mode: each failure class's exit status and its one line on stderr; each setting's
// precedence, flag over environment over registry file, TLS included; and text from the
// service shown with its control characters escaped, in a record and in a failure line.
TEST_F(Cli, TextOutputFailureClassesAndSettings) {
    WriteRegistryFile(Work("elsewhere.reg"), {.server = "127.0.0.2"});
    const std::pair<std::string, std::string> elsewhere{"VANTA_REGISTRY", Work("elsewhere.reg")};
    const std::pair<std::string, std::string> tlsOn{"VANTA_TLS", "1"};
    const std::string ca = Work("ca/ca.pem");
    const auto slowVersion = [] {
        ReplyScript slow;
        slow.path = "/cgiscripts/get_version.exe";
        slow.delay_ms = 3000;
        control::Script(slow);
    };
    const struct {
        std::string args;
        std::vector<std::pair<std::string, std::string>> env;
        int exit;
        std::string line; // the start of a line of stdout or stderr; "" for none
        std::function<void()> before = [] {};
    } cases[] = {
        {"user get --user ann",
         {},
         1,
         "vanta: user get: ",
         Reply("get_user_info.exe", "u=QDX_FAIL")},
        {"version", {elsewhere}, 3, "vanta: version: cannot connect to 127.0.0.2 port 80"},
        {"ftp check --dir u --name x",
         {elsewhere},
         3,
         "vanta: ftp check: cannot connect to 127.0.0.2 port 21"},
        {"--server 127.0.0.1 version", {elsewhere}, 0, "match: true"},
        {"version", {}, 3, "vanta: version: timed out", slowVersion},
        {"version", {{"VANTA_HTTP_PORT", "x"}}, 1, "vanta: version: VANTA_HTTP_PORT=x is not"},
        {"--server 127.0.0.1:80 version", {{"VANTA_HTTP_PORT", "x"}}, 0, ""},
        {"--tls --ca-file " + ca + " --server localhost version", {}, 0, ""},
        {"--server localhost update download " + Work(""), {tlsOn, {"VANTA_CA_FILE", ca}}, 0, ""},
        {"--no-tls --server localhost version", {tlsOn}, 0, ""},
        {"--tls --server localhost version",
         {},
         3,
         "vanta: version: the certificate of localhost port 443 is not trusted"},
        {"--tls --ca-file " + ca + " --server 127.0.0.1 ftp check --dir u --name x",
         {},
         3,
         "vanta: ftp check: the certificate of 127.0.0.1 port 21 is not trusted"},
        {"homepage get --user ann",
         {},
         0,
         "title: \\x1B[31mRed\\x07",
         Reply("get_homepage.exe", "t=\x1b[31mRed\a&h=&b=&t=2&r=")},
        {"homepage get --user ann",
         {},
         0,
         "title: Caf\\xE9",
         Reply("get_homepage.exe", "t=Caf\xE9&h=&b=&t=&r=")},
        {"request --program /cgiscripts/x.exe",
         {},
         0,
         "a=\\x1B]0;x\\x07&b=\\x0D",
         Reply("x.exe", "a=\x1b]0;x\a&b=\r\n")},
        {"version",
         {},
         1,
         "vanta: version: the service offers version \\x1B[2J, this library",
         Reply("get_version.exe", "v=\x1b[2J")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        control::Reset(false);
        c.before();
        const ChildResult r = Vanta(Words(c.args), {.env = c.env});
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_EQ(Lines(r.err).size(), c.exit == 0 ? 0U : 1U) << r.err;
        EXPECT_EQ(c.exit == 0 ? "" : r.out, "");
        EXPECT_EQ((r.out + r.err).find('\x1b'), std::string::npos) << r.out << r.err;
        EXPECT_THAT(Lines(r.out + r.err), ::testing::Contains(StartsWith(c.line)));
    }
}

} // namespace
} // namespace vanta::test
