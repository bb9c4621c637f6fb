// The exports that post one request and read its reply: accounts, the asset catalogue, the
// homepage record, disk space, asset deletion and the version. Exact cases run against
// scripted replies (the body posted; the result and every output for each kind of reply);
// the round trip runs against the service's own records.
#include <gmock/gmock.h>

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "control_client.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

const std::string kValidate = "/cgiscripts/validate_user.exe";
const std::string kDeleteUser = "/cgiscripts/delete_user.exe";
const std::string kCreateUser = "/cgiscripts/create_user.exe";
const std::string kGetInfo = "/cgiscripts/get_user_info.exe";
const std::string kUpdateUser = "/cgiscripts/update_user.exe";
const std::string kGetAsset = "/cgiscripts/get_asset.exe";
const std::string kGetStats = "/cgiscripts/get_stats.exe";
const std::string kGetPage = "/cgiscripts/get_homepage.exe";
const std::string kUpdatePage = "/cgiscripts/update_homepage.exe";
const std::string kDeletePage = "/cgiscripts/delete_homepage.exe";
const std::string kDiskSpace = "/cgiscripts/get_disk_space.exe";
const std::string kDeleteAsset = "/cgiscripts/delete_asset.exe";
const std::string kVersion = "/cgiscripts/get_version.exe";
const std::string kCutShort = "(cut short)";

std::ostream& operator<<(std::ostream& out, const CString& text) {
    return out << text.str();
}

// Values joined with "|", so a whole set of outputs compares in one line.
class Joined {
public:
    template <typename Value>
    Joined& operator<<(const Value& value) {
        text_ << (first_ ? "" : "|") << value;
        first_ = false;
        return *this;
    }
    std::string str() const { return text_.str(); }

private:
    std::ostringstream text_;
    bool first_ = true;
};

// A call's result and its outputs.
struct Outcome {
    unsigned int code;
    std::string outputs;
};

// --- each export's outputs, started from markers that show which ones a call wrote ----------

struct Registration {
    CString cust = "ann", first = "Ann", last = "Lee", addr = "1 Main St", city = "Springfield",
            st = "IL", zip = "62701", email = "ann@example.com", day = "555-0100",
            postPassword = "secret", productId = "3", ex = "12", fax = "555-0101",
            night = "555-0102", mid = "Q", code = "C1";
    CString value1 = "v1", value3 = "v3", value4 = "v4"; // outputs
    Outcome Register() {
        const unsigned int result = QDX_RegisterNewUser(
            cust, value3, first, last, addr, city, st, zip, email, day, value1, postPassword,
            productId, value4, ex, fax, night, mid, code, nullptr);
        return {result, (Joined() << value1 << value3 << value4).str()};
    }
};

struct UserRecord {
    CString text[18]; // 1..17; 9, 11 and 15 are numbers
    long number9 = -9;
    unsigned int number11 = 11, number15 = 15;
    UserRecord() {
        for (int i = 1; i <= 17; ++i) {
            text[i].Format("t%d", i);
        }
    }
    Outcome Get(const CString& user) {
        const unsigned int result =
            QDX_GetUserInfo(user, text[1], text[2], text[3], text[4], text[5], text[6], text[7],
                            text[8], number9, text[10], number11, text[12], text[13], text[14],
                            number15, text[16], text[17], nullptr);
        Joined all;
        for (int i = 1; i <= 17; ++i) {
            i == 9    ? all << number9
            : i == 11 ? all << number11
            : i == 15 ? all << number15
                      : all << text[i];
        }
        return {result, all.str()};
    }
};

std::string Describe(const QDX_CAssetInfo& a) {
    return (Joined() << a.m_strUserNum << a.m_strAssetNum << a.m_strText1 << a.m_strText2
                     << a.m_nValue1 << a.m_nValue2 << a.m_lValue3 << a.m_strText3 << a.m_strText4
                     << a.m_dValue << a.m_nValue4 << a.m_strText5 << a.m_nValue5 << a.m_strText6)
        .str();
}

