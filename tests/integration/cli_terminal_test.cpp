// The vanta command at a terminal (a pseudo-terminal of a chosen width): the progress bar's
// phases and width, Ctrl-C once (the job is cancelled and withdrawn) and twice (at once), and
// the password prompt without echo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "control_client.h"
#include "ftp_checks.h"
#include "pty_process.h"
#include "service_fixture.h"

namespace vanta::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr unsigned short kColumns = 50;
using Keys = std::vector<std::pair<std::string, std::string>>;

// The service answers `program` `ms` late: a phase held for several polls.
void SlowReply(const std::string& program, const std::string& body, int ms) {
    ReplyScript script;
    script.path = "/cgiscripts/" + program;
    script.body = body;
    script.delay_ms = ms;
    control::Script(script);
}
void SlowQuota(int ms) {
    SlowReply("get_disk_space.exe", "q=104857600&u=0", ms);
}

// The phase each drawn progress line names, in order, repeats dropped; every line narrower
// than the terminal.
std::vector<std::string> Phases(const std::vector<std::string>& lines) {
    std::vector<std::string> phases;
    for (const std::string& line : lines) {
        for (const char* phase : {"measuring", "registering", "sending", "notifying"}) {
            if (line.rfind(phase, 0) == 0) {
                // The terminal echoes a Ctrl-C as ^C after the line.
                EXPECT_LT(line.substr(0, line.find("^C")).size(), kColumns) << line;
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
// withdrawn) and twice (at once) in the phase each case holds.
TEST_F(CliTerminal, UploadProgressAndCtrlC) {
    const std::string file = ServiceEnvironment::Instance().WorkDir() + "/big.jpg";
    // Far more than the socket buffers hold, so that a STOR the service stops reading holds
    // the transfer midway.
    WriteBytes(file, std::string(20000000, 'b'));
    const auto stallStor = [] { control::FtpFaults({{"stall_stor_after", 1000000}}); };
    const struct {
        const char* name;
        std::function<void()> hold;
        Keys keys;
        int exit;
        bool registered;  // the asset had been registered (and must be withdrawn on Ctrl-C)
        std::string last; // the phase the bar named last
    } cases[] = {
        {"to the end",
         [] {
             SlowQuota(600);
             SlowReply("smtp_mail.exe", "r=OK&n=0", 600);
         },
         {},
         0,
         true,
         "notifying"},
        {"while the quota is checked",
         [] { SlowQuota(800); },
         {{"registering", "\x03"}},
         130,
         false,
         "registering"},
        {"while sending", stallStor, {{"sending", "\x03"}}, 130, true, "sending"},
        {"twice",
         [] { SlowQuota(1800); },
         {{"registering", "\x03"}, {"cancelling", "\x03"}},
         130,
         false,
         "registering"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(false);
        c.hold();
        const PtyResult r = RunInPty(
            {CliPath(), "upload", "--user", "ann", "--product", "3", "--name", "Trip", file},
            {.env = {{"VANTA_FTP_TIMEOUT_MS", "1500"}},
             .columns = kColumns,
             .timeout = std::chrono::seconds(30),
             .typeWhen = c.keys});
        EXPECT_EQ(r.exitCode, c.exit) << r.output;
        const std::vector<std::string> lines = DrawnLines(r.output);
        const std::vector<std::string> phases = Phases(lines);
        ASSERT_FALSE(phases.empty()) << r.output;
        EXPECT_EQ(phases.back(), c.last) << r.output;
        if (c.keys.empty()) {
            EXPECT_THAT(phases, Contains("registering")) << r.output; // held by the slow quota
        }
        // The line shows how far the bytes got; once they are out, 100 %.
        EXPECT_THAT(lines, Not(Contains(AllOf(StartsWith("notifying"), Not(HasSubstr("100%"))))));
        if (c.keys.size() == 1) {
            EXPECT_THAT(r.output, HasSubstr("vanta: upload: interrupted: "));
        } else if (c.keys.size() > 1) {
            EXPECT_LT(r.msAfterLastKey, 1000) << r.output;
        }
        const bool withdrawn = c.registered && !c.keys.empty();
        EXPECT_EQ(control::RequestsTo("/cgiscripts/create_asset.exe").size(),
                  c.registered ? 1U : 0U);
        EXPECT_EQ(control::RequestsTo("/cgiscripts/delete_asset.exe").size(), withdrawn ? 1U : 0U);
    }
}

TEST_F(CliTerminal, PasswordPromptDoesNotEcho) {
    const PtyResult r = RunInPty(
        {CliPath(), "user", "validate", "--user", "ann", "--product", "3"},
        {.unsetEnv = {"VANTA_PASSWORD"}, .typeWhen = {{"Password for ann: ", "secret\r"}}});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_THAT(r.output, Not(HasSubstr("secret")));
    EXPECT_THAT(r.output, HasSubstr("valid: true"));
}

} // namespace
} // namespace vanta::test
