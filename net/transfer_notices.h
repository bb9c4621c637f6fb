// The status notifications of one transfer: libcurl's events turned into the layer's numbered
// notifications (RESOLVING_NAME ... RESPONSE_RECEIVED), each raised once and in order, to the
// session with the transfer's context. What the transfer has announced so far is one struct,
// reset by assignment when a transfer starts.
#pragma once

#include "framework/win_types.h"

#include <curl/curl.h>
#include <string>

class CInternetSession;

class TransferNotices {
public:
    TransferNotices(CInternetSession& session, DWORD_PTR context)
        : m_session(session), m_context(context) {}

    // Raises one notification (dropped unless the session's notifications are on).
    void Raise(DWORD status, void* info = nullptr, DWORD length = 0);
    // Whether anybody listens.
    bool Enabled() const;

    // Size of the request that REQUEST_SENT waits for (HTTP: headers + body). Negative: the
    // transfer is no HTTP request (FTP), and gets no request or response notifications.
    void ExpectRequestBody(curl_off_t bodyBytes) { m_requestBodyBytes = bodyBytes; }
    bool ForHttpRequest() const { return m_requestBodyBytes >= 0; }

    // A transfer starts: nothing of it announced yet.
    void Restart() { m_sofar = {}; }

    // Whether the transfer's connection is up: later look-ups and sockets serve the data
    // connections (active-mode FTP), not the connection itself.
    bool Connected() const { return m_sofar.connected; }

    // libcurl starts looking up `host` (RESOLVING_NAME, carrying the name).
    void ResolvingName(std::string& host);
    // A socket is opened for an attempt to connect to `address`: NAME_RESOLVED once (after
    // the RESOLVING_NAME that a name from libcurl's cache skipped), CONNECTING_TO_SERVER for
    // every attempt.
    void ConnectingTo(std::string& host, curl_sockaddr& address);
    // The attempt got its socket: the transfer opens a connection of its own.
    void SocketOpened() { m_sofar.socketOpened = true; }
    // The connection is up, `socket` being its own (CONNECTED_TO_SERVER when this transfer
    // opened it). Returns whether it did, i.e. whether the connection is new.
    bool ConnectionUp(curl_socket_t socket);
    // The request goes out now (SENDING_REQUEST, HTTP only).
    void SendingRequest();
    // What libcurl's debug callback shows of an HTTP request's traffic: REQUEST_SENT once
    // the whole request is out, RECEIVING_RESPONSE at the first header line,
    // RESPONSE_RECEIVED at the end of the headers.
    void Traffic(curl_infotype type, const char* data, size_t size);

private:
    struct SoFar {
        bool nameResolving = false;
        bool nameResolved = false;
        bool socketOpened = false;
        bool connected = false;
        curl_off_t headerBytesOut = 0;
        curl_off_t bodyBytesOut = 0;
        bool requestSent = false;
        bool receiving = false;
        DWORD headerBytesIn = 0;
    };

    CInternetSession& m_session;
    DWORD_PTR m_context;
    curl_off_t m_requestBodyBytes = -1;
    SoFar m_sofar;
};
