// The FTP exports against the reference service's FTP server: the bytes that arrive, the
// commands that reach the server, looking names up, deleting, removing directories, fetching
// the library file, and what each does when the server, a directory, a name or the local
// file is not as expected.
#include <gmock/gmock.h>

#include <filesystem>
#include <string>

#include "ftp_checks.h"
#include "status_recorder.h"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// The names in the local directory `dir`.
std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class Ftp : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        WriteBytes(FtpPath("assets/u1/photo.jpg"), "jpeg");
        WriteBytes(FtpPath("assets/u1/a[1].jpg"), "brackets");
        std::filesystem::create_directories(FtpPath("assets/u1/album"));
        WriteBytes(FtpPath("photo.jpg"), "same name in the login directory");
    }
    LocalFiles files_;
};

// --- the single-file send ---------------------------------------------------------------

TEST_F(Ftp, SendStoresEveryByteWhateverTheSizeReplacingALongerFile) {
    WriteBytes(FtpPath("assets/u1/f1"), std::string(5000, 'x'));
    // Empty, within one block, around the 1 KiB blocks and the 64 KiB hand-off, and large.
    for (const size_t size : {0, 1, 1023, 1025, 65536, 65537, 300007}) {
        SCOPED_TRACE(size);
        const std::string name = "f" + std::to_string(size);
        const std::string bytes = Pattern(size);
        ASSERT_TRUE(
            QDX_FTPFile("/assets/u1", files_.Write(name, bytes).c_str(), name.c_str(), nullptr));
        EXPECT_EQ(ReadBytes(FtpPath("assets/u1/" + name)), bytes);
    }
}

TEST_F(Ftp, SendUsesOneActiveConnectionAndNotifiesItsOwnEventsOnly) {
    ClearStatuses();
    ASSERT_TRUE(QDX_FTPFile("/assets/u1", files_.Write("b.bin", Pattern(70000)).c_str(), "b.bin",
                            &RecordStatus));
    // The connection's own events only: the data connections of the transfer raise none.
    EXPECT_THAT(RecordedStatuses(), ElementsAre(60, 10, 11, 20, 21, 50, 51, 70));
    const FtpSessionLog log = control::FtpLog();
    EXPECT_EQ(log.sessions_total, 1);
    EXPECT_EQ(log.logins, 1);
    EXPECT_THAT(FtpCommands("USER"), ElementsAre("USER mossbay"));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/u1"));
    EXPECT_THAT(FtpCommands("TYPE"), ElementsAre("TYPE I"));
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR b.bin"));
    // Active mode: the client names its own data address; the server never offers one.
    EXPECT_EQ(FtpCommands("EPRT").size() + FtpCommands("PORT").size(), 1u);
    EXPECT_THAT(FtpCommands("PASV"), IsEmpty());
    EXPECT_THAT(FtpCommands("EPSV"), IsEmpty());
    EXPECT_THAT(FtpCommands("QUIT"), ElementsAre("QUIT"));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);

    // An empty directory means the login directory (no change), and names may hold a path.
    control::Reset();
    ASSERT_TRUE(QDX_FTPFile("", files_.Write("a.bin", "abc").c_str(), "assets/u1/a.bin", nullptr));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/a.bin")), "abc");
    EXPECT_THAT(FtpCommands("CWD"), IsEmpty());
}

TEST_F(Ftp, SendFailuresStoreNothingElsewhereAndLeaveNothingOpen) {
    const std::string local = files_.Write("d.bin", "d");
    const struct {
        const char* what;
        nlohmann::json faults;
        const char* dir;
        std::string path;
        bool opensLocalFile;
        bool stores;
    } cases[] = {
        {"refused login", {{"refuse_login", true}}, "/assets/u1", local, false, false},
        {"refused directory", nullptr, "/assets/missing", local, false, false},
        {"missing local file", nullptr, "/assets/u1", files_.Path("absent.bin"), false, false},
        {"local directory", nullptr, "/assets/u1", files_.Dir(), false, false},
        {"NUL in the local path", nullptr, "/assets/u1", local + std::string("\0.x", 3), true,
         false},
        {"full disk",
         {{"fail_stor_after", 100000}},
         "/assets/u1",
         files_.Write("g.bin", Pattern(300000)),
         true,
         true},
        // USER, PASS, PWD and CWD are answered, then the connection drops. A silent new login
        // would start in the login directory, not in /assets/u1.
        {"dropped connection", {{"drop_after_commands", 4}}, "/assets/u1", local, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        control::Reset();
        if (!c.faults.is_null()) {
            control::FtpFaults(c.faults);
        }
        OpenWatch watch(local);
        EXPECT_FALSE(QDX_FTPFile(c.dir, CString(c.path), "d.bin", nullptr));
        if (!c.opensLocalFile) {
            EXPECT_FALSE(watch.Opened());
        }
        EXPECT_EQ(FtpCommands("STOR").size(), c.stores ? 1U : 0U);
        EXPECT_LE(control::FtpLog().logins, 1);
        EXPECT_FALSE(std::filesystem::exists(FtpPath("d.bin")));
        EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
    }
}

// --- the multi-file send ----------------------------------------------------------------

TEST_F(Ftp, MultiSendUsesOneLoginSkipsUnreadableFilesAndTheLaterOfTwoNamesWins) {
    LocalFiles other;
    CStringArray paths;
    for (const std::string& path :
         {files_.Write("a.bin", Pattern(70000, 1)), files_.Write("b.bin", ""),
          files_.Path("missing.bin"), files_.Dir(), files_.Write("same.bin", "first"),
          other.Write("same.bin", "second")}) {
        paths.Add(CString(path));
    }
    EXPECT_EQ(QDX_FTPFile("/assets/u1", paths, nullptr), 1U);
    const FtpSessionLog log = control::FtpLog();
    EXPECT_EQ(log.logins, 1);
    EXPECT_EQ(log.sessions_total, 1);
    EXPECT_THAT(FtpCommands("STOR"),
                ElementsAre("STOR a.bin", "STOR b.bin", "STOR same.bin", "STOR same.bin"));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/a.bin")), Pattern(70000, 1));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/b.bin")), "");
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/same.bin")), "second");

    control::Reset();
    EXPECT_EQ(QDX_FTPFile("/assets/u1", CStringArray(), nullptr), 1U);
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/u1"));
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
}

