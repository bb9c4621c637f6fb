/// \file
/// The raw request channel to the service's CGI programs, where the library finds the service,
/// and why a call failed.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Posts `body` plus one line feed to the CGI program `scriptPath` on the service host (on its
/// HTTP port, 80 unless configured otherwise; Basic login, Content-Type
/// application/x-www-form-urlencoded) and appends the whole response body to `reply`.
/// Redirects are not followed. Connect, send and receive each time out after 2,000 ms without
/// progress; a reply slower than 1 KiB/s over 30 s fails.
/// Returns 1 when a reply with a status of 200-299 was read to its end; 32 on any network
/// failure and for any other status (an error page, a redirect), whose body is still appended;
/// 32 too, nothing sent, for a `scriptPath` holding a NUL byte or longer than 4,096 bytes.
/// On a failure `reply` keeps what had already been appended.
VANTA_API unsigned int WINAPI QDX_SendHTTPRequest(const CString& body, const CString& scriptPath,
                                                  CString& reply, StatusCallback callback);

/// Points the library at another service: `host` (unless null) and the HTTP and FTP ports
/// (unless 0) replace those of the process-wide configuration for every call that starts
/// afterwards; calls already running finish with what they started with. Safe while other
/// calls run on other threads.
///
/// The configuration built when the library loads takes the host from `$VANTA_SERVER`, else
/// from the registry file's "Server" value, else "localhost"; the ports from
/// `$VANTA_HTTP_PORT` and `$VANTA_FTP_PORT` (default 80 and 21); the FTP wait limit from
/// `$VANTA_FTP_TIMEOUT_MS` (default 30,000 ms). A program's own setting (a command-line flag)
/// comes before all of them by calling this export.
///
/// Returns 1 when the address was changed; 0, changing nothing, when `host` is empty or not a
/// valid host name or address (a port belongs in its own argument), or a port is above 65535.
/// Leaves the failure reason of the last call as it is.
VANTA_API unsigned int WINAPI QDX_SetServiceAddress(const char* host, unsigned int httpPort,
                                                    unsigned int ftpPort);

/// Why the configuration in use is not what its sources asked for, e.g. "cannot read the
/// registry file /etc/x.reg named by VANTA_REGISTRY: No such file or directory",
/// "VANTA_SERVER: \"a.example:8080\" is not a host: it holds a port (HOST:PORT); give the port
/// in its own setting", or "VANTA_HTTP_PORT=80x is not a port number (1 to 65535)"; "" when
/// nothing went wrong. Such a setting is taken from its next source (VANTA_SERVER, then the
/// registry file, then the default), since the library cannot refuse to load; a program that
/// can refuse to run should, as vanta does (it sends nothing and exits 2). The same texts
/// reach vanta::Config::problems. A setting changed by QDX_SetServiceAddress drops its problem. The
/// text stays valid until the calling thread calls this export again.
VANTA_API const char* WINAPI QDX_GetConfigurationProblem();

/// Why the last export called on this thread failed, in one line: what it was doing, the
/// server or local file involved, and the network layer's or the system's text, e.g.
/// "cannot connect to publish.example.net port 80: Connection refused",
/// "timed out after 2000 ms waiting for publish.example.net port 80",
/// "FTP server publish.example.net port 21 refused the login: 530 Login incorrect.",
/// "cannot open local file /home/ann/a.jpg: No such file or directory".
/// "" when that export succeeded; an export that reports an outcome through its values (a
/// file not found on the service) may leave what the service answered. When the
/// configuration has a problem (QDX_GetConfigurationProblem), the reason ends with it in
/// parentheses. The text stays valid until the calling thread's next call of this export.
/// This export and the other configuration and diagnostic exports leave the reason alone.
VANTA_API const char* WINAPI QDX_GetLastFailureReason();

/// What kind of failure QDX_GetLastFailureReason describes: 0 none; 1 the service could not
/// be reached or the connection failed (name, connect, time-out, broken connection); 2 the
/// service answered and refused (an FTP login or command, an HTTP error status); 3 a local
/// file could not be opened, read or written; 4 anything else (out of memory, a refused
/// argument, a cancelled transfer).
VANTA_API unsigned int WINAPI QDX_GetLastFailureKind();

/// Receives one line of the conversation with the service: "> " a line sent (the request
/// line and headers, an FTP command), "< " a line received (status and header lines, an FTP
/// reply), "* " a step of the network layer (the URL requested, connecting, ...). Bodies and
/// file contents are not traced; passwords and credentials are masked. Called on the thread
/// of the network call, possibly on several threads at once.
typedef void(WINAPI* TraceCallback)(const char* line);

/// Installs `callback` as the process-wide trace; null switches the trace off. Safe while
/// other calls run; a call in progress may still deliver a few lines to the previous callback.
VANTA_API void WINAPI QDX_SetTraceCallback(TraceCallback callback);

/// \brief Turns transport security on or off for every call that starts afterwards.
///
/// With `useTls` non-zero, requests go over HTTPS (port 443, or $VANTA_HTTPS_PORT) and FTP
/// connections use explicit FTPS: AUTH TLS before the login, every data connection protected
/// (PROT P) and passive. The server's certificate is checked against the system's trusted
/// authorities and, when `caFile` names one, the authorities in that PEM file too; its host
/// name must match. A server that refuses TLS or shows a certificate that fails the check ends
/// the call with its failure code, and QDX_GetLastFailureReason names the problem; nothing is
/// ever sent in clear instead. With `useTls` zero, both channels are plain, as documented.
///
/// Settings at load, in this order: $VANTA_TLS (1/0, on/off, yes/no, true/false) and
/// $VANTA_CA_FILE, else the registry file's "TLS" and "CAFile" values, else off. A program's own
/// setting (a command-line flag) comes before them by calling this export.
///
/// \param useTls 1 to require TLS on both channels, 0 for plain HTTP and FTP, -1 to keep the
///        setting in force (when only the CA file changes).
/// \param caFile a PEM file of further authorities to trust; "" for none; null keeps the one
///        set now.
/// \return 1 when the setting was changed; 0, changing nothing, when `caFile` is not a
///         readable regular file (the failure reason says why) or `useTls` is none of 1, 0,
///         -1. The CA file is read again, as a regular file opened without blocking, for each
///         connection; one that can no longer be used then fails the call before anything is
///         sent.
VANTA_API unsigned int WINAPI QDX_SetTransportSecurity(int useTls, const char* caFile);
