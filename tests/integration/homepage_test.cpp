// The homepage record: read, write, delete. Every failure is 0, the request's own included.
#include <gtest/gtest.h>

#include <string>

#include "control_client.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

const std::string kGet = "/cgiscripts/get_homepage.exe";
const std::string kUpdate = "/cgiscripts/update_homepage.exe";
const std::string kDelete = "/cgiscripts/delete_homepage.exe";

struct Page {
    CString title = "oT", heading = "oH", body = "oB", theme = "oM", reply = "oR";

    unsigned int Get(const CString& user) {
        return QDX_GetHomepageInfo(user, title, heading, body, theme, reply, nullptr);
    }
};

class Homepage : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

TEST_F(Homepage, UpdateSendsTheFiveTextsAfterTheUser) {
    ScriptReply(kUpdate, "result=OK");
    EXPECT_EQ(QDX_UpdateHomepageInfo("U", "T", "H", "B", "2", "R", nullptr), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kUpdate), "user=U&Title=T&Heading=H&Body=B&Theme=2&Reply=R\n");

    // A value's "&" and "=" cannot start a field of their own.
    control::Reset();
    ScriptReply(kUpdate, "result=OK");
    QDX_UpdateHomepageInfo("U", "", "a+b", "x&Theme=9", "", "100%\r\n", nullptr);
    EXPECT_EQ(OnlyBodyPostedTo(kUpdate),
              "user=U&Title=&Heading=a%2Bb&Body=x%26Theme%3D9&Theme=&Reply=100%25%0D%0A\n");
}

TEST_F(Homepage, GetAndDeleteSendOnlyTheUser) {
    ScriptReply(kGet, "t=NOROWS");
    ScriptReply(kDelete, "result=OK");
    Page page;
    page.Get("a&b");
    QDX_DeleteHomepageInfo("a&b", nullptr);
    EXPECT_EQ(OnlyBodyPostedTo(kGet), "user=a%26b\n");
    EXPECT_EQ(OnlyBodyPostedTo(kDelete), "user=a%26b\n");
}

TEST_F(Homepage, UpdateAndDeleteFailOnlyOnFail) {
    const struct {
        const char* reply;
        unsigned int expected;
    } cases[] = {{"result=FAIL", 0}, {"result=OK", 1},         {"", 1},
                 {"FAIL", 1},        {"result=FAIL\n", 1},     {"=FAIL", 0},
                 {"a=FAIL&b=1", 1},  {"<html>error</html>", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kUpdate, c.reply);
        EXPECT_EQ(QDX_UpdateHomepageInfo("U", "T", "H", "B", "1", "R", nullptr), c.expected);
        ScriptReply(kDelete, c.reply);
        EXPECT_EQ(QDX_DeleteHomepageInfo("U", nullptr), c.expected);
    }
}

TEST_F(Homepage, GetFillsFiveTextsInOrder) {
    ScriptReply(kGet, "t=Title&h=Head=ing&b=Body&m=3&r=Reply&x=ignored");
    Page page;
    EXPECT_EQ(page.Get("U"), 1U);
    EXPECT_EQ(page.title, "Title");
    EXPECT_EQ(page.heading, "Head=ing");
    EXPECT_EQ(page.body, "Body");
    EXPECT_EQ(page.theme, "3");
    EXPECT_EQ(page.reply, "Reply");

    ScriptReply(kGet, "t=Title&h=Head&b=Body");
    Page cut;
    EXPECT_EQ(cut.Get("U"), 1U);
    EXPECT_EQ(cut.body, "Body");
    EXPECT_EQ(cut.theme, "oM");
    EXPECT_EQ(cut.reply, "oR");

    ScriptReply(kGet, "t=T&h=H&b=B&m=M&r=R\n");
    Page lineEnd;
    EXPECT_EQ(lineEnd.Get("U"), 1U);
    EXPECT_EQ(lineEnd.reply, "R\n");
}

TEST_F(Homepage, GetRefusalLeavesItsMarkerInTheTitle) {
    for (const char* marker : {"NOROWS", "FAIL"}) {
        SCOPED_TRACE(marker);
        ScriptReply(kGet, std::string("title=") + marker + "&h=H&b=B");
        Page page;
        EXPECT_EQ(page.Get("U"), 0U);
        EXPECT_EQ(page.title, marker);
        EXPECT_EQ(page.heading, "oH");
        EXPECT_EQ(page.reply, "oR");
    }
    ScriptReply(kGet, "title=FAIL\n");
    Page lineEnd;
    EXPECT_EQ(lineEnd.Get("U"), 1U);
}

TEST_F(Homepage, ABrokenReplyIsZeroAndTouchesNothing) {
    ScriptBrokenReply(kGet);
    Page page;
    EXPECT_EQ(page.Get("U"), 0U);
    EXPECT_EQ(page.title, "oT");
    EXPECT_EQ(page.heading, "oH");
    EXPECT_EQ(page.reply, "oR");
    ScriptBrokenReply(kUpdate);
    EXPECT_EQ(QDX_UpdateHomepageInfo("U", "T", "H", "B", "1", "R", nullptr), 0U);
    ScriptBrokenReply(kDelete);
    EXPECT_EQ(QDX_DeleteHomepageInfo("U", nullptr), 0U);
}

TEST_F(Homepage, WriteReadAndDeleteAgainstTheService) {
    CString v1, v3, v4, password = "pw", product = "1";
    ASSERT_EQ(QDX_RegisterNewUser("ann", v3, "Ann", "Lee", "", "", "", "", "", "", v1, password,
                                  product, v4, "", "", "", "", "", nullptr),
              65U);
    Page none;
    EXPECT_EQ(none.Get("ann"), 0U);
    EXPECT_EQ(none.title, "NOROWS");
    EXPECT_EQ(QDX_UpdateHomepageInfo("nobody", "T", "H", "B", "1", "R", nullptr), 0U);

    ASSERT_EQ(QDX_UpdateHomepageInfo("ann", "My page", "Hello = hi", "Fish + chips, 100%", "2",
                                     "Write to me", nullptr),
              1U);
    Page page;
    ASSERT_EQ(page.Get("ann"), 1U);
    EXPECT_EQ(page.title, "My page");
    EXPECT_EQ(page.heading, "Hello = hi");
    EXPECT_EQ(page.body, "Fish + chips, 100%");
    EXPECT_EQ(page.theme, "2");
    EXPECT_EQ(page.reply, "Write to me");

    EXPECT_EQ(QDX_DeleteHomepageInfo("ann", nullptr), 1U);
    EXPECT_EQ(QDX_DeleteHomepageInfo("ann", nullptr), 0U);
    Page gone;
    EXPECT_EQ(gone.Get("ann"), 0U);
    EXPECT_EQ(gone.title, "NOROWS");
}

} // namespace
} // namespace vanta::test
