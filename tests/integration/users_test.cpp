// User accounts: validation, deletion, registration, reading and updating the user's record.
// Exact cases run against scripted replies; the round trips run against the service's own
// accounts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "control_client.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

const std::string kValidate = "/cgiscripts/validate_user.exe";
const std::string kDelete = "/cgiscripts/delete_user.exe";
const std::string kCreate = "/cgiscripts/create_user.exe";
const std::string kGetInfo = "/cgiscripts/get_user_info.exe";
const std::string kUpdate = "/cgiscripts/update_user.exe";

class Users : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

// --- QDX_ValidateUser ------------------------------------------------------------------------

TEST_F(Users, ValidateSendsTheThreeFieldsWithValuesEncoded) {
    ScriptReply(kValidate, "s=0&a=0&b=0");
    QDX_ValidateUser("ann&x=1", "p+w%d=", "7", nullptr);
    EXPECT_EQ(OnlyBodyPostedTo(kValidate), "user_id=ann%26x%3D1&PW=p%2Bw%25d%3D&product_id=7\n");

    control::Reset();
    ScriptReply(kValidate, "s=0&a=0&b=0");
    QDX_ValidateUser("", "", "", nullptr);
    EXPECT_EQ(OnlyBodyPostedTo(kValidate), "user_id=&PW=&product_id=\n");
}

TEST_F(Users, ValidateMapsStatusAndFlags) {
    const struct {
        const char* reply;
        unsigned int expected;
    } cases[] = {
        {"status=0&a=1&b=1", 6},
        {"status=0&a=1&b=0", 4},
        {"status=0&a=0&b=1", 2},
        {"status=0&a=0&b=0", 1},
        {"status=1&a=1&b=1", 8192},
        {"status=2&a=FAIL", 1024},
        {"status=3", 9216},
        {"status=4&a=0&b=0", 1}, // an unknown status is not a refusal
        {"status=0&a=FAIL&b=1", 256},
        {"status=OK&a=1&b=1", 6},  // a status without digits converts to 0
        {"x=0", 1},                // the missing flags repeat "0"
        {"status=0&a=1", 6},       // the missing third field repeats "1"
        {"x=FAIL", 256},           // status 0, then the second read repeats "FAIL"
        {"status=0&a=FAIL\n", 1},  // the line end keeps FAIL from matching
        {"status=0&a=1&b=1\n", 4}, // the line end keeps the last flag from matching
        {"", 32},                  // no field at all is no verdict
        {"<html>Internal error</html>", 32},
        {"&&\n", 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kValidate, c.reply);
        EXPECT_EQ(QDX_ValidateUser("u", "p", "1", nullptr), c.expected);
    }
}

TEST_F(Users, ValidateReportsABrokenReplyAs32) {
    ScriptBrokenReply(kValidate);
    EXPECT_EQ(QDX_ValidateUser("u", "p", "1", nullptr), 32U);
}

// --- QDX_DeleteUser --------------------------------------------------------------------------

TEST_F(Users, DeleteSendsTheUserFieldAndReadsTheWholeValue) {
    ScriptReply(kDelete, "result=OK");
    EXPECT_EQ(QDX_DeleteUser("a b&c", nullptr), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kDelete), "user=a b%26c\n");

    const struct {
        const char* reply;
        unsigned int expected;
    } cases[] = {
        {"result=FAIL", 256}, {"result=FAIL&more=1", 1}, {"FAIL", 1}, {"result=FAIL\n", 1}, {"", 1},
        {"=FAIL", 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kDelete, c.reply);
        EXPECT_EQ(QDX_DeleteUser("u", nullptr), c.expected);
    }
    ScriptBrokenReply(kDelete);
    EXPECT_EQ(QDX_DeleteUser("u", nullptr), 32U);
}

// --- QDX_RegisterNewUser ---------------------------------------------------------------------

struct Registration {
    CString cust = "ann";
    CString first = "Ann";
    CString last = "Lee";
    CString addr = "1 Main St";
    CString city = "Springfield";
    CString st = "IL";
    CString zip = "62701";
    CString email = "ann@example.com";
    CString day = "555-0100";
    CString postPassword = "secret";
    CString productId = "3";
    CString ex = "12";
    CString fax = "555-0101";
    CString night = "555-0102";
    CString mid = "Q";
    CString code = "C1";
    // Outputs, with markers that show whether they were written.
    CString value1 = "v1";
    CString value3 = "v3";
    CString value4 = "v4";

