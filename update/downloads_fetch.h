// One file of the service's downloads directory fetched into a local file over a connection
// that may be replaced: when the control or data connection breaks during the RETR, the call
// logs in again under its retry policy and goes on from the bytes that arrived (REST, RETR),
// into the same temporary file.
#pragma once

#include "net/ftp_connection.h"
#include "transport/call_context.h"
#include "transport/ftp_connect.h"

#include <string>

// How a fetch ended.
enum class Fetched {
    kWhole,     // the whole file is in place
    kNotServed, // the server refused the file (no such file, say)
    kFailed,    // anything else: the reason says what
};

class DownloadsFetch {
public:
    explicit DownloadsFetch(const CallContext& context);

    // Fetches `remoteName` into `localPath`: the bytes go to a temporary file beside it, which
    // is renamed over it only once the whole file has arrived and its length is the one the
    // server tells (SIZE), when it tells one. With `failIfExists` an existing file at
    // `localPath` is a failure. kFailed, the reason recorded, when the directory is refused,
    // the local file cannot be written, the file changed on the server between two attempts,
    // or the connection failed and the policy allows no further attempt; nothing of the
    // temporary file stays then (nor after kNotServed), and `localPath` is as it was.
    Fetched Fetch(const std::string& remoteName, const std::string& localPath, bool failIfExists);

private:
    // The connection, logged in and in the downloads directory; null when the server refuses
    // the directory (a copy elsewhere must not be fetched instead). Throws CInternetException.
    CFtpConnection* Connection();
    // The attempts at one temporary file, until it is whole or no attempt is left.
    Fetched Retrieve(const std::string& remoteName, AtomicFileWriter& temporary);

    FtpCall m_call;
    TraceSink m_trace;
    CFtpConnection* m_connection = nullptr;
};
