// The asset catalogue reads: one asset in record and flat form, a user's asset list, an
// asset's statistics. Exact cases run against scripted replies; the round trip reads an asset
// the service created.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <memory>
#include <string>
#include <vector>

#include "control_client.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

const std::string kGetAsset = "/cgiscripts/get_asset.exe";
const std::string kGetStats = "/cgiscripts/get_stats.exe";

// The caller's side of a CObList of entries it owns.
template <typename Entry>
class OwnedList {
public:
    OwnedList() = default;
    OwnedList(const OwnedList&) = delete;
    OwnedList& operator=(const OwnedList&) = delete;
    ~OwnedList() {
        while (!list.IsEmpty()) {
            delete list.RemoveHead();
        }
    }

    // The entries in list order, each checked to be of the expected class.
    std::vector<Entry*> Entries() const {
        std::vector<Entry*> entries;
        for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
            auto* entry = dynamic_cast<Entry*>(list.GetNext(pos));
            EXPECT_NE(entry, nullptr);
            entries.push_back(entry);
        }
        return entries;
    }

    CObList list;
};

// A record whose every member holds a marker, to show which ones a call wrote.
QDX_CAssetInfo MarkedRecord(const CString& user, const CString& asset) {
    QDX_CAssetInfo info(user, asset);
    info.m_strText1 = "t1";
    info.m_strText2 = "t2";
    info.m_strText3 = "t3";
    info.m_strText4 = "t4";
    info.m_strText5 = "t5";
    info.m_strText6 = "t6";
    info.m_nValue1 = 101;
    info.m_nValue2 = 102;
    info.m_lValue3 = 103;
    info.m_dValue = 10.5;
    info.m_nValue4 = 104;
    info.m_nValue5 = 105;
    return info;
}

void ExpectMarkersFrom(const QDX_CAssetInfo& info, bool text1Too) {
    if (text1Too) {
        EXPECT_EQ(info.m_strText1, "t1");
    }
    EXPECT_EQ(info.m_strText2, "t2");
    EXPECT_EQ(info.m_strText3, "t3");
    EXPECT_EQ(info.m_strText4, "t4");
    EXPECT_EQ(info.m_strText5, "t5");
    EXPECT_EQ(info.m_strText6, "t6");
    EXPECT_EQ(info.m_nValue1, 101U);
    EXPECT_EQ(info.m_nValue2, 102U);
    EXPECT_EQ(info.m_lValue3, 103);
    EXPECT_EQ(info.m_dValue, 10.5);
    EXPECT_EQ(info.m_nValue4, 104U);
    EXPECT_EQ(info.m_nValue5, 105U);
}

class Assets : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

// --- QDX_GetAssetInfo, record form -----------------------------------------------------------

TEST_F(Assets, InfoSendsUserAndAssetNumber) {
    ScriptReply(kGetAsset, "a=x");
    QDX_CAssetInfo info("17", "4");
    EXPECT_EQ(QDX_GetAssetInfo(info, nullptr), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kGetAsset), "user_num=17&asset_num=4\n");

    control::Reset();
    ScriptReply(kGetAsset, "a=x");
    QDX_CAssetInfo odd("a&b=c", "");
    QDX_GetAssetInfo(odd, nullptr);
    EXPECT_EQ(OnlyBodyPostedTo(kGetAsset), "user_num=a%26b%3Dc&asset_num=\n");
}

TEST_F(Assets, InfoFillsTwelveFieldsInItsOwnOrder) {
    ScriptReply(kGetAsset, "f1=Name&f2=Desc&f3=-1&f4=12abc&f5=-70000&f6=Id&f7=Pw&f8=3.5e2"
                           "&f9=abc&f10=Page=x&f11=7&f12=a|b&f13=ignored");
    QDX_CAssetInfo info = MarkedRecord("17", "4");
    EXPECT_EQ(QDX_GetAssetInfo(info, nullptr), 1U);
    EXPECT_EQ(info.m_strUserNum, "17");
    EXPECT_EQ(info.m_strAssetNum, "4");
    EXPECT_EQ(info.m_strText1, "Name");
    EXPECT_EQ(info.m_strText2, "Desc");
    EXPECT_EQ(info.m_nValue1, 4294967295U);
    EXPECT_EQ(info.m_nValue2, 12U);
    EXPECT_EQ(info.m_lValue3, -70000);
    EXPECT_EQ(info.m_strText3, "Id");
    EXPECT_EQ(info.m_strText4, "Pw");
    EXPECT_EQ(info.m_dValue, 350.0);
    EXPECT_EQ(info.m_nValue4, 0U);
    EXPECT_EQ(info.m_strText5, "Page=x");
    EXPECT_EQ(info.m_nValue5, 7U);
    EXPECT_EQ(info.m_strText6, "a|b");
}

