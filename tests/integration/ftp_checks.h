// What the FTP and job tests share: the service's FTP tree on disk, its command log, the
// count of open FTP sessions, private local files, bounded waits, and a watch that tells
// whether the library opened a local file.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "control_client.h"
#include "scripted_replies.h"
#include "service_fixture.h"

namespace vanta::test {

// A path inside the service's FTP root ("assets/u1/f.bin").
inline std::filesystem::path FtpPath(const std::string& relative) {
    return std::filesystem::path(ServiceDataDir()) / "ftp" / relative;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// `size` bytes that differ from block to block, so that a lost, doubled or reordered block
// shows.
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

// The commands of the FTP log whose verb is `verb` ("STOR", "DELE", ...), in order.
inline std::vector<std::string> FtpCommands(const std::string& verb) {
    std::vector<std::string> found;
    for (const auto& [session, line] : control::FtpLog().commands) {
        if (line.compare(0, verb.size(), verb) == 0 &&
            (line.size() == verb.size() || line[verb.size()] == ' ')) {
            found.push_back(line);
        }
    }
    return found;
}

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

// The FTP sessions still open once the server has had up to two seconds to notice a closed
// connection.
inline int OpenFtpSessionsAfterSettling() {
    int open = 0;
    WaitUntil([&] { return (open = control::FtpLog().sessions_open) == 0; },
              std::chrono::seconds(2));
    return open;
}

// A private directory of local files, removed with the object.
class LocalFiles {
public:
    LocalFiles() {
        char name[] = "/tmp/vanta-test-files.XXXXXX";
        dir_ = mkdtemp(name) ? name : "";
    }
    ~LocalFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    LocalFiles(const LocalFiles&) = delete;
    LocalFiles& operator=(const LocalFiles&) = delete;

    std::string Write(const std::string& name, const std::string& bytes) {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    // A sparse file of `size` bytes: large sizes cost no disk space.
    std::string Sparse(const std::string& name, std::uint64_t size) {
        const int fd = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        close(fd);
        return Path(name);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

// Tells whether anybody opened `path` between construction and Opened().
class OpenWatch {
public:
    explicit OpenWatch(const std::filesystem::path& path)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ < 0 || inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0) {
            ADD_FAILURE() << "cannot watch " << path;
        }
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    ~OpenWatch() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool Opened() const {
        alignas(inotify_event) char events[4096];
        return read(fd_, events, sizeof(events)) > 0;
    }

private:
    int fd_;
};

} // namespace vanta::test
