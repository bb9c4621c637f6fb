// What the upload, job and multi-file send tests share: a registered user, local files of
// chosen sizes, one upload's argument objects, bounded waits, and reading what reached the
// service (request bodies, FTP commands, the asset's directory).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <vantaapi.h>

#include "control_client.h"
#include "service_fixture.h"

namespace vanta::test {

inline constexpr const char* kCreateAssetPath = "/cgiscripts/create_asset.exe";
inline constexpr const char* kDeleteAssetPath = "/cgiscripts/delete_asset.exe";
inline constexpr const char* kDiskSpacePath = "/cgiscripts/get_disk_space.exe";
inline constexpr const char* kSmtpMailPath = "/cgiscripts/smtp_mail.exe";

// Polls `done` every 5 ms for up to `timeout`; true when it held.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Registers `user` with product 3 through the library's request channel.
inline void RegisterUser(const std::string& user) {
    CString reply;
    const CString body(("Cust=" + user +
                        "&First=F&Last=L&Addr=A&City=C&St=S&Zip=1&EMail=u@example.com&Day=1"
                        "&Ex=1&Fax=1&Night=1&Mid=M&Code=1&PostPW=pw&ProductId=3")
                           .c_str());
    ASSERT_EQ(QDX_SendHTTPRequest(body, "/cgiscripts/create_user.exe", reply, nullptr), 1U);
    ASSERT_NE(reply.Find("kind=NEW"), -1) << reply.GetString();
}

// Bytes that differ from block to block, so a lost or doubled block shows.
inline std::string Pattern(size_t size, unsigned int seed = 2463534242u) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<char>(seed & 0xFF);
    }
    return bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A private directory of local files, removed with the object.
class LocalFiles {
public:
    LocalFiles() {
        char name[] = "/tmp/vanta-upload-test.XXXXXX";
        dir_ = mkdtemp(name) ? name : "";
    }
    ~LocalFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    LocalFiles(const LocalFiles&) = delete;
    LocalFiles& operator=(const LocalFiles&) = delete;

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_ + "/" + name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // A sparse file of `size` bytes: large sizes cost no disk space.
    std::string Sparse(const std::string& name, std::uint64_t size) {
        const std::string path = dir_ + "/" + name;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        close(fd);
        return path;
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

// The argument objects of one QDX_UploadAsset call; they must outlive the job.
struct Upload {
    CString user = "alice";
    unsigned int product = 3;
    CString description = "D";
    CString name = "N";
    CString password = "keep-password";
    CStringArray files;
    CObList recipients;
    CString assetNum;
    unsigned int type = 2;

    Upload() = default;
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;
    ~Upload() {
        for (POSITION pos = recipients.GetHeadPosition(); pos;) {
            delete recipients.GetNext(pos);
        }
    }
    Upload& File(const std::string& path) {
        files.Add(CString(path.c_str()));
        return *this;
    }
    Upload& To(const char* email, int viewType, const char* recipient) {
        recipients.AddTail(new QDX_CRecipient(email, viewType, recipient));
        return *this;
    }
    unsigned int Start(StatusCallback callback = nullptr) {
        return QDX_UploadAsset(user, product, description, name, password, files, recipients,
                               assetNum, type, CString("reserved"), callback);
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

// Bodies posted to `path` since the last reset, each with the channel's line feed.
inline std::vector<std::string> Bodies(const std::string& path) {
    std::vector<std::string> bodies;
    for (const LoggedRequest& request : control::RequestsTo(path)) {
        bodies.push_back(request.body);
    }
    return bodies;
}

inline bool Requested(const std::string& path) {
    return !control::RequestsTo(path).empty();
}

// FTP commands whose verb is `verb`, in order.
inline std::vector<std::string> FtpCommands(const std::string& verb) {
    std::vector<std::string> found;
    for (const auto& entry : control::FtpLog().commands) {
        const std::string& line = entry.second;
        if (line.compare(0, verb.size(), verb) == 0 &&
            (line.size() == verb.size() || line[verb.size()] == ' ')) {
            found.push_back(line);
        }
    }
    return found;
}

inline std::filesystem::path AssetDir(const std::string& user, unsigned int product,
                                      const std::string& number) {
    return std::filesystem::path(ServiceDataDir()) / "ftp" / "assets" / user /
           std::to_string(product) / number;
}

// The next reply of `path` is `body`.
inline void ScriptReply(const std::string& path, const std::string& body) {
    ReplyScript script;
    script.path = path;
    script.body = body;
    control::Script(script);
}

// The next reply of `path` is `body`, sent after `delayMs`.
inline void ScriptSlowReply(const std::string& path, const std::string& body, int delayMs) {
    ReplyScript script;
    script.path = path;
    script.body = body;
    script.delay_ms = delayMs;
    control::Script(script);
}

// Leaves no job running and no job current: a job that still runs is cancelled and waited
// for; a finished job is replaced by one that fails at once and is then discarded.
inline void DiscardJob() {
    if (QDX_IsUploading()) {
        QDX_CancelUpload(0xFFFFFFFF);
        Status();
    }
    Upload failing;
    failing.File("/nonexistent/vanta-test-file");
    ASSERT_EQ(failing.Start(), 1U);
    ASSERT_EQ(Status().code, 8U);
    ASSERT_EQ(QDX_CancelUpload(0), 1U);
}

} // namespace vanta::test
