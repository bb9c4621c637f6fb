#include "vantaapi.h"

#include <gtest/gtest.h>

namespace {

TEST(CString, SlicesClampLikeTheFramework) {
    const CString text("abcdef");
    EXPECT_EQ(text.Mid(2), "cdef");
    EXPECT_EQ(text.Mid(2, 2), "cd");
    EXPECT_EQ(text.Mid(4, 100), "ef");
    EXPECT_EQ(text.Mid(10), "");
    EXPECT_EQ(text.Mid(-3, 2), "ab");
    EXPECT_EQ(text.Left(3), "abc");
    EXPECT_EQ(text.Left(-1), "");
    EXPECT_EQ(text.Right(2), "ef");
    EXPECT_EQ(text.Right(99), "abcdef");
}

TEST(CString, FindAndReplace) {
    CString text("a=b&c=d");
    EXPECT_EQ(text.Find('='), 1);
    EXPECT_EQ(text.Find('=', 2), 5);
    EXPECT_EQ(text.Find('x'), -1);
    EXPECT_EQ(text.Find('=', 100), -1);
    EXPECT_EQ(text.Find("c="), 4);
    EXPECT_EQ(text.ReverseFind('='), 5);
    EXPECT_EQ(text.Replace("=", "=="), 2);
    EXPECT_EQ(text, "a==b&c==d");
}

TEST(CString, KeepsNulBytesInsideTheText) {
    CString text("ab");
    text.Append("\0c", 2);
    EXPECT_EQ(text.GetLength(), 4);
    EXPECT_STREQ(static_cast<const char*>(text), "ab");
    EXPECT_EQ(text.Right(1), "c");
}

TEST(CString, FormatGrowsAsNeeded) {
    CString text;
    const std::string longArg(5000, 'x');
    text.Format("%s/%d/%u", longArg.c_str(), -7, 4000000000u);
    EXPECT_EQ(text.GetLength(), 5000 + 14);
    EXPECT_EQ(text.Right(14), "/-7/4000000000");
}

TEST(CStringArray, AddGetRemove) {
    CStringArray items;
    EXPECT_EQ(items.Add("a"), 0);
    EXPECT_EQ(items.Add("b"), 1);
    items.Add("c");
    items.RemoveAt(1);
    ASSERT_EQ(items.GetSize(), 2);
    EXPECT_EQ(items[1], "c");
    items.RemoveAt(5);
    EXPECT_EQ(items.GetSize(), 2);
    EXPECT_THROW(items.GetAt(2), std::out_of_range);
}

class Entry : public CObject {
public:
    explicit Entry(int v) : value(v) {}
    int value;
};

TEST(CObList, WalksBothWaysAndNeverOwnsEntries) {
    Entry first(1);
    Entry second(2);
    Entry third(3);
    CObList list;
    list.AddTail(&second);
    list.AddTail(&third);
    list.AddHead(&first);
    ASSERT_EQ(list.GetCount(), 3);

    std::vector<int> forward;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
        forward.push_back(static_cast<Entry*>(list.GetNext(pos))->value);
    }
    std::vector<int> backward;
    for (POSITION pos = list.GetTailPosition(); pos != nullptr;) {
        backward.push_back(static_cast<Entry*>(list.GetPrev(pos))->value);
    }
    EXPECT_EQ(forward, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(backward, (std::vector<int>{3, 2, 1}));

    EXPECT_EQ(list.RemoveHead(), &first);
    EXPECT_EQ(list.RemoveTail(), &third);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(second.value, 2); // entries survive the list's clean-up
}

} // namespace
