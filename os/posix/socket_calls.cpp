// The POSIX twin of the engine's socket calls: BSD sockets.
#include "os/socket_calls.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

static_assert(sizeof(sockaddr_storage) <= kSocketAddressRoom);
static_assert(INET6_ADDRSTRLEN <= kAddressTextRoom);

NativeSocket OpenSocket(int family, int type, int protocol) {
    return ::socket(family, type, protocol);
}

int CloseSocket(NativeSocket socket) {
    return ::close(static_cast<int>(socket));
}

void ShutDownSocket(NativeSocket socket) {
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
}

bool PeerHasClosed(NativeSocket socket) {
    char byte = 0;
    const ssize_t peeked = ::recv(static_cast<int>(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

std::size_t PeerAddress(NativeSocket socket, void* address) {
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    if (::getpeername(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        return 0;
    }
    std::memcpy(address, &peer, length);
    return length;
}

void AddressText(const void* address, char* text) {
    text[0] = '\0';
    const int family = static_cast<const sockaddr*>(address)->sa_family;
    const void* raw = nullptr;
    if (family == AF_INET) {
        raw = &static_cast<const sockaddr_in*>(address)->sin_addr;
    } else if (family == AF_INET6) {
        raw = &static_cast<const sockaddr_in6*>(address)->sin6_addr;
    }
    if (raw == nullptr || ::inet_ntop(family, raw, text, kAddressTextRoom) == nullptr) {
        text[0] = '\0';
    }
}

std::string SocketErrorText(long error) {
    return std::strerror(static_cast<int>(error));
}