TEST_F(Assets, InfoRefusesOnlyOnFail) {
    ScriptReply(kGetAsset, "name=FAIL&b=2&c=3");
    QDX_CAssetInfo refused = MarkedRecord("1", "2");
    EXPECT_EQ(QDX_GetAssetInfo(refused, nullptr), 256U);
    EXPECT_EQ(refused.m_strText1, "FAIL");
    ExpectMarkersFrom(refused, false);

    ScriptReply(kGetAsset, "name=NOROWS&b=two&c=3");
    QDX_CAssetInfo data = MarkedRecord("1", "2");
    EXPECT_EQ(QDX_GetAssetInfo(data, nullptr), 1U);
    EXPECT_EQ(data.m_strText1, "NOROWS");
    EXPECT_EQ(data.m_strText2, "two");

    ScriptReply(kGetAsset, "name=FAIL\n");
    QDX_CAssetInfo lineEnd = MarkedRecord("1", "2");
    EXPECT_EQ(QDX_GetAssetInfo(lineEnd, nullptr), 1U);
}

TEST_F(Assets, InfoShortRepliesRepeatTheLastNumber) {
    ScriptReply(kGetAsset, "a=one&b=two&c=9");
    QDX_CAssetInfo cut = MarkedRecord("1", "2");
    EXPECT_EQ(QDX_GetAssetInfo(cut, nullptr), 1U);
    EXPECT_EQ(cut.m_strText2, "two");
    EXPECT_EQ(cut.m_nValue1, 9U);
    EXPECT_EQ(cut.m_nValue2, 9U);
    EXPECT_EQ(cut.m_lValue3, 9);
    EXPECT_EQ(cut.m_dValue, 9.0);
    EXPECT_EQ(cut.m_nValue4, 9U);
    EXPECT_EQ(cut.m_nValue5, 9U);
    EXPECT_EQ(cut.m_strText3, "t3");
    EXPECT_EQ(cut.m_strText6, "t6");

    ScriptReply(kGetAsset, "");
    QDX_CAssetInfo empty = MarkedRecord("1", "2");
    EXPECT_EQ(QDX_GetAssetInfo(empty, nullptr), 1U);
    EXPECT_EQ(empty.m_strText1, "t1");
    EXPECT_EQ(empty.m_strText6, "t6");
    EXPECT_EQ(empty.m_nValue1, 0U);
    EXPECT_EQ(empty.m_lValue3, 0);
    EXPECT_EQ(empty.m_dValue, 0.0);

    // Nothing read over a FAIL the record already held.
    ScriptReply(kGetAsset, "no fields here");
    QDX_CAssetInfo held = MarkedRecord("1", "2");
    held.m_strText1 = "FAIL";
    EXPECT_EQ(QDX_GetAssetInfo(held, nullptr), 256U);
}

TEST_F(Assets, InfoLeavesTheRecordOnABrokenReply) {
    ScriptBrokenReply(kGetAsset);
    QDX_CAssetInfo info = MarkedRecord("1", "2");
    EXPECT_EQ(QDX_GetAssetInfo(info, nullptr), 32U);
    ExpectMarkersFrom(info, true);
}

// --- QDX_GetAssetInfo, flat form -------------------------------------------------------------

struct FlatOutputs {
    CString text4 = "o4", text2 = "o2", text5 = "o5", text3 = "o3", text6 = "o6";
    unsigned int value4 = 4, value5 = 5, value1 = 1, value2 = 2;
    double dValue = -1.5;

    unsigned int Get(const CString& user, const CString& asset) {
        return QDX_GetAssetInfo(user, asset, text4, value4, text2, text5, dValue, text3, value5,
                                text6, value1, value2, nullptr);
    }
    void ExpectUntouched() const {
        EXPECT_EQ(text2, "o2");
        EXPECT_EQ(text3, "o3");
        EXPECT_EQ(text4, "o4");
        EXPECT_EQ(text5, "o5");
        EXPECT_EQ(text6, "o6");
        EXPECT_EQ(value1, 1U);
        EXPECT_EQ(value2, 2U);
        EXPECT_EQ(value4, 4U);
        EXPECT_EQ(value5, 5U);
        EXPECT_EQ(dValue, -1.5);
    }
};

