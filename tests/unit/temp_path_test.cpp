// The temporary directory of the email info file: $TMPDIR, else a private directory that must
// be the user's own. The info file's text is the email tests' and the fuzz target's.
#include "email/info_file.h"
#include "platform/temp_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(TempPath, FromTmpdirWithOneSeparatorAndTheBufferContract) {
    const char* old = std::getenv("TMPDIR");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    char buffer[64];
    for (const char* tmpdir : {"/var/x", "/var/x/"}) {
        setenv("TMPDIR", tmpdir, 1);
        EXPECT_EQ(GetTempPathA(sizeof(buffer), buffer), 7U);
        EXPECT_STREQ(buffer, "/var/x/");
    }
    EXPECT_EQ(EmailInfoPath(), "/var/x/~emailinfo.qorl");
    // No room for the NUL: the length needed, NUL included, and the buffer is not written.
    char small[64] = "untouched";
    EXPECT_EQ(GetTempPathA(7, small), 8U);
    EXPECT_STREQ(small, "untouched");
    saved ? setenv("TMPDIR", saved->c_str(), 1) : unsetenv("TMPDIR");
}

// With $TMPDIR empty, the private directory is made owner-only and used only so. The child
// answers which of these GetTempPathA accepts, one bit each from the highest: the directory it
// makes itself, that directory after chmod 0755, 0701 and 01700, a link to a directory of mode
// 0700; 255 when the check could not be set up. It has a /tmp of its own (user and mount
// namespace), so the real private directory is never touched.
TEST(TempPath, ThePrivateDirectoryIsMadeOwnerOnlyAndUsedOnlySo) {
    const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
    const pid_t child = fork();
    if (child == 0) {
        const auto put = [](const char* path, const std::string& text) {
            return static_cast<bool>(std::ofstream(path) << text << std::flush);
        };
        // Both the user and the group must be mapped for anything to be created.
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !put("/proc/self/uid_map", uid + " " + uid + " 1") ||
            !put("/proc/self/setgroups", "deny") ||
            !put("/proc/self/gid_map", gid + " " + gid + " 1") ||
            mount("none", "/tmp", "tmpfs", 0, nullptr) != 0) {
            _exit(255);
        }
        setenv("TMPDIR", "", 1); // empty counts as unset
        const std::string dir = "/tmp/vanta-" + uid;
        char buffer[64];
        const auto accepted = [&] {
            return GetTempPathA(sizeof(buffer), buffer) > 0 && buffer == dir + "/";
        };
        struct stat info {};
        int bits = accepted() && lstat(dir.c_str(), &info) == 0 && (info.st_mode & 07777) == 0700;
        for (const mode_t mode : {0755, 0701, 01700}) {
            bits = bits << 1 | (chmod(dir.c_str(), mode) == 0 && accepted());
        }
        rmdir(dir.c_str());
        mkdir("/tmp/elsewhere", 0700);
        _exit(bits << 1 | (symlink("/tmp/elsewhere", dir.c_str()) == 0 && accepted()));
    }
    int status = 0;
    ASSERT_TRUE(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status));
    const int accepted = WEXITSTATUS(status);
    if (accepted == 255) {
        GTEST_SKIP() << "no user and mount namespace for a /tmp of the test's own";
    }
    EXPECT_EQ(accepted, 0b10000) << std::oct << accepted;
}

} // namespace
