#include "transport/reply_readers.h"

#include <gtest/gtest.h>

using namespace vanta::internal;

namespace {

TEST(ReplyValue, TakesEverythingAfterTheFirstEquals) {
    EXPECT_EQ(ReplyValue("result=FAIL"), "FAIL");
    EXPECT_EQ(ReplyValue("FAIL"), "");
    EXPECT_EQ(ReplyValue("a="), "");
    EXPECT_EQ(ReplyValue("=x"), "x");
    EXPECT_EQ(ReplyValue("a=b&c=d"), "b&c=d");
    EXPECT_EQ(ReplyValue(""), "");
}

struct FieldCase {
    const char* rest;
    const char* expectedValue;
    const char* expectedRest;
};

class NextReplyFieldTable : public ::testing::TestWithParam<FieldCase> {};

TEST_P(NextReplyFieldTable, SplitsTheFirstField) {
    const FieldCase& c = GetParam();
    CString value("unchanged");
    const CString rest = NextReplyField(c.rest, value);
    EXPECT_EQ(value, c.expectedValue);
    EXPECT_EQ(rest, c.expectedRest);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NextReplyFieldTable,
    ::testing::Values(FieldCase{"a=1&b=2", "1", "b=2"}, FieldCase{"b=2", "2", ""},
                      FieldCase{"", "unchanged", ""}, FieldCase{"x&y=1", "", "y=1"},
                      FieldCase{"a=&b=2", "", "b=2"}, FieldCase{"a=b=c&d=1", "b=c", "d=1"},
                      FieldCase{"no fields at all", "unchanged", ""},
                      FieldCase{"<html>404 & gone</html>", "unchanged", ""},
                      FieldCase{"s=FAIL\n", "FAIL\n", ""}));

TEST(NextReplyField, LeavesItsInputAlone) {
    const CString reply("a=1&b=2");
    CString value;
    NextReplyField(reply, value);
    EXPECT_EQ(reply, "a=1&b=2");
}

TEST(NextReplyField, KeepsBinaryBytesAndNuls) {
    const CString reply(std::string("a=\x01\xff\0z&b=2", 10));
    CString value;
    const CString rest = NextReplyField(reply, value);
    EXPECT_EQ(value.str(), std::string("\x01\xff\0z", 4));
    EXPECT_EQ(rest, "b=2");
}

// The cursor must give exactly what repeated NextReplyField calls give, field for field.
TEST(ReplyCursor, AgreesWithNextReplyFieldOnAwkwardReplies) {
    const char* replies[] = {"a=1&b=2&c=3", "x&y=1&z",    "a=&&=&b",   "&&&=x", "a=b=c&d=1&e=",
                             "===&&&",      "plain text", "a=1&b=2\n", "=&=&=&"};
    for (const char* text : replies) {
        const CString reply(text);
        ReplyCursor cursor(reply);
        CString rest = reply;
        for (int field = 0; field < 12; ++field) {
            CString expected("keep");
            CString actual("keep");
            rest = NextReplyField(rest, expected);
            cursor.Next(actual);
            ASSERT_EQ(actual, expected) << "reply '" << text << "' field " << field;
            ASSERT_EQ(std::string(cursor.Rest()), rest.str()) << "reply '" << text << "'";
        }
    }
}

TEST(ReplyCursor, ReadsRecordsBackToBackUntilTheEnd) {
    const CString reply("n=1&v=a&n=2&v=b&n=3&v=c");
    ReplyCursor cursor(reply);
    std::vector<std::string> values;
    while (!cursor.AtEnd()) {
        CString value;
        cursor.Next(value);
        values.push_back(value.str());
    }
    EXPECT_EQ(values, (std::vector<std::string>{"1", "a", "2", "b", "3", "c"}));
}

} // namespace
