// The exports that post one request and read its reply: accounts, the asset catalogue, the
// homepage record, disk space, asset deletion and the version. Exact cases run against
// scripted replies: the body posted; the result and the outputs for each kind of reply (the
// client's tests run the same exports against the service's own records).
#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "control_client.h"
#include "joined.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

// Each export called with outputs preset to markers, so that a row shows which ones it wrote:
// the result, then the outputs.
std::string RegisterAs(CString first, CString password, CString fax) {
    CString value1 = "v1", value3 = "v3", value4 = "v4", product = "3";
    const unsigned int result = QDX_RegisterNewUser(
        "ann", value3, first, "Lee", "1 Main St", "Springfield", "IL", "62701", "ann@example.com",
        "555-0100", value1, password, product, value4, "12", fax, "555-0102", "Q", "C1", nullptr);
    return Join(result, value1, value3, value4);
}

std::string Describe(const QDX_CAssetInfo& a) {
    return Join(a.m_strUserNum, a.m_strAssetNum, a.m_strText1, a.m_strText2, a.m_nValue1,
                a.m_nValue2, a.m_lValue3, a.m_strText3, a.m_strText4, a.m_dValue, a.m_nValue4,
                a.m_strText5, a.m_nValue5, a.m_strText6);
}

std::string AssetInfoOf(CString user) {
    QDX_CAssetInfo info(user, "4");
    info.m_strText1 = "t1", info.m_strText6 = "t6", info.m_nValue1 = 101, info.m_dValue = 10.5;
    const unsigned int result = QDX_GetAssetInfo(info, nullptr);
    return Join(result, Describe(info));
}

// The entries after one the caller's list held, each described on a line of its own.
std::string AssetList() {
    CObList list;
    list.AddTail(new QDX_CAssetInfo("old", "1"));
    std::string all = Join(QDX_GetAssetList("17", "3", list, nullptr));
    while (!list.IsEmpty()) {
        const std::unique_ptr<CObject> entry(list.RemoveHead());
        const auto* info = dynamic_cast<QDX_CAssetInfo*>(entry.get());
        all += "\n" + (info ? Describe(*info) : "not an asset record");
    }
    return all;
}

std::string AssetStats() {
    CObList list;
    list.AddTail(new QDX_CAssetStat);
    std::string all = Join(QDX_GetAssetStats("17", "4", list, nullptr));
    while (!list.IsEmpty()) {
        const std::unique_ptr<CObject> entry(list.RemoveHead());
        const auto* stat = dynamic_cast<QDX_CAssetStat*>(entry.get());
        all += stat ? "|" + Join(stat->m_nValue1, stat->m_nValue2) : "|not a stat";
    }
    return all;
}

std::string Homepage() {
    CString title = "oT", heading = "oH", body = "oB", theme = "oM", reply = "oR";
    const unsigned int result =
        QDX_GetHomepageInfo("U", title, heading, body, theme, reply, nullptr);
    return Join(result, title, heading, body, theme, reply);
}

const auto Register = [] { return RegisterAs("Ann", "secret", "F"); };
const auto AssetInfo = [] { return AssetInfoOf("17"); };
const auto Validate = [] { return Join(QDX_ValidateUser("u", "p", "1", nullptr)); };
const auto DeleteUser = [] { return Join(QDX_DeleteUser("u", nullptr)); };
const auto DeletePage = [] { return Join(QDX_DeleteHomepageInfo("U", nullptr)); };
const auto DeleteAsset = [] { return Join(QDX_DeleteAsset("U", "3", "9", nullptr)); };
const auto DiskSpace = [] {
    CString quota = "q", used = "u";
    return Join(QDX_GetDiskSpace("alice", "3", quota, used, nullptr), quota, used);
};
const auto Version = [] {
    CString version = "before";
    return Join(QDX_GetServerVersion(version, nullptr), version);
};

const std::string kCgi = "/cgiscripts/";
const std::string kCut = "(cut short)";

// Every field name as documented, values percent-encoded where they hold "%", "&", "=", "+"
// or control bytes, and one line feed after the body. (The exports that the client's tests
// run against the service's own records show their field names there: the service would not
// find the user.)
TEST(HttpExports, EveryExportPostsItsFieldsExactly) {
    const struct {
        const char* program;
        std::function<void()> call;
        const char* body;
    } rows[] = {
        {"validate_user.exe", [] { QDX_ValidateUser("ann&x=1", "p+w%d=", "7", nullptr); },
         "user_id=ann%26x%3D1&PW=p%2Bw%25d%3D&product_id=7"},
        {"create_user.exe", [] { RegisterAs("A&B", "p=1+2%", ""); },
         "Cust=ann&First=A%26B&Last=Lee&Addr=1 Main St&City=Springfield&St=IL&Zip=62701"
         "&EMail=ann@example.com&Day=555-0100&Ex=12&Fax=&Night=555-0102&Mid=Q&Code=C1"
         "&PostPW=p%3D1%2B2%25&ProductId=3"},
        {"get_asset.exe", [] { AssetInfoOf("a&b=c"); }, "user_num=a%26b%3Dc&asset_num=4"},
        {"get_asset.exe", [] { AssetList(); }, "user_num=17&asset_num=0&prodcut_id=3"},
        {"get_stats.exe", [] { AssetStats(); }, "User_Id=17&Asset_num=4"},
        {"update_homepage.exe",
         [] { QDX_UpdateHomepageInfo("U", "", "a+b", "x&Theme=9", "", "100%\r\n", nullptr); },
         "user=U&Title=&Heading=a%2Bb&Body=x%26Theme%3D9&Theme=&Reply=100%25%0D%0A"},
        {"delete_homepage.exe", [] { QDX_DeleteHomepageInfo("a&b", nullptr); }, "user=a%26b"},
        {"get_disk_space.exe", DiskSpace, "user_num=alice&product_id=3"},
        {"delete_asset.exe", DeleteAsset, "user_id=U&asset_num =9&product_id =3"},
        {"get_version.exe", Version, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program);
        control::Reset();
        ScriptReply(kCgi + row.program, "a=b");
        row.call();
        EXPECT_THAT(BodiesPostedTo(kCgi + row.program),
                    ::testing::ElementsAre(std::string(row.body) + "\n"));
    }
}

