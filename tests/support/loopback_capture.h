// Records the TCP payload that crosses the loopback interface while it runs: what the client
// and the reference service really sent each other, below any TLS. Integration tests run in a
// network namespace of their own, so everything on loopback is theirs.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <string_view>
#include <thread>

namespace vanta::test {

class LoopbackCapture {
public:
    // Starts recording. Throws std::runtime_error when no packet socket can be opened (it
    // needs the network namespace's root, which scripts/netns-run gives).
    LoopbackCapture();
    LoopbackCapture(const LoopbackCapture&) = delete;
    LoopbackCapture& operator=(const LoopbackCapture&) = delete;
    ~LoopbackCapture();

    // Stops recording, once what the kernel has queued is read, and returns the payload of
    // every direction of every TCP connection ("src:port>dst:port"), in the order sent.
    const std::map<std::string, std::string>& Stop();

    // Whether `needle` appears in any one direction's bytes (after Stop).
    bool Saw(std::string_view needle) const;

private:
    void Run();
    void Take(const unsigned char* packet, size_t size);

    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::map<std::string, std::string> m_streams;
};

} // namespace vanta::test