Outcome AssetInfo() {
    QDX_CAssetInfo info("17", "4");
    info.m_strText1 = "t1", info.m_strText2 = "t2", info.m_strText3 = "t3";
    info.m_strText4 = "t4", info.m_strText5 = "t5", info.m_strText6 = "t6";
    info.m_nValue1 = 101, info.m_nValue2 = 102, info.m_lValue3 = 103, info.m_dValue = 10.5;
    info.m_nValue4 = 104, info.m_nValue5 = 105;
    const unsigned int result = QDX_GetAssetInfo(info, nullptr);
    return {result, Describe(info)};
}

Outcome FlatAssetInfo() {
    CString text4 = "o4", text2 = "o2", text5 = "o5", text3 = "o3", text6 = "o6";
    unsigned int value4 = 4, value5 = 5, value1 = 1, value2 = 2;
    double dValue = -1.5;
    const unsigned int result = QDX_GetAssetInfo("17", "4", text4, value4, text2, text5, dValue,
                                                 text3, value5, text6, value1, value2, nullptr);
    return {result, (Joined() << text2 << value1 << value2 << text3 << text4 << dValue << value4
                              << text5 << value5 << text6)
                        .str()};
}

// The list's entries after one that the caller's list held, each described on a line.
Outcome AssetList() {
    CObList list;
    list.AddTail(new QDX_CAssetInfo("old", "1"));
    const unsigned int result = QDX_GetAssetList("17", "3", list, nullptr);
    std::string all;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        CObject* entry = list.GetNext(pos);
        const auto* info = dynamic_cast<QDX_CAssetInfo*>(entry);
        all += (info ? Describe(*info) : "not an asset record") + "\n";
        delete entry;
    }
    return {result, all};
}

Outcome AssetStats() {
    CObList list;
    list.AddTail(new QDX_CAssetStat);
    const unsigned int result = QDX_GetAssetStats("17", "4", list, nullptr);
    Joined all;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        CObject* entry = list.GetNext(pos);
        const auto* stat = dynamic_cast<QDX_CAssetStat*>(entry);
        stat ? all << stat->m_nValue1 << stat->m_nValue2 : all << "not a stat";
        delete entry;
    }
    return {result, all.str()};
}

Outcome Homepage() {
    CString title = "oT", heading = "oH", body = "oB", theme = "oM", reply = "oR";
    const unsigned int result =
        QDX_GetHomepageInfo("U", title, heading, body, theme, reply, nullptr);
    return {result, (Joined() << title << heading << body << theme << reply).str()};
}

Outcome DiskSpace() {
    CString quota = "q", used = "u";
    const unsigned int result = QDX_GetDiskSpace("alice", "3", quota, used, nullptr);
    return {result, (Joined() << quota << used).str()};
}

Outcome ServerVersion() {
    CString version = "before";
    const unsigned int result = QDX_GetServerVersion(version, nullptr);
    return {result, version.str()};
}

Outcome Only(unsigned int result) {
    return {result, ""};
}

unsigned int UpdateUser(const CString& user, const CString& password, const CString& first,
                        const CString& cc) {
    return QDX_UpdateUser(user, password, first, "Lee", "1 Main St", "Town", "IL", "62701", "a@b.c",
                          "555", "12", "", "556", "Q", cc, nullptr);
}

Outcome Validate() {
    return Only(QDX_ValidateUser("u", "p", "1", nullptr));
}
Outcome DeleteUser() {
    return Only(QDX_DeleteUser("u", nullptr));
}
Outcome Register() {
    return Registration().Register();
}
Outcome UserInfo() {
    return UserRecord().Get("u");
}
Outcome Update() {
    return Only(UpdateUser("u", "p", "f", "c"));
}
Outcome UpdatePage() {
    return Only(QDX_UpdateHomepageInfo("U", "T", "H", "B", "1", "R", nullptr));
}
Outcome DeletePage() {
    return Only(QDX_DeleteHomepageInfo("U", nullptr));
}
Outcome DeleteAsset() {
    return Only(QDX_DeleteAsset("U", "3", "9", nullptr));
}

class HttpExports : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

