// The email worker: a FIFO given as a file, cancels during the transfer and what they leave on the
// host, a transfer that fails, and the mail request's reply deciding the job's result.
#include "email_checks.h"

#include <gmock/gmock.h>

#include <sys/stat.h>

using namespace vanta::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Session directories left on the host.
std::vector<std::string> SessionsOnHost() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(ServiceDataDir()) / "ftp" / "assets", error)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class EmailWorker : public EmailJobTest {
protected:
    // Two shared files and a message long enough that the info file takes many blocks.
    void TwoFiles(EmailShare& share) {
        share.Address("ann@example.com").Address("bob@example.com");
        share.File(files_.Write("a.bin", Pattern(3000, 1)));
        share.File(files_.Write("b.bin", Pattern(3000, 2)));
        share.message = CString(std::string(60, 'm') + "\n");
        for (int i = 0; i < 11; ++i) {
            share.message += share.message;
        }
    }
};

TEST_F(EmailWorker, AFifoAsAttachmentIsRefusedAtOnceAndNothingIsStarted) {
    // Opening a FIFO would wait for a writer for ever: only regular files are shared.
    const std::string fifo = files_.Path("first.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EmailShare share;
    share.Address("ann@example.com").Address("bob@example.com").File(fifo);
    EXPECT_EQ(share.Start(), 8U);
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
}

TEST_F(EmailWorker, CancelDuringTheTransferTakesEveryFileAndTheDirectoryOffTheHost) {
    control::FtpFaults({{"delay_ms", 300}});
    EmailShare share;
    TwoFiles(share);
    ASSERT_EQ(share.Start(), 1U);
    const std::string storeInfo = std::string("STOR ") + kInfoName;
    ASSERT_TRUE(WaitUntil([&] { return FtpCommands("STOR").size() == 3; }));
    ASSERT_EQ(FtpCommands("STOR").back(), storeInfo);
    EXPECT_GT(QDX_GetUploadProgress(), 0U);
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(Status().code, 16384U);

    EXPECT_THAT(FtpCommands("DELE"),
                ElementsAre("DELE a.bin", "DELE b.bin", std::string("DELE ") + kInfoName));
    EXPECT_EQ(FtpCommands("RMD").size(), 1U);
    EXPECT_THAT(SessionsOnHost(), IsEmpty());
    EXPECT_THAT(Bodies(kFireEmailsPath), IsEmpty());
    EXPECT_TRUE(OutboxMessages().empty());
    EXPECT_TRUE(std::filesystem::exists(LocalInfoPath()));
    // The clean-up ended the transfer phase.
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
}

TEST_F(EmailWorker, AFileGoneBeforeTheCleanUpIsSkippedAndTheOthersStillGo) {
    control::FtpFaults({{"delay_ms", 300}});
    EmailShare share;
    TwoFiles(share);
    ASSERT_EQ(share.Start(), 1U);
    ASSERT_TRUE(WaitUntil([] { return FtpCommands("STOR").size() == 2; }));
    // a.bin is on the host by now; without its local file its name cannot be learnt.
    std::filesystem::remove(files_.Path("a.bin"));
    ASSERT_TRUE(WaitUntil([] { return FtpCommands("STOR").size() == 3; }));
    EXPECT_EQ(QDX_CancelUpload(0), 0U);
    control::FtpFaults(nlohmann::json::object());
    EXPECT_EQ(Status().code, 16384U);

    EXPECT_THAT(FtpCommands("DELE"), ElementsAre("DELE b.bin", std::string("DELE ") + kInfoName));
    const std::vector<std::string> left = SessionsOnHost();
    ASSERT_EQ(left.size(), 1U);
    EXPECT_THAT(HostFiles(left[0]), ElementsAre("a.bin"));
    EXPECT_THAT(Bodies(kFireEmailsPath), IsEmpty());
}

TEST_F(EmailWorker, AFailedTransferGivesSixteenWithoutMailsAndKeepsTheInfoFile) {
    control::FtpFaults({{"refuse_login", true}});
    EmailShare share;
    TwoFiles(share);
    ASSERT_EQ(share.Start(), 1U);
    const JobStatus status = Status("as passed");
    EXPECT_EQ(status.code, 16U);
    EXPECT_EQ(status.text, "");
    EXPECT_THAT(Bodies(kFireEmailsPath), IsEmpty());
    EXPECT_TRUE(OutboxMessages().empty());
    EXPECT_TRUE(std::filesystem::exists(LocalInfoPath()));
}

TEST_F(EmailWorker, TheMailRequestsReplyDecidesTheResult) {
    struct Case {
        std::string reply;
        int delayMs;
        unsigned long expected;
    };
    // Only a first value of exactly FAIL is a refusal; a trailing line feed makes it another
    // value. A reply later than the channel's limit fails the channel.
    for (const Case& c : {Case{"", 0, 1}, Case{"OK", 0, 1}, Case{"result=FAIL", 0, 0},
                          Case{"result=FAIL&sent=0", 0, 0}, Case{"result=FAIL\n", 0, 1},
                          Case{"result=OK&sent=1", 3000, 32}}) {
        SCOPED_TRACE(c.reply);
        control::Reset(true);
        ScriptSlowReply(kFireEmailsPath, c.reply, c.delayMs);
        EmailShare share;
        share.Address("ann@example.com").File(files_.Write("a.txt", "a"));
        ASSERT_EQ(share.Start(), 1U);
        const JobStatus status = Status("as passed");
        EXPECT_EQ(status.code, c.expected);
        EXPECT_EQ(status.text, "");
        const std::string session = SessionFromFtpLog();
        EXPECT_THAT(Bodies(kFireEmailsPath), ElementsAre("SessionName=" + session + "\n"));
        EXPECT_THAT(HostFiles(session), ElementsAre("a.txt", kInfoName));
        // The local info file goes before the mails are asked for, whatever the answer.
        EXPECT_FALSE(std::filesystem::exists(LocalInfoPath()));
    }
}

} // namespace
