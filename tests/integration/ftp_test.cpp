// The FTP exports against the reference service's FTP server: the bytes that arrive, the
// commands that reach the server, looking names up, deleting, removing directories, fetching
// the library file, and what each does when the server, a directory, a name or the local
// file is not as expected.
#include <gmock/gmock.h>

#include <algorithm>
#include <sstream>

#include "child_process.h"
#include "ftp_checks.h"
#include "status_recorder.h"
#include "vanta/client.hpp"
#include "vantaapi.h"

namespace vanta::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// What the server's tree holds before each case; a case removes at most one of them.
const char* const kSeeded[] = {"assets/u1/photo.jpg", "assets/u1/a[1].jpg", "assets/u1/album/",
                               "photo.jpg"};

class Ftp : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset(true);
        Seed();
    }
    static void Seed() {
        for (const std::string path : kSeeded) {
            path.ends_with("/") ? (void)std::filesystem::create_directories(FtpPath(path))
                                : WriteBytes(FtpPath(path), path);
        }
    }
    LocalFiles files_;
};

TEST_F(Ftp, SendStoresEveryByteWhateverTheSize) {
    // Empty, within one block, around the 1 KiB blocks and the 512 KiB piece read at a time,
    // and over several pieces.
    for (const size_t size : {0, 1, 1023, 1025, 524288, 524289, 1300007}) {
        const std::string name = "f" + std::to_string(size);
        ClearStatuses();
        ASSERT_TRUE(QDX_FTPFile("/assets/u1", files_.Write(name, Pattern(size)).c_str(),
                                name.c_str(), &RecordStatus));
        EXPECT_EQ(ReadBytes(FtpPath("assets/u1/" + name)), Pattern(size)) << size;
        // One connection, its own events only: the data connections raise none.
        EXPECT_THAT(RecordedStatuses(), ElementsAre(60, 10, 11, 20, 21, 50, 51, 70));
    }
}

