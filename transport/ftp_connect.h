// The connection recipe that every FTP operation of the library follows: its own session
// holding the caller's callback, notifications switched on only for a non-null callback, one
// FTP connection to the configured service host and FTP port with the library's login (active
// mode), and on every path the connection closed and destroyed before the session is closed.
#pragma once

#include "net/ftp_connection.h"
#include "transport/call_context.h"
#include "transport/service_config.h"
#include "transport/service_session.h"
#include "vanta/cstring.h"
#include "vanta/status_callback.h"

#include <memory>

class TransferControl;

// Files are copied in blocks of this size (the multi-file send tests its cancel flag per
// block).
inline constexpr unsigned int kFtpCopyBlockBytes = 1024;

class FtpCall {
public:
    // With a transfer control in the context, its cancel request aborts the connection's
    // transfer in flight.
    explicit FtpCall(const CallContext& context);
    FtpCall(const FtpCall&) = delete;
    FtpCall& operator=(const FtpCall&) = delete;
    // Closes and destroys the connection, if one was opened, then closes the session.
    ~FtpCall();

    // Switches notifications on for a non-null callback and opens the connection to the
    // service host taken at construction, closing the one opened before, if any. Throws
    // CInternetException when the host cannot be reached or the login is refused.
    CFtpConnection& Connect();

private:
    ServiceSession m_session;
    // Host, port and wait limit of the whole call, taken when it starts.
    const ServiceConfig m_config;
    std::unique_ptr<CFtpConnection> m_connection;
};

// `text` as a C string for the FTP layer. A NUL byte inside it would cut the name short and
// make the command act on another file, and a text over kMaxPathBytes names nothing on any
// server, so such a text is refused before a command carrying it is sent: throws
// CInternetException, the reason recorded.
const char* WholeText(const CString& text);
