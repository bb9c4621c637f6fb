// Transport security against the reference service serving certificates of a CA made for this
// run: every channel works over TLS and nothing of the login, the users' passwords or the files
// crosses loopback in clear; a certificate that must not be trusted, or a server without TLS,
// ends the call with its reason and nothing is sent after it.
#include "job_checks.h"
#include "loopback_capture.h"
#include "status_recorder.h"
#include "tls_service.h"
#include "vanta/client.hpp"

#include <gmock/gmock.h>
#include <optional>
#include <set>

using namespace vanta::test;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {
constexpr const char* kUserPassword = "Sesame-7f3a-open";
constexpr const char* kLogin = "mossbay";
// What the service serves for the self-update, recognisable on the wire.
constexpr const char* kDllMarker = "copy served by the reference service";

std::string CaFile(const std::string& name) {
    return ServiceEnvironment::Instance().WorkDir() + "/ca/" + name;
}

void UseTls(bool on) {
    ASSERT_EQ(QDX_SetTransportSecurity(on ? 1 : 0, on ? CaFile("ca.pem").c_str() : ""), 1U);
}

class Tls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ServeTlsWithNewCa(CaFile("")); }

    void SetUp() override {
        DiscardJob();
        control::Reset(true);
        UseTls(true);
    }
    void TearDown() override {
        UseTls(false);
        QDX_SetServiceAddress("localhost", 0, 0);
    }

    LocalFiles files_;
};

// --- every channel, and what crossed the wire --------------------------------------------

// Without TLS every secret shows up, which proves the capture sees the traffic. A client's
// upload over three connections protects each of them.
TEST_F(Tls, EveryChannelWorksAndOnlyTlsKeepsSecretsOffTheWire) {
    const std::string content = Pattern(200000, 7);
    const std::string local = files_.Write("picture.jpg", content);
    std::vector<std::filesystem::path> album;
    for (unsigned int seed = 11; seed <= 13; ++seed) {
        album.push_back(files_.Write(std::to_string(seed) + ".jpg", Pattern(100000, seed)));
    }
    const std::filesystem::path downloads = files_.Path("downloads");
    std::filesystem::create_directories(downloads);
    for (const bool tls : {true, false}) {
        SCOPED_TRACE(tls ? "tls" : "clear");
        SetUp();
        UseTls(tls);
        std::optional<LoopbackCapture> capture; // the wire is checked where it can be seen
        if (LoopbackCapture::Available()) {
            capture.emplace();
        }
        ClearStatuses();
        // Requests: a registration, a login that carries a password (the wrong one).
        RegisterUser("alice");
        EXPECT_EQ(QDX_ValidateUser("alice", kUserPassword, "3", &RecordStatus), 8192U);
        const std::vector<unsigned long> requestStatuses = RecordedStatuses();
        // A single send, an upload job with its notification, the download.
        EXPECT_TRUE(QDX_FTPFile("", CString(local), "single.jpg", nullptr));
        Upload upload;
        upload.File(local).To("bob@example.com", 1, "Bob");
        ASSERT_EQ(upload.Start(), 1U);
        ASSERT_TRUE(WaitUntil([] { return !QDX_IsUploading(); }));
        const JobStatus uploaded = Status();
        EXPECT_EQ(uploaded.code, 1U);
        EXPECT_THAT(uploaded.text, AllOf(StartsWith(tls ? "https://" : "http://"),
                                         HasSubstr("@localhost/QDXAssets/alice/3/")));
        EXPECT_EQ(QDX_DownloadDll(CString(downloads.string()), nullptr), 1U);
        vanta::Config config = vanta::Config::from_environment();
        config.host = "localhost"; // the name the certificate holds
        config.tls = tls;
        config.ca_file = CaFile("ca.pem");
        config.parallel_transfers = 3;
        control::FtpFaults({{"delay_ms", 20}}); // so that every connection takes a file
        const auto albumUp =
            vanta::Client(config).upload({"alice", 3, "Album", "", 0, album, {}}).outcome();
        control::FtpFaults(nlohmann::json::object());
        if (capture) { // before the FTP log, which names the login, is read in clear
            capture->Stop();
        }
        ASSERT_TRUE(albumUp.has_value()) << albumUp.error().reason;
        std::set<std::string> storing;
        for (const auto& [session, command] : control::FtpLog().commands) {
            if (command.ends_with(".jpg") && command.starts_with("STOR 1")) {
                storing.insert(session);
            }
        }
        EXPECT_GT(storing.size(), 1U);

        // The request's notifications, in order, on the calling thread, in both modes.
        EXPECT_THAT(requestStatuses, ElementsAre(60, 10, 11, 20, 21, 30, 31, 40, 41, 50, 51, 70));
        for (const StatusEvent& event : RecordedStatusEvents()) {
            EXPECT_EQ(event.thread, std::this_thread::get_id());
        }
        EXPECT_EQ(ReadBytes(std::filesystem::path(ServiceDataDir()) / "ftp/single.jpg"), content);
        EXPECT_THAT(ReadBytes(downloads / "VantaAPI.dll"), HasSubstr(kDllMarker));
        for (const std::string& secret :
             {std::string(kLogin), Base64Encode(std::string(kLogin) + ":" + kLogin),
              std::string(kUserPassword), content.substr(100000, 64), std::string(kDllMarker),
              Pattern(100000, 11).substr(50000, 64), Pattern(100000, 12).substr(50000, 64),
              Pattern(100000, 13).substr(50000, 64)}) {
            EXPECT_TRUE(!capture || capture->Saw(secret) == !tls) << secret;
        }
    }
}

