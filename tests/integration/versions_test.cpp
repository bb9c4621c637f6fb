// The library's version text and the comparison with the service's.
#include <gtest/gtest.h>

#include <string>

#include "control_client.h"
#include "scripted_replies.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

const std::string kGetVersion = "/cgiscripts/get_version.exe";

class Versions : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(true); }
};

TEST_F(Versions, TheLibraryIsVersion33) {
    EXPECT_EQ(QDX_GetDllVersion(), "3.3");
    CString first = QDX_GetDllVersion();
    first += "x"; // each call hands out a string of its own
    EXPECT_EQ(QDX_GetDllVersion(), "3.3");
}

TEST_F(Versions, TheServiceVersionIsTakenWholeAfterTheFirstEquals) {
    const struct {
        const char* reply;
        const char* version;
        unsigned int expected;
    } cases[] = {
        {"version=3.3", "3.3", 1},
        {"version=3.4", "3.4", 0},
        {"version=3.3\n", "3.3\n", 0},
        {"version=3.3 ", "3.3 ", 0},
        {"version=3.30", "3.30", 0},
        {"3.3", "", 0},
        {"v=3.3&x=1", "3.3&x=1", 0},
        {"a=b=3.3", "b=3.3", 0},
        {"=3.3", "3.3", 1},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptReply(kGetVersion, c.reply);
        CString version = "before";
        EXPECT_EQ(QDX_GetServerVersion(version, nullptr), c.expected);
        EXPECT_EQ(version, c.version);
    }
    EXPECT_EQ(BodiesPostedTo(kGetVersion).front(), "\n");
}

TEST_F(Versions, ABrokenReplyLeavesTheVersion) {
    ScriptBrokenReply(kGetVersion);
    CString version = "before";
    EXPECT_EQ(QDX_GetServerVersion(version, nullptr), 32U);
    EXPECT_EQ(version, "before");
}

TEST_F(Versions, TheServiceRunsTheLibrarysVersion) {
    CString version;
    EXPECT_EQ(QDX_GetServerVersion(version, nullptr), 1U);
    EXPECT_EQ(version, QDX_GetDllVersion());
}

} // namespace
} // namespace vanta::test
