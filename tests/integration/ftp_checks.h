// What the FTP tests share: the service's FTP tree on disk, its command log, the count of
// open FTP sessions, and a watch that tells whether the library opened a local file.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "control_client.h"
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
inline std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    unsigned int state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state & 0xFF);
    }
    return bytes;
}

// The commands of the FTP log whose verb is `verb` ("STOR", "DELE", ...).
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

// Whether the service still has an FTP session open after the server has had up to two
// seconds to notice a closed connection.
inline int OpenFtpSessionsAfterSettling() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int open = control::FtpLog().sessions_open;
    while (open != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        open = control::FtpLog().sessions_open;
    }
    return open;
}

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
