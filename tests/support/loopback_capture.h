// Records the TCP payload that crosses the loopback interface while it runs: what the client
// and the reference service really sent each other, below any TLS. Integration tests run in a
// network namespace of their own, on 127.0.0.1, so every IPv4 packet on loopback is theirs.
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <string_view>
#include <thread>

namespace vanta::test {

class LoopbackCapture {
public:
    // Whether this system can record (Linux; not Windows).
    static bool Available();

    // Starts recording. Throws std::runtime_error when no packet socket can be opened (it
    // needs the network namespace's root, which scripts/netns-run gives).
    LoopbackCapture();
    ~LoopbackCapture();

    // Stops recording, once what the kernel has queued is read.
    void Stop();

    // Whether `needle` appears in the bytes of any one direction of one TCP connection, in the
    // order sent (after Stop).
    bool Saw(std::string_view needle) const;

private:
    void Run();

    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::map<std::string, std::string> m_streams; // by addresses and ports, as sent
};

} // namespace vanta::test
