// Sharing files by email: the info file as it arrives on the host, the change to the caller's
// file list, the session and mail requests, the results before and instead of a job, and what
// a cancel or a failed transfer leaves behind.
#include <gmock/gmock.h>

#include "job_checks.h"
#include "joined.h"

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

using Email = JobTest;

// A subject with a line break adds no recipient: it becomes one line with a blank.
TEST_F(Email, InfoFileFilesAndRequestsArriveByteForByte) {
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com");
    share.File(files_.Write("a.txt", "alpha")).File(files_.Write("b.bin", Pattern(3000)));
    share.subject = "Pictures\r\nTO: thief@example.com";
    share.message = "Hello\r\n\r\nWorld\n";
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_THAT(share.Files(),
                ElementsAre(files_.Path("a.txt"), files_.Path("b.bin"), LocalInfoPath()));
    const JobStatus status = Status("as passed"); // a share has no page address
    EXPECT_EQ(Join(status.code, status.text), "1|");
    EXPECT_THAT(BodiesPostedTo(kGetUniquePath), ElementsAre("\n"));
    const std::string session = SessionFromFtpLog();
    EXPECT_EQ(ReadBytes(FtpPath("assets/" + session + "/b.bin")), Pattern(3000));
    // "\r\n\r\n" leaves the piece "\r" between the two LFs: it is not empty, so it is a line.
    EXPECT_EQ(
        ReadBytes(FtpPath("assets/" + session + "/~emailinfo.qorl")),
        "TO: bob@example.com\r\nFR: ann@example.com\r\nSU: Pictures  TO: thief@example.com"
        "\r\nMS: Hello\r\r\nMS: \r\r\nMS: World\r\nFL: a.txt\r\nFL: b.bin\r\nSN: Ann Lee\r\n");
    EXPECT_THAT(BodiesPostedTo(kFireEmailsPath), ElementsAre("SessionName=" + session + "\n"));
    EXPECT_THAT(OutboxMessages(), ElementsAre(AllOf(HasSubstr("To: bob@example.com"),
                                                    HasSubstr("From: Ann Lee <ann@example.com>"),
                                                    Not(HasSubstr("To: thief")))));
    // The local info file is gone once its copy is on the host.
    EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
}

