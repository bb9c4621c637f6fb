// QDX_Email: the info file it writes (as it arrives on the host), the change to the caller's
// file list, the session request, and the results before and instead of a job.
#include "email_checks.h"

#include <gmock/gmock.h>

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {
using EmailRequest = EmailJobTest;

TEST_F(EmailRequest, OneAddressWithCrLfMessageArrivesByteForByteAndTheJobEndsCleanly) {
    EmailShare share;
    share.Address("ann@example.com").File(files_.Write("a.txt", "alpha"));
    share.File(files_.Write("b.bin", Pattern(3000)));
    share.message = "Hello\r\n\r\nWorld\r\n";
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_THAT(share.Files(),
                ElementsAre(files_.Path("a.txt"), files_.Path("b.bin"), LocalInfoPath()));
    const JobStatus status = Status("as passed");
    EXPECT_EQ(status.code, 1U);
    EXPECT_EQ(status.text, "");

    EXPECT_THAT(Bodies(kGetUniquePath), ElementsAre("\n"));
    const std::string session = SessionFromFtpLog();
    ASSERT_FALSE(session.empty());
    EXPECT_THAT(HostFiles(session), ElementsAre("a.txt", "b.bin", kInfoName));
    EXPECT_EQ(ReadFile(SessionDir(session) / "b.bin"), Pattern(3000));
    // "\r\n\r\n" leaves the piece "\r" between the two LFs: it is not empty, so it is a line.
    EXPECT_EQ(ReadFile(SessionDir(session) / kInfoName),
              "FR: ann@example.com\r\nSU: Pictures\r\nMS: Hello\r\r\nMS: \r\r\nMS: World\r\r\n"
              "FL: a.txt\r\nFL: b.bin\r\nSN: Ann Lee\r\n");
    EXPECT_THAT(Bodies(kFireEmailsPath), ElementsAre("SessionName=" + session + "\n"));
    // The local info file is gone once its copy is on the host.
    EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
}

TEST_F(EmailRequest, EveryRecipientGetsTheMessageWithTheFilesAndABrokenSubjectAddsNoOne) {
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

TEST_F(EmailRequest, OnlyTheLastStaleInfoEntryIsRemovedAndTheNewPathAppendedOnce) {
    // The earlier entry is a real file whose name merely holds the marker: it stays and is sent.
    const std::string keep = files_.Write("old~emailinfo.qorl.txt", "kept");
    EmailShare share;
    share.Address("ann@example.com").File(keep).File(files_.Write("a.txt", "a"));
    // Left by an earlier call; it no longer exists, so sending or naming it would fail.
    share.File(files_.Path("gone/~emailinfo.qorl"));
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_THAT(share.Files(), ElementsAre(keep, files_.Path("a.txt"), LocalInfoPath()));
    EXPECT_EQ(Status().code, 1U);
    const std::string session = SessionFromFtpLog();
    EXPECT_TRUE(Contains(ReadFile(SessionDir(session) / kInfoName),
                         "FL: old~emailinfo.qorl.txt\r\nFL: a.txt\r\nSN: "));

    // Sharing the same list again drops the entry this call appended, not the earlier one.
    control::Reset(true);
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_THAT(share.Files(), ElementsAre(keep, files_.Path("a.txt"), LocalInfoPath()));
    EXPECT_EQ(Status().code, 1U);
    EXPECT_FALSE(Contains(ReadFile(SessionDir(SessionFromFtpLog()) / kInfoName), "FL: ~emailinfo"));
}

TEST_F(EmailRequest, AMissingFileGivesEightAndNoJob) {
    EmailShare share;
    share.Address("ann@example.com").File(files_.Write("a.txt", "a"));
    share.File(files_.Path("missing.txt"));
    EXPECT_EQ(share.Start(), 8U);
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_EQ(Status().code, 16384U);
    EXPECT_THAT(share.Files(), ElementsAre(files_.Path("a.txt"), files_.Path("missing.txt")));
    EXPECT_EQ(control::FtpLog().sessions_total, 0);
    EXPECT_THAT(Bodies(kFireEmailsPath), IsEmpty());
}

TEST_F(EmailRequest, AnEmptyListSendsJustTheInfoFile) {
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com");
    ASSERT_EQ(share.Start(), 1U);
    EXPECT_THAT(share.Files(), ElementsAre(LocalInfoPath()));
    EXPECT_EQ(Status().code, 1U);
    const std::string session = SessionFromFtpLog();
    EXPECT_THAT(HostFiles(session), ElementsAre(kInfoName));
    EXPECT_EQ(ReadFile(SessionDir(session) / kInfoName),
              "TO: bob@example.com\r\nFR: ann@example.com\r\nSU: Pictures\r\nMS: Hello\r\n"
              "SN: Ann Lee\r\n");
    EXPECT_EQ(OutboxMessages().size(), 1U);
}

// A second share while a job runs must not touch what the running job still sends: 16
// before any request, any file or any change to the caller's list. The running job is an
// upload or another share, whose mail then still goes to its own recipient only.
class EmailWhileAJobRuns : public EmailJobTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EmailWhileAJobRuns, GivesSixteenBeforeAnythingIsAskedOrWritten) {
    const bool runningShare = GetParam();
    RegisterUser("alice");
    control::FtpFaults({{"delay_ms", 200}});
    Upload upload;
    EmailShare first;
    if (runningShare) {
        first.Address("ann@example.com").Address("bob@example.com");
        first.File(files_.Write("first.txt", "first"));
        ASSERT_EQ(first.Start(), 1U);
    } else {
        upload.File(files_.Write("big.bin", Pattern(20000)));
        ASSERT_EQ(upload.Start(), 1U);
    }
    const std::string infoBefore =
        runningShare ? ReadFile(LocalInfoPath()) : std::string("(no info file)");
    const size_t sessionsAsked = Bodies(kGetUniquePath).size();

    EmailShare second;
    second.Address("eve@example.com").Address("carol@example.com");
    second.File(files_.Write("a.txt", "a")).File(files_.Path("old/~emailinfo.qorl"));
    EXPECT_EQ(second.Start(), 16U);
    EXPECT_TRUE(QDX_IsUploading());
    EXPECT_EQ(Bodies(kGetUniquePath).size(), sessionsAsked);
    EXPECT_EQ(std::filesystem::exists(LocalInfoPath()) ? ReadFile(LocalInfoPath())
                                                       : std::string("(no info file)"),
              infoBefore);
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
        EXPECT_THAT(Bodies(kFireEmailsPath), IsEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(RunningJob, EmailWhileAJobRuns, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Share" : "Upload"; });

TEST_F(EmailRequest, NoAddressesGiveZeroBeforeAnythingElse) {
    EmailShare share;
    share.File(files_.Path("old/~emailinfo.qorl"));
    EXPECT_EQ(share.Start(), 0U);
    EXPECT_THAT(share.Files(), ElementsAre(files_.Path("old/~emailinfo.qorl")));
    EXPECT_THAT(control::RequestLog(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
    EXPECT_FALSE(QDX_IsUploading());
}

TEST_F(EmailRequest, SessionReplyFailNoNameOrChannelFailureWriteNothing) {
    struct Case {
        std::string reply;
        int delayMs;
        unsigned int expected;
    };
    // FAIL; a reply without "=" and one with an empty first value give no session name; a
    // reply later than the channel's 2-second limit fails the channel.
    for (const Case& c : {Case{"session=FAIL", 0, 0U}, Case{"FAIL", 0, 0U},
                          Case{"session=&x=1", 0, 0U}, Case{"session=S1", 3000, 32U}}) {
        SCOPED_TRACE(c.reply);
        ScriptSlowReply(kGetUniquePath, c.reply, c.delayMs);
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

TEST_F(EmailRequest, ALinkPlantedAtTheInfoFilesPathIsNotFollowed) {
    const std::string target = files_.Write("victim.txt", "precious");
    ASSERT_EQ(symlink(target.c_str(), LocalInfoPath().c_str()), 0);
    EmailShare share;
    share.Address("ann@example.com").File(files_.Write("a.txt", "a"));
    EXPECT_EQ(share.Start(), 8U);
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(LocalInfoPath()));
    EXPECT_FALSE(QDX_IsUploading());
    EXPECT_THAT(share.Files(), ElementsAre(files_.Path("a.txt")));
}
} // namespace
