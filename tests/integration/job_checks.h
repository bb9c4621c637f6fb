// What the upload, email and job tests share: a registered user, one upload's or one share's
// argument objects, the job's status, the private temporary directory the library writes its
// info file into, and reading what reached the service (asset and session directories, the
// outbox).
#pragma once

#include <vantaapi.h>

#include <list>

#include "ftp_checks.h"

namespace vanta::test {

inline constexpr const char* kCreateAssetPath = "/cgiscripts/create_asset.exe";
inline constexpr const char* kDeleteAssetPath = "/cgiscripts/delete_asset.exe";
inline constexpr const char* kDiskSpacePath = "/cgiscripts/get_disk_space.exe";
inline constexpr const char* kSmtpMailPath = "/cgiscripts/smtp_mail.exe";
inline constexpr const char* kGetUniquePath = "/cgiscripts/get_unique.exe";
inline constexpr const char* kFireEmailsPath = "/cgiscripts/fire_emails.exe";
inline constexpr unsigned long kWaitForever = 0xFFFFFFFF;

// Registers `user` (password "pw") with product 3 through the library's request channel.
inline void RegisterUser(const std::string& user) {
    CString reply;
    const CString body(("Cust=" + user +
                        "&First=F&Last=L&Addr=A&City=C&St=S&Zip=1&EMail=u@example.com&Day=1"
                        "&Ex=1&Fax=1&Night=1&Mid=M&Code=1&PostPW=pw&ProductId=3")
                           .c_str());
    ASSERT_EQ(QDX_SendHTTPRequest(body, "/cgiscripts/create_user.exe", reply, nullptr), 1U);
}

// The argument objects of one QDX_UploadAsset call (product 3, asset "N" described as "D",
// type 2).
struct Upload {
    CString user = "alice";
    CString password = "keep-password";
    CStringArray files;
    CObList recipients;
    std::list<QDX_CRecipient> owned; // what `recipients` points to
    CString assetNum;

    Upload& File(const std::string& path) {
        files.Add(CString(path.c_str()));
        return *this;
    }
    Upload& To(const char* email, int viewType, const char* recipient) {
        recipients.AddTail(&owned.emplace_back(email, viewType, recipient));
        return *this;
    }
    unsigned int Start(StatusCallback callback = nullptr) {
        return QDX_UploadAsset(user, 3, "D", "N", password, files, recipients, assetNum, 2,
                               "reserved", callback);
    }
};

// The argument objects of one QDX_Email call (signed "Ann Lee").
struct EmailShare {
    CStringArray addresses;
    CString subject = "Pictures";
    CString message = "Hello";
    CStringArray files;

    EmailShare& Address(const std::string& address) {
        addresses.Add(CString(address));
        return *this;
    }
    EmailShare& File(const std::string& path) {
        files.Add(CString(path));
        return *this;
    }
    unsigned int Start(StatusCallback callback = nullptr) {
        return QDX_Email(addresses, subject, message, files, CStringArray(), "Ann Lee", callback);
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> out;
        for (INT_PTR i = 0; i < files.GetSize(); ++i) {
            out.push_back(files.GetAt(i).str());
        }
        return out;
    }
};

struct JobStatus {
    std::string text;
    unsigned long code = 0;
};

// QDX_GetAssetUploadStatus with `text` as the caller's status text on entry.
inline JobStatus Status(const std::string& text = "unchanged") {
    CString status(text.c_str());
    unsigned long code = 0;
    QDX_GetAssetUploadStatus(status, code);
    return {status.str(), code};
}

// Leaves no job running and no job current: a job that still runs is cancelled and waited
// for; a finished job is replaced by one that fails at once (a missing file gives 8 before
// any request) and is then discarded.
inline void DiscardJob() {
    QDX_CancelUpload(kWaitForever);
    Status();
    Upload failing;
    ASSERT_EQ(failing.File("/nonexistent/vanta-test-file").Start(), 1U);
    ASSERT_EQ(Status().code, 8U);
    ASSERT_EQ(QDX_CancelUpload(0), 1U);
}

// The library's info file in its temporary directory for this executable ($TMPDIR, set at the
// first call, without a trailing slash so that the library has to add its own).
inline std::string LocalInfoPath() {
    static const LocalFiles dir;
    static const std::string path = SetLibraryTempDir(dir.Dir()) + "/~emailinfo.qorl";
    return path;
}

// The session directory that a share worked in: its first directory change on the FTP log is
// "CWD /assets/<name>" (the name from the 13th character on); empty when it made none.
inline std::string SessionFromFtpLog() {
    const std::vector<std::string> changes = FtpCommands("CWD");
    return changes.empty() ? "" : changes.front().substr(12);
}

// What jobs left on the service's disk below "assets/<dir>" (a user's product directory, a
// session, or "" for all): every entry, directories included, as paths relative to it; and,
// for a user, the space the service counts as used.
inline std::vector<std::string> LeftOnService(const std::string& dir) {
    std::vector<std::string> left;
    std::error_code error;
    const std::filesystem::path root = FtpPath("assets/" + dir);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
        left.push_back(entry.path().lexically_relative(root).string());
    }
    return left;
}
inline std::string UsedSpace(const std::string& user) {
    CString quota, used;
    EXPECT_EQ(QDX_GetDiskSpace(CString(user), "3", quota, used, nullptr), 1U);
    return used.str();
}

// Every message in the service's outbox, in no particular order.
inline std::vector<std::string> OutboxMessages() {
    std::vector<std::string> messages;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(ServiceDataDir()) / "outbox", error)) {
        messages.push_back(ReadBytes(entry.path()));
    }
    return messages;
}

// What every job test starts from and leaves behind: no job, the stored data of one user
// "alice", no local info file; no FTP fault and no job still running afterwards.
class JobTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove(LocalInfoPath());
        DiscardJob();
        control::Reset(true);
        RegisterUser("alice");
    }
    void TearDown() override {
        QDX_CancelUpload(kWaitForever);
        Status();
    }
    LocalFiles files_;
};

} // namespace vanta::test