    unsigned int Register() {
        return QDX_RegisterNewUser(cust, value3, first, last, addr, city, st, zip, email, day,
                                   value1, postPassword, productId, value4, ex, fax, night, mid,
                                   code, nullptr);
    }
};

TEST_F(Users, RegisterSendsSixteenFieldsInFormOrder) {
    ScriptReply(kCreate, "u=ann&k=NEW&n=1&m=hi");
    Registration r;
    r.first = "A&B";
    r.fax = "";
    r.postPassword = "p=1+2%";
    r.Register();
    EXPECT_EQ(OnlyBodyPostedTo(kCreate),
              "Cust=ann&First=A%26B&Last=Lee&Addr=1 Main St&City=Springfield&St=IL&Zip=62701"
              "&EMail=ann@example.com&Day=555-0100&Ex=12&Fax=&Night=555-0102&Mid=Q&Code=C1"
              "&PostPW=p%3D1%2B2%25&ProductId=3\n");
}

TEST_F(Users, RegisterHandsBackThreeValuesAndTheKindAsCode) {
    ScriptReply(kCreate, "id=123&kind=NEW&a=abc&b=x*y*z");
    Registration r;
    EXPECT_EQ(r.Register(), 65U);
    EXPECT_EQ(r.value1, "123");
    EXPECT_EQ(r.value3, "abc");
    EXPECT_EQ(r.value4, "x&y*z"); // only the first "*" stands for "&"

    const struct {
        const char* reply;
        unsigned int expected;
    } cases[] = {
        {"id=1&kind=NEWAPP&a=&b=", 32769},
        {"id=1&kind=OLD&a=&b=", 4097},
        {"id=ERROR&kind=NEW&a=&b=", 256},
        {"id=WRONG_PASSWORD&kind=OLD&a=&b=", 8192},
        {"id=1&kind=new&a=&b=", 0},
        {"id=1&kind=NEW\n", 0}, // the line end makes the kind unknown
        {"id=&kind=NEW&a=&b=", 0},
        {"id=1&kind=ODD&a=&b=", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kCreate, c.reply);
        Registration each;
        EXPECT_EQ(each.Register(), c.expected);
    }
}

TEST_F(Users, RegisterKeepsWhatAShortReplyLacks) {
    ScriptReply(kCreate, "id=7&kind=OLD&a=third\n");
    Registration r;
    EXPECT_EQ(r.Register(), 4097U);
    EXPECT_EQ(r.value1, "7");
    EXPECT_EQ(r.value3, "third\n");
    EXPECT_EQ(r.value4, "v4");

    ScriptReply(kCreate, "id=7&kind=OLD&a=3&b=no stars\n");
    Registration full;
    full.Register();
    EXPECT_EQ(full.value4, "no stars\n");

    // No field at all: the status tested is the one the caller passed in.
    ScriptReply(kCreate, "plain text");
    Registration none;
    none.value1 = "ERROR";
    EXPECT_EQ(none.Register(), 256U);
    EXPECT_EQ(none.value3, "v3");
    ScriptReply(kCreate, "");
    Registration empty;
    EXPECT_EQ(empty.Register(), 0U);
    EXPECT_EQ(empty.value1, "v1");
}

TEST_F(Users, RegisterLeavesEveryOutputOnABrokenReply) {
    ScriptBrokenReply(kCreate);
    Registration r;
    EXPECT_EQ(r.Register(), 32U);
    EXPECT_EQ(r.value1, "v1");
    EXPECT_EQ(r.value3, "v3");
    EXPECT_EQ(r.value4, "v4");
}

// --- QDX_GetUserInfo -------------------------------------------------------------------------

struct UserRecord {
    CString text[18]; // 1..17 used; the numeric positions stay unused
    long number9 = -9;
    unsigned int number11 = 11;
    unsigned int number15 = 15;

    UserRecord() {
        for (int i = 1; i <= 17; ++i) {
            text[i].Format("t%d", i);
        }
    }
    unsigned int Get(const CString& user) {
        return QDX_GetUserInfo(user, text[1], text[2], text[3], text[4], text[5], text[6], text[7],
                               text[8], number9, text[10], number11, text[12], text[13], text[14],
                               number15, text[16], text[17], nullptr);
    }
    void ExpectTextsUntouchedFrom(int first) const {
        for (int i = first; i <= 17; ++i) {
            if (i == 9 || i == 11 || i == 15) {
                continue;
            }
            CString marker;
            marker.Format("t%d", i);
            EXPECT_EQ(text[i], marker) << "text" << i;
        }
    }
};

