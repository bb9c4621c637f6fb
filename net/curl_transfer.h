// One libcurl easy handle, driven step by step through a private multi handle, with the
// layer's status notifications raised from libcurl's callbacks as the events happen.
//
// The Internet stand-ins are pull- and push-shaped (ReadString, Write), while libcurl runs a
// transfer to its end in one call. Driving the easy handle through a multi handle lets a
// stand-in run the transfer only as far as its caller needs: until a response line is there,
// or until the bytes handed to Write have gone out.
#pragma once

#include "framework/win_types.h"
#include "os/failure_reason.h"

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

// Whether libcurl's result says that the server refused one command, the connection staying
// usable.
bool IsServerRefusal(CURLcode code);

class CurlTransfer {
public:
    // Notifications go to `session` with `context`; the easy handle is made here and raises
    // INTERNET_STATUS_HANDLE_CREATED. Throws CInternetException when libcurl has no handle.
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
    // reported as a time-out. 0 switches the watchdog off. The watchdog is armed once the
    // connection is up, so that it never overlaps the connect time-out.
    void SetStallTimeout(long stallMs) { m_stallMs = stallMs; }

    // Size of the request that a REQUEST_SENT notification waits for (HTTP: headers + body).
    void ExpectRequestBody(curl_off_t bodyBytes) { m_requestBodyBytes = bodyBytes; }

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
    bool Ended() const { return m_ended; }
    CURLcode Result() const { return m_result; }
    bool Stalled() const { return m_stalled; }
    // Unpauses a transfer that a read or write callback paused.
    void Continue();

    // Runs a whole transfer on the easy handle (blocking) and returns libcurl's result.
    CURLcode Perform();

    // Throws the CInternetException that matches a failed result of this transfer, having
    // recorded the failure reason: what failed, the server and libcurl's or the system's text.
    // A transfer aborted for its owner's cancel gives ERROR_INTERNET_OPERATION_CANCELLED.
    [[noreturn]] void ThrowFailure(CURLcode code) const;
    // Records as the failure reason that the server refused the last command sent, with its
    // answer, e.g. `publish.example.net port 21 refused "CWD x": 550 No such directory.`.
    void NoteRefusal() const;

    // A step started before the owner's cancel gets this long to end on its own (a healthy
    // server ends a file within it, keeping what was sent); then the transfer is aborted.
    static constexpr int kCancelGraceMs = 250;

private:
    // True once the session's transfer control has asked for a cancel at least
    // kCancelGraceMs ago: the transfer in flight is to be aborted.
    bool CancelDue();
    // Ends the started transfer at once for the owner's cancel; libcurl closes its connection.
    void AbortForCancel();
    // Shuts the connection's socket down, so that nothing more waits on this server.
    void ShutDownConnection();
    void InstallCallbacks();
    void Raise(DWORD status, void* info = nullptr, DWORD length = 0);
    void Detach();
    void CollectResult();
    struct Failure {
        FailureKind kind;
        std::string text;
    };
    Failure DescribeFailure(CURLcode code) const;
    std::string Server() const;

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
    std::string m_host;
    unsigned m_port = 0;
    long m_connectTimeoutMs = 0;
    char m_errorText[CURL_ERROR_SIZE] = {};
    // The last command line sent and reply line received (FTP), for failure reasons.
    std::string m_lastCommand;
    std::string m_lastReply;
    std::chrono::steady_clock::time_point m_startTime;
    DWORD_PTR m_context;
    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    bool m_attached = false;
    bool m_ended = false;
    CURLcode m_result = CURLE_OK;
    std::function<bool(bool)> m_prerequisite;
    bool m_refuseNewConnections = false;
    bool m_refusedConnection = false;

    // Per-transfer notification state.
    bool m_nameResolving = false;
    bool m_nameResolved = false;
    bool m_socketOpened = false;
    bool m_connected = false;
    curl_socket_t m_lastSocket = CURL_SOCKET_BAD;
    // The address of the server the connection reached, as libcurl writes it.
    char m_peerAddress[64] = {};
    curl_off_t m_requestBodyBytes = -1;
    curl_off_t m_headerBytesOut = 0;
    curl_off_t m_bodyBytesOut = 0;
    bool m_requestSent = false;
    bool m_receiving = false;
    DWORD m_headerBytesIn = 0;
    DWORD m_countInfo = 0;

    // Cancel by the session's transfer control. Kept over Reset and Start: once seen, every
    // later step on this handle is aborted without another grace.
    bool m_cancelSeen = false;
    bool m_cancelled = false;
    std::chrono::steady_clock::time_point m_cancelSeenAt;

    // Stall watchdog.
    long m_stallMs = 0;
    bool m_watchdogArmed = false;
    bool m_stalled = false;
    curl_off_t m_lastMoved = -1;
    std::chrono::steady_clock::time_point m_lastMoveTime;
};
