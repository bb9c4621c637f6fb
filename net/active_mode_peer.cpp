// The active-mode peer check: the accepted data connection's peer against the control
// connection's server.
#include "net/active_mode_peer.h"

#include "os/socket_calls.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

void ActiveModePeerCheck::RememberServer(const char* address) {
    std::snprintf(m_serverAddress, sizeof(m_serverAddress), "%s",
                  address != nullptr ? address : "");
}

bool ActiveModePeerCheck::Admits(curl_socket_t socket) const {
    alignas(std::max_align_t) unsigned char peer[kSocketAddressRoom] = {};
    char text[kAddressTextRoom] = {};
    if (PeerAddress(static_cast<NativeSocket>(socket), peer) > 0) {
        AddressText(peer, text);
    }
    return text[0] != '\0' && std::strcmp(m_serverAddress, text) == 0;
}
