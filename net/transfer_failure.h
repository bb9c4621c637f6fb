// The description of a failed transfer: which kind of failure it was, the words of the failure
// reason (`cannot connect to publish.example.net port 80: Connection refused`), which name the
// server and, for FTP, quote the last command and reply, and the exception that carries the
// failure up.
#pragma once

#include "net/tls_refusal.h"

#include <cstddef>
#include <curl/curl.h>
#include <string>

// Whether libcurl's result says that the server refused one command, the connection staying
// usable.
bool IsServerRefusal(CURLcode code);

// The FTP dialogue as far as a failure reason quotes it: the last command line sent (a
// password masked) and the last reply line received.
struct FtpDialogue {
    std::string lastCommand;
    std::string lastReply;

    // What libcurl's debug callback shows of the header lines sent and received.
    void Sent(const char* data, size_t size);
    void Received(const char* data, size_t size);
};

// What the transfer saw, as far as a failure reason tells it.
struct TransferCircumstances {
    const std::string& host;
    unsigned port;
    // libcurl's own words for this failure; empty: its general text for the result.
    const char* libcurlText;
    // The system's error of a failed connect; 0: none known.
    long osError;
    // Whether the connection was up, and the connect time-out it had (0: libcurl's own).
    bool connected;
    long connectTimeoutMs;
    // Time since the transfer started.
    long elapsedMs;
    // The connection the transfer relied on was gone, and no new one was allowed.
    bool lostConnection;
    // Bytes of the transfer moved either way (a file's bytes, not commands and replies).
    long long bytesMoved;
    // The server had closed or reset the connection itself (not only a data connection).
    bool peerClosedConnection;
    // Why the TLS back end refused the server's certificate, if it did.
    TlsRefusal tlsRefusal;
    // Aborted for the owner's cancel, or by the stall watchdog at its limit.
    bool cancelled;
    bool stalled;
    long stallLimitMs;
    const FtpDialogue& dialogue;
};

// Records the failure reason for the failed result `code` and throws the CInternetException
// that matches it. A transfer aborted for its owner's cancel gives
// ERROR_INTERNET_OPERATION_CANCELLED, one whose connection was lost
// ERROR_INTERNET_CONNECTION_ABORTED, one the stall watchdog ended ERROR_INTERNET_TIMEOUT; a
// refused certificate is always ERROR_INTERNET_SEC_INVALID_CERT, whatever libcurl's result.
[[noreturn]] void ThrowTransferFailure(CURLcode code, const TransferCircumstances& seen);

// Records as the failure reason that the server refused the last command sent, with its
// answer, e.g. `publish.example.net port 21 refused "CWD x": 550 No such directory.`.
void NoteRefusal(const std::string& host, unsigned port, const FtpDialogue& dialogue);