// Nothing starts and nothing is written when a file is missing, no regular file (a FIFO would
// block for ever) or named with a NUL byte, when a link waits at the info file's path (it is
// not followed), or when there is no address or a malformed one (then nothing is asked for
// either, and the list keeps even a stale info entry; blanks around an address are the
// service's to strip). The session reply: FAIL, a reply without "=" and one with an
// empty first value give no session name, a reply later than the channel's 2-second limit
// fails the channel. The mail reply: only a first value of exactly FAIL is a refusal (a
// trailing line feed makes it another value); a reply past the limit fails the channel; the
// local info file goes before the mails are asked for; a job whose mails were not sent takes
// its session off the host.
TEST_F(Email, EachArgumentAndReplyDecidesTheResult) {
    const std::string fifo = files_.Path("pipe");
    const bool fifos = MakeFifo(fifo);
    const std::string a = files_.Write("a.txt", "a");
    const std::string victim = files_.Write("victim.txt", "precious");
    const std::string stale = files_.Path("old/~emailinfo.qorl");
    const struct {
        int addresses;
        std::string file;
        bool planted;     // a link to the victim at the info file's path
        const char* path; // the program whose reply is scripted
        std::string reply;
        int delayMs;
        unsigned int started;
        unsigned long code;
        std::string alsoTo = ""; // one more address
    } cases[] = {
        {1, files_.Path("missing.txt"), false, nullptr, "", 0, 8, 16384},
        {2, fifo, false, nullptr, "", 0, 8, 16384},
        {1, victim + std::string("\0.x", 3), false, nullptr, "", 0, 8, 16384},
        {1, victim, true, nullptr, "", 0, 8, 16384},
        {0, a, false, nullptr, "", 0, 0, 16384},
        {1, a, false, nullptr, "", 0, 0, 16384, "bob.example.com"},
        {1, a, false, nullptr, "", 0, 0, 16384, "bob@@example.com"},
        {1, a, false, nullptr, "", 0, 0, 16384, "@example.com"},
        {1, a, false, nullptr, "", 0, 0, 16384, "bob@"},
        {1, a, false, nullptr, "", 0, 0, 16384, "bob smith@example.com"},
        {1, a, false, nullptr, "", 0, 0, 16384, "bob@example.com\r\nTO: eve@example.com"},
        {1, a, false, kGetUniquePath, "session=FAIL", 0, 0, 16384},
        {1, a, false, kGetUniquePath, "FAIL", 0, 0, 16384},
        {1, a, false, kGetUniquePath, "session=&x=1", 0, 0, 16384},
        {1, a, false, kGetUniquePath, "session=S", 3000, 32, 16384},
        {1, a, false, kFireEmailsPath, "", 0, 1, 1},
        {1, a, false, kFireEmailsPath, "result=FAIL&sent=0", 0, 1, 0},
        {1, a, false, kFireEmailsPath, "result=FAIL\n", 0, 1, 1},
        {1, a, false, kFireEmailsPath, "result=OK", 3000, 1, 32},
        {1, a, false, nullptr, "", 0, 1, 1, " bob@example.com\t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.reply);
        if (c.file == fifo && !fifos) {
            continue;
        }
        control::Reset();
        if (c.path != nullptr) {
            ScriptReply(c.path, c.reply, c.delayMs);
        }
        if (c.planted) {
            std::error_code error; // wine makes no symbolic links
            std::filesystem::create_symlink(victim, LocalInfoPath(), error);
            if (error == std::errc::function_not_supported) {
                continue;
            }
            ASSERT_FALSE(error) << error.message();
        }
        EmailShare share;
        for (int i = 0; i < c.addresses; ++i) {
            share.Address("a" + std::to_string(i) + "@example.com");
        }
        if (!c.alsoTo.empty()) {
            share.Address(c.alsoTo);
        }
        const bool refused = c.addresses == 0 || (!c.alsoTo.empty() && c.started == 0);
        EXPECT_EQ(share.File(c.file).File(stale).Start(), c.started);
        EXPECT_EQ(Status().code, c.code);
        EXPECT_THAT(share.Files(),
                    ElementsAreArray(c.started == 1 ? std::vector{c.file, LocalInfoPath()}
                                     : refused      ? std::vector{c.file, stale}
                                                    : std::vector{c.file}));
        EXPECT_EQ(ReadBytes(victim), "precious");
        EXPECT_EQ(control::FtpLog().sessions_total > 0, c.started == 1);
        EXPECT_EQ(control::RequestLog().empty(), refused);
        if (c.started == 1) {
            EXPECT_EQ(LeftOnService(SessionFromFtpLog()).empty(), c.code != 1);
            EXPECT_EQ(std::filesystem::exists(FtpPath("assets/" + SessionFromFtpLog())),
                      c.code == 1);
        }
        EXPECT_EQ(std::filesystem::exists(LocalInfoPath()), c.planted);
        std::filesystem::remove(LocalInfoPath());
    }
}

// A cancel (the server stopped reading mid-file) and a transfer the server breaks off take the
// files and the session directory off the host; a failed transfer gives 16. None fires the
// mails, and the local info file stays. When the roll-back cannot log in either, only the
// session's empty directory, which the service made, stays.
TEST_F(Email, CancelOrAFailedTransferSendsNoMail) {
    const struct {
        const char* name;
        nlohmann::json faults;
        unsigned long code;
    } cases[] = {
        {"cancel", {{"stall_stor_after", 1 << 20}}, 16384},
        {"broken transfer", {{"fail_stor_after", 100000}}, 16},
        // The exports make one attempt unless the process names retries.
        {"dropped connection", {{"drop_control_after", 100000}}, 16},
        {"refused login", {{"refuse_login", true}}, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control::Reset(true);
        control::FtpFaults(c.faults);
        EmailShare share;
        share.Address("ann@example.com").Address("bob@example.com");
        ASSERT_EQ(share.File(files_.Sparse("big.bin", 64ULL << 20)).Start(), 1U);
        if (c.code == 16384) {
            ASSERT_TRUE(WaitUntil([] { return QDX_GetUploadProgress() > 0; }));
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            EXPECT_EQ(QDX_CancelUpload(3000), 1U);
        }
        EXPECT_EQ(Status().code, c.code);
        control::FtpFaults(nlohmann::json::object());
        EXPECT_FALSE(Requested(kFireEmailsPath));
        EXPECT_TRUE(std::filesystem::exists(LocalInfoPath()));
        const std::vector<std::string> left = LeftOnService("");
        EXPECT_EQ(left.size(), c.faults.contains("refuse_login") ? 1U : 0U);
        for (const std::string& entry : left) {
            EXPECT_TRUE(std::filesystem::is_directory(FtpPath("assets/" + entry))) << entry;
        }
    }
}

} // namespace
