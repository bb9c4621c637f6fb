// The active-mode peer check: an active-mode FTP data connection is taken only from the server
// the control connection reached. Anybody else who reaches the listening port first could
// otherwise feed a download or receive an upload.
#pragma once

#include <curl/curl.h>

class ActiveModePeerCheck {
public:
    // Remembers the address the control connection reached, in libcurl's text form (null:
    // none). Kept in a fixed buffer, since it runs inside libcurl's callbacks: never throws.
    void RememberServer(const char* address);

    // Whether the connection accepted on `socket` comes from the remembered server.
    bool Admits(curl_socket_t socket) const;

private:
    char m_serverAddress[64] = {};
};