// A send stores where it was asked to or nowhere and logs in once (no silent second login into
// the login directory). The single-file send fails as a whole; the
// multi-file send skips local files it cannot read and ends with 16 at a refused directory or
// a broken-off STOR, the files before it kept.
TEST_F(Ftp, SendsStoreWhatTheyCanReadAndStopAtTheFirstNetworkFailure) {
    LocalFiles other;
    const std::string a = files_.Write("a.bin", Pattern(70000, 1));
    const std::string b = files_.Write("b.bin", "");
    const std::string large = files_.Write("g", Pattern(300000));
    const std::string nul = a + std::string("\0.x", 3);
    const struct {
        nlohmann::json faults;
        const char* dir;
        std::vector<std::string> paths;
        bool multi; // else the single-file send of paths[0] as "d.bin"
        unsigned int result;
        std::vector<std::string> stored;
    } cases[] = {
        {{{"refuse_login", true}}, "/assets/u1", {a}, false, 0, {}},
        {{}, "/assets/missing", {a}, false, 0, {}},
        {{}, "/assets/u1", {files_.Path("absent.bin")}, false, 0, {}},
        {{}, "/assets/u1", {nul}, false, 0, {}},
        {{{"fail_stor_after", 100000}}, "/assets/u1", {large}, false, 0, {"STOR d.bin"}},
        // USER, PASS, PWD and CWD are answered, then the connection drops.
        {{{"drop_after_commands", 4}}, "/assets/u1", {a}, false, 0, {}},
        {{}, "/assets/missing", {a, b}, true, 16, {}},
        {{{"fail_stor_after", 1}}, "/assets/u1", {a, b}, true, 16, {"STOR a.bin"}},
        // The later of two files of one name wins.
        {{},
         "/assets/u1",
         {a, b, files_.Path("missing.bin"), files_.Dir(), nul, files_.Write("same.bin", "first"),
          other.Write("same.bin", "second")},
         true,
         1,
         {"STOR a.bin", "STOR b.bin", "STOR same.bin", "STOR same.bin"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        control::Reset();
        control::FtpFaults(c.faults.is_null() ? nlohmann::json::object() : c.faults);
        CStringArray paths;
        for (const std::string& path : c.paths) {
            paths.Add(CString(path));
        }
        EXPECT_EQ(c.multi ? QDX_FTPFile(c.dir, paths, nullptr)
                          : QDX_FTPFile(c.dir, paths[0], "d.bin", nullptr) + 0U,
                  c.result);
        EXPECT_THAT(FtpCommands("STOR"), ElementsAreArray(c.stored));
        EXPECT_LE(control::FtpLog().logins, 1);
        EXPECT_FALSE(std::filesystem::exists(FtpPath("d.bin")) ||
                     std::filesystem::exists(FtpPath("a.bin")));
    }
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/a.bin")), Pattern(70000, 1));
    EXPECT_EQ(ReadBytes(FtpPath("assets/u1/same.bin")), "second");
}

// The sends under a retry policy get past broken connections: each logs in again after the
// policy's wait, resumes the file that broke off where the server's copy ends, and goes on with
// the next; the server ends with the files byte for byte, and each byte is counted once. The
// single send (rows with `as`) resumes its one file the same way under its own name; what a
// failed one leaves on the server is the start of the file, never pieces of two versions. With
// no retries (the exports today) the same break ends the send. A refused STOR or login is not
// tried again, a break that keeps coming spends the policy, and a cancel during the wait ends
// the send at once.
TEST_F(Ftp, MultiSendResumesAfterBrokenConnectionsWithinItsAttempts) {
    const std::string a = files_.Write("a.bin", Pattern(300000, 3));
    const std::string b = files_.Write("b.bin", Pattern(70000, 4));
    const struct {
        nlohmann::json faults;
        unsigned int result;
        int logins;
        std::vector<std::string> resumes; // the trace's resume lines, in order
        std::string as = "";              // the single send of a.bin, stored under this name
        std::string policy = "2/10";      // retries/wait[/budget] in ms
        std::string dir = "/assets/u1";
        std::vector<std::string> paths = {};
        bool changes = false;    // a.bin is cut short while the connection is replaced
        std::string reason = ""; // what the failure's reason holds
        bool cancels = false;    // the cancel comes while the send waits to log in again
    } cases[] = {
        {{{"drop_data_after", 100000}}, 1, 2, {"* resuming a.bin at offset 100000"}},
        {{{"drop_control_after", 100000}}, 1, 2, {"* resuming a.bin at offset 100000"}},
        {{{"drop_data_after", 299999}}, 1, 2, {"* resuming a.bin at offset 299999"}},
        // The whole of a.bin arrived, its verdict did not: nothing is sent again.
        {{{"drop_control_after", 300000}}, 1, 2, {"* resuming a.bin at offset 300000"}},
        // Between the files, and within b.bin.
        {{{"drop_control_after", 300001}}, 1, 2, {"* resuming b.bin at offset 1"}},
        {{{"drop_data_every", 120000}},
         1,
         4,
         {"* resuming a.bin at offset 120000", "* resuming a.bin at offset 240000",
          "* resuming b.bin at offset 60000"},
         "",
         "4/10"},
        {{{"login_421", 1}}, 1, 1, {}},
        // A break after the send got further: the new login comes at once, whatever the
        // back-off (5 s) and the budget (1 ms) say.
        {{{"drop_data_after", 100000}},
         1,
         2,
         {"* resuming a.bin at offset 100000"},
         "",
         "2/5000/1"},
        {.faults = {{"drop_control_every", 50000}},
         .result = 16,
         .logins = 3,
         .resumes = {"* resuming a.bin at offset 50000", "* resuming a.bin at offset 100000"},
         .reason = "(after 3 attempts)"},
        // The measured file changed between attempts: it fails and its remote copy goes.
        {.faults = {{"drop_data_after", 100000}},
         .result = 8,
         .logins = 2,
         .resumes = {"* resuming a.bin at offset 100000"},
         .changes = true},
        {{{"refuse_login", true}}, 16, 0, {}},
        {{}, 16, 1, {}, "", "2/10", "/assets/missing"},
        // The server refuses to store over its directory "album".
        {{}, 16, 1, {}, "", "2/10", "/assets/u1", {a, files_.Write("album", "x"), b}},
        // The single send: at the first block, mid-file, at the last byte, the control
        // connection, a full server first, the policy spent, the file changed, a cancel.
        {{{"drop_data_after", 1000}}, 1, 2, {"* resuming s.bin at offset 1000"}, "s.bin"},
        {{{"drop_data_after", 150000}}, 1, 2, {"* resuming s.bin at offset 150000"}, "s.bin"},
        {{{"drop_data_after", 299999}}, 1, 2, {"* resuming s.bin at offset 299999"}, "s.bin"},
        {{{"drop_control_after", 150000}}, 1, 2, {"* resuming s.bin at offset 150000"}, "s.bin"},
        {{{"login_421", 1}, {"drop_data_after", 100000}},
         1,
         2,
         {"* resuming s.bin at offset 100000"},
         "s.bin"},
        {.faults = {{"drop_control_every", 50000}},
         .result = 16,
         .logins = 3,
         .resumes = {"* resuming s.bin at offset 50000", "* resuming s.bin at offset 100000"},
         .as = "s.bin",
         .reason = "(after 3 attempts)"},
        {.faults = {{"drop_data_after", 100000}},
         .result = 8,
         .logins = 2,
         .resumes = {"* resuming s.bin at offset 100000"},
         .as = "s.bin",
         .changes = true},
        {.faults = {{"login_421", 1}},
         .result = 16384,
         .logins = 0,
         .resumes = {},
         .as = "s.bin",
         .policy = "2/5000",
         .cancels = true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        control::Reset();
        const std::string stored = "assets/u1/" + (c.as.empty() ? "a.bin" : c.as);
        std::filesystem::remove(FtpPath(stored));
        std::filesystem::remove(FtpPath("assets/u1/b.bin"));
        control::FtpFaults(c.faults.is_null() ? nlohmann::json::object() : c.faults);
        std::vector<std::string> argv = {HelperPath("resume_send_probe"), c.policy, c.dir};
        const std::vector<std::string> paths = !c.paths.empty() ? c.paths
                                               : c.as.empty()   ? std::vector{a, b}
                                                                : std::vector{a};
        argv.insert(argv.end(), paths.begin(), paths.end());
        ChildOptions options{.timeout = std::chrono::seconds(60)};
        if (c.changes) {
            options.env.emplace_back("RESUME_PROBE_TRUNCATE",
                                     files_.Write("a.bin", Pattern(300000, 3)));
        }
        if (!c.as.empty()) {
            options.env.emplace_back("RESUME_PROBE_AS", c.as);
        }
        if (c.cancels) {
            options.env.emplace_back("RESUME_PROBE_CANCEL", "1");
        }
        const ChildResult probe = RunChild(argv, options);
        control::FtpFaults(nlohmann::json::object());
        std::vector<std::string> resumes;
        std::string stray; // anything the send itself wrote to the process's output
        std::istringstream lines(probe.out);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("* resuming")) {
                resumes.push_back(line);
            } else if (!line.starts_with("* ") && !line.starts_with("result=") &&
                       !line.starts_with("reason=") && !line.starts_with("cancel_ms=")) {
                stray += line + "\n";
            }
        }
        EXPECT_EQ(resumes, c.resumes) << probe.out << probe.err;
        EXPECT_EQ(stray, "");
        // Each resume writes from its offset on (REST, then STOR), never after whatever the
        // server holds by then (APPE).
        std::vector<std::string> rests = FtpCommands("REST");
        std::erase(rests, "REST 0"); // libcurl's own, with each SIZE
        std::vector<std::string> offsets;
        for (const std::string& line : c.resumes) {
            if (const std::string at = line.substr(line.rfind(' ') + 1); at != "0") {
                offsets.push_back("REST " + at);
            }
        }
        EXPECT_EQ(rests, offsets);
        EXPECT_THAT(FtpCommands("APPE"), testing::IsEmpty());
        EXPECT_EQ(control::FtpLog().logins, c.logins);
        // The owner hears of each resume once.
        EXPECT_THAT(probe.out,
                    testing::HasSubstr("resumed=" + std::to_string(c.resumes.size()) + "\n"));
        EXPECT_THAT(probe.out, testing::HasSubstr(c.reason));
        const std::uint64_t whole = c.as.empty() ? 370000 : 300000;
        if (c.result == 1) {
            EXPECT_THAT(probe.out,
                        testing::HasSubstr("result=1 counted=" + std::to_string(whole) + " "));
            // Compared as a whole: a difference in 300 kB of bytes is no help to read.
            EXPECT_TRUE(ReadBytes(FtpPath(stored)) == Pattern(300000, 3));
            EXPECT_TRUE(!c.as.empty() ||
                        ReadBytes(FtpPath("assets/u1/b.bin")) == Pattern(70000, 4));
        } else {
            EXPECT_THAT(probe.out, testing::HasSubstr("result=" + std::to_string(c.result)));
            EXPECT_FALSE(c.changes && std::filesystem::exists(FtpPath(stored)));
            if (!c.changes && !c.as.empty()) {
                const std::string held = ReadBytes(FtpPath(stored));
                EXPECT_TRUE(held.size() < 300000 && Pattern(300000, 3).starts_with(held));
            }
        }
        if (c.cancels) {
            const std::string after = probe.out.substr(probe.out.find("cancel_ms=") + 10);
            EXPECT_LT(std::stoi(after), 200) << probe.out;
        }
        // No retries: the first break ends the send (a full server, its only login).
        if (!c.resumes.empty() && !c.faults.contains("login_421")) {
            files_.Write("a.bin", Pattern(300000, 3));
            control::Reset();
            control::FtpFaults(c.faults);
            CStringArray both;
            both.Add(CString(a));
            both.Add(CString(b));
            if (c.as.empty()) {
                EXPECT_EQ(QDX_FTPFile("/assets/u1", both, nullptr), 16U);
            } else {
                EXPECT_FALSE(QDX_FTPFile("/assets/u1", CString(a), CString(c.as), nullptr));
            }
            EXPECT_EQ(control::FtpLog().logins, 1);
            control::FtpFaults(nlohmann::json::object());
        }
    }
}

// Looking up, deleting and removing act on the named entry in the named directory only, with
// their verdicts; names holding a line break or a NUL byte reach nothing. A case removes at
// most the entry named `gone`; every other entry of the tree stays.
TEST_F(Ftp, RemoteFileOperationsActOnTheNamedEntryOnly) {
    const struct {
        char op; // 'c': QDX_CheckFile, 'd': QDX_FTPDeleteFile, 'r': QDX_FTPRemoveDir
        const char* dir;
        CString name;
        unsigned int result;
        int found; // 7: left alone
        std::string gone;
    } cases[] = {
        {'c', "u1", "photo.jpg", 1, 1, ""},
        {'c', "u1", "a[1].jpg", 1, 1, ""}, // brackets are no pattern
        {'c', "u1", "photo", 1, 0, ""},
        {'c', "nobody", "photo.jpg", 1, 0, ""}, // not the login directory's photo.jpg
        {'d', "u1", "photo.jpg", 1, 7, "assets/u1/photo.jpg"},
        {'d', "u1", "missing.jpg", 1024, 7, ""},
        {'d', "nobody", "photo.jpg", 1024, 7, ""},
        {'d', "u1", "album", 1024, 7, ""}, // found, but the server refuses to delete it
        {'r', "/assets/u1/album", "", 1, 7, "assets/u1/album/"},
        {'r', "/assets/u1", "", 16, 7, ""}, // still holds files
        {'d', "u1", CString("photo.jpg\0.keep", 15), 16, 7, ""},
        {'r', "/assets/u1/album\r\nDELE /assets/u1/photo.jpg", "", 16, 7, ""},
        {'c', "u1", "x\nDELE photo.jpg", 16, 7, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        int found = 7;
        EXPECT_EQ(c.op == 'c'   ? QDX_CheckFile(c.dir, c.name, found, nullptr)
                  : c.op == 'd' ? QDX_FTPDeleteFile(c.dir, c.name, nullptr)
                                : QDX_FTPRemoveDir(c.dir, nullptr),
                  c.result);
        EXPECT_EQ(found, c.found);
        for (const std::string path : kSeeded) {
            EXPECT_EQ(std::filesystem::exists(FtpPath(path)), c.gone != path) << path;
        }
        Seed();
    }
}

// The download replaces an old copy only when the fetch succeeds and, with an update key set,
// the file carries the key's signature: whatever fails leaves the old copy, no stray file and
// a reason that says what failed. The service signs the file it publishes; one stored over it
// by FTP, as any copy of the library may, is not signed. A client allowed retries gets past
// broken connections and a full server: it logs in again and goes on from the bytes that
// arrived, and ends with the served bytes exactly; the export makes one attempt.
TEST_F(Ftp, DownloadReplacesAnOldCopyOnlyWhenTheFetchSucceeds) {
    ASSERT_FALSE(ReadBytes(FtpPath("downloads/VantaAPI.dll")).empty());
    const std::string target = files_.Dir();
    files_.Write("other.txt", "unrelated");
    LocalFiles keys;
    const std::string key = ServiceEnvironment::Instance().UpdateKeyFile();
    // Another Ed25519 public key (RFC 8032's first test key).
    const std::string otherKey =
        keys.Write("other.pub", "-----BEGIN PUBLIC KEY-----\n"
                                "MCowBQYDK2VwAyEA11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=\n"
                                "-----END PUBLIC KEY-----\n");
    const auto tamper = [] { WriteBytes(FtpPath("downloads/VantaAPI.dll"), "MZ replaced"); };
    const auto large = [] { WriteBytes(FtpPath("downloads/VantaAPI.dll"), Pattern(300000, 5)); };
    const struct {
        std::function<void()> arrange;
        std::string dir;
        unsigned int result;
        std::string key = "";
        std::string reason = "";
        nlohmann::json faults = nlohmann::json::object();
        int retries = -1;                    // -1: the export; else a client's
        std::vector<std::string> rests = {}; // what the server was asked to resume from
    } cases[] = {
        {[] {}, target, 1},
        {[] {}, files_.Path("absent"), 16},
        {[] { std::filesystem::remove(FtpPath("downloads/VantaAPI.dll")); }, target, 16},
        // A copy in the login directory must not be fetched instead.
        {[] {
             std::filesystem::remove_all(FtpPath("downloads"));
             WriteBytes(FtpPath("VantaAPI.dll"), "not from /downloads");
         },
         target, 16},
        {[] {}, target, 1, key},
        {tamper, target, 16, key, "VantaAPI.dll was refused and removed: its signature does not"},
        {[] {}, target, 16, otherKey, "its signature does not match the update key"},
        {[] { std::filesystem::remove(FtpPath("downloads/VantaAPI.dll.sig")); }, target, 16, key,
         "the service publishes no signature (VantaAPI.dll.sig)"},
        {[] { WriteBytes(FtpPath("downloads/VantaAPI.dll.sig"), std::string(65, 'x')); }, target,
         16, key, "its signature is not 64 bytes"},
        {[] {}, files_.Path("absent"), 16, key, "cannot create a file in"},
        {[] { std::filesystem::remove_all(FtpPath("downloads")); }, target, 16, key,
         "refused \"CWD /downloads\""},
        // Broken at the first byte, mid-file, before the last byte; the control connection
        // mid-file, and once the whole file had arrived (nothing to fetch again).
        {large, target, 1, "", "", {{"drop_data_after", 1}}, 2, {"REST 1"}},
        {large, target, 1, "", "", {{"drop_data_after", 150000}}, 2, {"REST 150000"}},
        {large, target, 1, "", "", {{"drop_data_after", 299999}}, 2, {"REST 299999"}},
        {large, target, 1, "", "", {{"drop_control_after", 150000}}, 2, {"REST 150000"}},
        {large, target, 1, "", "", {{"drop_control_after", 300000}}, 2, {}},
        {large, target, 1, "", "", {{"login_421", 2}}, 2, {}},
        // The signature, checked and put in place after it, goes on where it broke off.
        {[] {}, target, 1, key, "", {{"drop_data_after", 40}}, 2, {"REST 40"}},
        {large,
         target,
         16,
         "",
         "(after 3 attempts)",
         {{"drop_data_every", 90000}},
         2,
         {"REST 90000", "REST 180000"}},
        {large,
         target,
         16,
         "",
         // In active mode the 426 may come before the data connection is taken, with none
         // of its bytes read.
         "bytes of RETR VantaAPI.dll arrived",
         {{"drop_data_after", 150000}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        control::Reset(true);
        files_.Write("VantaAPI.dll", "old copy");
        c.arrange();
        control::FtpFaults(c.faults);
        ASSERT_EQ(QDX_SetUpdateKey(c.key.c_str()), 1U);
        std::string reason;
        if (c.retries < 0) {
            EXPECT_EQ(QDX_DownloadDll(c.dir.c_str(), nullptr), c.result);
            reason = QDX_GetLastFailureReason();
        } else {
            Config config{.host = "127.0.0.1", .update_key = c.key};
            config.retry = {.retries = static_cast<unsigned>(c.retries),
                            .initial_backoff = std::chrono::milliseconds(10)};
            const auto fetched = Client(config).download_update(c.dir);
            EXPECT_EQ(fetched ? 1U : fetched.error().code, c.result);
            reason = fetched ? "" : fetched.error().reason;
        }
        control::FtpFaults(nlohmann::json::object());
        EXPECT_THAT(reason, testing::HasSubstr(c.reason));
        std::vector<std::string> rests = FtpCommands("REST");
        std::erase(rests, "REST 0"); // libcurl's own, with each SIZE
        // Each resume starts where the arrived bytes end. Bytes in flight when the server broke
        // the connection may be lost with it, so a resume may start earlier than the drop (from
        // 0: no REST at all); the file is still compared whole below.
        for (const std::string& rest : rests) {
            EXPECT_THAT(c.rests, testing::Contains(rest)) << reason;
        }
        // Compared as a whole: a difference in 300 kB of bytes is no help to read.
        EXPECT_TRUE(ReadBytes(files_.Path("VantaAPI.dll")) ==
                    (c.result == 1 ? ReadBytes(FtpPath("downloads/VantaAPI.dll")) : "old copy"));
        // The old copy or its replacement and the unrelated file: no stray file.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target), {}), 2);
    }
    // A key that is not one is refused when it is set, and the one in force stays.
    ASSERT_EQ(QDX_SetUpdateKey(otherKey.c_str()), 1U);
    EXPECT_EQ(QDX_SetUpdateKey(keys.Write("not-a-key.pem", "x").c_str()), 0U);
    EXPECT_THAT(QDX_GetLastFailureReason(), testing::HasSubstr("holds no Ed25519 public key"));
    EXPECT_EQ(QDX_DownloadDll(target.c_str(), nullptr), 16U);
    QDX_SetUpdateKey(nullptr);
}

} // namespace
} // namespace vanta::test
