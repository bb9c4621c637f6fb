// The email info file's text, the temporary directory it lives in, and how it is written.
#include "email/info_file.h"
#include "platform/cfile.h"
#include "platform/temp_path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
CStringArray Array(std::initializer_list<const char*> items) {
    CStringArray array;
    for (const char* item : items) {
        array.Add(CString(item));
    }
    return array;
}

std::string Build(std::initializer_list<const char*> addresses, const char* subject,
                  const char* message, std::initializer_list<const char*> names, const char* sn) {
    return BuildEmailInfo(Array(addresses), CString(subject), CString(message), Array(names),
                          CString(sn))
        .str();
}

TEST(EmailInfoText, DocumentedExampleByteForByte) {
    EXPECT_EQ(Build({"S", "A", "B"}, "Hello", "First line\nSecond line", {"a.jpg"}, "N"),
              "TO: A\r\nTO: B\r\nFR: S\r\nSU: Hello\r\nMS: First line\r\nMS: Second line\r\n"
              "FL: a.jpg\r\nSN: N\r\n");
}

TEST(EmailInfoText, OneAddressIsTheSenderAndNothingElse) {
    EXPECT_EQ(Build({"me@example.com"}, "", "", {}, ""), "FR: me@example.com\r\nSU: \r\nSN: \r\n");
}

TEST(EmailInfoText, MessageIsCutAtEveryLineFeedAndEmptyPiecesAreDropped) {
    EXPECT_EQ(Build({"S"}, "s", "a\n\nb\n", {}, "N"),
              "FR: S\r\nSU: s\r\nMS: a\r\nMS: b\r\nSN: N\r\n");
    EXPECT_EQ(Build({"S"}, "s", "\n\nx", {}, "N"), "FR: S\r\nSU: s\r\nMS: x\r\nSN: N\r\n");
    EXPECT_EQ(Build({"S"}, "s", "\n", {}, "N"), "FR: S\r\nSU: s\r\nSN: N\r\n");
    // A CR before the LF stays with its piece, as does one inside a piece.
    EXPECT_EQ(Build({"S"}, "s", "one\r\ntw\ro\r\n", {}, "N"),
              "FR: S\r\nSU: s\r\nMS: one\r\r\nMS: tw\ro\r\r\nSN: N\r\n");
}

TEST(EmailInfoText, LineBreaksInSingleLineValuesAddNoLine) {
    const std::string text = Build({"me@example.com\r\nTO: thief@example.com", "you@example.com\n"},
                                   "Hi\r\nTO: x@y", "m", {"a\nb.jpg"}, "N\rTO: z@y");
    EXPECT_EQ(text, "TO: you@example.com \r\nFR: me@example.com  TO: thief@example.com\r\n"
                    "SU: Hi  TO: x@y\r\nMS: m\r\nFL: a b.jpg\r\nSN: N TO: z@y\r\n");
}

