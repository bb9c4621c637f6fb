// Servers of a test's own on loopback, for what the reference service cannot show: a port that
// starts listening late, and one that never accepts. The POSIX twin uses the BSD socket calls,
// the Win32 twin Winsock's.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace vanta::test {

// A server that comes up late, for the retry of a connection that was refused: from `after` on,
// 127.0.0.1 `port` answers one HTTP request (its headers and a one-byte body, a line feed) with
// `body`; before, a connect there is refused. It gives up after 5 s without a request.
std::thread AnswerOnceLater(uint16_t port, std::chrono::milliseconds after, std::string body);

// The HTTP reply the server sends: `body` with its length, and the end of the connection.
inline std::string LateServerReply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Whether `request` holds the whole request the server waits for.
inline bool LateServerHasRequest(const std::string& request) {
    return request.find("\r\n\r\n\n") != std::string::npos;
}

// A listener on `address` port 80 whose one place in the accept queue is taken, while it lives:
// it drops further connection attempts, so a client's connect waits until its own time-out.
class FullListener {
public:
    explicit FullListener(const char* address);
    ~FullListener();
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

private:
    std::intptr_t m_sockets[3]; // the listener and the two connections that fill its queue
};

} // namespace vanta::test
