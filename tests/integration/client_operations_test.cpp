// vanta::Client's synchronous operations against the reference service: each outcome of an
// operation becomes one value or one error category (with the export's code and a reason),
// reply values become typed records, and the configuration is read as the exports read it at
// load. The exports' own tests cover the wire format; these cover what the client adds.
#include <gmock/gmock.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control_client.h"
#include "joined.h"
#include "loopback_servers.h"
#include "scripted_replies.h"
#include "service_fixture.h"
#include "test_platform.h"
#include "vanta/client.hpp"

namespace vanta::test {
namespace {

using namespace std::chrono;

NewAccount Account(const std::string& user, const std::string& password, const char* product) {
    return {user, password, product, {.first_name = "Ann", .code = "C1"}};
}

// A result as text: a failure as "category|code" (marked when it gives no reason), a record as
// the values the client derived from the reply.
struct Shown {
    static std::string Of(bool value) { return Join(value); }
    static std::string Of(const Login& l) { return Join(l.has_published, l.has_homepage); }
    // The service writes "*" for the "&" it means; the message comes back whole.
    static std::string Of(const Registration& r) {
        return Join(static_cast<int>(r.kind), r.user_id, r.message.find('&') != std::string::npos);
    }
    static std::string Of(const User& u) {
        return Join(u.details.first_name, u.details.city, u.details.code, u.product_count);
    }
    static std::string Of(const Homepage& h) { return Join(h.title, h.body, h.theme, h.reply); }
    static std::string Of(const std::string& text) { return text; }
    static std::string Of(const Asset& a) {
        return Join(a.asset_number, a.declared_size, a.password, Of(a.created), a.page_views,
                    Of(a.file_names));
    }
    static std::string Of(const AssetStat& s) { return Join(Of(s.day), s.page_views); }
    static std::string Of(const DiskSpace& d) { return Join(d.quota, d.used); }
    static std::string Of(const VersionCheck& v) {
        return Join(v.up_to_date, v.service == Client::library_version());
    }
    // By the calendar, not gmtime(), which Windows refuses for days before 1970.
    static std::string Of(TimePoint time) {
        const auto day = floor<days>(time);
        const year_month_day date{day};
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lldh", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                      static_cast<long long>(duration_cast<hours>(time - day).count()));
        return text;
    }
    template <class T>
    static std::string Of(const std::vector<T>& list) {
        std::string all;
        for (const T& entry : list) {
            all += Of(entry) + ";";
        }
        return all;
    }
    static std::string Of(const Error& e) {
        return Join(to_string(e.category), e.code) + (e.reason.empty() ? " unexplained" : "");
    }
    template <class T>
    static std::string Of(const Result<T>& r) {
        return r ? Of(*r) : Of(r.error());
    }
    static std::string Of(const Result<void>& r) { return r ? "ok" : Of(r.error()); }
};

// A row's call: one operation, its outcome as text.
#define OUTCOME(call) [&] { return Shown::Of(call); }

const char* const kValidate = "/cgiscripts/validate_user.exe";
const char* const kAsset = "/cgiscripts/get_asset.exe";
const char* const kStats = "/cgiscripts/get_stats.exe";
const char* const kSpace = "/cgiscripts/get_disk_space.exe";
const char* const kPage = "/cgiscripts/get_homepage.exe";

// One account, its homepage, assets, files and the update, row by row against one service:
// a row may script the next reply of a program, then gives the call's outcome. The trace shows
// the conversation on both channels, without the credentials or the bodies.
TEST(ClientOperations, EachOutcomeBecomesOneValueOrOneCategory) {
    control::Reset(true);
    const std::filesystem::path dir = ServiceEnvironment::Instance().WorkDir() + "/client";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "note.txt") << "hello";
    std::filesystem::create_directories(ServiceDataDir() + "/ftp/assets/box");
    const Client c({.host = "127.0.0.1", .ftp_timeout = milliseconds(3000)});
    const Client closed({.host = "127.0.0.1", .http_port = 81, .ftp_port = 22}); // no listener
    const Client pair({.host = "127.0.0.1", .login_name = "ann", .login_password = "s3cret"});
    const Client patient({.host = "127.0.0.1", .http_timeout = milliseconds(5000)});
    const Client badHost({.host = "127.0.0.1:80"});
    const Client once({.host = "127.0.0.1", .retry = RetryPolicy::none()});
    const Client late({.host = "127.0.0.1", .http_port = 82}); // listening after 100 ms
    const auto slowReply = [&](const Client& client) {
        return [&] {
            ScriptReply("/cgiscripts/x.exe", "late", 3000);
            return Shown::Of(client.post_request("/cgiscripts/x.exe", ""));
        };
    };
    std::mutex mutex;
    std::string trace;
    set_trace_handler([&](std::string_view line) {
        const std::lock_guard<std::mutex> lock(mutex);
        trace.append(line).append("\n");
    });
    const auto login = OUTCOME(c.validate_user("ann", "pw", "7"));
    const auto user = OUTCOME(c.user_info("ann"));
    const auto page = OUTCOME(c.homepage("ann"));
    const auto assets = OUTCOME(c.asset_list("U", "7"));
    const auto space = OUTCOME(c.disk_space("U", "7"));
    const auto version = OUTCOME(c.check_version());
    // The outcome, and how often the request reached `program`.
    const auto posts = [&](const char* program, const std::function<std::string()>& call) {
        return [&, program, call] {
            const size_t before = control::RequestsTo(program).size();
            const std::string shown = call();
            return shown + " x" + std::to_string(control::RequestsTo(program).size() - before);
        };
    };
    const auto reason = [](const auto& result) { return result ? "ok" : result.error().reason; };
    // The call's outcome while the next `full` FTP logins are answered 421, as by a full server.
    const auto fullServer = [](int full, const std::function<std::string()>& call) {
        return [=] {
            control::FtpFaults({{"login_421", full}});
            const std::string shown = call();
            control::FtpFaults(nlohmann::json::object());
            return shown;
        };
    };
    const struct {
        const char* program; // whose next reply is scripted, or nullptr
        const char* reply;   // that reply; nullptr: a reply cut short
        std::function<std::string()> call;
        std::string expected;
    } rows[] = {
        {kValidate, "s=0&p=1&h=0", login, "1|0"},
        {kValidate, "s=1&p=0&h=0", login, "wrong_password|8192"},
        {kValidate, "s=2&p=0&h=0", login, "product_not_registered|1024"},
        {kValidate, "s=3&p=0&h=0", login, "wrong_password|9216"},
        {kValidate, "s=0&p=FAIL&h=FAIL", login, "unknown_user|256"},
        {kValidate, nullptr, OUTCOME(once.validate_user("ann", "pw", "7")), "network|32"},
        // A read cut short is made again, and the service answers the second attempt.
        {kValidate, nullptr, posts(kValidate, login), "unknown_user|256 x2"},
        {nullptr, "", OUTCOME(c.register_user(Account("ann", "pw", "7"))), "0|ann|1"},
        {nullptr, "", OUTCOME(c.register_user(Account("ann", "pw", "7"))), "2|ann|1"},
        {nullptr, "", OUTCOME(c.register_user(Account("ann", "x", "7"))), "wrong_password|8192"},
        {nullptr, "", OUTCOME(c.register_user(Account("", "pw", "7"))), "refused|256"},
        {nullptr, "", user, "Ann||C1|1"},
        {nullptr, "", OUTCOME(c.validate_user("ann", "pw", "7").and_then([&](const Login&) {
             return c.user_info("ann");
         })),
         "Ann||C1|1"},
        {kValidate, "s=1&p=0&h=0",
         [&] {
             bool called = false;
             const auto r = c.validate_user("ann", "pw", "7").and_then([&](Login) {
                 called = true;
                 return Result<User>(User{});
             });
             return Shown::Of(r) + (called ? " called" : "");
         },
         "wrong_password|8192"},
        {nullptr, "", OUTCOME(c.update_user("ann", "no", {})), "refused|256"},
        {nullptr, "", OUTCOME(c.delete_homepage("ann")), "not_found|0"},
        // Result's chaining: or_else recovers from the error it is given, and only from it.
        {nullptr, "",
         [&] {
             return Shown::Of(c.delete_homepage("ann").or_else([](Error e) -> Result<void> {
                 if (e.category == ErrorCategory::not_found) {
                     return {};
                 }
                 return e;
             }));
         },
         "ok"},
        {nullptr, "", OUTCOME(c.update_homepage("nobody", {})), "refused|0"},
        {nullptr, "", OUTCOME(c.update_homepage("ann", {"T", "H", "B = c + 1%", "3", "R"})), "ok"},
        {nullptr, "",
         OUTCOME(c.update_homepage("ann", {"T", "H", "B = c + 1%", "3", "R"}).and_then([&] {
             return c.homepage("ann");
         })),
         "T|B = c + 1%|3|R"},
        {nullptr, "", OUTCOME(c.update_user("ann", "no", {}).transform([] { return true; })),
         "refused|256"},
        {nullptr, "", page, "T|B = c + 1%|3|R"},
        {kPage, "t=FAIL", page, "unknown_user|0"},
        {kPage, nullptr, OUTCOME(once.homepage("ann")), "network|0"},
        // A write whose body may have arrived is never made again.
        {"/cgiscripts/update_homepage.exe", nullptr,
         posts("/cgiscripts/update_homepage.exe",
               OUTCOME(c.update_homepage("ann", {"T", "H", "B", "3", "R"}))),
         "network|0 x1"},
        // A write that never reached the service is made again: here the port listens in time.
        {nullptr, "",
         [&] {
             std::thread server = AnswerOnceLater(82, milliseconds(100), "late=1");
             const std::string shown = Shown::Of(late.post_request("/cgiscripts/x.exe", ""));
             server.join();
             return shown;
         },
         "late=1"},
        // Else until the policy is spent.
        {nullptr, "", [&] { return reason(closed.delete_user("ann")); },
         "cannot connect to 127.0.0.1 port 81: Connection refused (after 3 "
         "attempts)"},
        {nullptr, "", OUTCOME(c.delete_user("ann")), "ok"},
        {nullptr, "", OUTCOME(c.delete_user("ann")), "unknown_user|256"},
        {nullptr, "", user, "unknown_user|2048"},
        {nullptr, "",
         [&] {
             auto r = c.user_info("ann");
             const Error e = std::move(r).error();
             return Shown::Of(e) + (r.error().reason.empty() ? " moved out" : "");
         },
         "unknown_user|2048 moved out"},
        // Records of 13 values: name, description, product, type, declared size, asset id,
        // creation day number, asset number, password, files, page, views, file names.
        {kAsset,
         "n=Trip&d=Two&p=7&t=2&s=5000000000&i=ID1&c=46362.5&a=12&w=PW&f=2&u=http://x/12&v=-1"
         "&l=a.jpg|b.jpg&n=Solo&d=&p=7&t=0&s=1&i=ID2&c=0&a=13&w=PW2&f=1&u=&v=0&l=c.txt",
         assets,
         "12|5000000000|PW|2026-12-06 12h|-1|a.jpg;b.jpg;;13|1|PW2|1899-12-30 00h|0|c.txt;;"},
        {kAsset, "n=NOROWS", assets, ""},
        {kAsset, "n=FAIL", assets, "unknown_user|256"},
        {kAsset, "n=FAIL", OUTCOME(c.asset_info("U", "12")), "not_found|256"},
        {kAsset, "n=FAIL",
         [&] {
             return Shown::Of(c.asset_info("U", "12").or_else([](const Error& e) -> Result<Asset> {
                 return Error{ErrorCategory::refused, e.code + 1, e.reason, {}};
             }));
         },
         "refused|257"},
        {kStats, "day=20261206&views=3&day=20261207&views=1", OUTCOME(c.asset_stats("U", "12")),
         "2026-12-06 00h|3;2026-12-07 00h|1;"},
        {kStats, "day=20261399&views=1", OUTCOME(c.asset_stats("U", "12")), "unexpected_reply|0"},
        {kSpace, "quota=8589934592&used=10", space, "8589934592|10"},
        {kSpace, "quota=100&used=10",
         [&] {
             const auto measured = c.disk_space("U", "7");
             return Shown::Of(measured.transform(
                 [](const DiskSpace& d) { return std::to_string(d.quota - d.used); }));
         },
         "90"},
        {kSpace, "quota=1&used=-1", space, "unexpected_reply|0"},
        {nullptr, "", OUTCOME(c.send_file(dir / "note.txt", "/assets/box", "n.txt")), "ok"},
        // A login refused for a full server reached nothing: reads and writes log in again.
        {nullptr, "", fullServer(2, OUTCOME(c.file_exists("box", "gone.txt"))), "0"},
        {nullptr, "", OUTCOME(c.remove_directory("/assets/box")), "refused|16"},
        {nullptr, "", fullServer(1, OUTCOME(c.delete_file("box", "n.txt"))), "ok"},
        {nullptr, "", OUTCOME(c.remove_directory("/assets/box")), "ok"},
        {nullptr, "", version, "1|1"},
        {"/cgiscripts/get_version.exe", "v=9.9", version, "0|0"},
        {nullptr, "", OUTCOME(closed.check_version()), "network|32"},
        {nullptr, "", [&] { return reason(closed.file_exists("box", "n.txt")); },
         "cannot connect to 127.0.0.1 port 22: Connection refused (after 3 attempts)"},
        // The FTP exports' one failure code splits by what failed.
        {nullptr, "", OUTCOME(c.send_file(dir / "missing", "", "m.txt")), "local_file|0"},
        // A reply after 3 s: past the exports' 2 s, within a client's own limit.
        {nullptr, "", slowReply(c), "network|32"},
        {nullptr, "", slowReply(patient), "late"},
        // Refused before anything is sent.
        {nullptr, "", OUTCOME(badHost.check_version()), "invalid_argument|0"},
        {nullptr, "", OUTCOME(c.post_request(std::string_view("/cgiscripts/x.exe\0y", 19), "")),
         "invalid_argument|32"},
        // The service knows only the documented login pair.
        {nullptr, "", OUTCOME(pair.file_exists("box", "n.txt")), "refused|16"},
        {nullptr, "",
         [&] {
             (void)pair.check_version();
             return control::RequestLog().back().Header("Authorization").value_or("");
         },
         "Basic " + Base64Encode("ann:s3cret")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        if (row.program != nullptr) {
            row.reply ? ScriptReply(row.program, row.reply) : ScriptBrokenReply(row.program);
        }
        EXPECT_EQ(row.call(), row.expected);
    }
    set_trace_handler({});
    const size_t traced = trace.size();
    EXPECT_TRUE(c.check_version()); // nothing more arrives once switched off
    EXPECT_EQ(trace.size(), traced);
    for (const char* line :
         {"> Authorization: ****\n", "< HTTP/1.1 200", "> USER mossbay\n", "> PASS ****\n",
          "> RMD /assets/box\n", "< 550 ", "> USER ann\n",
          "* retrying POST /cgiscripts/validate_user.exe: attempt 2 of 3 after ",
          "* retrying POST /cgiscripts/delete_user.exe: attempt 3 of 3 after ",
          "* retrying the FTP login to 127.0.0.1 port 21: attempt 3 of 3 after "}) {
        EXPECT_THAT(trace, ::testing::HasSubstr(line));
    }
    // Neither the login pairs nor the bodies posted or read.
    for (const char* secret :
         {"PASS mossbay", "bW9zc2JheTptb3NzYmF5", "s3cret", "user_id=", "s=0&"}) {
        EXPECT_THAT(trace, ::testing::Not(::testing::HasSubstr(secret)));
    }
}

// Config::from_environment takes every setting the exports read at load, each into its own
// field, with the problems found (the reading itself, sources and precedence: the unit tests).
TEST(ClientConfig, FromEnvironmentTakesEverySettingOfTheExports) {
    const std::pair<const char*, const char*> settings[] = {{"VANTA_SERVER", "host.test"},
                                                            {"VANTA_HTTP_PORT", "8080"},
                                                            {"VANTA_FTP_PORT", "2121"},
                                                            {"VANTA_FTP_TIMEOUT_MS", "1234"},
                                                            {"VANTA_TLS", "maybe"},
                                                            {"VANTA_HTTPS_PORT", "65536"},
                                                            {"VANTA_LOGIN", "ann"},
                                                            {"VANTA_LOGIN_PASSWORD", "s3"},
                                                            {"VANTA_CA_FILE", "/none/ca.pem"},
                                                            {"VANTA_UPDATE_KEY", "/none/key.pub"},
                                                            {"VANTA_RETRIES", "5"}};
    for (const auto& [name, value] : settings) {
        SetVariable(name, value);
    }
    const Config c = Config::from_environment();
    for (const auto& [name, value] : settings) {
        SetVariable(name, nullptr);
    }
    EXPECT_EQ(Join(c.host, c.http_port, c.ftp_port, c.ftp_timeout.count(), c.tls, c.https_port,
                   c.login_name, c.login_password, c.ca_file.string(), c.update_key.string(),
                   c.retry.retries, Config::from_environment().retry.retries),
              "host.test|8080|2121|1234|1|443|ann|s3|/none/ca.pem|/none/key.pub|5|2");
    for (const char* problem :
         {"VANTA_TLS=maybe is not on or off", "VANTA_HTTPS_PORT=65536 is not a port number",
          "VANTA_CA_FILE=/none/ca.pem cannot be read",
          "VANTA_UPDATE_KEY=/none/key.pub cannot be read"}) {
        EXPECT_THAT(c.problems, ::testing::HasSubstr(problem));
    }
}

} // namespace
} // namespace vanta::test