TEST_F(Assets, FlatInfoWritesAllTenOnlyOnSuccess) {
    ScriptReply(kGetAsset, "a=N&b=D&c=3&d=4&e=5&f=Id&g=Pw&h=2.25&i=9&j=Page&k=11&l=Names");
    FlatOutputs out;
    EXPECT_EQ(out.Get("17", "4"), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kGetAsset), "user_num=17&asset_num=4\n");
    EXPECT_EQ(out.text2, "D");
    EXPECT_EQ(out.value1, 3U);
    EXPECT_EQ(out.value2, 4U);
    EXPECT_EQ(out.text3, "Id");
    EXPECT_EQ(out.text4, "Pw");
    EXPECT_EQ(out.dValue, 2.25);
    EXPECT_EQ(out.value4, 9U);
    EXPECT_EQ(out.text5, "Page");
    EXPECT_EQ(out.value5, 11U);
    EXPECT_EQ(out.text6, "Names");

    // A short reply hands back empty texts and zeros: the local record started so.
    ScriptReply(kGetAsset, "");
    FlatOutputs empty;
    EXPECT_EQ(empty.Get("17", "4"), 1U);
    EXPECT_EQ(empty.text2, "");
    EXPECT_EQ(empty.text6, "");
    EXPECT_EQ(empty.value1, 0U);
    EXPECT_EQ(empty.dValue, 0.0);

    ScriptReply(kGetAsset, "a=FAIL&b=D&c=3");
    FlatOutputs refused;
    EXPECT_EQ(refused.Get("17", "4"), 256U);
    refused.ExpectUntouched();

    ScriptBrokenReply(kGetAsset);
    FlatOutputs broken;
    EXPECT_EQ(broken.Get("17", "4"), 32U);
    broken.ExpectUntouched();
}

// --- QDX_GetAssetList ------------------------------------------------------------------------

std::string ListRecord(const std::string& name, const std::string& number) {
    return "n=" + name + "&d=Desc&p=3&t=1&s=2048&id=Id&c=2.5&num=" + number +
           "&pw=Pw&f=2&pg=Page&v=6&fl=a|b";
}

TEST_F(Assets, ListSendsAssetZeroAndTheProductUnderItsOwnName) {
    ScriptReply(kGetAsset, "");
    OwnedList<QDX_CAssetInfo> assets;
    EXPECT_EQ(QDX_GetAssetList("17", "3", assets.list, nullptr), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kGetAsset), "user_num=17&asset_num=0&prodcut_id=3\n");
    EXPECT_TRUE(assets.list.IsEmpty());
}

TEST_F(Assets, ListAppendsRecordsInReplyOrderAfterWhatTheListHeld) {
    ScriptReply(kGetAsset, ListRecord("First", "5") + "&" + ListRecord("Second", "8"));
    OwnedList<QDX_CAssetInfo> assets;
    auto* existing = new QDX_CAssetInfo("old", "1");
    assets.list.AddTail(existing);
    EXPECT_EQ(QDX_GetAssetList("17", "3", assets.list, nullptr), 1U);

    const std::vector<QDX_CAssetInfo*> entries = assets.Entries();
    ASSERT_EQ(entries.size(), 3U);
    EXPECT_EQ(entries[0], existing);
    EXPECT_EQ(entries[0]->m_strUserNum, "old");
    const QDX_CAssetInfo& first = *entries[1];
    EXPECT_EQ(first.m_strUserNum, "17");
    EXPECT_EQ(first.m_strText1, "First");
    EXPECT_EQ(first.m_strText2, "Desc");
    EXPECT_EQ(first.m_nValue1, 3U);
    EXPECT_EQ(first.m_nValue2, 1U);
    EXPECT_EQ(first.m_lValue3, 2048);
    EXPECT_EQ(first.m_strText3, "Id");
    EXPECT_EQ(first.m_dValue, 2.5);
    EXPECT_EQ(first.m_strAssetNum, "5");
    EXPECT_EQ(first.m_strText4, "Pw");
    EXPECT_EQ(first.m_nValue4, 2U);
    EXPECT_EQ(first.m_strText5, "Page");
    EXPECT_EQ(first.m_nValue5, 6U);
    EXPECT_EQ(first.m_strText6, "a|b");
    EXPECT_EQ(entries[2]->m_strText1, "Second");
    EXPECT_EQ(entries[2]->m_strAssetNum, "8");
}

TEST_F(Assets, ListKeepsTheEntriesBeforeARefusingRecord) {
    const struct {
        std::string reply;
        unsigned int expected;
        size_t entries;
    } cases[] = {
        {"name=NOROWS", 2048, 0},
        {"name=FAIL&x=1", 256, 0},
        {ListRecord("One", "1") + "&name=FAIL&x=1", 256, 1},
        {ListRecord("One", "1") + "&" + ListRecord("Two", "2") + "&name=NOROWS", 2048, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kGetAsset, c.reply);
        OwnedList<QDX_CAssetInfo> assets;
        EXPECT_EQ(QDX_GetAssetList("17", "3", assets.list, nullptr), c.expected);
        EXPECT_EQ(assets.list.GetCount(), static_cast<INT_PTR>(c.entries));
    }
}

