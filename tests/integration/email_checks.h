// What the email sharing tests share: one QDX_Email call's argument objects, the private
// temporary directory that the library writes its info file into, and reading what reached
// the service (the session directory, the FTP log, the outbox).
#pragma once

#include "upload_checks.h"

#include <algorithm>
#include <cstdlib>

namespace vanta::test {

inline constexpr const char* kGetUniquePath = "/cgiscripts/get_unique.exe";
inline constexpr const char* kFireEmailsPath = "/cgiscripts/fire_emails.exe";
inline constexpr const char* kInfoName = "~emailinfo.qorl";

// The library's temporary directory for this executable ($TMPDIR, set once, without a
// trailing slash so that the library has to add its own).
inline const std::string& TempDir() {
    static const std::string dir = [] {
        char name[] = "/tmp/vanta-email-tmp.XXXXXX";
        const std::string made = mkdtemp(name) ? name : "";
        setenv("TMPDIR", made.c_str(), 1);
        return made;
    }();
    return dir;
}

inline std::string LocalInfoPath() {
    return TempDir() + "/" + kInfoName;
}

// The argument objects of one QDX_Email call; they must outlive the job.
struct EmailShare {
    CStringArray addresses;
    CString subject = "Pictures";
    CString message = "Hello";
    CStringArray files;
    CStringArray reserved;
    CString sn = "Ann Lee";

    EmailShare() = default;
    EmailShare(const EmailShare&) = delete;
    EmailShare& operator=(const EmailShare&) = delete;

    EmailShare& Address(const std::string& address) {
        addresses.Add(CString(address));
        return *this;
    }
    EmailShare& File(const std::string& path) {
        files.Add(CString(path));
        return *this;
    }
    unsigned int Start(StatusCallback callback = nullptr) {
        return QDX_Email(addresses, subject, message, files, reserved, sn, callback);
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> out;
        for (INT_PTR i = 0; i < files.GetSize(); ++i) {
            out.push_back(files.GetAt(i).str());
        }
        return out;
    }
};

// The session directory that the job worked in, from its directory change on the FTP log
// ("CWD /assets/<name>"); empty when the job made none.
inline std::string SessionFromFtpLog() {
    for (const std::string& command : FtpCommands("CWD")) {
        const std::string prefix = "CWD /assets/";
        if (command.rfind(prefix, 0) == 0) {
            return command.substr(prefix.size());
        }
    }
    return "";
}

inline std::filesystem::path SessionDir(const std::string& session) {
    return std::filesystem::path(ServiceDataDir()) / "ftp" / "assets" / session;
}

// The names in a session directory on the host, sorted.
inline std::vector<std::string> HostFiles(const std::string& session) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(SessionDir(session), error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every message in the service's outbox, in the order sent.
inline std::vector<std::string> OutboxMessages() {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(ServiceDataDir()) / "outbox", error)) {
        if (entry.path().extension() == ".eml") {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> messages;
    for (const auto& path : paths) {
        messages.push_back(ReadFile(path));
    }
    return messages;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What every email test starts from and leaves behind: no job, no stored data, no local info
// file; no FTP fault and no job still running afterwards.
class EmailJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(TempDir().empty());
        DiscardJob();
        control::Reset(true);
        std::filesystem::remove(LocalInfoPath());
    }
    void TearDown() override {
        control::FtpFaults(nlohmann::json::object());
        if (QDX_IsUploading()) {
            QDX_CancelUpload(0xFFFFFFFF);
            Status();
        }
    }
    LocalFiles files_;
};

} // namespace vanta::test