// Every field name as documented, values percent-encoded where they hold "%", "&", "=", "+"
// or control bytes, and one line feed after the body.
TEST_F(HttpExports, EveryExportPostsItsFieldsExactly) {
    Registration registration;
    registration.first = "A&B";
    registration.fax = "";
    registration.postPassword = "p=1+2%";
    CString text;
    const struct {
        const std::string& path;
        std::function<void()> call;
        const char* body;
    } cases[] = {
        {kValidate, [] { QDX_ValidateUser("ann&x=1", "p+w%d=", "7", nullptr); },
         "user_id=ann%26x%3D1&PW=p%2Bw%25d%3D&product_id=7\n"},
        {kDeleteUser, [] { QDX_DeleteUser("a b&c", nullptr); }, "user=a b%26c\n"},
        {kCreateUser, [&] { registration.Register(); },
         "Cust=ann&First=A%26B&Last=Lee&Addr=1 Main St&City=Springfield&St=IL&Zip=62701"
         "&EMail=ann@example.com&Day=555-0100&Ex=12&Fax=&Night=555-0102&Mid=Q&Code=C1"
         "&PostPW=p%3D1%2B2%25&ProductId=3\n"},
        {kGetInfo, [] { UserRecord().Get("ann&1"); }, "UserId=ann%261\n"},
        {kUpdateUser, [] { UpdateUser("ann", "pw&x", "A=B", "%41"); },
         "UserId=ann&PW=pw%26x&First=A%3DB&Last=Lee&Addr=1 Main St&City=Town&St=IL"
         "&Zip=62701&EMail=a@b.c&Day=555&Ex=12&Fax=&Night=556&Mid=Q&CC=%2541\n"},
        {kGetAsset,
         [] {
             QDX_CAssetInfo odd("a&b=c", "");
             QDX_GetAssetInfo(odd, nullptr);
         },
         "user_num=a%26b%3Dc&asset_num=\n"},
        {kGetAsset, [] { FlatAssetInfo(); }, "user_num=17&asset_num=4\n"},
        {kGetAsset, [] { AssetList(); }, "user_num=17&asset_num=0&prodcut_id=3\n"},
        {kGetStats, [] { AssetStats(); }, "User_Id=17&Asset_num=4\n"},
        {kUpdatePage,
         [] { QDX_UpdateHomepageInfo("U", "", "a+b", "x&Theme=9", "", "100%\r\n", nullptr); },
         "user=U&Title=&Heading=a%2Bb&Body=x%26Theme%3D9&Theme=&Reply=100%25%0D%0A\n"},
        {kGetPage, [&] { QDX_GetHomepageInfo("a&b", text, text, text, text, text, nullptr); },
         "user=a%26b\n"},
        {kDeletePage, [] { QDX_DeleteHomepageInfo("a&b", nullptr); }, "user=a%26b\n"},
        {kDiskSpace, [] { DiskSpace(); }, "user_num=alice&product_id=3\n"},
        {kDeleteAsset, [] { DeleteAsset(); }, "user_id=U&asset_num =9&product_id =3\n"},
        {kVersion, [] { ServerVersion(); }, "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        control::Reset();
        ScriptReply(c.path, "a=b");
        c.call();
        EXPECT_EQ(OnlyBodyPostedTo(c.path), c.body);
    }
}

// Each kind of reply, and a reply cut short (nullptr: the channel's failure, which leaves
// every output as it was): the result, and the outputs where the row names them.
TEST_F(HttpExports, EachReplyGivesItsResultAndOutputs) {
    const std::string rec = "n=One&d=Desc&p=3&t=1&s=2048&id=Id&c=2.5&num=5&pw=Pw&f=2&pg=Page"
                            "&v=6&fl=a|b";
    const std::string old = "old|1|||0|0|0|||0|0||0|\n";
    const std::string one = "17|5|One|Desc|3|1|2048|Id|Pw|2.5|2|Page|6|a|b\n";
    const std::string marked = "17|4|t1|t2|101|102|103|t3|t4|10.5|104|t5|105|t6";
    const std::string userMarked = "t1|t2|t3|t4|t5|t6|t7|t8|-9|t10|11|t12|t13|t14|15|t16|t17";
    const struct {
        const std::string& path;
        std::string reply; // kCutShort: a reply cut short
        Outcome (*call)();
        unsigned int code;
        std::string outputs; // "" for the rows that check only the result
    } cases[] = {
        {kValidate, "status=0&a=1&b=1", Validate, 6},
        {kValidate, "status=0&a=1&b=0", Validate, 4},
        {kValidate, "status=0&a=0&b=1", Validate, 2},
        {kValidate, "status=0&a=0&b=0", Validate, 1},
        {kValidate, "status=1&a=1&b=1", Validate, 8192},
        {kValidate, "status=2&a=FAIL", Validate, 1024},
        {kValidate, "status=3", Validate, 9216},
        {kValidate, "status=4&a=0&b=0", Validate, 1}, // an unknown status is no refusal
        {kValidate, "status=0&a=FAIL&b=1", Validate, 256},
        {kValidate, "x=FAIL", Validate, 256},           // the second read repeats "FAIL"
        {kValidate, "status=0&a=1&b=1\n", Validate, 4}, // the line end keeps "1" from matching
        {kValidate, "<html>Internal error</html>", Validate, 32}, // no field is no verdict
        {kValidate, kCutShort, Validate, 32},
        {kDeleteUser, "result=FAIL", DeleteUser, 256},
        {kDeleteUser, "=FAIL", DeleteUser, 256},
        {kDeleteUser, "result=FAIL&more=1", DeleteUser, 1},
        {kDeleteUser, "result=FAIL\n", DeleteUser, 1},
        {kDeleteUser, kCutShort, DeleteUser, 32},
        {kCreateUser, "id=123&kind=NEW&a=abc&b=x*y*z", Register, 65, "123|abc|x&y*z"},
        {kCreateUser, "id=1&kind=NEWAPP&a=&b=", Register, 32769},
        {kCreateUser, "id=7&kind=OLD&a=third\n", Register, 4097, "7|third\n|v4"},
        {kCreateUser, "id=ERROR&kind=NEW&a=&b=", Register, 256},
        {kCreateUser, "id=WRONG_PASSWORD&kind=OLD&a=&b=", Register, 8192},
        {kCreateUser, "id=1&kind=new&a=&b=", Register, 0},
        {kCreateUser, "", Register, 0, "v1|v3|v4"},
        {kCreateUser, kCutShort, Register, 32, "v1|v3|v4"},
        {kGetInfo,
         "a=ann&b=Ann&c=Lee&d=1 Main&e=Town&f=IL&g=62701&h=a@b&i=-5&j=day&k=-1&l=ex&m=fax"
         "&n=night&o=12abc&p=mid&q=code&r=extra",
         UserInfo, 1,
         "ann|Ann|Lee|1 Main|Town|IL|62701|a@b|-5|day|4294967295|ex|fax|night|12|mid|code"},
        {kGetInfo, "user=NOROWS", UserInfo, 2048,
         "NOROWS|t2|t3|t4|t5|t6|t7|t8|-9|t10|11|t12|t13|t14|15|t16|t17"},
        {kGetInfo, "user=QDX_FAIL&b=x&c=y", UserInfo, 256,
         "QDX_FAIL|t2|t3|t4|t5|t6|t7|t8|-9|t10|11|t12|t13|t14|15|t16|t17"},
        {kGetInfo, "user=FAIL&b=x", UserInfo, 1}, // FAIL is data here
        {kGetInfo, "a=1&b=2&c=3&d=4&e=5&f=6&g=7&h=8&i=42", UserInfo, 1,
         "1|2|3|4|5|6|7|8|42|t10|42|t12|t13|t14|42|t16|t17"},
        {kGetInfo, kCutShort, UserInfo, 32, userMarked},
        {kUpdateUser, "result=FAIL", Update, 256},
        {kUpdateUser, "result=FAIL\n", Update, 1},
        {kUpdateUser, kCutShort, Update, 32},
        {kGetAsset,
         "f1=Name&f2=Desc&f3=-1&f4=12abc&f5=-70000&f6=Id&f7=Pw&f8=3.5e2&f9=abc&f10=Page=x"
         "&f11=7&f12=a|b&f13=ignored",
         AssetInfo, 1, "17|4|Name|Desc|4294967295|12|-70000|Id|Pw|350|0|Page=x|7|a|b"},
        {kGetAsset, "name=FAIL&b=2&c=3", AssetInfo, 256,
         "17|4|FAIL|t2|101|102|103|t3|t4|10.5|104|t5|105|t6"},
        {kGetAsset, "name=NOROWS&b=two", AssetInfo, 1}, // NOROWS is data here
        {kGetAsset, "a=one&b=two&c=9", AssetInfo, 1, "17|4|one|two|9|9|9|t3|t4|9|9|t5|9|t6"},
        {kGetAsset, kCutShort, AssetInfo, 32, marked},
        {kGetAsset, "a=N&b=D&c=3&d=4&e=5&f=Id&g=Pw&h=2.25&i=9&j=Page&k=11&l=Names", FlatAssetInfo,
         1, "D|3|4|Id|Pw|2.25|9|Page|11|Names"},
        {kGetAsset, "", FlatAssetInfo, 1, "|0|0|||0|0||0|"},
        {kGetAsset, "a=FAIL&b=D&c=3", FlatAssetInfo, 256, "o2|1|2|o3|o4|-1.5|4|o5|5|o6"},
        {kGetAsset, kCutShort, FlatAssetInfo, 32, "o2|1|2|o3|o4|-1.5|4|o5|5|o6"},
        {kGetAsset, rec + "&" + rec, AssetList, 1, old + one + one},
        {kGetAsset, "name=NOROWS", AssetList, 2048, old},
        {kGetAsset, rec + "&name=FAIL&x=1", AssetList, 256, old + one},
        {kGetAsset, rec + "&name=NOROWS", AssetList, 2048, old + one},
        // The second record ends after its third field: its numbers repeat that field's 44.
        {kGetAsset, rec + "&n=Two&d=Cut&p=44", AssetList, 1,
         old + one + "17||Two|Cut|44|44|44|||44|44||44|\n"},
        {kGetAsset, "Service unavailable", AssetList, 1, old + "17||||0|0|0|||0|0||0|\n"},
        {kGetAsset, kCutShort, AssetList, 32, old},
        {kGetStats, "d=20240101&v=3&d=20240102&v=-1&d=20240103&v=12abc", AssetStats, 1,
         "0|0|20240101|3|20240102|-1|20240103|12"},
        {kGetStats, "day=NOROWS", AssetStats, 2048, "0|0"},
        {kGetStats, "d=1&v=2&d=FAIL&v=0", AssetStats, 256, "0|0|1|2"},
        {kGetStats, "d=1&v=2&d=FAIL\n", AssetStats, 1, "0|0|1|2|0|0"},
        {kGetStats, kCutShort, AssetStats, 32, "0|0"},
        {kGetPage, "t=Title&h=Head=ing&b=Body&m=3&r=Reply&x=ignored", Homepage, 1,
         "Title|Head=ing|Body|3|Reply"},
        {kGetPage, "t=Title&h=Head&b=Body", Homepage, 1, "Title|Head|Body|oM|oR"},
        {kGetPage, "title=NOROWS&h=H&b=B", Homepage, 0, "NOROWS|oH|oB|oM|oR"},
        {kGetPage, "title=FAIL&h=H&b=B", Homepage, 0, "FAIL|oH|oB|oM|oR"},
        {kGetPage, "title=FAIL\n", Homepage, 1},
        {kGetPage, kCutShort, Homepage, 0, "oT|oH|oB|oM|oR"},
        {kUpdatePage, "result=FAIL", UpdatePage, 0},
        {kUpdatePage, "=FAIL", UpdatePage, 0},
        {kUpdatePage, "a=FAIL&b=1", UpdatePage, 1},
        {kUpdatePage, kCutShort, UpdatePage, 0},
        {kDeletePage, "result=FAIL", DeletePage, 0},
        {kDeletePage, kCutShort, DeletePage, 0},
        {kDiskSpace, "quota=5000000000&used=7", DiskSpace, 1, "5000000000|7"},
        {kDiskSpace, "quota=100&", DiskSpace, 1, "100|u"},
        {kDiskSpace, "quota&used", DiskSpace, 0, "q|u"},
        {kDiskSpace, kCutShort, DiskSpace, 32, "q|u"},
        {kDeleteAsset, "result=FAIL", DeleteAsset, 0},
        {kDeleteAsset, "result=FAIL\n", DeleteAsset, 1},
        {kDeleteAsset, "no field at all", DeleteAsset, 1},
        {kDeleteAsset, kCutShort, DeleteAsset, 32},
        {kVersion, "version=3.3", ServerVersion, 1, "3.3"},
        {kVersion, "=3.3", ServerVersion, 1, "3.3"},
        {kVersion, "version=3.4", ServerVersion, 0, "3.4"},
        {kVersion, "version=3.3\n", ServerVersion, 0, "3.3\n"},
        {kVersion, "v=3.3&x=1", ServerVersion, 0, "3.3&x=1"}, // taken whole after the "="
        {kVersion, "3.3", ServerVersion, 0, ""},
        {kVersion, kCutShort, ServerVersion, 32, "before"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + c.reply);
        c.reply == kCutShort ? ScriptBrokenReply(c.path) : ScriptReply(c.path, c.reply);
        const Outcome outcome = c.call();
        EXPECT_EQ(outcome.code, c.code);
        if (!c.outputs.empty()) {
            EXPECT_EQ(outcome.outputs, c.outputs);
        }
    }
}

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Visits an asset's page the way a recipient does; the service counts the visit.
long VisitPage(const std::string& address) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Discard);
    long status = 0;
    if (curl_easy_perform(curl.get()) == CURLE_OK) {
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    }
    return status;
}

