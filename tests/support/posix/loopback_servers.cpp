#include "loopback_servers.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vanta::test {

std::thread AnswerOnceLater(uint16_t port, std::chrono::milliseconds after, std::string body) {
    return std::thread([=] {
        std::this_thread::sleep_for(after);
        const int server = socket(AF_INET, SOCK_STREAM, 0);
        // Bounds accept() and every recv() alike.
        const timeval limit{.tv_sec = 5, .tv_usec = 0};
        setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in where{.sin_family = AF_INET, .sin_port = htons(port), .sin_addr{}, .sin_zero{}};
        inet_pton(AF_INET, "127.0.0.1", &where.sin_addr);
        const int one = 1;
        setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        EXPECT_EQ(bind(server, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
        listen(server, 1);
        if (const int client = accept(server, nullptr, nullptr); client >= 0) {
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            std::string request;
            char buffer[4096];
            while (!LateServerHasRequest(request)) {
                const ssize_t got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(got));
            }
            const std::string reply = LateServerReply(body);
            EXPECT_EQ(send(client, reply.data(), reply.size(), 0),
                      static_cast<ssize_t>(reply.size()));
            close(client);
        }
        close(server);
    });
}

FullListener::FullListener(const char* address)
    : m_sockets{socket(AF_INET, SOCK_STREAM, 0), socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0),
                socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0)} {
    sockaddr_in where{.sin_family = AF_INET, .sin_port = htons(80), .sin_addr{}, .sin_zero{}};
    inet_pton(AF_INET, address, &where.sin_addr);
    const auto* any = reinterpret_cast<sockaddr*>(&where);
    const int listener = static_cast<int>(m_sockets[0]);
    EXPECT_EQ(bind(listener, any, sizeof where) | listen(listener, 0), 0);
    for (const std::intptr_t s : {m_sockets[1], m_sockets[2]}) {
        connect(static_cast<int>(s), any, sizeof where);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

FullListener::~FullListener() {
    for (const std::intptr_t s : m_sockets) {
        close(static_cast<int>(s));
    }
}

} // namespace vanta::test
