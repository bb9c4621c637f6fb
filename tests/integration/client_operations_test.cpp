// vanta::Client's synchronous operations against the reference service: each outcome of an
// operation becomes one value or one error category (with the export's code and a reason),
// and reply values become typed records. The exports' own tests cover the wire format; these
// cover what the client adds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base64.h"
#include "control_client.h"
#include "scripted_replies.h"
#include "service_fixture.h"
#include "vanta/client.hpp"

namespace vanta::test {
namespace {

using namespace std::chrono;

Config LocalConfig() {
    Config config;
    config.host = "127.0.0.1";
    config.ftp_timeout = milliseconds(3000);
    return config;
}

template <class R>
void ExpectError(const R& result, ErrorCategory category, unsigned int code) {
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(to_string(result.error().category), to_string(category));
    EXPECT_EQ(result.error().code, code);
    EXPECT_FALSE(result.error().reason.empty());
}

NewAccount Account(const std::string& user, const std::string& password) {
    NewAccount account{user, password, "7", {}};
    account.details.first_name = "Ann";
    account.details.code = "C1";
    return account;
}

class ClientOperations : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
    Client client{LocalConfig()};
};

TEST_F(ClientOperations, EveryLoginOutcomeHasOneMeaning) {
    const std::string path = "/cgiscripts/validate_user.exe";
    const struct {
        const char* reply; // nullptr: a reply cut short
        bool published, homepage;
        ErrorCategory category;
        unsigned int code; // 0: a valid login
    } cases[] = {
        {"s=0&p=1&h=0", true, false, {}, 0},
        {"s=0&p=0&h=1", false, true, {}, 0},
        {"s=1&p=0&h=0", false, false, ErrorCategory::wrong_password, 8192},
        {"s=2&p=0&h=0", false, false, ErrorCategory::product_not_registered, 1024},
        {"s=3&p=0&h=0", false, false, ErrorCategory::wrong_password, 9216},
        {"s=0&p=FAIL&h=FAIL", false, false, ErrorCategory::unknown_user, 256},
        {nullptr, false, false, ErrorCategory::network, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply ? c.reply : "cut short");
        c.reply ? ScriptReply(path, c.reply) : ScriptBrokenReply(path);
        const Result<Login> login = client.validate_user("ann", "pw", "7");
        if (c.code == 0) {
            ASSERT_TRUE(login.has_value()) << login.error().reason;
            EXPECT_EQ(login->has_published, c.published);
            EXPECT_EQ(login->has_homepage, c.homepage);
        } else {
            ExpectError(login, c.category, c.code);
        }
    }
}

TEST_F(ClientOperations, AnAccountFromRegistrationToRemoval) {
    const Result<Registration> created = client.register_user(Account("ann", "pw"));
    ASSERT_TRUE(created.has_value()) << created.error().reason;
    EXPECT_EQ(created->kind, Registration::Kind::new_account);
    EXPECT_EQ(created->user_id, "ann");
    // The service writes "*" for the "&" it means; the client gives the message back whole.
    EXPECT_NE(created->message.find('&'), std::string::npos) << created->message;
    EXPECT_EQ(client.register_user(Account("ann", "pw"))->kind, Registration::Kind::existing);
    NewAccount other = Account("ann", "pw");
    other.product_id = "8";
    EXPECT_EQ(client.register_user(other)->kind, Registration::Kind::new_product);
    ExpectError(client.register_user(Account("ann", "other")), ErrorCategory::wrong_password, 8192);
    ExpectError(client.register_user(Account("", "pw")), ErrorCategory::refused, 256);

    const Result<User> user = client.user_info("ann");
    ASSERT_TRUE(user.has_value()) << user.error().reason;
    EXPECT_EQ(user->details.first_name, "Ann");
    EXPECT_EQ(user->details.code, "C1");
    EXPECT_EQ(std::to_string(user->user_number), created->user_number);
    EXPECT_EQ(user->product_count, 2);
    UserDetails changed = user->details;
    changed.city = "Oslo";
    EXPECT_TRUE(client.update_user("ann", "pw", changed).has_value());
    EXPECT_EQ(client.user_info("ann")->details.city, "Oslo");
    ExpectError(client.update_user("ann", "wrong", changed), ErrorCategory::refused, 256);
    EXPECT_TRUE(client.delete_user("ann").has_value());
    ExpectError(client.delete_user("ann"), ErrorCategory::unknown_user, 256);
    ExpectError(client.user_info("ann"), ErrorCategory::unknown_user, 2048);
}

TEST_F(ClientOperations, AssetRepliesBecomeTypedRecords) {
    const std::string list = "/cgiscripts/get_asset.exe";
    // Two list records of 13 values: name, description, product, type, declared size, asset
    // id, creation day number, asset number, password, files, page, views, file names.
    ScriptReply(list, "n=Trip&d=Two days&p=7&t=2&s=5000000000&i=ID1&c=46362.5&a=12&w=PW"
                      "&f=2&u=http://x/12&v=-1&l=a.jpg|b.jpg"
                      "&n=Solo&d=&p=7&t=0&s=1&i=ID2&c=0&a=13&w=PW2&f=1&u=&v=0&l=c.txt");
    const Result<std::vector<Asset>> assets = client.asset_list("U", "7");
    ASSERT_TRUE(assets.has_value()) << assets.error().reason;
    ASSERT_EQ(assets->size(), 2U);
    const Asset& trip = assets->front();
    EXPECT_EQ(trip.asset_number, "12");
    EXPECT_EQ(trip.declared_size, 5000000000);
    EXPECT_EQ(trip.password, "PW");
    EXPECT_EQ(trip.created, sys_days(2026y / December / 6) + hours(12));
    EXPECT_EQ(trip.page_views, -1);
    EXPECT_EQ(trip.file_names, (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(assets->back().created, sys_days(1899y / December / 30));
    ScriptReply(list, "n=NOROWS");
    EXPECT_TRUE(client.asset_list("U", "7")->empty());
    ScriptReply(list, "n=FAIL");
    ExpectError(client.asset_list("U", "7"), ErrorCategory::unknown_user, 256);
    ScriptReply(list, "n=FAIL");
    ExpectError(client.asset_info("U", "12"), ErrorCategory::not_found, 256);

    const std::string stats = "/cgiscripts/get_stats.exe";
    ScriptReply(stats, "day=20261206&views=3&day=20261207&views=1");
    const Result<std::vector<AssetStat>> days = client.asset_stats("U", "12");
    ASSERT_TRUE(days.has_value()) << days.error().reason;
    ASSERT_EQ(days->size(), 2U);
    EXPECT_EQ(days->front().day, sys_days(2026y / December / 6));
    EXPECT_EQ(days->front().page_views, 3);
    ScriptReply(stats, "day=20261399&views=1");
    ExpectError(client.asset_stats("U", "12"), ErrorCategory::unexpected_reply, 0);

    const std::string space = "/cgiscripts/get_disk_space.exe";
    ScriptReply(space, "quota=8589934592&used=10");
    const Result<DiskSpace> quota = client.disk_space("U", "7");
    ASSERT_TRUE(quota.has_value()) << quota.error().reason;
    EXPECT_EQ(quota->quota, 8589934592U);
    EXPECT_EQ(quota->used, 10U);
    for (const char* reply : {"no fields", "quota=lots&used=1", "quota=1&used=-1"}) {
        SCOPED_TRACE(reply);
        ScriptReply(space, reply);
        ExpectError(client.disk_space("U", "7"), ErrorCategory::unexpected_reply, 0);
    }
}

TEST_F(ClientOperations, HomepageOutcomesAreToldApart) {
    ASSERT_TRUE(client.register_user(Account("ann", "pw")).has_value());
    ExpectError(client.homepage("ann"), ErrorCategory::not_found, 0);
    ExpectError(client.delete_homepage("ann"), ErrorCategory::not_found, 0);
    ExpectError(client.update_homepage("nobody", {"T", "H", "B", "1", "R"}), ErrorCategory::refused,
                0);
    EXPECT_TRUE(client.update_homepage("ann", {"Title", "Head", "Body & more", "3", "Reply"}));
    const Result<Homepage> read = client.homepage("ann");
    ASSERT_TRUE(read.has_value()) << read.error().reason;
    EXPECT_EQ(read->title, "Title");
    EXPECT_EQ(read->reply, "Reply");
    ScriptReply("/cgiscripts/get_homepage.exe", "t=FAIL");
    ExpectError(client.homepage("ann"), ErrorCategory::unknown_user, 0);
    ScriptBrokenReply("/cgiscripts/get_homepage.exe");
    ExpectError(client.homepage("ann"), ErrorCategory::network, 0);
}

TEST_F(ClientOperations, FilesVersionAndUpdateOverFtp) {
    const std::filesystem::path dir = ServiceEnvironment::Instance().WorkDir() + "/client-files";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "note.txt") << "hello";
    std::filesystem::create_directories(ServiceDataDir() + "/ftp/assets/box");
    EXPECT_TRUE(client.send_file(dir / "note.txt", "/assets/box", "n.txt").has_value());
    const std::vector<std::filesystem::path> files{dir / "note.txt"};
    EXPECT_TRUE(client.send_files("/assets/box", files).has_value());
    EXPECT_EQ(client.file_exists("box", "n.txt").value_or(false), true);
    EXPECT_EQ(client.file_exists("box", "gone.txt").value_or(true), false);
    ExpectError(client.remove_directory("/assets/box"), ErrorCategory::refused, 16);
    EXPECT_TRUE(client.delete_file("box", "n.txt").has_value());
    ExpectError(client.delete_file("box", "n.txt"), ErrorCategory::not_found, 1024);
    EXPECT_TRUE(client.delete_file("box", "note.txt").has_value());
    EXPECT_TRUE(client.remove_directory("/assets/box").has_value());
    const Result<std::filesystem::path> update = client.download_update(dir);
    ASSERT_TRUE(update.has_value()) << update.error().reason;
    EXPECT_EQ(*update, dir / "VantaAPI.dll");
    EXPECT_TRUE(std::filesystem::is_regular_file(*update));
    const Result<VersionCheck> version = client.check_version();
    ASSERT_TRUE(version.has_value()) << version.error().reason;
    EXPECT_TRUE(version->up_to_date);
    EXPECT_EQ(version->service, Client::library_version());
    ScriptReply("/cgiscripts/get_version.exe", "v=9.9");
    EXPECT_FALSE(client.check_version()->up_to_date);

    // Nothing listens on these ports: every operation ends as a network failure, in bounds.
    Config closed = LocalConfig();
    closed.http_port = 81;
    closed.ftp_port = 22;
    const Client unreachable(closed);
    ExpectError(unreachable.check_version(), ErrorCategory::network, 32);
    ExpectError(unreachable.file_exists("box", "n.txt"), ErrorCategory::network, 16);
    ExpectError(unreachable.send_file(dir / "note.txt", "", "n.txt"), ErrorCategory::network, 0);
    // The FTP exports' one failure code splits by what failed.
    ExpectError(client.send_file(dir / "missing.txt", "", "m.txt"), ErrorCategory::local_file, 0);
    control::FtpFaults({{"refuse_login", true}});
    ExpectError(client.file_exists("box", "n.txt"), ErrorCategory::refused, 16);
    control::FtpFaults(nlohmann::json::object());
}

// Config::from_environment reads what the exports read at load, with the same parsing: each
// row sets one variable and says what the Config must then hold and which problem it reports.
TEST(ClientConfig, FromEnvironmentTakesEverySettingOfTheExports) {
    const struct {
        const char* variable;
        const char* value;
        std::function<bool(const Config&)> holds;
        const char* problem; // "" when the value is fine
    } cases[] = {
        {"VANTA_TLS", "Yes", [](const Config& c) { return c.tls; }, ""},
        {"VANTA_TLS", "off", [](const Config& c) { return !c.tls; }, ""},
        {"VANTA_TLS", "maybe", [](const Config& c) { return c.tls; }, "is not on or off"},
        {"VANTA_CA_FILE", "/nonexistent/ca.pem",
         [](const Config& c) { return c.ca_file == "/nonexistent/ca.pem"; }, "cannot be read"},
        {"VANTA_HTTPS_PORT", "8443", [](const Config& c) { return c.https_port == 8443; }, ""},
        {"VANTA_HTTPS_PORT", "0", [](const Config& c) { return c.https_port == 443; },
         "VANTA_HTTPS_PORT=0 is not a port number"},
        {"VANTA_LOGIN", "ann", [](const Config& c) { return c.login_name == "ann"; }, ""},
        {"VANTA_LOGIN_PASSWORD", "s3cret",
         [](const Config& c) { return c.login_password == "s3cret"; }, ""},
        {"VANTA_FTP_PORT", "x", [](const Config& c) { return c.ftp_port == 21; },
         "VANTA_FTP_PORT=x is not a port number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + "=" + c.value);
        ::setenv(c.variable, c.value, 1);
        const Config config = Config::from_environment();
        ::unsetenv(c.variable);
        EXPECT_TRUE(c.holds(config));
        if (*c.problem == '\0') {
            EXPECT_EQ(config.problems, "");
        } else {
            EXPECT_THAT(config.problems, ::testing::HasSubstr(c.problem));
        }
    }
}

// The login pair of a Config reaches the wire, and the trace handler sees the conversation
// with the credentials masked.
TEST(ClientConfig, LoginPairAndTraceReachTheRequest) {
    control::Reset(true);
    std::mutex mutex;
    std::vector<std::string> lines;
    set_trace_handler([&](std::string_view line) {
        const std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(line);
    });
    Config config = LocalConfig();
    config.login_name = "ann";
    config.login_password = "s3cret";
    const Result<VersionCheck> version = Client(config).check_version();
    set_trace_handler({});
    ASSERT_TRUE(version.has_value()) << version.error().reason;
    const std::vector<LoggedRequest> logged = control::RequestLog();
    ASSERT_EQ(logged.size(), 1U);
    EXPECT_EQ(logged[0].Header("Authorization"), "Basic " + Base64Encode("ann:s3cret"));
    EXPECT_THAT(lines, ::testing::Contains(::testing::StartsWith("> POST /cgiscripts/")));
    EXPECT_THAT(lines, ::testing::Contains("> Authorization: ****"));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
    }
}

// Two clients in one process, each on its own host: each sees its own service only, also
// while both are used from several threads at once.
TEST(ClientHosts, TwoClientsOnTwoHostsSideBySide) {
    control::Reset(true);
    ServiceEnvironment second("127.0.0.2");
    second.SetUp();
    if (::testing::Test::HasFatalFailure()) {
        return;
    }
    Config otherHost = LocalConfig();
    otherHost.host = "127.0.0.2";
    const Client first(LocalConfig());
    const Client other(otherHost);
    ASSERT_TRUE(other.register_user(Account("bob", "pw")).has_value());
    std::vector<std::thread> threads;
    // Two threads each: enough to share the clients, few enough that a loaded test machine
    // answers within the request channel's 2 s limit.
    std::vector<int> mismatches(2, 0);
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3; ++i) {
                const Result<Login> here = first.validate_user("bob", "pw", "7");
                const Result<Login> there = other.validate_user("bob", "pw", "7");
                if (here.has_value() || here.error().category != ErrorCategory::unknown_user ||
                    !there.has_value()) {
                    ++mismatches[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(2, 0));
    second.TearDown();
}

} // namespace
} // namespace vanta::test