// Runs with TMPDIR set to a fresh directory and puts the old value back afterwards.
class TempDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("TMPDIR")) {
            saved_ = old;
            hadSaved_ = true;
        }
        char name[] = "/tmp/vanta-unit-tmp.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        setenv("TMPDIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (hadSaved_) {
            setenv("TMPDIR", saved_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string dir_;
    std::string saved_;
    bool hadSaved_ = false;
};

TEST_F(TempDirectory, FromTmpdirWithTheSeparatorAddedAndTheBufferContract) {
    char buffer[260];
    const DWORD length = GetTempPathA(sizeof(buffer), buffer);
    EXPECT_EQ(std::string(buffer), dir_ + "/");
    EXPECT_EQ(length, dir_.size() + 1);
    // Too small by the NUL: the length needed, NUL included, and the buffer is not written.
    char small[260] = "untouched";
    EXPECT_EQ(GetTempPathA(length, small), length + 1);
    EXPECT_STREQ(small, "untouched");
    EXPECT_EQ(EmailInfoPath().str(), dir_ + "/~emailinfo.qorl");

    setenv("TMPDIR", (dir_ + "/").c_str(), 1);
    ASSERT_EQ(GetTempPathA(sizeof(buffer), buffer), length);
    EXPECT_EQ(std::string(buffer), dir_ + "/");
}

TEST_F(TempDirectory, WithoutTmpdirAPrivateDirectoryOfTheUser) {
    unsetenv("TMPDIR");
    char buffer[260];
    ASSERT_GT(GetTempPathA(sizeof(buffer), buffer), 0U);
    const std::string expected = "/tmp/vanta-" + std::to_string(geteuid()) + "/";
    EXPECT_EQ(std::string(buffer), expected);
    struct stat info {};
    ASSERT_EQ(lstat(expected.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, geteuid());
    // An empty TMPDIR counts as unset.
    setenv("TMPDIR", "", 1);
    ASSERT_GT(GetTempPathA(sizeof(buffer), buffer), 0U);
    EXPECT_EQ(std::string(buffer), expected);
}

TEST_F(TempDirectory, InfoFileReplacesAnOlderOneAndIsTheOwnersOnly) {
    const std::string path = dir_ + "/~emailinfo.qorl";
    std::ofstream(path) << "an older and much longer text";
    WriteEmailInfo(CString(path), CString("FR: a\r\n"));
    EXPECT_EQ(Read(path), "FR: a\r\n");
    std::filesystem::remove(path);
    WriteEmailInfo(CString(path), CString("FR: b\r\n"));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);
    EXPECT_EQ(Read(path), "FR: b\r\n");
}

TEST_F(TempDirectory, APlantedDanglingLinkDoesNotCreateItsTarget) {
    const std::string path = dir_ + "/~emailinfo.qorl";
    const std::string dangling = dir_ + "/made-by-link";
    ASSERT_EQ(symlink(dangling.c_str(), path.c_str()), 0);
    EXPECT_THROW(WriteEmailInfo(CString(path), CString("FR: a\r\n")), CFileException);
    EXPECT_FALSE(std::filesystem::exists(dangling));
}
// GetTempPathA's answer when /tmp/vanta-<uid> exists with `mode`, or -1 when the check could
// not be set up. Runs in a child with a /tmp of its own (user and mount namespace), so that the
// real private directory, which other programs of the user may be using, is never touched.
int TempPathWithPrivateDirectoryMode(mode_t mode) {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    const pid_t child = fork();
    if (child == 0) {
        char map[64];
        char groupMap[64];
        const auto write = [](const char* path, const char* text) {
            const int fd = open(path, O_WRONLY);
            const bool ok = fd >= 0 && ::write(fd, text, strlen(text)) > 0;
            close(fd);
            return ok;
        };
        snprintf(map, sizeof(map), "%u %u 1", static_cast<unsigned>(uid),
                 static_cast<unsigned>(uid));
        snprintf(groupMap, sizeof(groupMap), "%u %u 1", static_cast<unsigned>(gid),
                 static_cast<unsigned>(gid));
        // Both the user and the group must be mapped for anything to be created.
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !write("/proc/self/uid_map", map) ||
            !write("/proc/self/setgroups", "deny") || !write("/proc/self/gid_map", groupMap) ||
            mount("none", "/tmp", "tmpfs", 0, nullptr) != 0) {
            _exit(2);
        }
        const std::string dir = "/tmp/vanta-" + std::to_string(uid);
        if (mkdir(dir.c_str(), 0700) != 0 || chmod(dir.c_str(), mode) != 0) {
            _exit(2);
        }
        unsetenv("TMPDIR");
        char buffer[260];
        _exit(GetTempPathA(sizeof(buffer), buffer) > 0 ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 2) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST(PrivateTempDirectory, IsUsedOnlyWithModeOwnerOnly) {
    const struct {
        mode_t mode;
        int usable;
    } cases[] = {{0700, 1}, {0755, 0}, {0701, 0}, {01700, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const int usable = TempPathWithPrivateDirectoryMode(c.mode);
        if (usable < 0) {
            GTEST_SKIP() << "no user and mount namespace for a /tmp of the test's own";
        }
        EXPECT_EQ(usable, c.usable);
    }
}

} // namespace
