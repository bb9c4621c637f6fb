// Sharing files by email: the info file as it arrives on the host, the change to the caller's
// file list, the session and mail requests, the results before and instead of a job, and what
// a cancel or a failed transfer leaves behind.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include "job_checks.h"

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Email = JobTest;

TEST_F(Email, InfoFileFilesAndRequestsArriveByteForByte) {
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com");
    share.File(files_.Write("a.txt", "alpha")).File(files_.Write("b.bin", Pattern(3000)));
    share.message = "Hello\r\n\r\nWorld\r\n";
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_THAT(share.Files(),
                ElementsAre(files_.Path("a.txt"), files_.Path("b.bin"), LocalInfoPath()));
    const JobStatus status = Status("as passed");
    EXPECT_EQ(status.code, 1U);
    EXPECT_EQ(status.text, "");
    EXPECT_THAT(BodiesPostedTo(kGetUniquePath), ElementsAre("\n"));
    const std::string session = SessionFromFtpLog();
    ASSERT_FALSE(session.empty());
    EXPECT_THAT(HostFiles("assets/" + session), ElementsAre("a.txt", "b.bin", kInfoName));
    EXPECT_EQ(ReadBytes(FtpPath("assets/" + session + "/b.bin")), Pattern(3000));
    // "\r\n\r\n" leaves the piece "\r" between the two LFs: it is not empty, so it is a line.
    EXPECT_EQ(ReadBytes(FtpPath("assets/" + session + "/" + kInfoName)),
              "TO: bob@example.com\r\nFR: ann@example.com\r\nSU: Pictures\r\nMS: Hello\r\r\n"
              "MS: \r\r\nMS: World\r\r\nFL: a.txt\r\nFL: b.bin\r\nSN: Ann Lee\r\n");
    EXPECT_THAT(BodiesPostedTo(kFireEmailsPath), ElementsAre("SessionName=" + session + "\n"));
    // The local info file is gone once its copy is on the host.
    EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
}

TEST_F(Email, EveryRecipientGetsTheMessageAndABrokenSubjectAddsNoOne) {
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com").Address("cy@example.com");
    share.File(files_.Write("photo.jpg", Pattern(5000, 7)));
    share.subject = "Holiday\r\nTO: thief@example.com";
    share.message = "\nFirst line\n\nSecond line\n";
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_EQ(Status().code, 1U);
    const std::vector<std::string> mails = OutboxMessages();
    ASSERT_EQ(mails.size(), 2U);
    EXPECT_TRUE(Contains(mails[0], "To: bob@example.com"));
    EXPECT_TRUE(Contains(mails[1], "To: cy@example.com"));
    for (const std::string& mail : mails) {
        EXPECT_TRUE(Contains(mail, "From: Ann Lee <ann@example.com>")) << mail;
        EXPECT_TRUE(Contains(mail, "Subject: Holiday  TO: thief@example.com")) << mail;
        EXPECT_TRUE(Contains(mail, "First line\r\nSecond line\r\n")) << mail;
        EXPECT_TRUE(Contains(mail, "filename=\"photo.jpg\"")) << mail;
        EXPECT_FALSE(Contains(mail, "To: thief")) << mail;
    }
}

// Nothing starts, nothing is asked for and the list keeps its entries when a file is
// missing or no regular file (a FIFO would block for ever), or when there is no address.
TEST_F(Email, BadArgumentsEndTheCallBeforeAnything) {
    const std::string fifo = files_.Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char* what;
        std::vector<std::string> addresses;
        std::string file;
        unsigned int result;
    } cases[] = {
        {"missing file", {"ann@example.com"}, files_.Path("missing.txt"), 8},
        {"FIFO", {"ann@example.com", "bob@example.com"}, fifo, 8},
        {"no address", {}, files_.Path("old/~emailinfo.qorl"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        control::Reset();
        EmailShare share;
        for (const std::string& address : c.addresses) {
            share.Address(address);
        }
        share.File(c.file);
        EXPECT_EQ(share.Start(), c.result);
        EXPECT_FALSE(QDX_IsUploading());
        EXPECT_EQ(Status().code, 16384U);
        EXPECT_THAT(share.Files(), ElementsAre(c.file));
        EXPECT_EQ(control::FtpLog().sessions_total, 0);
        if (c.result == 0) {
            EXPECT_THAT(control::RequestLog(), IsEmpty());
            EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
        }
    }
}

// FAIL; a reply without "=" and one with an empty first value give no session name; a reply
// later than the channel's 2-second limit fails the channel. None writes anything.
TEST_F(Email, ASessionReplyWithoutANameWritesNothing) {
    const struct {
        std::string reply;
        int delayMs;
        unsigned int expected;
    } cases[] = {{"session=FAIL", 0, 0U},
                 {"FAIL", 0, 0U},
                 {"session=&x=1", 0, 0U},
                 {"session=S1", 3000, 32U}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kGetUniquePath, c.reply, c.delayMs);
        EmailShare share;
        share.Address("ann@example.com").File(files_.Write("a.txt", "a"));
        share.File(files_.Path("old/~emailinfo.qorl"));
        EXPECT_EQ(share.Start(), c.expected);
        EXPECT_THAT(share.Files(), ElementsAre(files_.Path("a.txt")));
        EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
        EXPECT_FALSE(QDX_IsUploading());
    }
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
}