TEST_F(Ftp, MultiSendNetworkFailuresGiveSixteen) {
    CStringArray paths;
    paths.Add(CString(files_.Write("a.bin", "abc")));
    paths.Add(CString(files_.Write("b.bin", "d")));
    control::FtpFaults({{"refuse_login", true}});
    EXPECT_EQ(QDX_FTPFile("/assets/u1", paths, nullptr), 16U);
    control::FtpFaults(nlohmann::json::object());
    // A directory the server refuses would send the files elsewhere: nothing is stored.
    EXPECT_EQ(QDX_FTPFile("/assets/no-such-dir", paths, nullptr), 16U);
    EXPECT_THAT(FtpCommands("STOR"), IsEmpty());
    // A STOR the server breaks off ends the whole send; the files before it stay.
    control::FtpFaults({{"fail_stor_after", 1}});
    EXPECT_EQ(QDX_FTPFile("/assets/u1", paths, nullptr), 16U);
    EXPECT_THAT(FtpCommands("STOR"), ElementsAre("STOR a.bin"));
}

// --- looking up, deleting, removing -----------------------------------------------------

TEST_F(Ftp, CheckFindsExactNamesInTheNamedDirectoryOnly) {
    const struct {
        const char* dir;
        const char* name;
        bool refuseLogin;
        unsigned int result;
        int found; // 7: left alone
    } cases[] = {
        {"u1", "photo.jpg", false, 1, 1},     {"u1", "album", false, 1, 1},
        {"u1", "a[1].jpg", false, 1, 1}, // brackets are no pattern
        {"u1", "photo", false, 1, 0},         {"u1", "PHOTO.JPG", false, 1, 0},
        {"nobody", "photo.jpg", false, 1, 0}, // not the login directory's photo.jpg
        {"u1", "photo.jpg", true, 16, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + "/" + c.name);
        control::FtpFaults(c.refuseLogin ? nlohmann::json{{"refuse_login", true}}
                                         : nlohmann::json::object());
        int found = 7;
        EXPECT_EQ(QDX_CheckFile(c.dir, c.name, found, nullptr), c.result);
        EXPECT_EQ(found, c.found);
    }
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

TEST_F(Ftp, DeleteRemovesAFileInTheNamedDirectoryAndSaysWhenNothingWasRemoved) {
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "photo.jpg", nullptr), 1u);
    EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/u1/photo.jpg")));
    EXPECT_TRUE(std::filesystem::exists(FtpPath("photo.jpg")));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /assets/u1"));
    EXPECT_THAT(FtpCommands("DELE"), ElementsAre("DELE photo.jpg"));

    control::Reset();
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "missing.jpg", nullptr), 1024u);
    EXPECT_EQ(QDX_FTPDeleteFile("nobody", "photo.jpg", nullptr), 1024u);
    EXPECT_THAT(FtpCommands("DELE"), IsEmpty());
    EXPECT_TRUE(std::filesystem::exists(FtpPath("photo.jpg")));
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "album", nullptr), 1024u);
    EXPECT_TRUE(std::filesystem::is_directory(FtpPath("assets/u1/album")));
}

TEST_F(Ftp, RemoveDirRemovesAnEmptyDirectoryAndReportsARefusal) {
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1/album", nullptr), 1u);
    EXPECT_FALSE(std::filesystem::exists(FtpPath("assets/u1/album")));
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1", nullptr), 16u); // still holds files
    EXPECT_TRUE(std::filesystem::exists(FtpPath("assets/u1/photo.jpg")));
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/nobody", nullptr), 16u);
}