// Each kind of reply, and a reply cut short (kCut: the channel's failure, which leaves
// every output as it was): the result and the outputs. The result codes that the client's
// categories stand for are in the client's tests.
TEST(HttpExports, EachReplyGivesItsResultAndOutputs) {
    control::Reset(true);
    const std::string rec = "n=One&d=Desc&p=3&t=1&s=2048&id=Id&c=2.5&num=5&pw=Pw&f=2&pg=Page"
                            "&v=6&fl=a|b";
    const std::string old = "\nold|1|||0|0|0|||0|0||0|";
    const std::string one = "\n17|5|One|Desc|3|1|2048|Id|Pw|2.5|2|Page|6|a|b";
    const std::string asset = "|17|4|t1||101|0|0|||10.5|0||0|t6";
    // More than the 1 MiB an export that reads a fixed number of fields holds.
    const std::string endless = "result=FAIL&" + std::string(1 << 20, 'x');
    const struct {
        const char* program;
        std::string reply; // kCut: a reply cut short
        std::function<std::string()> call;
        std::string expected;
    } rows[] = {
        {"validate_user.exe", "status=0&a=1&b=1", Validate, "6"},
        {"validate_user.exe", "status=0&a=0&b=1", Validate, "2"},
        {"validate_user.exe", "status=0&a=1&b=1\n", Validate, "4"},           // "1\n" is not "1"
        {"validate_user.exe", "<html>Internal error</html>", Validate, "32"}, // no field
        {"delete_user.exe", "result=FAIL", DeleteUser, "256"},
        {"delete_user.exe", "result=FAIL&more=1", DeleteUser, "1"}, // the verdict is the rest
        {"delete_user.exe", endless, DeleteUser, "32"},
        {"create_user.exe", "id=123&kind=NEW&a=abc&b=x*y*z", Register, "65|123|abc|x&y*z"},
        {"create_user.exe", "id=7&kind=OLD&a=third\n", Register, "4097|7|third\n|v4"},
        {"create_user.exe", kCut, Register, "32|v1|v3|v4"},
        {"get_asset.exe",
         "f1=Name&f2=Desc&f3=-1&f4=12abc&f5=-70000&f6=Id&f7=Pw&f8=3.5e2&f9=abc&f10=Page=x"
         "&f11=7&f12=a|b&f13=ignored",
         AssetInfo, "1|17|4|Name|Desc|4294967295|12|-70000|Id|Pw|350|0|Page=x|7|a|b"},
        {"get_asset.exe", "name=FAIL&b=2&c=3", AssetInfo, "256|17|4|FAIL||101|0|0|||10.5|0||0|t6"},
        {"get_asset.exe", kCut, AssetInfo, "32" + asset},
        {"get_asset.exe", rec + "&" + rec, AssetList, "1" + old + one + one},
        {"get_asset.exe", rec + "&name=FAIL&x=1", AssetList, "256" + old + one},
        {"get_asset.exe", kCut, AssetList, "32" + old},
        {"get_stats.exe", "d=20240101&v=3&d=20240102&v=-1&d=20240103&v=12abc", AssetStats,
         "1|0|0|20240101|3|20240102|-1|20240103|12"},
        {"get_stats.exe", "d=1&v=2&d=FAIL&v=0", AssetStats, "256|0|0|1|2"},
        {"get_homepage.exe", "t=Title&h=Head=ing&b=Body&m=3&r=Reply&x=ignored", Homepage,
         "1|Title|Head=ing|Body|3|Reply"},
        {"get_homepage.exe", kCut, Homepage, "0|oT|oH|oB|oM|oR"},
        {"update_homepage.exe", "result=FAIL",
         [] { return Join(QDX_UpdateHomepageInfo("U", "T", "H", "B", "1", "R", nullptr)); }, "0"},
        {"delete_homepage.exe", "result=FAIL", DeletePage, "0"},
        {"get_disk_space.exe", "quota=5000000000&used=7", DiskSpace, "1|5000000000|7"},
        {"get_disk_space.exe", kCut, DiskSpace, "32|q|u"},
        {"delete_asset.exe", "result=FAIL", DeleteAsset, "0"},
        {"get_version.exe", "v=3.3&x=1", Version, "0|3.3&x=1"}, // taken whole after the "="
        {"get_version.exe", kCut, Version, "32|before"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program + (" " + row.reply));
        row.reply == kCut ? ScriptBrokenReply(kCgi + row.program)
                          : ScriptReply(kCgi + row.program, row.reply);
        EXPECT_EQ(row.call(), row.expected);
    }
}

} // namespace
} // namespace vanta::test