TEST_F(Users, GetInfoFillsSeventeenValuesInOrder) {
    ScriptReply(kGetInfo, "a=ann&b=Ann&c=Lee&d=1 Main&e=Town&f=IL&g=62701&h=a@b&i=-5&j=day"
                          "&k=-1&l=ex&m=fax&n=night&o=12abc&p=mid&q=code&r=extra");
    UserRecord r;
    EXPECT_EQ(r.Get("ann&1"), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kGetInfo), "UserId=ann%261\n");
    const char* texts[] = {nullptr, "ann",   "Ann",   "Lee",   "1 Main", "Town",
                           "IL",    "62701", "a@b",   nullptr, "day",    nullptr,
                           "ex",    "fax",   "night", nullptr, "mid",    "code"};
    for (int i = 1; i <= 17; ++i) {
        if (texts[i] != nullptr) {
            EXPECT_EQ(r.text[i], texts[i]) << "text" << i;
        }
    }
    EXPECT_EQ(r.number9, -5);
    EXPECT_EQ(r.number11, 4294967295U); // atoi's -1, stored unchanged
    EXPECT_EQ(r.number15, 12U);

    ScriptReply(kGetInfo, "a=1&b=&c=&d=&e=&f=&g=&h=&i=x&j=&k=y&l=&m=&n=&o=z&p=&q=");
    UserRecord words;
    EXPECT_EQ(words.Get("u"), 1U);
    EXPECT_EQ(words.number9, 0);
    EXPECT_EQ(words.number11, 0U);
    EXPECT_EQ(words.number15, 0U);
}

TEST_F(Users, GetInfoStopsAtItsTwoTokens) {
    const struct {
        const char* reply;
        const char* token;
        unsigned int expected;
    } cases[] = {{"user=NOROWS", "NOROWS", 2048}, {"user=QDX_FAIL&b=x&c=y", "QDX_FAIL", 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kGetInfo, c.reply);
        UserRecord r;
        EXPECT_EQ(r.Get("u"), c.expected);
        EXPECT_EQ(r.text[1], c.token);
        r.ExpectTextsUntouchedFrom(2);
        EXPECT_EQ(r.number9, -9);
        EXPECT_EQ(r.number11, 11U);
        EXPECT_EQ(r.number15, 15U);
    }
    // FAIL is data here.
    ScriptReply(kGetInfo, "user=FAIL&b=x");
    UserRecord r;
    EXPECT_EQ(r.Get("u"), 1U);
    EXPECT_EQ(r.text[2], "x");
}

TEST_F(Users, GetInfoShortRepliesRepeatTheLastNumber) {
    ScriptReply(kGetInfo, "a=1&b=2&c=3&d=4&e=5&f=6&g=7&h=8&i=42");
    UserRecord nine;
    EXPECT_EQ(nine.Get("u"), 1U);
    EXPECT_EQ(nine.text[8], "8");
    EXPECT_EQ(nine.number9, 42);
    EXPECT_EQ(nine.number11, 42U);
    EXPECT_EQ(nine.number15, 42U);
    nine.ExpectTextsUntouchedFrom(10);

    ScriptReply(kGetInfo, "");
    UserRecord empty;
    EXPECT_EQ(empty.Get("u"), 1U);
    empty.ExpectTextsUntouchedFrom(1);
    EXPECT_EQ(empty.number9, 0);
    EXPECT_EQ(empty.number11, 0U);
    EXPECT_EQ(empty.number15, 0U);

    // Without a first field the token tested is the one the caller passed in.
    ScriptReply(kGetInfo, "");
    UserRecord token;
    token.text[1] = "NOROWS";
    EXPECT_EQ(token.Get("u"), 2048U);
    EXPECT_EQ(token.number9, -9);
}

TEST_F(Users, GetInfoLeavesEveryOutputOnABrokenReply) {
    ScriptBrokenReply(kGetInfo);
    UserRecord r;
    EXPECT_EQ(r.Get("u"), 32U);
    r.ExpectTextsUntouchedFrom(1);
    EXPECT_EQ(r.number9, -9);
    EXPECT_EQ(r.number11, 11U);
    EXPECT_EQ(r.number15, 15U);
}

// --- QDX_UpdateUser --------------------------------------------------------------------------