// --- certificates and servers that must not be trusted -----------------------------------

// Each case ends the call with its reason, in the same words whatever the TLS back end, and
// nothing is sent after it.
TEST_F(Tls, UntrustedCertificatesAndServersWithoutTlsGetNothing) {
    const struct {
        const char* certificate; // served by the service
        const char* host;        // the name the library addresses it by
        bool refusesTls;         // the FTP server answers AUTH TLS as a server without TLS
        const char* reason;
        bool caFifo = false; // the CA file set is then replaced by a FIFO nobody writes to
    } rows[] = {
        {"untrusted.pem", "localhost", false, "no trusted certificate authority signed it"},
        {"server.pem", "127.0.0.1", false, "it is for another host name than 127.0.0.1"},
        {"expired.pem", "localhost", false, "it has expired or is not yet valid"},
        {"server.pem", "localhost", true, "refused TLS"},
        {"server.pem", "localhost", false, "swapped.pem: not a regular file", true},
    };
    const std::filesystem::path target = files_.Path("dl");
    std::filesystem::create_directories(target);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        const auto reason = HasSubstr(row.reason);
        SetUp();
        control::Call("POST", "tls",
                      {{"cert", CaFile(row.certificate)}, {"key", CaFile("server.key")}});
        control::FtpFaults({{"refuse_tls", row.refusesTls}});
        ASSERT_EQ(QDX_SetServiceAddress(row.host, 0, 0), 1U);
        if (row.caFifo) { // refused when set, and when it became a FIFO after it was set
            const std::string swapped = files_.Write("swapped.pem", ReadBytes(CaFile("ca.pem")));
            ASSERT_EQ(QDX_SetTransportSecurity(1, swapped.c_str()), 1U);
            std::filesystem::remove(swapped);
            if (!MakeFifo(swapped)) {
                continue;
            }
            EXPECT_EQ(QDX_SetTransportSecurity(1, swapped.c_str()), 0U);
        }
        if (!row.refusesTls) { // a certificate's case: the HTTP channel too
            EXPECT_EQ(QDX_ValidateUser("alice", "x", "3", nullptr), 32U);
            EXPECT_THAT(QDX_GetLastFailureReason(), reason);
            EXPECT_TRUE(control::RequestLog().empty());
        }
        EXPECT_EQ(QDX_DownloadDll(CString(target.string()), nullptr), 16U);
        EXPECT_THAT(QDX_GetLastFailureReason(), reason);
        // libcurl asks for TLS under both names before it gives up; nothing else was sent
        // (nothing at all without a usable CA file).
        const std::vector<std::string> auth = FtpCommands("AUTH");
        if (!row.caFifo) {
            EXPECT_THAT(auth, Contains("AUTH TLS"));
        }
        EXPECT_EQ(auth.size(), control::FtpLog().commands.size());
        EXPECT_TRUE(std::filesystem::is_empty(target));
    }
}

} // namespace