TEST_F(Assets, ListReadsACutShortOrFieldlessRestAsOneMoreEntry) {
    // The second record ends after its third field: its numbers repeat that field's 44.
    ScriptReply(kGetAsset, ListRecord("One", "1") + "&n=Two&d=Cut&p=44");
    OwnedList<QDX_CAssetInfo> cut;
    EXPECT_EQ(QDX_GetAssetList("17", "3", cut.list, nullptr), 1U);
    std::vector<QDX_CAssetInfo*> entries = cut.Entries();
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[1]->m_strText2, "Cut");
    EXPECT_EQ(entries[1]->m_nValue1, 44U);
    EXPECT_EQ(entries[1]->m_lValue3, 44);
    EXPECT_EQ(entries[1]->m_dValue, 44.0);
    EXPECT_EQ(entries[1]->m_nValue5, 44U);
    EXPECT_EQ(entries[1]->m_strAssetNum, "");
    EXPECT_EQ(entries[1]->m_strText6, "");

    // A lone line end after a final "&": one more entry, numbers from the last one read (6).
    ScriptReply(kGetAsset, ListRecord("One", "1") + "&\n");
    OwnedList<QDX_CAssetInfo> trailing;
    EXPECT_EQ(QDX_GetAssetList("17", "3", trailing.list, nullptr), 1U);
    entries = trailing.Entries();
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[1]->m_strUserNum, "17");
    EXPECT_EQ(entries[1]->m_strText1, "");
    EXPECT_EQ(entries[1]->m_nValue1, 6U);
    EXPECT_EQ(entries[1]->m_dValue, 6.0);

    ScriptReply(kGetAsset, "Service unavailable");
    OwnedList<QDX_CAssetInfo> page;
    EXPECT_EQ(QDX_GetAssetList("17", "3", page.list, nullptr), 1U);
    entries = page.Entries();
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0]->m_strUserNum, "17");
    EXPECT_EQ(entries[0]->m_strText1, "");
    EXPECT_EQ(entries[0]->m_nValue1, 0U);
    EXPECT_EQ(entries[0]->m_dValue, 0.0);
}

TEST_F(Assets, ListLeavesTheListOnABrokenReply) {
    ScriptBrokenReply(kGetAsset);
    OwnedList<QDX_CAssetInfo> assets;
    assets.list.AddTail(new QDX_CAssetInfo);
    EXPECT_EQ(QDX_GetAssetList("17", "3", assets.list, nullptr), 32U);
    EXPECT_EQ(assets.list.GetCount(), 1);
}

// --- QDX_GetAssetStats -----------------------------------------------------------------------

std::vector<std::pair<int, int>> Values(const OwnedList<QDX_CAssetStat>& stats) {
    std::vector<std::pair<int, int>> values;
    for (const QDX_CAssetStat* entry : stats.Entries()) {
        values.emplace_back(entry->m_nValue1, entry->m_nValue2);
    }
    return values;
}

TEST_F(Assets, StatsSendsItsCapitalisedFieldsAndReadsPairs) {
    using ::testing::ElementsAre;
    using ::testing::Pair;
    ScriptReply(kGetStats, "d=20240101&v=3&d=20240102&v=-1&d=20240103&v=12abc");
    OwnedList<QDX_CAssetStat> stats;
    EXPECT_EQ(QDX_GetAssetStats("17", "4", stats.list, nullptr), 1U);
    EXPECT_EQ(OnlyBodyPostedTo(kGetStats), "User_Id=17&Asset_num=4\n");
    EXPECT_THAT(Values(stats),
                ElementsAre(Pair(20240101, 3), Pair(20240102, -1), Pair(20240103, 12)));
}