unsigned int Update(const CString& user, const CString& password, const CString& first,
                    const CString& fax, const CString& cc) {
    return QDX_UpdateUser(user, password, first, "Lee", "1 Main St", "Town", "IL", "62701", "a@b.c",
                          "555", "12", fax, "556", "Q", cc, nullptr);
}

TEST_F(Users, UpdateSendsFifteenFieldsWithCCInCodesPlace) {
    ScriptReply(kUpdate, "result=OK");
    EXPECT_EQ(Update("ann", "pw&x", "A=B", "", "%41"), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kUpdate),
              "UserId=ann&PW=pw%26x&First=A%3DB&Last=Lee&Addr=1 Main St&City=Town&St=IL"
              "&Zip=62701&EMail=a@b.c&Day=555&Ex=12&Fax=&Night=556&Mid=Q&CC=%2541\n");

    const struct {
        const char* reply;
        unsigned int expected;
    } cases[] = {{"result=FAIL", 256},
                 {"result=OK", 1},
                 {"Service unavailable", 1},
                 {"result=FAIL\n", 1},
                 {"", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kUpdate, c.reply);
        EXPECT_EQ(Update("u", "p", "f", "x", "c"), c.expected);
    }
    ScriptBrokenReply(kUpdate);
    EXPECT_EQ(Update("u", "p", "f", "x", "c"), 32U);
}

// --- against the service's accounts ----------------------------------------------------------

TEST_F(Users, RegisterValidateReadBackUpdateAndDelete) {
    Registration ann;
    ASSERT_EQ(ann.Register(), 65U);
    EXPECT_EQ(ann.value1, "ann");
    EXPECT_EQ(ann.value4, "Welcome Ann Lee & thank you for registering product 3");

    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "3", nullptr), 1U);
    EXPECT_EQ(QDX_ValidateUser("ann", "wrong", "3", nullptr), 8192U);
    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "4", nullptr), 1024U);
    EXPECT_EQ(QDX_ValidateUser("ann", "wrong", "4", nullptr), 9216U);
    EXPECT_EQ(QDX_ValidateUser("bob", "secret", "3", nullptr), 256U);

    // The same account again: the product it has, one it has not, a wrong password.
    Registration again;
    EXPECT_EQ(again.Register(), 4097U);
    again.productId = "4";
    EXPECT_EQ(again.Register(), 32769U);
    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "4", nullptr), 1U);
    again.postPassword = "other";
    EXPECT_EQ(again.Register(), 8192U);
    EXPECT_EQ(again.value1, "WRONG_PASSWORD");

    UserRecord record;
    ASSERT_EQ(record.Get("ann"), 1U);
    EXPECT_EQ(record.text[1], "ann");
    EXPECT_EQ(record.text[2], "Ann");
    EXPECT_EQ(record.text[8], "ann@example.com");
    EXPECT_EQ(record.text[17], "C1");

    EXPECT_EQ(Update("ann", "secret", "Anne", "", "C2"), 1U);
    EXPECT_EQ(Update("ann", "wrong", "Eve", "", "C3"), 256U);
    UserRecord updated;
    ASSERT_EQ(updated.Get("ann"), 1U);
    EXPECT_EQ(updated.text[2], "Anne");
    EXPECT_EQ(updated.text[13], "");
    EXPECT_EQ(updated.text[17], "C2");

    EXPECT_EQ(QDX_DeleteUser("ann", nullptr), 1U);
    EXPECT_EQ(QDX_DeleteUser("ann", nullptr), 256U);
    UserRecord gone;
    EXPECT_EQ(gone.Get("ann"), 2048U);
    EXPECT_EQ(gone.text[1], "NOROWS");
}

TEST_F(Users, ValidationFlagsFollowTheHomepageAndThePublishedAssets) {
    Registration ann;
    ASSERT_EQ(ann.Register(), 65U);
    ASSERT_EQ(QDX_UpdateHomepageInfo("ann", "T", "H", "B", "1", "R", nullptr), 1U);
    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "3", nullptr), 2U);

    CString reply;
    ASSERT_EQ(QDX_SendHTTPRequest("UserId=ann&Name=n&Size=1&ProdId=3&AssetType=1&AssetDesc=d"
                                  "&FileCnt=1&File=a.jpg",
                                  "/cgiscripts/create_asset.exe", reply, nullptr),
              1U);
    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "3", nullptr), 6U);
}

} // namespace
} // namespace vanta::test
