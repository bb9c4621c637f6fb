// The vanta command run as a user runs it, against the reference service (serving TLS too,
// with a CA made for this run): each command's --json record held to
// docs/vanta-json.schema.json and to what the service holds, the exit status and the one
// failure line of each class of failure, the settings' precedence, and escaped service text;
// and at a terminal (a pseudo-terminal of a chosen width): the progress bar's phases and width,
// Ctrl-C once (the job is cancelled and withdrawn) and twice (at once), and the password prompt
// without echo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ranges>
#include <regex>
#include <string>
#include <vector>

#include "child_process.h"
#include "control_client.h"
#include "ftp_checks.h"
#include "registry_file.h"
#include "scripted_replies.h"
#include "service_fixture.h"

namespace vanta::test {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Env = std::vector<std::pair<std::string, std::string>>;

// The vanta command with the words of `args` (split at spaces), no password in its
// environment and a bound of 30 s.
ChildResult Vanta(const std::string& args, ChildOptions options = {}) {
    std::vector<std::string> argv = {CliPath()};
    for (const auto word : std::views::split(args, ' ')) {
        argv.emplace_back(word.begin(), word.end());
    }
    options.unsetEnv.push_back("VANTA_PASSWORD");
    options.timeout = std::chrono::seconds(30);
    return RunChild(argv, options);
}

// Holds `value` to a part of the written schema: "$ref" into "$defs", "type", "required",
// "properties" and "items". Closed: a field the schema does not name fails too, so that the
// written schema cannot fall behind the tool.
void ExpectConforms(const json& root, const json& schema, const json& value,
                    const std::string& path = "$") {
    if (schema.contains("$ref")) {
        return ExpectConforms(root, root["$defs"][schema["$ref"].get<std::string>().substr(8)],
                              value, path);
    }
    static const std::map<std::string, bool (json::*)() const noexcept> kIs = {
        {"object", &json::is_object},   {"array", &json::is_array},
        {"string", &json::is_string},   {"integer", &json::is_number_integer},
        {"boolean", &json::is_boolean}, {"null", &json::is_null}};
    const json types = schema.value("type", json::array());
    EXPECT_TRUE(types.empty() ||
                std::ranges::any_of(types.is_array() ? types : json{types},
                                    [&](const json& t) { return (value.*kIs.at(t))(); }))
        << path << " = " << value << " is not " << types;
    for (const auto& name : schema.value("required", json::array())) {
        EXPECT_TRUE(value.contains(name)) << path << " has no " << name;
    }
    const json properties = schema.value("properties", json::object());
    for (const auto& [name, member] : value.items()) {
        if (value.is_object()) {
            EXPECT_TRUE(properties.contains(name)) << path << "." << name << " is not named";
            ExpectConforms(root, properties.value(name, json::object()), member, path + "." + name);
        }
    }
    for (size_t i = 0; value.is_array() && schema.contains("items") && i < value.size(); ++i) {
        ExpectConforms(root, schema["items"], value[i], path + "[" + std::to_string(i) + "]");
    }
}

// One --json output against the envelope with its command's fields (required on success).
void ExpectConformingOutput(const json& out) {
    static const json root =
        json::parse(std::ifstream(std::string(VANTA_SOURCE_DIR) + "/docs/vanta-json.schema.json"));
    ASSERT_TRUE(out.is_object() && out.contains("command")) << out;
    json merged = root["$defs"]["envelope"];
    // A failure before any command was chosen has no part of its own.
    json own = root["$defs"].value(out["command"].get<std::string>(), json::object());
    own = own.contains("$ref") ? root["$defs"][own["$ref"].get<std::string>().substr(8)] : own;
    merged["properties"].update(own.value("properties", json::object()));
    for (const auto& name :
         out.value("ok", false) ? own.value("required", json::array()) : json()) {
        merged["required"].push_back(name);
    }
    ExpectConforms(root, merged, out);
}

std::string Work(const std::string& name) {
    return ServiceEnvironment::Instance().WorkDir() + "/" + name;
}

// Scripts the service's next reply of a CGI program.
std::function<void()> Reply(const std::string& program, const std::string& body, int ms = 0) {
    return [=] { ScriptReply("/cgiscripts/" + program, body, ms); };
}

constexpr unsigned short kColumns = 50;

// The phases the progress lines name, in order; each \r or \n starts a line anew. Every
// progress line fits the terminal and, once the bytes are out, shows 100 %.
std::vector<std::string> Phases(const std::string& drawn) {
    // Less the erase-to-end-of-line sequence, and the ^C a terminal echoes.
    const std::string text = std::regex_replace("\n" + drawn, std::regex("\033\\[K|\\^C"), "");
    static const std::regex line("[\r\n](measuring|registering|sending|notifying)[^\r\n]*");
    std::vector<std::string> phases;
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        EXPECT_LT(it->length() - 1, kColumns) << it->str();
        EXPECT_TRUE((*it)[1] != "notifying" || it->str().find("100%") != std::string::npos);
        phases.push_back((*it)[1]);
    }
    return phases;
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

// Each command in turn with --json, against what the earlier ones stored: its exit status, its
// record (schema and values) and its failure line, which repeats the record's reason. A usage
// error sends nothing.
TEST_F(Cli, EveryCommandsRecordAgainstTheService) {
    const std::string photo = Work("photo.jpg");
    WriteBytes(photo, std::string(5000, 'p'));
    std::filesystem::create_directories(FtpPath("assets/u1/album"));
    std::filesystem::create_directories(Work("update"));
    const std::string validate = "user validate --user ann --product 3";
    const struct {
        std::string args; // after --json
        int exit;
        std::string expected = "{}"; // JSON pointer -> the value the record holds there
        std::string failure = "";    // in the one failure line
        std::string input = "";      // stdin
        bool password = false;       // VANTA_PASSWORD=secret
        std::function<void()> before = [] {};
    } steps[] = {
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
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args);
        control::Reset(false);
        step.before();
        const ChildResult r =
            Vanta("--json " + step.args,
                  {.env = step.password ? Env{{"VANTA_PASSWORD", "secret"}} : Env{},
                   .input = step.input});
        const json out = json::parse(r.out, nullptr, false);
        EXPECT_EQ(r.exitCode, step.exit) << r.out << r.err;
        EXPECT_EQ(out.value("exit_status", -1), step.exit);
        ExpectConformingOutput(out);
        const json expected = json::parse(step.expected);
        for (const auto& [pointer, value] : expected.items()) {
            EXPECT_EQ(out.value(json::json_pointer(pointer), json()), value) << pointer;
        }
        const std::string command = out.value("command", "");
        EXPECT_EQ(r.err, step.failure.empty()
                             ? ""
                             : "vanta: " + (command.empty() ? "" : command + ": ") +
                                   out.value("reason", "") + "\n");
        EXPECT_THAT(r.err, HasSubstr(step.failure));
        if (step.exit == 2) {
            EXPECT_THAT(control::RequestLog(), IsEmpty());
        }
    }
}

