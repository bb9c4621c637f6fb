// The public asset record classes as a host application holds them: in a CObList, deleted
// through CObject pointers.
#include "vanta/assets.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

static_assert(std::has_virtual_destructor_v<CObject>);
static_assert(std::is_base_of_v<CObject, QDX_CAssetInfo>);
static_assert(std::is_base_of_v<CObject, QDX_CAssetStat>);

TEST(AssetRecords, ConstructorsStartEmptyAndZero) {
    const QDX_CAssetInfo blank;
    const QDX_CAssetInfo named("17", "4");
    for (const QDX_CAssetInfo* info : {&blank, &named}) {
        EXPECT_TRUE(info->m_strText1.IsEmpty());
        EXPECT_TRUE(info->m_strText2.IsEmpty());
        EXPECT_TRUE(info->m_strText3.IsEmpty());
        EXPECT_TRUE(info->m_strText4.IsEmpty());
        EXPECT_TRUE(info->m_strText5.IsEmpty());
        EXPECT_TRUE(info->m_strText6.IsEmpty());
        EXPECT_EQ(info->m_nValue1, 0U);
        EXPECT_EQ(info->m_nValue2, 0U);
        EXPECT_EQ(info->m_lValue3, 0);
        EXPECT_EQ(info->m_dValue, 0.0);
        EXPECT_EQ(info->m_nValue4, 0U);
        EXPECT_EQ(info->m_nValue5, 0U);
    }
    EXPECT_TRUE(blank.m_strUserNum.IsEmpty());
    EXPECT_TRUE(blank.m_strAssetNum.IsEmpty());
    EXPECT_EQ(named.m_strUserNum, "17");
    EXPECT_EQ(named.m_strAssetNum, "4");

    const QDX_CAssetStat stat;
    EXPECT_EQ(stat.m_nValue1, 0);
    EXPECT_EQ(stat.m_nValue2, 0);
}

// Entries with long texts, deleted through the base pointer: the sanitizer build reports a
// mismatched or leaking delete.
TEST(AssetRecords, EntriesAreDeletedThroughTheirBase) {
    CObList list;
    auto* info = new QDX_CAssetInfo(CString('u', 200), CString('a', 200));
    info->m_strText1 = CString('1', 300);
    info->m_strText6 = CString('6', 300);
    list.AddTail(info);
    list.AddTail(new QDX_CAssetStat);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_NE(dynamic_cast<QDX_CAssetInfo*>(list.GetHead()), nullptr);
    EXPECT_NE(dynamic_cast<QDX_CAssetStat*>(list.GetTail()), nullptr);
    while (!list.IsEmpty()) {
        delete list.RemoveHead();
    }
}

} // namespace
