// The status notifications of one transfer, raised from libcurl's events in their order.
#include "net/transfer_notices.h"

#include "net/internet_constants.h"
#include "net/internet_session.h"

#include "os/socket_calls.h"

#include <cstddef>

void TransferNotices::Raise(DWORD status, void* info, DWORD length) {
    m_session.RaiseStatus(m_context, status, info, length);
}

bool TransferNotices::Enabled() const {
    return m_session.IsStatusEnabled();
}

void TransferNotices::ResolvingName(std::string& host) {
    m_sofar.nameResolving = true;
    Raise(INTERNET_STATUS_RESOLVING_NAME, host.data(), static_cast<DWORD>(host.size() + 1));
}

void TransferNotices::ConnectingTo(std::string& host, curl_sockaddr& address) {
    if (!m_sofar.nameResolved) {
        if (!m_sofar.nameResolving) {
            // A name served from libcurl's cache skips the resolver callback.
            ResolvingName(host);
        }
        char text[kAddressTextRoom] = {};
        AddressText(&address.addr, text);
        m_sofar.nameResolved = true;
        Raise(INTERNET_STATUS_NAME_RESOLVED, text,
              static_cast<DWORD>(std::char_traits<char>::length(text) + 1));
    }
    Raise(INTERNET_STATUS_CONNECTING_TO_SERVER, &address.addr, address.addrlen);
}

bool TransferNotices::ConnectionUp(curl_socket_t socket) {
    const bool newConnection = m_sofar.socketOpened;
    if (newConnection) {
        alignas(std::max_align_t) unsigned char peer[kSocketAddressRoom] = {};
        const std::size_t length = PeerAddress(static_cast<NativeSocket>(socket), peer);
        Raise(INTERNET_STATUS_CONNECTED_TO_SERVER, peer, static_cast<DWORD>(length));
    }
    m_sofar.connected = true;
    return newConnection;
}

void TransferNotices::SendingRequest() {
    if (ForHttpRequest()) {
        Raise(INTERNET_STATUS_SENDING_REQUEST);
    }
}

void TransferNotices::Traffic(curl_infotype type, const char* data, size_t size) {
    if (!ForHttpRequest()) {
        return;
    }
    const auto bytes = static_cast<curl_off_t>(size);
    switch (type) {
    case CURLINFO_HEADER_OUT:
        m_sofar.headerBytesOut += bytes;
        break;
    case CURLINFO_DATA_OUT:
        m_sofar.bodyBytesOut += bytes;
        break;
    case CURLINFO_HEADER_IN: {
        if (!m_sofar.receiving) {
            m_sofar.receiving = true;
            Raise(INTERNET_STATUS_RECEIVING_RESPONSE);
        }
        m_sofar.headerBytesIn += static_cast<DWORD>(size);
        if ((size == 2 && data[0] == '\r' && data[1] == '\n') || (size == 1 && data[0] == '\n')) {
            DWORD received = m_sofar.headerBytesIn;
            Raise(INTERNET_STATUS_RESPONSE_RECEIVED, &received, sizeof(received));
        }
        return;
    }
    default:
        return;
    }
    if (!m_sofar.requestSent && m_sofar.headerBytesOut > 0 &&
        m_sofar.bodyBytesOut >= m_requestBodyBytes) {
        m_sofar.requestSent = true;
        DWORD sent = static_cast<DWORD>(m_sofar.headerBytesOut + m_sofar.bodyBytesOut);
        Raise(INTERNET_STATUS_REQUEST_SENT, &sent, sizeof(sent));
    }
}