// In text mode: each failure class's exit status and its one line on stderr; each setting's
// precedence, flag over environment over registry file, TLS included; and text from the
// service shown with its control characters escaped, in a record and in a failure line.
TEST_F(Cli, TextOutputFailureClassesAndSettings) {
    WriteRegistryFile(Work("elsewhere.reg"), {.server = "127.0.0.2"});
    const Env elsewhere = {{"VANTA_REGISTRY", Work("elsewhere.reg")}};
    const Env none, badPort = {{"VANTA_HTTP_PORT", "x"}};
    const Env tlsOn = {{"VANTA_TLS", "1"}};
    const Env tlsTrusted = {{"VANTA_TLS", "1"}, {"VANTA_CA_FILE", Work("ca/ca.pem")}};
    const std::string ca = "--ca-file " + Work("ca/ca.pem");
    const auto failUser = Reply("get_user_info.exe", "u=QDX_FAIL");
    const auto slowVersion = Reply("get_version.exe", "", 3000);
    const struct {
        std::string args;
        Env env;
        int exit;
        std::string line; // the start of a line of stdout or stderr; "" for none
        std::function<void()> before = [] {};
    } cases[] = {
        {"user get --user ann", none, 1, "vanta: user get: ", failUser},
        {"version", elsewhere, 3, "vanta: version: cannot connect to 127.0.0.2 port 80"},
        {"ftp check --dir u --name x", elsewhere, 3,
         "vanta: ftp check: cannot connect to 127.0.0.2 port 21"},
        {"--server 127.0.0.1 version", elsewhere, 0, "match: true"},
        {"version", none, 3, "vanta: version: timed out", slowVersion},
        {"version", badPort, 1, "vanta: version: VANTA_HTTP_PORT=x is not"},
        {"--server 127.0.0.1:80 version", badPort, 0, ""},
        {"--tls " + ca + " --server localhost version", none, 0, ""},
        {"--server localhost update download " + Work(""), tlsTrusted, 0, ""},
        {"--no-tls --server localhost version", tlsOn, 0, ""},
        {"--tls --server localhost version", none, 3,
         "vanta: version: the certificate of localhost port 443 is not trusted"},
        {"--tls " + ca + " --server 127.0.0.1 ftp check --dir u --name x", none, 3,
         "vanta: ftp check: the certificate of 127.0.0.1 port 21 is not trusted"},
        {"homepage get --user ann", none, 0, "title: \\x1B[31mRed\\x07",
         Reply("get_homepage.exe", "t=\x1b[31mRed\a&h=&b=&t=2&r=")},
        {"homepage get --user ann", none, 0, "title: Caf\\xE9",
         Reply("get_homepage.exe", "t=Caf\xE9&h=&b=&t=&r=")},
        {"request --program /cgiscripts/x.exe", none, 0, "a=\\x1B]0;x\\x07&b=\\x0D",
         Reply("x.exe", "a=\x1b]0;x\a&b=\r\n")},
        {"version", none, 1, "vanta: version: the service offers version \\x1B[2J, this library",
         Reply("get_version.exe", "v=\x1b[2J")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        control::Reset(false);
        c.before();
        const ChildResult r = Vanta(c.args, {.env = c.env});
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_EQ(r.err.empty(), c.exit == 0) << r.err; // one line on a failure, else none
        EXPECT_EQ(r.err.find('\n'), r.err.empty() ? std::string::npos : r.err.size() - 1);
        EXPECT_EQ(c.exit == 0 ? "" : r.out, "");
        EXPECT_EQ((r.out + r.err).find('\x1b'), std::string::npos) << r.out << r.err;
        EXPECT_THAT("\n" + r.out + r.err, HasSubstr("\n" + c.line));
    }
}

// At a terminal: an upload to its end, and Ctrl-C once (the job is cancelled: an asset it had
// registered is withdrawn) and twice (at once) in the phase each case holds: a slow quota reply
// holds "registering", a STOR the service stops reading holds "sending". Then the password
// prompt.
TEST_F(Cli, UploadProgressCtrlCAndPasswordPromptAtATerminal) {
    ASSERT_EQ(Vanta("user register --user ann --product 3 --password-stdin", {.input = "secret\n"})
                  .exitCode,
              0);
    const std::string file = Work("big.jpg");
    // Far more than the socket buffers hold, so that the stalled STOR holds the transfer.
    WriteBytes(file, std::string(20000000, 'b'));
    const auto slowQuota = [](int ms) {
        return [=] { ScriptReply("/cgiscripts/get_disk_space.exe", "q=104857600&u=0", ms); };
    };
    const auto toTheEnd = [&] {
        slowQuota(600)();
        ScriptReply("/cgiscripts/smtp_mail.exe", "r=OK&n=0", 600);
    };
    const auto stallStor = [] { control::FtpFaults({{"stall_stor_after", 1000000}}); };
    const std::pair<std::string, std::string> ctrlC[] = {
        {"registering", "\x03"}, {"sending", "\x03"}, {"cancelling", "\x03"}};
    const struct {
        const char* name;
        std::function<void()> hold;
        std::vector<std::pair<std::string, std::string>> keys;
        int exit;
        bool registered;  // the asset had been registered (and must be withdrawn on Ctrl-C)
        std::string last; // the phase the bar named last
    } cases[] = {
        {"to the end", toTheEnd, {}, 0, true, "notifying"},
        {"quota check", slowQuota(800), {ctrlC[0]}, 130, false, "registering"},
        {"sending", stallStor, {ctrlC[1]}, 130, true, "sending"},
        {"twice", slowQuota(1800), {ctrlC[0], ctrlC[2]}, 130, false, "registering"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(false);
        c.hold();
        const ChildResult r = Vanta("upload --user ann --product 3 --name Trip " + file,
                                    {.env = {{"VANTA_FTP_TIMEOUT_MS", "1500"}},
                                     .terminalColumns = kColumns,
                                     .typeWhen = c.keys});
        EXPECT_EQ(r.exitCode, c.exit) << r.out;
        const std::vector<std::string> phases = Phases(r.out);
        EXPECT_EQ(phases.empty() ? "" : phases.back(), c.last) << r.out;
        if (c.keys.empty()) {
            EXPECT_THAT(phases, ::testing::Contains("registering")) << r.out; // the slow quota
        }
        if (c.keys.size() == 1) {
            EXPECT_THAT(r.out, HasSubstr("vanta: upload: interrupted: "));
        } else if (c.keys.size() > 1) {
            EXPECT_LT(r.msAfterLastKey, 1000) << r.out;
        }
        EXPECT_EQ(Requested("/cgiscripts/create_asset.exe"), c.registered);
        EXPECT_EQ(Requested("/cgiscripts/delete_asset.exe"), c.registered && !c.keys.empty());
    }
    // The password prompt does not echo what is typed.
    const ChildResult r =
        Vanta("user validate --user ann --product 3",
              {.terminalColumns = 80, .typeWhen = {{"Password for ann: ", "secret\r"}}});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, Not(HasSubstr("secret")));
    EXPECT_THAT(r.out, HasSubstr("valid: true"));
}

} // namespace
} // namespace vanta::test
