// The C interface as a C99 program uses it (tests/helpers/c_interface_probe.c, whose table
// covers the operations), run as a child against this process's reference service. Including
// vanta.h here shows that it compiles as C++ as well.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "control_client.h"
#include "scripted_replies.h"
#include "service_fixture.h"
#include "vanta/vanta.h"

namespace vanta::test {
namespace {

TEST(CInterface, EveryOperationGivesItsRecordOrItsCategory) {
    control::Reset(true);
    const std::filesystem::path dir = ServiceEnvironment::Instance().WorkDir() + "/c";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "note.txt") << "hello";
    std::filesystem::create_directories(ServiceDataDir() + "/ftp/assets/box");
    ScriptReply(
        "/cgiscripts/get_asset.exe",
        "n=Trip&d=Two&p=7&t=2&s=5000000000&i=ID1&c=46362.5&a=12&w=PW&f=2&u=http://x/12"
        "&v=-1&l=a.jpg|b.jpg&n=Solo&d=&p=7&t=0&s=1&i=ID2&c=0&a=13&w=PW2&f=1&u=&v=0&l=c.txt");
    ScriptReply("/cgiscripts/get_stats.exe", "day=20261206&views=3&day=20261207&views=1");
    ScriptReply("/cgiscripts/get_disk_space.exe", "quota=8589934592&used=10");
    ScriptReply("/cgiscripts/x.exe", "late=1");
    const ChildResult probe = RunChild({HelperPath("c_interface_probe"), dir.string()},
                                       {.env = {{"VANTA_HTTP_PORT", "x"}}});
    EXPECT_EQ(probe.exitCode, 0) << probe.out << probe.err;
    EXPECT_THAT(probe.out, testing::EndsWith(" rows, 0 differ\n")) << probe.err;
}

} // namespace
} // namespace vanta::test