TEST_F(Assets, StatsOddRepliesAndRefusals) {
    using ::testing::ElementsAre;
    using ::testing::IsEmpty;
    using ::testing::Pair;
    const struct {
        std::string reply;
        unsigned int expected;
        std::vector<std::pair<int, int>> values;
    } cases[] = {
        {"", 1, {}},
        {"day=NOROWS", 2048, {}},
        {"day=FAIL&x=1", 256, {}},
        {"d=1&v=2&d=3", 1, {{1, 2}, {3, 3}}},  // odd count: the last number repeats
        {"d=1&v=2&\n", 1, {{1, 2}, {2, 2}}},   // a lone line end repeats the last number
        {"no fields", 1, {{0, 0}}},            // no "=": one entry of zeros
        {"d=1&v=2&d=FAIL&v=0", 256, {{1, 2}}}, // earlier entries stay
        {"d=1&v=2&d=NOROWS", 2048, {{1, 2}}},
        {"d=1&v=2&d=FAIL\n", 1, {{1, 2}, {0, 0}}}, // the line end keeps FAIL from matching
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kGetStats, c.reply);
        OwnedList<QDX_CAssetStat> stats;
        EXPECT_EQ(QDX_GetAssetStats("17", "4", stats.list, nullptr), c.expected);
        EXPECT_EQ(Values(stats), c.values);
    }

    ScriptBrokenReply(kGetStats);
    OwnedList<QDX_CAssetStat> stats;
    stats.list.AddTail(new QDX_CAssetStat);
    EXPECT_EQ(QDX_GetAssetStats("17", "4", stats.list, nullptr), 32U);
    EXPECT_EQ(stats.list.GetCount(), 1);
}

// --- against the service's assets ------------------------------------------------------------

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

TEST_F(Assets, ReadsWhatTheServiceStored) {
    CString v1, v3, v4, password = "pw", product = "3";
    ASSERT_EQ(QDX_RegisterNewUser("ann", v3, "Ann", "Lee", "", "", "", "", "", "", v1, password,
                                  product, v4, "", "", "", "", "", nullptr),
              65U);
    OwnedList<QDX_CAssetInfo> none;
    EXPECT_EQ(QDX_GetAssetList("ann", "3", none.list, nullptr), 2048U);

    CString created;
    ASSERT_EQ(QDX_SendHTTPRequest("UserId=ann&Name=Holiday&Size=3000&ProdId=3&AssetType=2"
                                  "&AssetDesc=Beach&FileCnt=2&File=a.jpg&File=b.jpg",
                                  "/cgiscripts/create_asset.exe", created, nullptr),
              1U);
    // The reply's first value is the new asset's number.
    const CString number =
        created.Mid(created.Find('=') + 1, created.Find('&') - created.Find('=') - 1);

    QDX_CAssetInfo info("ann", number);
    ASSERT_EQ(QDX_GetAssetInfo(info, nullptr), 1U);
    EXPECT_EQ(info.m_strText1, "Holiday");
    EXPECT_EQ(info.m_strText2, "Beach");
    EXPECT_EQ(info.m_nValue1, 3U);
    EXPECT_EQ(info.m_nValue2, 2U);
    EXPECT_EQ(info.m_lValue3, 3000);
    EXPECT_GT(info.m_dValue, 40000.0); // a day number counted from 1899
    EXPECT_EQ(info.m_nValue4, 2U);
    EXPECT_EQ(info.m_strText6, "a.jpg|b.jpg");

    OwnedList<QDX_CAssetInfo> list;
    ASSERT_EQ(QDX_GetAssetList("ann", "3", list.list, nullptr), 1U);
    ASSERT_EQ(list.list.GetCount(), 1);
    const QDX_CAssetInfo& listed = *list.Entries().front();
    EXPECT_EQ(listed.m_strAssetNum, number);
    EXPECT_EQ(listed.m_strText3, info.m_strText3);
    EXPECT_EQ(listed.m_strText4, info.m_strText4);
    EXPECT_EQ(listed.m_strText5, info.m_strText5);
    EXPECT_EQ(listed.m_dValue, info.m_dValue);
    OwnedList<QDX_CAssetInfo> otherProduct;
    EXPECT_EQ(QDX_GetAssetList("ann", "4", otherProduct.list, nullptr), 2048U);

    OwnedList<QDX_CAssetStat> before;
    EXPECT_EQ(QDX_GetAssetStats("ann", number, before.list, nullptr), 2048U);
    ASSERT_EQ(VisitPage(info.m_strText5.str()), 200);
    ASSERT_EQ(VisitPage(info.m_strText5.str()), 200);
    OwnedList<QDX_CAssetStat> after;
    ASSERT_EQ(QDX_GetAssetStats("ann", number, after.list, nullptr), 1U);
    ASSERT_EQ(after.list.GetCount(), 1);
    EXPECT_GT(after.Entries().front()->m_nValue1, 20200101);
    EXPECT_EQ(after.Entries().front()->m_nValue2, 2);

    QDX_CAssetInfo missing("ann", "999");
    EXPECT_EQ(QDX_GetAssetInfo(missing, nullptr), 256U);
}

} // namespace
} // namespace vanta::test
