// The vanta command run as a user runs it, against the reference service (serving TLS too,
// with a CA made for this run): each command's --json record held to
// docs/vanta-json.schema.json and to what the service holds, the exit status and the one
// failure line of each class of failure, the settings' precedence, and escaped service text;
// and at a terminal (a pseudo-terminal of a chosen width): the progress bar's phases, files,
// width and last frame, Ctrl-C once (the job is cancelled and withdrawn) and twice (at once),
// the password prompt without echo and the confirmation of a deletion.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ranges>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "child_process.h"
#include "control_client.h"
#include "ftp_checks.h"
#include "job_checks.h"
#include "scripted_replies.h"
#include "service_fixture.h"
#include "tls_service.h"

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
        if (!std::ranges::empty(word)) {
            argv.emplace_back(word.begin(), word.end());
        }
    }
    options.unsetEnv.push_back("VANTA_PASSWORD");
    options.timeout = std::chrono::seconds(30);
    return RunChild(argv, options);
}

json Resolved(const json& root, const json& schema) {
    return schema.contains("$ref") ? root["$defs"][schema["$ref"].get<std::string>().substr(8)]
                                   : schema;
}

// Holds `value` to a part of the written schema: "$ref" into "$defs", "type", "required",
// "properties" and "items". Closed: a field the schema does not name fails too, so that the
// written schema cannot fall behind the tool.
void ExpectConforms(const json& root, const json& part, const json& value,
                    const std::string& path = "$") {
    const json schema = Resolved(root, part);
    json types = schema.value("type", json::array());
    types = types.is_array() ? types : json::array({types});
    const json type = value.is_number_integer() ? "integer" : value.type_name();
    EXPECT_TRUE(types.empty() || std::ranges::count(types, type) == 1)
        << path << " = " << value << " is not " << types;
    for (const auto& name : schema.value("required", json::array())) {
        EXPECT_TRUE(value.contains(name)) << path << " has no " << name;
    }
    const json properties = schema.value("properties", json::object());
    if (!value.is_structured()) {
        return;
    }
    for (const auto& [key, member] : value.items()) {
        EXPECT_TRUE(value.is_array() || properties.contains(key)) << path << "." << key;
        ExpectConforms(root,
                       value.is_array() ? schema.value("items", json::object())
                                        : properties.value(key, json::object()),
                       member, path + "." + key);
    }
}

// One --json output against the envelope with its command's fields (required on success).
void ExpectConformingOutput(const json& out) {
    static const json root =
        json::parse(std::ifstream(std::string(VANTA_SOURCE_DIR) + "/docs/vanta-json.schema.json"));
    ASSERT_TRUE(out.is_object() && out.contains("command")) << out;
    json merged = root["$defs"]["envelope"];
    // A failure before any command was chosen has no part of its own.
    const json own = Resolved(root, root["$defs"].value(out.value("command", ""), json::object()));
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

std::function<void()> ErrorPage(const std::string& program, int status) {
    return [=] { control::Script({.path = "/cgiscripts/" + program, .status = status}); };
}

constexpr unsigned short kColumns = 50;

// The progress lines, each with the phase or outcome it names first; each \r or \n starts a
// line anew. Every progress line fits the terminal and, once the bytes are out, shows 100 %.
std::vector<std::pair<std::string, std::string>> Frames(const std::string& drawn) {
    // Less the erase-to-end-of-line sequence, and the ^C a terminal echoes.
    const std::string text = std::regex_replace("\n" + drawn, std::regex("\033\\[K|\\^C"), "");
    static const std::regex line(
        "[\r\n](measuring|registering|sending|notifying|done|failed|cancelled)[^\r\n]*");
    std::vector<std::pair<std::string, std::string>> frames;
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        EXPECT_LT(it->length() - 1, kColumns) << it->str();
        const bool out = (*it)[1] == "notifying" || (*it)[1] == "done";
        EXPECT_TRUE(!out || it->str().find("100%") != std::string::npos) << it->str();
        frames.emplace_back((*it)[1], it->str().substr(1));
    }
    return frames;
}

