// The vanta command at a terminal (a pseudo-terminal of a chosen width): the progress bar's
// rendering and phases, Ctrl-C once and twice, and the password prompt without echo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_checks.h"
#include "control_client.h"
#include "ftp_checks.h"
#include "pty_process.h"
#include "service_fixture.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

class CliTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        ASSERT_EQ(Vanta({"user", "register", "--user", "ann", "--product", "3", "--password-stdin"},
                        {.input = "secret\n"})
                      .exitCode,
                  0);
        file_ = ServiceEnvironment::Instance().WorkDir() + "/big.jpg";
        // Far more than the socket buffers hold, so that a STOR the service stops reading holds
        // the transfer midway.
        WriteBytes(file_, std::string(20000000, 'b'));
    }

    PtyResult Upload(unsigned short columns,
                     std::vector<std::pair<std::string, std::string>> keys = {}) {
        return RunInPty(
            {CliPath(), "upload", "--user", "ann", "--product", "3", "--name", "Trip", file_},
            {.env = {{"VANTA_FTP_TIMEOUT_MS", "1500"}},
             .columns = columns,
             .timeout = std::chrono::seconds(30),
             .typeWhen = std::move(keys)});
    }

    // The service answers `program` with `body`, `ms` late: a phase held for several polls.
    static void SlowReply(const std::string& program, const std::string& body, int ms) {
        ReplyScript script;
        script.path = program;
        script.body = body;
        script.delay_ms = ms;
        control::Script(script);
    }
    static void SlowQuotaCheck(int ms) {
        SlowReply("/cgiscripts/get_disk_space.exe", "q=104857600&u=0", ms);
    }

    std::string file_;
};

// The phase each drawn progress line names, in order, repeats dropped.
std::vector<std::string> Phases(const std::vector<std::string>& lines) {
    std::vector<std::string> phases;
    for (const std::string& line : lines) {
        for (const char* phase : {"measuring", "registering", "sending", "notifying"}) {
            if (line.rfind(phase, 0) == 0 && (phases.empty() || phases.back() != phase)) {
                phases.push_back(phase);
            }
        }
    }
    return phases;
}

TEST_F(CliTerminal, ProgressFitsTheWidthAndNamesEachPhase) {
    for (const int width : {40, 200}) {
        const auto columns = static_cast<unsigned short>(width);
        SCOPED_TRACE(columns);
        // Slow registration and notification make those phases last several polls; a STOR
        // that stops being read holds the bar mid-transfer until the FTP limit ends the job.
        control::Reset(false);
        SlowQuotaCheck(600);
        SlowReply("/cgiscripts/smtp_mail.exe", "r=OK&n=0", 600);
        const PtyResult done = Upload(columns);
        EXPECT_EQ(done.exitCode, 0) << done.output;
        control::Reset(false);
        control::FtpFaults({{"stall_stor_after", 1000000}});
        const PtyResult stalled = Upload(columns);
        EXPECT_EQ(stalled.exitCode, 3) << stalled.output;

        const std::vector<std::string> doneLines = DrawnLines(done.output);
        const std::vector<std::string> stalledLines = DrawnLines(stalled.output);
        for (const auto* lines : {&doneLines, &stalledLines}) {
            for (const std::string& line : *lines) {
                if (!Phases({line}).empty()) {
                    EXPECT_LT(line.size(), columns) << line;
                }
            }
        }
        const std::vector<std::string> donePhases = Phases(doneLines);
        ASSERT_FALSE(donePhases.empty()) << done.output;
        EXPECT_EQ(donePhases.back(), "notifying") << done.output;
        EXPECT_THAT(donePhases, Contains("registering")) << done.output;
        // Once the bytes are out the line says so, rather than dropping to 0 %.
        for (const std::string& line : doneLines) {
            if (line.rfind("notifying", 0) == 0) {
                EXPECT_THAT(line, HasSubstr("100%"));
            }
        }
        EXPECT_THAT(Phases(stalledLines), Contains("sending")) << stalled.output;
        // Held mid-transfer, the line shows how far it got.
        EXPECT_THAT(stalledLines, Contains(AllOf(StartsWith("sending"), Not(HasSubstr("100%")),
                                                 Not(HasSubstr("  0%")))))
            << stalled.output;
        EXPECT_THAT(stalled.output, HasSubstr("vanta: upload: "));
    }
}

TEST_F(CliTerminal, CtrlCCancelsAndASecondQuitsAtOnce) {
    // Ctrl-C while the quota is being checked: the job stops before it registers anything.
    SlowQuotaCheck(800);
    const PtyResult once = Upload(80, {{"registering", "\x03"}});
    EXPECT_EQ(once.exitCode, 130) << once.output;
    EXPECT_THAT(once.output,
                HasSubstr("vanta: upload: interrupted: cancelled before the asset was registered"));
    EXPECT_THAT(control::RequestsTo("/cgiscripts/create_asset.exe"), IsEmpty());

    // The second Ctrl-C does not wait for the job to stop.
    control::Reset(false);
    SlowQuotaCheck(1800);
    const PtyResult twice = Upload(80, {{"registering", "\x03"}, {"cancelling", "\x03"}});
    EXPECT_EQ(twice.exitCode, 130) << twice.output;
    EXPECT_LT(twice.msAfterLastKey, 1000) << twice.output;
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
