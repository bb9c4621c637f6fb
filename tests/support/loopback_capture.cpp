#include "loopback_capture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vanta::test {

namespace {
constexpr int kPollMs = 50;
constexpr int kReceiveBufferBytes = 32 * 1024 * 1024;
constexpr unsigned char kTcp = 6;

std::string Endpoint(int family, const unsigned char* address, const unsigned char* port) {
    char text[INET6_ADDRSTRLEN] = {};
    inet_ntop(family, address, text, sizeof(text));
    return std::string(text) + ":" + std::to_string(port[0] << 8 | port[1]);
}
} // namespace

LoopbackCapture::LoopbackCapture() {
    m_socket = ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_ALL));
    if (m_socket < 0) {
        throw std::runtime_error(std::string("packet socket: ") + std::strerror(errno));
    }
    setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof(kReceiveBufferBytes));
    sockaddr_ll where{};
    where.sll_family = AF_PACKET;
    where.sll_protocol = htons(ETH_P_ALL);
    where.sll_ifindex = static_cast<int>(if_nametoindex("lo"));
    if (::bind(m_socket, reinterpret_cast<sockaddr*>(&where), sizeof(where)) != 0) {
        const int error = errno;
        ::close(m_socket);
        throw std::runtime_error(std::string("bind to lo: ") + std::strerror(error));
    }
    m_thread = std::thread([this] { Run(); });
}

LoopbackCapture::~LoopbackCapture() {
    Stop();
    ::close(m_socket);
}

const std::map<std::string, std::string>& LoopbackCapture::Stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
    return m_streams;
}

bool LoopbackCapture::Saw(std::string_view needle) const {
    for (const auto& [flow, bytes] : m_streams) {
        if (bytes.find(needle) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void LoopbackCapture::Run() {
    static thread_local unsigned char packet[65536 + 256];
    while (true) {
        pollfd ready{m_socket, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kPollMs);
        if (polled == 0 && m_stop) {
            return; // nothing queued any more
        }
        if (polled <= 0) {
            continue;
        }
        sockaddr_ll from{};
        socklen_t length = sizeof(from);
        const ssize_t size = ::recvfrom(m_socket, packet, sizeof(packet), MSG_DONTWAIT,
                                        reinterpret_cast<sockaddr*>(&from), &length);
        // Loopback shows every packet twice, leaving and arriving; keep the arrivals.
        if (size > 0 && from.sll_pkttype != PACKET_OUTGOING) {
            Take(packet, static_cast<size_t>(size));
        }
    }
}

void LoopbackCapture::Take(const unsigned char* packet, size_t size) {
    size_t ipHeader = 0;
    size_t ipEnd = 0;
    int family = 0;
    const unsigned char* source = nullptr;
    const unsigned char* destination = nullptr;
    if (size >= 20 && packet[0] >> 4 == 4 && packet[9] == kTcp) {
        family = AF_INET;
        ipHeader = static_cast<size_t>(packet[0] & 0x0f) * 4;
        ipEnd = static_cast<size_t>(packet[2] << 8 | packet[3]);
        source = packet + 12;
        destination = packet + 16;
    } else if (size >= 40 && packet[0] >> 4 == 6 && packet[6] == kTcp) {
        family = AF_INET6;
        ipHeader = 40;
        ipEnd = 40 + static_cast<size_t>(packet[4] << 8 | packet[5]);
        source = packet + 8;
        destination = packet + 24;
    } else {
        return;
    }
    ipEnd = std::min(ipEnd, size);
    if (ipHeader + 20 > ipEnd) {
        return;
    }
    const unsigned char* tcp = packet + ipHeader;
    const size_t tcpHeader = static_cast<size_t>(tcp[12] >> 4) * 4;
    if (ipHeader + tcpHeader > ipEnd) {
        return;
    }
    const std::string flow =
        Endpoint(family, source, tcp) + ">" + Endpoint(family, destination, tcp + 2);
    m_streams[flow].append(reinterpret_cast<const char*>(tcp + tcpHeader),
                           ipEnd - ipHeader - tcpHeader);
}

} // namespace vanta::test