// An account, its homepage and an asset through their life on the service: what the service
// stores comes back through the readers (the client's tests go through the account's other
// outcomes against the service).
TEST_F(HttpExports, RecordsRoundTripThroughTheService) {
    Registration ann;
    ASSERT_EQ(ann.Register().code, 65U);
    EXPECT_EQ(ann.value4, "Welcome Ann Lee & thank you for registering product 3");
    EXPECT_EQ(UpdateUser("ann", "secret", "Anne", "C2"), 1U);
    UserRecord record;
    EXPECT_EQ(record.Get("ann").code, 1U);
    EXPECT_EQ(
        (Joined() << record.text[1] << record.text[2] << record.text[8] << record.text[17]).str(),
        "ann|Anne|a@b.c|C2");
    ASSERT_EQ(QDX_UpdateHomepageInfo("ann", "My page", "Hello = hi", "Fish + chips, 100%", "2",
                                     "Write to me", nullptr),
              1U);
    CString title, heading, body, theme, reply;
    ASSERT_EQ(QDX_GetHomepageInfo("ann", title, heading, body, theme, reply, nullptr), 1U);
    EXPECT_EQ((Joined() << title << heading << body << theme << reply).str(),
              "My page|Hello = hi|Fish + chips, 100%|2|Write to me");
    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "3", nullptr), 2U);

    CString created;
    ASSERT_EQ(QDX_SendHTTPRequest("UserId=ann&Name=Holiday&Size=3000&ProdId=3&AssetType=2"
                                  "&AssetDesc=Beach&FileCnt=2&File=a.jpg&File=b.jpg",
                                  "/cgiscripts/create_asset.exe", created, nullptr),
              1U);
    EXPECT_EQ(QDX_ValidateUser("ann", "secret", "3", nullptr), 6U);
    // The reply's first value is the new asset's number.
    const CString number =
        created.Mid(created.Find('=') + 1, created.Find('&') - created.Find('=') - 1);
    QDX_CAssetInfo info("ann", number);
    ASSERT_EQ(QDX_GetAssetInfo(info, nullptr), 1U);
    EXPECT_EQ((Joined() << info.m_strText1 << info.m_strText2 << info.m_nValue1 << info.m_nValue2
                        << info.m_lValue3 << info.m_nValue4 << info.m_strText6)
                  .str(),
              "Holiday|Beach|3|2|3000|2|a.jpg|b.jpg");
    EXPECT_GT(info.m_dValue, 40000.0); // a day number counted from 1899
    CObList list;
    ASSERT_EQ(QDX_GetAssetList("ann", "3", list, nullptr), 1U);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(Describe(*dynamic_cast<QDX_CAssetInfo*>(list.GetHead())), Describe(info));
    delete list.RemoveHead();
    ASSERT_EQ(VisitPage(info.m_strText5.str()), 200);
    ASSERT_EQ(VisitPage(info.m_strText5.str()), 200);
    ASSERT_EQ(QDX_GetAssetStats("ann", number, list, nullptr), 1U);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(dynamic_cast<QDX_CAssetStat*>(list.GetHead())->m_nValue2, 2);
    delete list.RemoveHead();
    CString version;
    EXPECT_EQ(QDX_GetServerVersion(version, nullptr), 1U);
    EXPECT_EQ(version, QDX_GetDllVersion());
}

} // namespace
} // namespace vanta::test
