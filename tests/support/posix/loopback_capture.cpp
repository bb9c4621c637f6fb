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

bool LoopbackCapture::Available() {
    return true;
}

LoopbackCapture::LoopbackCapture() {
    m_socket = ::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
    sockaddr_ll where{.sll_family = AF_PACKET,
                      .sll_protocol = htons(ETH_P_IP),
                      .sll_ifindex = static_cast<int>(if_nametoindex("lo"))};
    // Room for a burst of large loopback packets while this thread is not scheduled.
    const int bufferBytes = 32 * 1024 * 1024;
    if (m_socket < 0 ||
        setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes) != 0 ||
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        const int error = errno;
        ::close(m_socket);
        throw std::runtime_error(std::string("packet socket on lo: ") + std::strerror(error));
    }
    m_thread = std::thread([this] { Run(); });
}

LoopbackCapture::~LoopbackCapture() {
    Stop();
    ::close(m_socket);
}

void LoopbackCapture::Stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
}

bool LoopbackCapture::Saw(std::string_view needle) const {
    return std::ranges::any_of(m_streams, [&](const auto& stream) {
        return stream.second.find(needle) != std::string::npos;
    });
}

void LoopbackCapture::Run() {
    static thread_local unsigned char ip[65536 + 256];
    for (pollfd ready{m_socket, POLLIN, 0}; ::poll(&ready, 1, 50) > 0 || !m_stop;) {
        sockaddr_ll from{};
        socklen_t length = sizeof from;
        const ssize_t size = ::recvfrom(m_socket, ip, sizeof ip, MSG_DONTWAIT,
                                        reinterpret_cast<sockaddr*>(&from), &length);
        // Loopback shows every packet twice, leaving and arriving; keep the arrivals. Only
        // TCP (protocol 6) over IPv4 carries the tests' traffic.
        if (size < 40 || from.sll_pkttype == PACKET_OUTGOING || ip[9] != 6) {
            continue;
        }
        const auto* packet = reinterpret_cast<const char*>(ip);
        const size_t end = std::min(size_t(ip[2] << 8 | ip[3]), size_t(size));
        const size_t tcp = size_t(ip[0] & 0x0f) * 4, payload = tcp + size_t(ip[tcp + 12] >> 4) * 4;
        if (payload > end) {
            continue;
        }
        // One direction of one connection: the addresses, then the ports, as sent.
        m_streams[std::string(packet + 12, 8) + std::string(packet + tcp, 4)].append(
            packet + payload, end - payload);
    }
}

} // namespace vanta::test
