// The vanta command at a terminal (a pseudo-terminal of a chosen width): the progress bar's
// phases and width, Ctrl-C once (the job is cancelled and withdrawn) and twice (at once), and
// the password prompt without echo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "control_client.h"
#include "ftp_checks.h"
#include "scripted_replies.h"
#include "service_fixture.h"

namespace vanta::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr unsigned short kColumns = 50;

// The phases the progress lines name, in order, repeats dropped. Each \r or \n starts a line
// anew; every progress line fits the terminal and, once the bytes are out, shows 100 %.
std::vector<std::string> Phases(std::string drawn) {
    for (size_t at; (at = drawn.find("\033[K")) != drawn.npos;) {
        drawn.erase(at, 3); // erase to the end of the line
    }
    std::vector<std::string> phases;
    size_t start = 0;
    for (size_t end; start < drawn.size(); start = end + 1) {
        end = std::min(drawn.find_first_of("\r\n", start), drawn.size());
        // Less the ^C a terminal echoes after the line.
        const std::string line =
            drawn.substr(start, std::min(end, drawn.find("^C", start)) - start);
        for (const std::string phase : {"measuring", "registering", "sending", "notifying"}) {
            if (line.starts_with(phase)) {
                EXPECT_LT(line.size(), kColumns) << line;
                EXPECT_TRUE(phase != "notifying" || line.find("100%") != line.npos) << line;
                if (phases.empty() || phases.back() != phase) {
                    phases.push_back(phase);
                }
            }
        }
    }
    return phases;
}

class CliTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        ASSERT_EQ(RunChild({CliPath(), "user", "register", "--user", "ann", "--product", "3",
                            "--password-stdin"},
                           {.input = "secret\n"})
                      .exitCode,
                  0);
    }
};

// An upload to its end, and Ctrl-C once (the job is cancelled: an asset it had registered is
// withdrawn) and twice (at once) in the phase each case holds: a slow quota reply holds
// "registering", a STOR the service stops reading holds "sending".
TEST_F(CliTerminal, UploadProgressAndCtrlC) {
    const std::string file = ServiceEnvironment::Instance().WorkDir() + "/big.jpg";
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
        const ChildResult r = RunChild(
            {CliPath(), "upload", "--user", "ann", "--product", "3", "--name", "Trip", file},
            {.env = {{"VANTA_FTP_TIMEOUT_MS", "1500"}},
             .timeout = std::chrono::seconds(30),
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
}

TEST_F(CliTerminal, PasswordPromptDoesNotEcho) {
    const ChildResult r =
        RunChild({CliPath(), "user", "validate", "--user", "ann", "--product", "3"},
                 {.unsetEnv = {"VANTA_PASSWORD"},
                  .terminalColumns = 80,
                  .typeWhen = {{"Password for ann: ", "secret\r"}}});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, Not(HasSubstr("secret")));
    EXPECT_THAT(r.out, HasSubstr("valid: true"));
}

} // namespace
} // namespace vanta::test
