// What the FTP and job tests share: the service's FTP tree on disk, its command log, private
// local files and bounded waits.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "control_client.h"
#include "scripted_replies.h"
#include "service_fixture.h"
#include "test_platform.h"

namespace vanta::test {

// A path inside the service's FTP root ("assets/u1/f.bin").
inline std::filesystem::path FtpPath(const std::string& relative) {
    return std::filesystem::path(ServiceDataDir()) / "ftp" / relative;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// `size` bytes that differ from block to block, so that a lost, doubled or reordered block
// shows.
inline std::string Pattern(size_t size, unsigned int seed = 1) {
    std::minstd_rand random(seed);
    std::string bytes(size, '\0');
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random()); });
    return bytes;
}

// The commands of the FTP log whose verb is `verb` ("STOR", "DELE", ...), in order.
inline std::vector<std::string> FtpCommands(const std::string& verb) {
    std::vector<std::string> found;
    for (const auto& [session, line] : control::FtpLog().commands) {
        if (line == verb || line.starts_with(verb + " ")) {
            found.push_back(line);
        }
    }
    return found;
}

// Polls `done` every 5 ms for up to `timeout`; true when it held.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    bool held = false;
    while (!(held = done()) && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return held;
}

// A private directory of local files, removed with the object.
class LocalFiles {
public:
    LocalFiles() : dir_(MakeTempDir("vanta-test-files.")) {}
    ~LocalFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    LocalFiles(const LocalFiles&) = delete;

    std::string Write(const std::string& name, const std::string& bytes) {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    // A sparse file of `size` bytes: large sizes cost no disk space.
    std::string Sparse(const std::string& name, std::uintmax_t size) {
        std::filesystem::resize_file(Write(name, ""), size);
        return Path(name);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

} // namespace vanta::test
