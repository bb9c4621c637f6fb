// The Win32 twin, on Winsock: its accept() knows no time limit, so select() bounds the wait
// for the connection; SO_RCVTIMEO, in milliseconds here, bounds every recv(). Each server
// starts Winsock for itself (it counts its starts).
#include "loopback_servers.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vanta::test {

std::thread AnswerOnceLater(uint16_t port, std::chrono::milliseconds after, std::string body) {
    return std::thread([=] {
        std::this_thread::sleep_for(after);
        WSADATA started;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &started), 0);
        const SOCKET server = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(port);
        inet_pton(AF_INET, "127.0.0.1", &where.sin_addr);
        EXPECT_EQ(bind(server, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
        listen(server, 1);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(server, &readable);
        timeval wait{.tv_sec = 5, .tv_usec = 0};
        if (select(0, &readable, nullptr, nullptr, &wait) == 1) {
            const SOCKET client = accept(server, nullptr, nullptr);
            const DWORD limit = 5000;
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                       sizeof limit);
            std::string request;
            char buffer[4096];
            while (client != INVALID_SOCKET && !LateServerHasRequest(request)) {
                const int got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(got));
            }
            const std::string reply = LateServerReply(body);
            EXPECT_EQ(send(client, reply.data(), static_cast<int>(reply.size()), 0),
                      static_cast<int>(reply.size()));
            closesocket(client);
        }
        closesocket(server);
        WSACleanup();
    });
}

FullListener::FullListener(const char* address) : m_sockets{} {
    WSADATA started;
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &started), 0);
    for (std::intptr_t& s : m_sockets) {
        s = static_cast<std::intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
    }
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(80);
    inet_pton(AF_INET, address, &where.sin_addr);
    const auto* any = reinterpret_cast<sockaddr*>(&where);
    const auto listener = static_cast<SOCKET>(m_sockets[0]);
    EXPECT_EQ(bind(listener, any, sizeof where) | listen(listener, 0), 0);
    for (const std::intptr_t s : {m_sockets[1], m_sockets[2]}) {
        u_long nonBlocking = 1;
        ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &nonBlocking);
        connect(static_cast<SOCKET>(s), any, sizeof where);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

FullListener::~FullListener() {
    for (const std::intptr_t s : m_sockets) {
        closesocket(static_cast<SOCKET>(s));
    }
    WSACleanup();
}

} // namespace vanta::test
