// The Win32 twin of the engine's socket calls: Windows Sockets, which libcurl has started.
#include "os/socket_calls.h"

#include "os/windows_api.h"

#include <cstring>
#include <ws2tcpip.h>

static_assert(sizeof(sockaddr_storage) <= kSocketAddressRoom);
static_assert(INET6_ADDRSTRLEN <= kAddressTextRoom);

namespace {
SOCKET SystemSocket(NativeSocket socket) {
    return static_cast<SOCKET>(socket);
}
} // namespace

NativeSocket OpenSocket(int family, int type, int protocol) {
    const SOCKET opened = ::socket(family, type, protocol);
    return opened == INVALID_SOCKET ? kNoSocket : static_cast<NativeSocket>(opened);
}

int CloseSocket(NativeSocket socket) {
    return ::closesocket(SystemSocket(socket));
}

void ShutDownSocket(NativeSocket socket) {
    ::shutdown(SystemSocket(socket), SD_BOTH);
}

bool PeerHasClosed(NativeSocket socket) {
    // libcurl keeps its sockets non-blocking, so the peek never waits.
    char byte = 0;
    const int peeked = ::recv(SystemSocket(socket), &byte, 1, MSG_PEEK);
    if (peeked != SOCKET_ERROR) {
        return peeked == 0;
    }
    const int error = WSAGetLastError();
    return error != WSAEWOULDBLOCK && error != WSAEINTR && error != WSAEINPROGRESS;
}

std::size_t PeerAddress(NativeSocket socket, void* address) {
    sockaddr_storage peer{};
    int length = sizeof(peer);
    if (::getpeername(SystemSocket(socket), reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        length <= 0) {
        return 0;
    }
    std::memcpy(address, &peer, static_cast<std::size_t>(length));
    return static_cast<std::size_t>(length);
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

// The codes a connect ends with, as glibc words their errno twins; the rest by number.
std::string SocketErrorText(long error) {
    switch (error) {
    case WSAECONNREFUSED:
        return "Connection refused";
    case WSAENETUNREACH:
        return "Network is unreachable";
    case WSAEHOSTUNREACH:
        return "No route to host";
    case WSAEHOSTDOWN:
        return "Host is down";
    case WSAENETDOWN:
        return "Network is down";
    case WSAETIMEDOUT:
        return "Connection timed out";
    case WSAECONNRESET:
        return "Connection reset by peer";
    case WSAECONNABORTED:
        return "Software caused connection abort";
    case WSAEADDRNOTAVAIL:
        return "Cannot assign requested address";
    case WSAEADDRINUSE:
        return "Address already in use";
    case WSAEACCES:
        return "Permission denied";
    case WSAEAFNOSUPPORT:
        return "Address family not supported by protocol";
    case WSAENOBUFS:
        return "No buffer space available";
    default:
        return "Windows Sockets error " + std::to_string(error);
    }
}
