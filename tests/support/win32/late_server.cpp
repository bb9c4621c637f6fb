// The Win32 twin, on Winsock: its accept() knows no time limit, so select() bounds the wait
// for the connection; SO_RCVTIMEO, in milliseconds here, bounds every recv().
#include "late_server.h"

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

} // namespace vanta::test