TEST_F(Ftp, LineBreaksAndNulBytesInNamesReachNothing) {
    const std::string local = files_.Write("i.bin", "i");
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", local.c_str(), "i.bin\r\nDELE photo.jpg", nullptr));
    EXPECT_FALSE(QDX_FTPFile("/assets/u1\nDELE photo.jpg", local.c_str(), "i.bin", nullptr));
    EXPECT_FALSE(QDX_FTPFile("/assets/u1", local.c_str(), CString("i.bin\0photo", 11), nullptr));
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "photo.jpg\r\nRMD album", nullptr), 16u);
    EXPECT_EQ(QDX_FTPDeleteFile("u1\nDELE photo.jpg", "x", nullptr), 16u);
    EXPECT_EQ(QDX_FTPDeleteFile("u1", CString("photo.jpg\0.keep", 15), nullptr), 16u);
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1/album\r\nDELE /assets/u1/photo.jpg", nullptr), 16u);
    int found = 3;
    EXPECT_EQ(QDX_CheckFile("u1", "x\nDELE photo.jpg", found, nullptr), 16u);
    EXPECT_EQ(found, 3);
    for (const char* verb : {"STOR", "DELE", "RMD"}) {
        EXPECT_THAT(FtpCommands(verb), IsEmpty()) << verb;
    }
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/photo.jpg")), "jpeg");
    EXPECT_TRUE(std::filesystem::is_directory(FtpPath("assets/u1/album")));
    EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
}

// --- the library file -------------------------------------------------------------------

TEST_F(Ftp, DownloadReplacesAnOldCopyOnlyWhenTheFetchSucceeds) {
    const std::string served = ReadBytes(FtpPath("downloads/VantaAPI.dll"));
    ASSERT_FALSE(served.empty());
    const std::string target = files_.Dir();
    files_.Write("VantaAPI.dll", std::string(100000, 'o'));
    EXPECT_EQ(QDX_DownloadDll(target.c_str(), nullptr), 1u);
    EXPECT_EQ(ReadBytes(files_.Path("VantaAPI.dll")), served);
    EXPECT_THAT(Entries(target), ElementsAre("VantaAPI.dll"));
    EXPECT_THAT(FtpCommands("CWD"), ElementsAre("CWD /downloads"));
    EXPECT_THAT(FtpCommands("RETR"), ElementsAre("RETR VantaAPI.dll"));

    // A failed fetch leaves the old copy and no stray file, whatever failed.
    files_.Write("VantaAPI.dll", "old copy");
    files_.Write("other.txt", "unrelated");
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::string dir;
    } cases[] = {
        {"missing local directory", [] {}, files_.Path("absent")},
        {"refused login",
         [] {
             control::FtpFaults({{"refuse_login", true}});
         },
         target},
        {"missing remote file", [] { std::filesystem::remove(FtpPath("downloads/VantaAPI.dll")); },
         target},
        // A copy in the login directory must not be fetched instead.
        {"missing remote directory",
         [] {
             std::filesystem::remove_all(FtpPath("downloads"));
             WriteBytes(FtpPath("VantaAPI.dll"), "not from /downloads");
         },
         target},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        EXPECT_EQ(QDX_DownloadDll(c.dir.c_str(), nullptr), 16u);
        control::FtpFaults(nlohmann::json::object());
        EXPECT_EQ(ReadBytes(files_.Path("VantaAPI.dll")), "old copy");
        EXPECT_THAT(Entries(target), UnorderedElementsAre("VantaAPI.dll", "other.txt"));
        EXPECT_EQ(OpenFtpSessionsAfterSettling(), 0);
    }
}

// --- nobody listening -------------------------------------------------------------------

class FtpUnreachable : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ServiceEnvironment::Instance().StopService(); }
    static void TearDownTestSuite() { ServiceEnvironment::Instance().StartService(); }
};

TEST_F(FtpUnreachable, EveryExportReportsItsNetworkFailureAndTouchesNoLocalFile) {
    LocalFiles files;
    const std::string local = files.Write("f.bin", "f");
    OpenWatch watch(local);
    EXPECT_FALSE(QDX_FTPFile("/assets", local.c_str(), "f.bin", nullptr));
    EXPECT_FALSE(watch.Opened());
    int found = 5;
    EXPECT_EQ(QDX_CheckFile("u1", "f.bin", found, nullptr), 16u);
    EXPECT_EQ(found, 5);
    EXPECT_EQ(QDX_FTPDeleteFile("u1", "f.bin", nullptr), 16u);
    EXPECT_EQ(QDX_FTPRemoveDir("/assets/u1", nullptr), 16u);
    EXPECT_EQ(QDX_DownloadDll(files.Dir().c_str(), nullptr), 16u);
    EXPECT_EQ(Entries(files.Dir()), std::vector<std::string>{"f.bin"});
}

} // namespace
} // namespace vanta::test