class Cli : public ::testing::Test {
protected:
    // Once per executable: a CA of its own, and the service restarted to serve HTTPS and FTPS.
    static void SetUpTestSuite() { ServeTlsWithNewCa(Work("ca")); }
    void SetUp() override { control::Reset(true); }
};

// Each command in turn, against what the earlier ones stored: its exit status and the one
// line a failure prints on stderr (none on success); with --json its record, held to the schema
// and to the values stored, whose reason the failure line repeats. A usage error sends nothing.
// Each setting's precedence, flag over environment over registry file, TLS included; and text
// from the service shown with its control characters escaped, in a record and a failure line.
TEST_F(Cli, EveryCommandAgainstTheService) {
    const std::string photo = Work("photo.jpg");
    WriteBytes(photo, std::string(5000, 'p'));
    std::filesystem::create_directories(FtpPath("assets/u1/album"));
    std::filesystem::create_directories(Work("update"));
    WriteRegistryFile(Work("elsewhere.reg"), "127.0.0.2");
    const Env elsewhere = {{"VANTA_REGISTRY", Work("elsewhere.reg")}};
    const Env pw = {{"VANTA_PASSWORD", "secret"}}, badPort = {{"VANTA_HTTP_PORT", "x"}};
    const Env tlsOn = {{"VANTA_TLS", "1"}};
    const std::string fifo = Work("message.fifo");
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string validate = "user validate --user ann --product 3";
    const std::string updateKey = ServiceEnvironment::Instance().UpdateKeyFile();
    const Env none;
    const struct {
        std::string args;
        int exit;
        std::string shown = ""; // in stdout or stderr
        // With --json: JSON pointer -> the value the record holds there. "": in text mode.
        std::string record = "";
        Env env = {};
        std::string input = ""; // stdin
        std::function<void()> before = [] {};
    } steps[] = {
        {"user register --user ann --product 3 --first-name Ann --password-stdin", 0, "",
         R"({"/registration": "new", "/user_number": 1, "/result": 65})", none, "secret\n"},
        {validate, 0, "", R"({"/valid": true, "/published": false, "/result_name": "SUCCESS"})",
         pw},
        {validate + " --password-stdin", 1, "wrong password",
         R"({"/valid": false, "/result": 8192, "/result_name": "WRONG_PASSWORD"})", none, "nope\n"},
        {validate, 2, "a password is needed", "{}"},
        {"user register --user ann --product 4", 0, "", R"({"/registration": "new_product"})", pw},
        {"user update --user ann --email new@example.com", 0, "", "{}", pw},
        {"user get --user ann", 0, "",
         R"({"/first_name": "Ann", "/email": "new@example.com", "/product_count": 2})"},
        {"upload --user ann --product 3 --name Trip --to bob@example.com:download:Bob " + photo, 0,
         "", R"({"/asset_number": 1})"},
        {"asset list --user ann --product 3", 0, "",
         R"({"/assets/0/name": "Trip", "/assets/0/declared_size": 5000,
             "/assets/0/files": ["photo.jpg"]})"},
        {"asset info --user ann --asset 1", 0, "",
         R"({"/created":"2026-12-06T13:40:48Z", "/page_views":7, "/files":["a", "b"]})", none, "",
         Reply("get_asset.exe", "n=T&d=&p=3&t=1&s=10&i=i&w=w&c=46362.57&f=2&a=x&v=7&names=a|b")},
        {"asset stats --user ann --asset 1", 0, "",
         R"({"/days": [{"date": "2024-06-01", "page_views": 3}]})", none, "",
         Reply("get_stats.exe", "d=20240601&v=3")},
        {"disk-space --user ann --product 3", 0, "",
         R"({"/quota_bytes": 104857600, "/used_bytes": 5000})"},
        {"homepage get --user ann", 1, "no homepage", "{}"},
        {"homepage set --user ann --title T", 0, "", "{}"},
        {"homepage set --user ann --theme 2", 0, "", "{}"},
        {"homepage get --user ann", 0, "", R"({"/title": "T", "/theme": "2"})"},
        {"email --from ann@example.com --to bob@example.com --subject S " + photo, 0, "",
         R"({"/to": ["bob@example.com"]})"},
        {"email --from ann@example.com --to bob@example.com --subject S --parallel 2 " + photo, 0,
         "", R"({"/to": ["bob@example.com"]})"},
        {"ftp put --dir /assets/u1 --name c.txt " + photo, 0, "", "{}"},
        {"ftp check --dir /assets/u1 --name c.txt", 0, "",
         R"({"/found": true, "/directory": "/assets/u1"})"},
        {"ftp rm --dir /assets/u1 --name none", 1, "no such file",
         R"({"/result": 1024, "/result_name": "NOT_FOUND"})"},
        {"ftp rm --dir u1 --name c.txt", 2, "--dir must be a whole path in /assets/", "{}"},
        {"ftp rmdir --dir /assets/u1/album", 0, "", "{}"},
        {"update download " + Work("update"), 0, "",
         json({{"/file", Work("update") + "/VantaAPI.dll"}}).dump()},
        {"update download --key " + updateKey + " " + Work("update"), 0, "",
         json({{"/file", Work("update") + "/VantaAPI.dll"}}).dump()},
        // As any copy of the library may: a file stored over the signed one is refused.
        {"update download --key " + updateKey + " " + Work("update"), 1,
         "VantaAPI.dll was refused and removed: its signature does not match", "{}", none, "",
         [] { WriteBytes(FtpPath("downloads/VantaAPI.dll"), "MZ replaced"); }},
        {"update download --key " + photo + " " + Work("update"), 1, "holds no Ed25519 public key",
         "{}"},
        {"version", 0, "",
         json({{"/match", true}, {"/update_version", "3.3"}, {"/library", VANTA_VERSION}}).dump()},
        {"version", 1, "the service offers update version 3.4, this library has update version 3.3",
         R"({"/match": false})", none, "", Reply("get_version.exe", "version=3.4")},
        {"request --program /cgiscripts/get_version.exe", 0, "", R"({"/reply": "version=3.3"})"},
        // The service takes the files with the record; a failed upload takes back what it
        // stored, and names the asset whose record stayed.
        {"asset delete --user ann --product 3 --asset 1", 0, "", "{}"},
        {"disk-space --user ann --product 3", 0, "", R"({"/used_bytes": 0})"},
        {"upload --user ann --product 3 --name Trip " + photo, 1, "the roll-back left asset 2",
         R"({"/asset_number": 2, "/result_name": "REFUSED"})", none, "",
         [] { Reply("smtp_mail.exe", "r=FAIL")(), Reply("delete_asset.exe", "r=FAIL")(); }},
        {"asset delete --user ann --product 3 --asset 2 --purge", 0, "",
         R"({"/absent_files": ["photo.jpg"], "/purged": true})"},
        {"asset list --user ann --product 3", 0, "", R"({"/assets": [], "/result": 2048})"},
        {"--version", 0, std::string("vanta ") + VANTA_VERSION + " (library " VANTA_VERSION ")"},
        // The command line's own mistakes: nothing is sent.
        {"", 2, "a command is needed (vanta COMMAND ...): user, asset", "{}"},
        {"user frobnicate", 2, "unknown command 'frobnicate'; the commands are", "{}"},
        {"--server 127.0.0.1:99999 version", 2, "the port must be a number", "{}"},
        {"asset delete --user a --product 3 --asset ../1 --purge", 2, "--purge needs", "{}"},
        // Passwords never go on the command line: there is no option that takes one.
        {validate + " --password secret", 2, "--password", "{}"},
        // A password longer than 4096 bytes is refused unread; one of 4096 is sent.
        {validate + " --password-stdin", 2, "--password-stdin: the password is longer than 4096",
         "{}", none, std::string(5000, 'p')},
        {validate,
         2,
         "VANTA_PASSWORD: the password is longer",
         "{}",
         {{"VANTA_PASSWORD", std::string(4097, 'p')}}},
        {validate + " --password-stdin", 1, "wrong password", "{}", none,
         std::string(4096, 'p') + "\r\n"},
        // The service failed the request: it was reached, so not a network failure.
        {"version", 1, "answered HTTP 500", R"({"/result": 32})", none, "",
         ErrorPage("get_version.exe", 500)},
        // In text mode.
        {"user get --user ann", 1, "vanta: user get: ", "", none, "",
         Reply("get_user_info.exe", "u=QDX_FAIL")},
        {"ftp check --dir /assets/u --name x", 3,
         "vanta: ftp check: cannot connect to 127.0.0.2 port 21", "", elsewhere},
        {"--server 127.0.0.1 version", 0, "match: true", "", elsewhere},
        {"--retries 0 version", 3, "vanta: version: timed out", "", none, "",
         Reply("get_version.exe", "", 3000)},
        // vanta repeats a read by default: the second attempt is answered at once.
        {"version", 0, "match: true", "", none, "", Reply("get_version.exe", "", 3000)},
        {"--retries 101 version", 2, "--retries: Value 101 not in range"},
        {"version",
         2,
         "VANTA_RETRIES=x is not a number of retries (0 to 100); nothing was sent",
         "",
         {{"VANTA_RETRIES", "x"}}},
        {"--retries 0 version", 0, "match: true", "", {{"VANTA_RETRIES", "x"}}},
        {"upload --user ann --product 3 --name T --parallel 33 " + photo, 2,
         "--parallel: Value 33 not in range"},
        {"version",
         2,
         "VANTA_PARALLEL_TRANSFERS=0 is not a number of connections (1 to 32); nothing was sent",
         "",
         {{"VANTA_PARALLEL_TRANSFERS", "0"}}},
        // A setting that cannot be used: named, and nothing is sent.
        {"version", 2, "vanta: version: VANTA_HTTP_PORT=x is not", "", badPort},
        {"version",
         2,
         "named by VANTA_REGISTRY: it is a directory; nothing was sent",
         "",
         {{"VANTA_REGISTRY", Work("")}}},
        {"version",
         2,
         "VANTA_SERVER: \"127.0.0.1:80\" is not a host: it holds a port",
         "",
         {{"VANTA_SERVER", "127.0.0.1:80"}}},
        {"--server u@127.0.0.1 version", 2,
         "--server: \"u@127.0.0.1\" is not a host: it holds '@'"},
        {"--server [::1]:8180 version", 3, "vanta: version: cannot connect to [::1] port 8180"},
        {"email --from a@example.com --to b@example.com --subject S --message-file " + fifo + " " +
             photo,
         1, fifo + ": not a regular file"},
        {"--server 127.0.0.1:80 version", 0, "", "", badPort},
        {"--tls --server localhost version", 3,
         "vanta: version: the certificate of localhost port 443 is not trusted"},
        {"--tls --ca-file " + Work("ca/ca.pem") + " --server localhost version", 0},
        // The tool's own check of a named file, which reads the name as UTF-8 everywhere.
        {"--ca-file " + Work("ca/caf\xC3\xA9.pem") + " version", 2,
         "--ca-file: File does not exist: " + Work("ca/caf\xC3\xA9.pem")},
        {"--ca-file " + Work("ca") + " version", 2, "File is actually a directory"},
        {"--no-tls --server localhost version", 0, "", "", tlsOn},
        // A line feed cannot start a line of its own, bidirectional controls cannot reorder it.
        {"homepage get --user ann", 0,
         "title: \\x1B[31mRed\\x07Caf\\xE9\\u202E\\u061Cgpj\\u2067.exe\\x0Atheme: 9\n", "", none,
         "",
         Reply("get_homepage.exe", "t=\x1b[31mRed\aCaf\xE9\xE2\x80\xAE\xD8\x9Cgpj\xE2\x81\xA7."
                                   "exe\ntheme: 9&h=&b=&t=2&r=")},
        {"request --program /cgiscripts/x.exe", 0, "a=\\x1B]0;x\\x07&b=\\x0D", "", none, "",
         Reply("x.exe", "a=\x1b]0;x\a&b=\r\n")},
        {"version", 1, "vanta: version: the service offers update version \\x1B[2J\\x0Ax, this", "",
         none, "", Reply("get_version.exe", "v=\x1b[2J\nx")},
        // Not at a terminal, deleting an account needs --yes.
        {"user delete --user ann", 2, "needs --yes", "{}"},
        {"user delete --user ann --yes", 0, "", R"({"/user": "ann"})"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args);
        control::Reset(false);
        step.before();
        const ChildResult r = Vanta((step.record.empty() ? "" : "--json ") + step.args,
                                    {.env = step.env, .input = step.input});
        EXPECT_EQ(r.exitCode, step.exit) << r.out << r.err;
        EXPECT_EQ(r.err.empty(), step.exit == 0) << r.err; // one line on a failure, else none
        EXPECT_EQ(r.err.find('\n'), r.err.empty() ? std::string::npos : r.err.size() - 1);
        EXPECT_EQ((r.out + r.err).find('\x1b'), std::string::npos) << r.out << r.err;
        EXPECT_THAT(r.out + r.err, HasSubstr(step.shown));
        if (step.exit == 2) {
            EXPECT_THAT(control::RequestLog(), IsEmpty());
        }
        if (step.record.empty()) {
            EXPECT_EQ(step.exit == 0 ? "" : r.out, "");
            continue;
        }
        const json out = json::parse(r.out, nullptr, false);
        EXPECT_EQ(out.value("exit_status", -1), step.exit);
        ExpectConformingOutput(out);
        const json expected = json::parse(step.record);
        for (const auto& [pointer, value] : expected.items()) {
            EXPECT_EQ(out.value(json::json_pointer(pointer), json()), value) << pointer;
        }
        const std::string command = out.value("command", "");
        EXPECT_EQ(r.err, step.exit == 0 ? ""
                                        : "vanta: " + (command.empty() ? "" : command + ": ") +
                                              out.value("reason", "") + "\n");
    }
}

