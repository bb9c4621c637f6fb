// The email info file's text, the temporary directory it lives in, and how it is written.
#include "email/info_file.h"
#include "platform/cfile.h"
#include "platform/temp_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
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

TEST(EmailInfoText, DocumentedLinesAndNoValueAddsALine) {
    const struct {
        std::initializer_list<const char*> addresses;
        const char* subject;
        const char* message;
        std::initializer_list<const char*> names;
        const char* sn;
        const char* text;
    } rows[] = {
        {{"S", "A", "B"},
         "Hello",
         "First line\nSecond line",
         {"a.jpg"},
         "N",
         "TO: A\r\nTO: B\r\nFR: S\r\nSU: Hello\r\nMS: First line\r\nMS: Second line\r\n"
         "FL: a.jpg\r\nSN: N\r\n"},
        // Empty pieces are dropped; a CR before the LF stays with its piece.
        {{"S"},
         "s",
         "\n\na\n\none\r\ntw\ro\r\n",
         {},
         "",
         "FR: S\r\nSU: s\r\nMS: a\r\nMS: one\r\r\nMS: tw\ro\r\r\nSN: \r\n"},
        {{"me@x\r\nTO: thief@x", "you@x\n"},
         "Hi\r\nTO: x@y",
         "m",
         {"a\nb.jpg"},
         "N\rTO: z@y",
         "TO: you@x \r\nFR: me@x  TO: thief@x\r\nSU: Hi  TO: x@y\r\nMS: m\r\nFL: a b.jpg\r\n"
         "SN: N TO: z@y\r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(
            BuildEmailInfo(Array(row.addresses), row.subject, row.message, Array(row.names), row.sn)
                .str(),
            row.text);
    }
}

// Runs with TMPDIR set to a fresh directory and puts the old value back afterwards.
class TempDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        saved_ = old ? std::optional<std::string>(old) : std::nullopt;
        char name[] = "/tmp/vanta-unit-tmp.XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        setenv("TMPDIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        saved_ ? setenv("TMPDIR", saved_->c_str(), 1) : unsetenv("TMPDIR");
        std::filesystem::remove_all(dir_);
    }
    std::string dir_;
    std::optional<std::string> saved_;
};

TEST_F(TempDirectory, FromTmpdirOrThePrivateDirectoryWithTheBufferContract) {
    char buffer[260];
    const DWORD length = GetTempPathA(sizeof(buffer), buffer);
    EXPECT_EQ(std::string(buffer), dir_ + "/");
    EXPECT_EQ(length, dir_.size() + 1);
    // Too small by the NUL: the length needed, NUL included, and the buffer is not written.
    char small[260] = "untouched";
    EXPECT_EQ(GetTempPathA(length, small), length + 1);
    EXPECT_STREQ(small, "untouched");
    EXPECT_EQ(EmailInfoPath().str(), dir_ + "/~emailinfo.qorl");

    setenv("TMPDIR", (dir_ + "/").c_str(), 1); // no second separator
    EXPECT_EQ(GetTempPathA(sizeof(buffer), buffer), length);
    setenv("TMPDIR", "", 1); // empty counts as unset
    ASSERT_GT(GetTempPathA(sizeof(buffer), buffer), 0U);
    const std::string expected = "/tmp/vanta-" + std::to_string(geteuid()) + "/";
    EXPECT_EQ(std::string(buffer), expected);
    struct stat info {};
    ASSERT_EQ(lstat(expected.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode) && info.st_uid == geteuid());
}

TEST_F(TempDirectory, InfoFileIsReplacedOwnerOnlyAndNeverWrittenThroughALink) {
    const std::string path = dir_ + "/~emailinfo.qorl";
    std::ofstream(path) << "an older and much longer text";
    WriteEmailInfo(CString(path), CString("FR: a\r\n"));
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    EXPECT_EQ(text.str(), "FR: a\r\n");
    std::filesystem::remove(path);
    WriteEmailInfo(CString(path), CString("FR: b\r\n"));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);

    std::filesystem::remove(path);
    const std::string dangling = dir_ + "/made-by-link";
    ASSERT_EQ(symlink(dangling.c_str(), path.c_str()), 0);
    EXPECT_THROW(WriteEmailInfo(CString(path), CString("FR: a\r\n")), CFileException);
    EXPECT_FALSE(std::filesystem::exists(dangling));
}

// GetTempPathA's answer (1 usable, 0 not) when /tmp/vanta-<uid> exists with `mode`, or -1 when
// the check could not be set up. Runs in a child with a /tmp of its own (user and mount
// namespace), so that the real private directory is never touched.
int TempPathWithPrivateDirectoryMode(mode_t mode) {
    const std::string uid = std::to_string(geteuid());
    const std::string gid = std::to_string(getegid());
    const pid_t child = fork();
    if (child == 0) {
        const auto put = [](const char* path, const std::string& text) {
            std::ofstream file(path);
            return static_cast<bool>(file << text << std::flush);
        };
        // Both the user and the group must be mapped for anything to be created.
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !put("/proc/self/uid_map", uid + " " + uid + " 1") ||
            !put("/proc/self/setgroups", "deny") ||
            !put("/proc/self/gid_map", gid + " " + gid + " 1") ||
            mount("none", "/tmp", "tmpfs", 0, nullptr) != 0) {
            _exit(2);
        }
        const std::string dir = "/tmp/vanta-" + uid;
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
    for (const auto& [mode, usable] : {std::pair{0700, 1}, {0755, 0}, {0701, 0}, {01700, 0}}) {
        const int answer = TempPathWithPrivateDirectoryMode(static_cast<mode_t>(mode));
        if (answer < 0) {
            GTEST_SKIP() << "no user and mount namespace for a /tmp of the test's own";
        }
        EXPECT_EQ(answer, usable) << std::oct << mode;
    }
}

} // namespace