TEST_F(Email, ALinkPlantedAtTheInfoFilesPathIsNotFollowed) {
    const std::string target = files_.Write("victim.txt", "precious");
    ASSERT_EQ(symlink(target.c_str(), LocalInfoPath().c_str()), 0);
    EmailShare share;
    share.Address("ann@example.com").File(files_.Write("a.txt", "a"));
    EXPECT_EQ(share.Start(), 8U);
    EXPECT_EQ(ReadBytes(target), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(LocalInfoPath()));
    EXPECT_FALSE(QDX_IsUploading());
}

// A second share while a job runs must not touch what the running job still sends: 16
// before any request, any file or any change to the caller's list. The running job is an
// upload or another share, whose mail then still goes to its own recipient only.
TEST_F(Email, WhileAJobRunsASecondShareGivesSixteenBeforeAnything) {
    for (const bool runningShare : {false, true}) {
        SCOPED_TRACE(runningShare ? "share" : "upload");
        control::Reset(true);
        RegisterUser("alice");
        control::FtpFaults({{"delay_ms", 200}});
        Upload upload;
        EmailShare first;
        if (runningShare) {
            first.Address("ann@example.com").Address("bob@example.com");
            ASSERT_EQ(first.File(files_.Write("first.txt", "first")).Start(), 1U);
        } else {
            ASSERT_EQ(upload.File(files_.Write("big.bin", Pattern(20000))).Start(), 1U);
        }
        const std::string infoBefore = ReadBytes(LocalInfoPath());
        const size_t sessionsAsked = BodiesPostedTo(kGetUniquePath).size();
        EmailShare second;
        second.Address("eve@example.com").Address("carol@example.com");
        second.File(files_.Write("a.txt", "a")).File(files_.Path("old/~emailinfo.qorl"));
        EXPECT_EQ(second.Start(), 16U);
        EXPECT_TRUE(QDX_IsUploading());
        EXPECT_EQ(BodiesPostedTo(kGetUniquePath).size(), sessionsAsked);
        EXPECT_EQ(ReadBytes(LocalInfoPath()), infoBefore);
        EXPECT_THAT(second.Files(),
                    ElementsAre(files_.Path("a.txt"), files_.Path("old/~emailinfo.qorl")));
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(Status().code, 1U);
        if (runningShare) {
            const std::vector<std::string> mails = OutboxMessages();
            ASSERT_EQ(mails.size(), 1U);
            EXPECT_TRUE(Contains(mails[0], "bob@example.com"));
            EXPECT_FALSE(Contains(mails[0], "carol@example.com"));
        } else {
            EXPECT_FALSE(Requested(kFireEmailsPath));
        }
    }
}

// A cancel during the transfer takes every file and the session directory off the host and
// fires no mail; the local info file stays, as after a failed transfer, which gives 16.
TEST_F(Email, CancelOrAFailedTransferSendsNoMailAndLeavesNothingOnTheHost) {
    control::FtpFaults({{"delay_ms", 300}});
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com");
    share.File(files_.Write("a.bin", Pattern(3000, 1))).File(files_.Write("b.bin", Pattern(3000)));
    // A message long enough that the info file takes many blocks.
    share.message = CString(std::string(60, 'm') + "\n");
    for (int i = 0; i < 11; ++i) {
        share.message += share.message;
    }
    ASSERT_EQ(share.Start(), 1U);
    ASSERT_TRUE(WaitUntil([&] { return FtpCommands("STOR").size() == 3; }));
    ASSERT_EQ(FtpCommands("STOR").back(), std::string("STOR ") + kInfoName);
    EXPECT_GT(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(Status().code, 16384U);
    EXPECT_THAT(FtpCommands("DELE"),
                ElementsAre("DELE a.bin", "DELE b.bin", std::string("DELE ") + kInfoName));
    EXPECT_EQ(FtpCommands("RMD").size(), 1U);
    EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/" + SessionFromFtpLog())));
    EXPECT_FALSE(Requested(kFireEmailsPath));
    EXPECT_TRUE(OutboxMessages().empty());
    EXPECT_TRUE(std::filesystem::exists(LocalInfoPath()));

    control::Reset();
    control::FtpFaults({{"refuse_login", true}});
    ASSERT_EQ(share.Start(), 1U);
    const JobStatus status = Status("as passed");
    EXPECT_EQ(status.code, 16U);
    EXPECT_EQ(status.text, "");
    EXPECT_FALSE(Requested(kFireEmailsPath));
    EXPECT_TRUE(std::filesystem::exists(LocalInfoPath()));
}

// Only a first value of exactly FAIL is a refusal; a trailing line feed makes it another
// value. A reply later than the channel's limit fails the channel. The local info file goes
// before the mails are asked for, whatever the answer.
TEST_F(Email, TheMailRequestsReplyDecidesTheResult) {
    const struct {
        std::string reply;
        int delayMs;
        unsigned long expected;
    } cases[] = {{"", 0, 1},
                 {"result=FAIL&sent=0", 0, 0},
                 {"result=FAIL\n", 0, 1},
                 {"result=OK&sent=1", 3000, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        control::Reset(true);
        ScriptReply(kFireEmailsPath, c.reply, c.delayMs);
        EmailShare share;
        ASSERT_EQ(share.Address("ann@example.com").File(files_.Write("a.txt", "a")).Start(), 1U);
        EXPECT_EQ(Status().code, c.expected);
        EXPECT_THAT(BodiesPostedTo(kFireEmailsPath),
                    ElementsAre("SessionName=" + SessionFromFtpLog() + "\n"));
        EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
    }
}

} // namespace
