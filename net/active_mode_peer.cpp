// The active-mode peer check: the accepted data connection's peer against the control
// connection's server.
#include "net/active_mode_peer.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>

void ActiveModePeerCheck::RememberServer(const char* address) {
    std::snprintf(m_serverAddress, sizeof(m_serverAddress), "%s",
                  address != nullptr ? address : "");
}

bool ActiveModePeerCheck::Admits(curl_socket_t socket) const {
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    char text[INET6_ADDRSTRLEN] = {};
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        if (peer.ss_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&peer)->sin_addr, text,
                      sizeof(text));
        } else if (peer.ss_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_addr, text,
                      sizeof(text));
        }
    }
    return text[0] != '\0' && std::strcmp(m_serverAddress, text) == 0;
}
