// The transfer driver: one libcurl easy handle, driven step by step through a private multi
// handle. Its parts each hold one idea: the status notifications (TransferNotices), the stall
// watchdog and the cancel grace (transfer_watchdog.h), the description of a failure
// (transfer_failure.h) and the active-mode peer check (ActiveModePeerCheck); the driver routes
// libcurl's callbacks to them.
//
// The Internet stand-ins are pull- and push-shaped (ReadString, Write), while libcurl runs a
// transfer to its end in one call. Driving the easy handle through a multi handle lets a
// stand-in run the transfer only as far as its caller needs: until a response line is there,
// or until the bytes handed to Write have gone out.
#pragma once

#include "net/active_mode_peer.h"
#include "net/transfer_failure.h"
#include "net/transfer_notices.h"
#include "net/transfer_watchdog.h"

#include <chrono>
#include <curl/curl.h>
#include <functional>
#include <string>

class CInternetSession;

// Sets libcurl, and the TLS library beneath it, up for the process; later calls do nothing.
// The library calls it while it loads, so that the TLS library's exit handler is registered
// before the library's own unload step and therefore runs after it: that step may still wait
// for a job's worker that is using the network.
void InitInternetLayer();

class CurlTransfer {
public:
    // Notifications go to `session` with `context`, and the trace to the session's sink; the
    // easy handle is made here and raises INTERNET_STATUS_HANDLE_CREATED. Throws
    // CInternetException when libcurl has no handle.
    CurlTransfer(CInternetSession& session, DWORD_PTR context);
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;
    // Closes the connection (CLOSING_CONNECTION, CONNECTION_CLOSED) and the handle
    // (HANDLE_CLOSING). Notifications stop when this returns.
    ~CurlTransfer();

    CURL* Easy() const { return m_easy; }

    // The host name that RESOLVING_NAME notifications carry, and the port: both name the
    // server in failure reasons.
    void SetHost(const char* host, unsigned port) {
        m_host = host ? host : "";
        m_port = port;
    }

    // Sets libcurl's connect time-out and remembers it for the failure reason.
    void SetConnectTimeout(long timeoutMs);

    // Resets every option, keeping the open connection, and installs the layer's callbacks
    // again. Call before configuring each operation on a reused handle.
    void Reset();

    // A transfer whose up- and download byte counts stand still for `stallMs` is aborted and
    // reported as a time-out. 0 switches the watchdog off.
    void SetStallTimeout(long stallMs) { m_watchdog.SetLimit(stallMs); }

    // Size of the request that a REQUEST_SENT notification waits for (HTTP: headers + body).
    void ExpectRequestBody(curl_off_t bodyBytes) { m_notices.ExpectRequestBody(bodyBytes); }

    // Lets the owner veto a transfer just before its request is sent, e.g. when libcurl opened
    // a fresh connection where the owner expects its logged-in one. Return false to abort.
    void SetPrerequisite(std::function<bool(bool newConnection)> check) {
        m_prerequisite = std::move(check);
    }

    // With `refuse` set, libcurl gets no socket for a new connection, so an operation that
    // would have to connect (and log in) again fails before a byte reaches the server. Stateful
    // protocols set it once their connection is up. Survives Reset.
    void RefuseNewConnections(bool refuse) { m_refuseNewConnections = refuse; }

    // Starts the transfer configured on Easy(); nothing moves until Drive is called.
    void Start();
    // Runs the transfer until `ready()` holds or the transfer ends. Returns true when `ready()`
    // holds. The check is made before any work, so a satisfied caller costs nothing.
    bool Drive(const std::function<bool()>& ready);
    // Runs the transfer to its end and detaches it. Returns libcurl's result.
    CURLcode Finish();
    // Whether the started transfer has ended, and how.
    bool Ended() const { return m_run.ended; }
    CURLcode Result() const { return m_run.result; }
    // Unpauses a transfer that a read or write callback paused.
    void Continue();

    // Runs a whole transfer on the easy handle (blocking) and returns libcurl's result.
    CURLcode Perform();

    // Throws the CInternetException that matches a failed result of this transfer, having
    // recorded the failure reason: what failed, the server and libcurl's or the system's text.
    // A transfer aborted for its owner's cancel gives ERROR_INTERNET_OPERATION_CANCELLED.
    [[noreturn]] void ThrowFailure(CURLcode code) const;
    // True for CURLE_OK, false when the server refused the command (the connection stays
    // usable); throws like ThrowFailure for any other result.
    bool Accepted(CURLcode code) const;
    // Records as the failure reason that the server refused the last command sent, with its
    // answer, e.g. `publish.example.net port 21 refused "CWD x": 550 No such directory.`.
    void NoteRefusal() const;

private:
    // How the transfer started last has gone so far; reset by assignment when one starts.
    struct Run {
        bool ended = false;
        CURLcode result = CURLE_OK;
        // Aborted for the owner's cancel.
        bool cancelled = false;
        // A new connection was needed and refused (RefuseNewConnections).
        bool refusedConnection = false;
        // The server had closed or reset the connection when libcurl closed it.
        bool peerClosedConnection = false;
        std::chrono::steady_clock::time_point startTime{};
    };

    // Ends the started transfer at once for the owner's cancel; libcurl closes its connection.
    void AbortForCancel();
    // Shuts the connection's socket down, so that nothing more waits on this server.
    void ShutDownConnection();
    void InstallCallbacks();
    void Detach();
    void CollectResult();
    void Trace(char prefix, const char* data, size_t size) const;

    static int OnResolverStart(void* resolverState, void* reserved, void* self);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int OnSocketOption(void* self, curl_socket_t socket, curlsocktype purpose);
    static int OnCloseSocket(void* self, curl_socket_t socket);
    static int OnPrerequisite(void* self, char* connPrimaryIp, char* connLocalIp,
                              int connPrimaryPort, int connLocalPort);
    static int OnDebug(CURL* handle, curl_infotype type, char* data, size_t size, void* self);
    static int OnProgress(void* self, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                          curl_off_t ulNow);

    CInternetSession& m_session;
    TransferNotices m_notices;
    StallWatchdog m_watchdog;
    CancelGrace m_cancelGrace;
    ActiveModePeerCheck m_peerCheck;
    FtpDialogue m_dialogue;
    Run m_run;

    std::string m_host;
    unsigned m_port = 0;
    long m_connectTimeoutMs = 0;
    char m_errorText[CURL_ERROR_SIZE] = {};
    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    bool m_attached = false;
    std::function<bool(bool)> m_prerequisite;
    bool m_refuseNewConnections = false;
    // The socket of the connection itself (never a data connection's), while it is open.
    curl_socket_t m_connectionSocket = CURL_SOCKET_BAD;
};
