// The local files the library opens: what the file stand-in refuses to open and the private
// files it makes, and the temporary directory of the email info file ($TMPDIR, else a private
// directory that must be the user's own). Reading and writing whole files is the upload
// tests' (each stored file is compared with its source).
#include "os/cfile.h"
#include "os/local_files.h"
#include "os/temp_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)
// The Win32 twin: a directory, a device, a second name of a private file and a file another
// program holds without sharing are refused as on Linux; a name is what follows the last '/'
// or '\'; names are UTF-8.
TEST(CFile, OnlyRegularFilesOpenAndPrivateOnesOnlyUnderTheirOneName) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vanta-cfile-" + std::to_string(_getpid()));
    std::filesystem::create_directories(dir);
    const auto path = [&dir](const char* name) {
        const std::u8string text = (dir / name).u8string();
        return std::string(text.begin(), text.end());
    };
    const UINT privateCreate = CFile::modeCreate | CFile::modeWrite | CFile::modePrivate;
    std::ofstream(dir / "planted") << "not yours to change";
    ASSERT_TRUE(CreateHardLinkW((dir / "linked").c_str(), (dir / "planted").c_str(), nullptr));
    const HANDLE locked = CreateFileW((dir / "locked").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    const struct {
        std::string path;
        UINT flags;
        int cause; // 0: any
    } refused[] = {
        {path("absent"), CFile::modeRead, CFileException::fileNotFound},
        {path(""), CFile::modeRead, CFileException::accessDenied}, // the directory
        {"NUL", CFile::modeRead, 0},
        {path("linked"), privateCreate, 0},
        {path("locked"), CFile::modeRead, CFileException::accessDenied},
    };
    for (const auto& row : refused) {
        try {
            CFile file(row.path.c_str(), row.flags);
            ADD_FAILURE() << "opened " << row.path;
        } catch (const CFileException& e) {
            EXPECT_TRUE(row.cause == 0 || e.m_cause == row.cause) << row.path;
        }
    }
    CloseHandle(locked);
    {
        // Closed before the directory goes: an open file cannot be deleted here.
        std::ifstream in(dir / "planted");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not yours to change");
    }

    std::string backslashed = path("") + "d\xc3\xa9j\xc3\xa0 vu.txt";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    CFile made(backslashed.c_str(), privateCreate);
    EXPECT_EQ(made.GetFileName().str(), "d\xc3\xa9j\xc3\xa0 vu.txt");
    made.Close();
    EXPECT_TRUE(std::filesystem::exists(dir / L"d\u00e9j\u00e0 vu.txt"));
    EXPECT_EQ(LocalFileProblem(path("").c_str()), "it is a directory");
    EXPECT_EQ(LocalFileProblem("NUL"), "not a regular file");
    EXPECT_TRUE(LocalNameTaken(path("linked").c_str()));
    EXPECT_FALSE(LocalNameTaken(path("absent").c_str()));
    std::filesystem::remove_all(dir);
}

// The user's own temporary directory, in the library's form: '/' throughout and at its end.
TEST(TempPath, TheUsersOwnWithSlashesAndTheBufferContract) {
    char buffer[MAX_PATH * 3] = {};
    const DWORD length = LibraryTempPath(sizeof(buffer), buffer);
    ASSERT_GT(length, 1U);
    EXPECT_EQ(buffer[length - 1], '/');
    EXPECT_EQ(std::string(buffer).find('\\'), std::string::npos);
    char small[4] = "abc";
    EXPECT_EQ(LibraryTempPath(length, small), length + 1);
    EXPECT_STREQ(small, "abc");
}
#else

// Anything but a regular file of one's own is refused at once: a FIFO would block the open or
// the first read for ever (the alarm bounds that wait), a device is no file to send, and a
// private file with a second name or a link would carry what is written to wherever that
// name points. A private file of one's own is replaced; a new one is the owner's only.
TEST(CFile, OnlyRegularFilesOpenAndPrivateOnesOnlyUnderTheirOneName) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vanta-cfile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = [&dir](const char* name) { return (dir / name).string(); };
    const UINT privateCreate = CFile::modeCreate | CFile::modeWrite | CFile::modePrivate;
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    std::ofstream(path("planted")) << "not yours to change";
    ASSERT_EQ(::link(path("planted").c_str(), path("linked").c_str()), 0);
    ASSERT_EQ(::symlink(path("made-by-link").c_str(), path("symlink").c_str()), 0);
    const struct {
        std::string path;
        UINT flags;
        int cause; // 0: any
    } refused[] = {
        {path("absent"), CFile::modeRead, CFileException::fileNotFound},
        {dir.string(), CFile::modeRead, CFileException::accessDenied},
        {path("fifo"), CFile::modeRead, 0},
        {path("fifo"), privateCreate, 0},
        {"/dev/null", CFile::modeRead, 0},
        {path("linked"), privateCreate, 0},
        {path("symlink"), privateCreate, 0},
    };
    ::alarm(20);
    for (const auto& row : refused) {
        try {
            CFile file(row.path.c_str(), row.flags);
            ADD_FAILURE() << "opened " << row.path;
        } catch (const CFileException& e) {
            EXPECT_TRUE(row.cause == 0 || e.m_cause == row.cause) << row.path;
        }
    }
    ::alarm(0);
    std::ifstream in(path("planted"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not yours to change");
    EXPECT_FALSE(std::filesystem::exists(path("made-by-link")));

    std::ofstream(path("own")) << "an older text";
    EXPECT_EQ(CFile(path("own").c_str(), privateCreate).GetLength(), 0U);
    CFile(path("new").c_str(), privateCreate).Close();
    struct stat info {};
    EXPECT_TRUE(stat(path("new").c_str(), &info) == 0 && (info.st_mode & 0777) == 0600);
    std::filesystem::remove_all(dir);
}

TEST(TempPath, FromTmpdirWithOneSeparatorAndTheBufferContract) {
    const std::string saved = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    char buffer[64];
    for (const char* tmpdir : {"/var/x", "/var/x/"}) {
        setenv("TMPDIR", tmpdir, 1);
        EXPECT_EQ(LibraryTempPath(sizeof(buffer), buffer), 7U);
        EXPECT_STREQ(buffer, "/var/x/");
    }
    // No room for the NUL: the length needed, NUL included, and the buffer is not written.
    char small[64] = "untouched";
    EXPECT_EQ(LibraryTempPath(7, small), 8U);
    EXPECT_STREQ(small, "untouched");
    setenv("TMPDIR", saved.c_str(), 1);
}

// With $TMPDIR empty, the private directory is made owner-only and used only so. The child
// answers which of these LibraryTempPath accepts, one bit each from the highest: the directory it
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
            return LibraryTempPath(sizeof(buffer), buffer) > 0 && buffer == dir + "/";
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

#endif

} // namespace
