// The calls that the network engine makes on libcurl's sockets itself: it opens them (so that it
// knows the connection's own socket), shuts a cancelled transfer's connection down so that every
// wait on it ends at once, looks at the peer, and closes them. They run inside libcurl's
// callbacks: none of them throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A socket as the system numbers it: a descriptor, or on Windows a SOCKET handle. libcurl's
// curl_socket_t converts to it and back without loss; kNoSocket is CURL_SOCKET_BAD.
using NativeSocket = std::intptr_t;
inline constexpr NativeSocket kNoSocket = -1;

// Room for any socket address the system gives (its sockaddr_storage).
inline constexpr std::size_t kSocketAddressRoom = 128;

// A new socket, or kNoSocket.
NativeSocket OpenSocket(int family, int type, int protocol);
// 0 when closed, as libcurl's close-socket callback answers.
int CloseSocket(NativeSocket socket);
// Ends every wait on the connection both ways at once; the socket stays until it is closed.
void ShutDownSocket(NativeSocket socket);
// Whether the peer has closed or reset `socket`: it reads as ended or failed, without waiting
// and without taking anything from it.
bool PeerHasClosed(NativeSocket socket);
// The peer's address (a sockaddr) copied into `address`, which holds kSocketAddressRoom bytes;
// its length, or 0 when the socket has no peer.
std::size_t PeerAddress(NativeSocket socket, void* address);
// Room for the numeric text of any address, its NUL included (INET6_ADDRSTRLEN: 46 on Linux,
// 65 on Windows).
inline constexpr std::size_t kAddressTextRoom = 65;
// Writes the numeric text of an IPv4 or IPv6 socket address (a sockaddr) into `text`, which
// holds kAddressTextRoom bytes; "" for another family.
void AddressText(const void* address, char* text);

// What a socket call's system error means, in the words failure reasons use on Linux
// ("Connection refused"): libcurl reports the connect's error as the system numbers it, an errno
// value, or on Windows a Windows Sockets code, which strerror() does not know.
std::string SocketErrorText(long error);