// At a terminal: an upload to its end, one that resumes after a broken connection (the bar
// says so), and Ctrl-C once (the job is cancelled: an asset it had
// registered is withdrawn with its files) and twice (at once) in the phase each case holds: a
// slow quota reply holds "registering", a STOR the service stops reading holds "sending". The
// bar names each file as it is sent, and the time left once it is known; its last frame is the
// outcome. Then the prompts: the password without echo, the confirmation of a deletion.
TEST_F(Cli, UploadProgressCtrlCAndPromptsAtATerminal) {
    ASSERT_EQ(Vanta("user register --user ann --product 3 --password-stdin", {.input = "secret\n"})
                  .exitCode,
              0);
    const std::string big = Work("big.jpg");
    // Far more than the socket buffers hold, so that the stalled STOR holds the transfer.
    WriteBytes(big, std::string(20000000, 'b'));
    std::string three;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        WriteBytes(Work(name), std::string(2000000, 'c'));
        three += " " + Work(name);
    }
    const auto slowQuota = [](int ms) {
        return Reply("get_disk_space.exe", "q=104857600&u=0", ms);
    };
    // Each FTP reply late, so that the bar sees each file and measures a rate.
    const auto toTheEnd = [&] {
        slowQuota(600)(), Reply("smtp_mail.exe", "r=OK&n=0", 600)();
        control::FtpFaults({{"delay_ms", 250}});
    };
    const auto stallStor = [] { control::FtpFaults({{"stall_stor_after", 1000000}}); };
    // The data connection breaks in b.jpg: the send resumes there.
    const auto dropData = [] {
        control::FtpFaults({{"delay_ms", 100}, {"drop_data_after", 3000000}});
    };
    using Keys = std::vector<std::pair<std::string, std::string>>;
    const Keys once = {{"sending", "\x03"}},
               twice = {{"registering", "\x03"}, {"cancelling", "\x03"}};
    const struct {
        const char* name;
        std::string files;
        std::function<void()> hold;
        Keys keys;
        int exit;
        bool registered; // the asset had been registered (and must be withdrawn on Ctrl-C)
        std::vector<std::string> sent; // the files the sending frames named, in turn
        std::string last;              // the last frame, from its start
    } cases[] = {
        {"to the end", three, toTheEnd, {}, 0, true, {"a.jpg", "b.jpg", "c.jpg"}, "done "},
        {"resumed", three, dropData, {}, 0, true, {"a.jpg", "b.jpg", "c.jpg"}, "done "},
        {"sending", " " + big, stallStor, once, 130, true, {"big.jpg"}, "cancelled "},
        {"twice", " " + big, slowQuota(1800), twice, 130, false, {}, "registering "},
    };
    std::vector<std::string> kept; // the finished uploads' assets and their files
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(false);
        c.hold();
        const ChildResult r = Vanta("upload --user ann --product 3 --name Trip" + c.files,
                                    {.env = {{"VANTA_FTP_TIMEOUT_MS", "1500"}},
                                     .terminalColumns = kColumns,
                                     .typeWhen = c.keys});
        EXPECT_EQ(r.exitCode, c.exit) << r.out;
        const auto frames = Frames(r.out);
        EXPECT_THAT(frames.empty() ? "" : frames.back().second, ::testing::StartsWith(c.last))
            << r.out;
        std::vector<std::string> sent;
        bool timeLeft = false, resuming = false;
        for (const auto& [phase, line] : frames) {
            const std::string file = line.substr(line.rfind(' ') + 1);
            // While the bar says that the send resumes, the note takes the file's place.
            const bool note = line.find("  resuming at ") != std::string::npos;
            resuming = resuming || note;
            if (phase == "sending" && !note && (sent.empty() || sent.back() != file)) {
                sent.push_back(file);
            }
            timeLeft = timeLeft || line.find(" ETA 0:") != std::string::npos;
        }
        // The bar is drawn at its own pace, and the note hides the names of the files sent
        // while it shows (3 s): on a slow machine a whole file may pass unnamed. The names shown
        // come in the order sent, the first one first.
        auto shown = c.sent.begin();
        for (const std::string& file : sent) {
            shown = std::find(shown, c.sent.end(), file);
            EXPECT_NE(shown, c.sent.end()) << file << " out of turn\n" << r.out;
        }
        EXPECT_EQ(sent.empty() ? "" : sent.front(), c.sent.empty() ? "" : c.sent.front()) << r.out;
        EXPECT_EQ(resuming, c.name == std::string("resumed")) << r.out;
        if (c.keys.empty()) {
            EXPECT_TRUE(timeLeft) << r.out;
            EXPECT_THAT(frames, ::testing::Contains(::testing::Key("registering"))) << r.out;
        }
        if (c.keys.size() == 1) {
            EXPECT_THAT(frames.back().second, HasSubstr("big.jpg"));
            EXPECT_THAT(r.out, HasSubstr("vanta: upload: interrupted: "));
        } else if (c.keys.size() > 1) {
            EXPECT_LT(r.msAfterLastKey, 1000) << r.out;
        }
        EXPECT_EQ(Requested("/cgiscripts/create_asset.exe"), c.registered);
        EXPECT_EQ(Requested("/cgiscripts/delete_asset.exe"), c.registered && !c.keys.empty());
        // Only the finished uploads' assets, with their files, stay on the service.
        if (c.exit == 0) {
            const std::string n = std::to_string(kept.size() / 4 + 1);
            kept.insert(kept.end(), {n, n + "/a.jpg", n + "/b.jpg", n + "/c.jpg"});
        }
        EXPECT_THAT(LeftOnService("ann/3"), ::testing::UnorderedElementsAreArray(kept));
    }
    // What is typed at a prompt is not echoed; a deletion goes ahead only when confirmed.
    const struct {
        std::string args;
        std::string prompt;
        std::string typed;
        int exit;
        std::string shown;
    } prompts[] = {
        {"user validate --user ann --product 3", "Password for ann: ", "secret\r", 0,
         "valid: true"},
        {"user delete --user ann", "Type yes to confirm: ", "no\r", 2, "not confirmed"},
        {"user delete --user ann", "Type yes to confirm: ", "yes\r", 0, "user: ann"},
    };
    for (const auto& p : prompts) {
        SCOPED_TRACE(p.args + " <- " + p.typed);
        control::Reset(false);
        const ChildResult r =
            Vanta(p.args, {.terminalColumns = 80, .typeWhen = {{p.prompt, p.typed}}});
        EXPECT_EQ(r.exitCode, p.exit) << r.out;
        EXPECT_THAT(r.out, Not(HasSubstr("secret")));
        EXPECT_THAT(r.out, HasSubstr(p.shown));
        EXPECT_EQ(Requested("/cgiscripts/delete_user.exe"), p.typed == "yes\r");
    }
}

} // namespace
} // namespace vanta::test
