// What the library's load leaves behind: the global strings and one entry in the module chain.
#include "platform/extension_module.h"
#include "transport/globals.h"
#include "vanta/version.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleStartup, LoadBuildsTheHeaderAndJoinsTheModuleChainOnce) {
    EXPECT_EQ(FormHeaders, "Content-Type: application/x-www-form-urlencoded");
    EXPECT_FALSE(FormHeaders.str().ends_with("\n"));
    EXPECT_EQ(AfxModuleChainLength(), 1);
    EXPECT_STREQ(LoginName, "mossbay");
    EXPECT_EQ(LoginName, LoginPassword); // one text for both
}

TEST(ModuleStartup, TerminatingAModuleRemovesOnlyItsOwnEntries) {
    AFX_EXTENSION_MODULE other;
    int instance = 0;
    ASSERT_TRUE(AfxInitExtensionModule(other, &instance));
    EXPECT_FALSE(AfxInitExtensionModule(other, &instance)); // once per record
    new CDynLinkLibrary(other);
    new CDynLinkLibrary(other);
    EXPECT_EQ(AfxModuleChainLength(), 3);
    AfxTermExtensionModule(other, FALSE);
    EXPECT_EQ(AfxModuleChainLength(), 1);
    EXPECT_FALSE(other.bInitialized);
}

TEST(ModuleStartup, VersionRecordTexts) {
    const VantaVersionRecord& record = vantaModuleVersion;
    EXPECT_EQ(record.fileVersion[0], 1);
    EXPECT_EQ(record.fileVersion[1], 1);
    EXPECT_EQ(record.language, 0x0409);
    EXPECT_EQ(record.codePage, 0x04b0);
    EXPECT_STREQ(record.FileVersion, "1.1");
    EXPECT_STREQ(record.InternalName, "vantaAPI");
    EXPECT_STREQ(record.OriginalFilename, "vantaAPI.DLL");
    EXPECT_STREQ(record.ProductName, "vantaAPI Dynamic Link Library");
}

} // namespace
