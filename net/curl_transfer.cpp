#include "net/curl_transfer.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "net/internet_session.h"
#include "net/trace.h"
#include "net/transfer_control.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

namespace {
void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A transfer slower than this many bytes per second over this many seconds has stalled in
// all but name (a reply trickled a byte at a time never trips the per-step watchdog).
constexpr long kLowSpeedBytesPerSecond = 1024;
constexpr long kLowSpeedSeconds = 30;

// How long one wait for socket activity may last before the transfer is driven again; bounds
// how late the stall watchdog and a cancel can be noticed on a silent server.
constexpr int kPollSliceMs = 250;
static_assert(kPollSliceMs <= TransferControl::kCancelCheckMs);
// The first wait after any activity. At some steps libcurl has no socket to wait on and sets
// no timer, yet must be driven again to go on (between the server's passive-mode reply and
// the connect of the data connection, i.e. once per file stored over FTPS): a whole slice
// there would cost every such file 250 ms. So a wait that ends with nothing happening
// doubles the next one, up to kPollSliceMs, and any activity starts again from here.
constexpr int kFirstPollSliceMs = 1;

// The last non-empty line of `text`, without its line end.
std::string LastLine(const char* data, size_t size) {
    std::string text(data, size);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    const size_t start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

} // namespace

bool IsServerRefusal(CURLcode code) {
    switch (code) {
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
        return true;
    default:
        return false;
    }
}

void InitInternetLayer() {
    GlobalInitOnce();
}

CurlTransfer::CurlTransfer(CInternetSession& session, DWORD_PTR context)
    : m_session(session), m_context(context) {
    GlobalInitOnce();
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (m_easy == nullptr || m_multi == nullptr) {
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR, CURLE_OUT_OF_MEMORY);
    }
    InstallCallbacks();
    Raise(INTERNET_STATUS_HANDLE_CREATED, &m_easy, sizeof(m_easy));
}

CurlTransfer::~CurlTransfer() {
    Detach();
    // A connection kept for reuse lives in the multi handle's cache: closing it runs the
    // close-socket callback, which still points here.
    curl_multi_cleanup(m_multi);
    CURL* closing = m_easy;
    curl_easy_cleanup(m_easy);
    m_easy = nullptr;
    Raise(INTERNET_STATUS_HANDLE_CLOSING, &closing, sizeof(closing));
}

void CurlTransfer::Reset() {
    curl_easy_reset(m_easy);
    InstallCallbacks();
    m_stallMs = 0;
    m_requestBodyBytes = -1;
    m_prerequisite = nullptr;
}

void CurlTransfer::SetConnectTimeout(long timeoutMs) {
    m_connectTimeoutMs = timeoutMs;
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
}

void CurlTransfer::InstallCallbacks() {
    m_connectTimeoutMs = 0;
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_RESOLVER_START_FUNCTION, &CurlTransfer::OnResolverStart);
    curl_easy_setopt(m_easy, CURLOPT_RESOLVER_START_DATA, this);
    curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETFUNCTION, &CurlTransfer::OnOpenSocket);
    curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_SOCKOPTFUNCTION, &CurlTransfer::OnSocketOption);
    curl_easy_setopt(m_easy, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlTransfer::OnCloseSocket);
    curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_PREREQFUNCTION, &CurlTransfer::OnPrerequisite);
    curl_easy_setopt(m_easy, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnProgress);
    curl_easy_setopt(m_easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(m_easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_easy, CURLOPT_DEBUGFUNCTION, &CurlTransfer::OnDebug);
    curl_easy_setopt(m_easy, CURLOPT_DEBUGDATA, this);
}

void CurlTransfer::Raise(DWORD status, void* info, DWORD length) {
    m_session.RaiseStatus(m_context, status, info, length);
}

void CurlTransfer::Start() {
    m_nameResolving = false;
    m_nameResolved = false;
    m_socketOpened = false;
    m_connected = false;
    m_headerBytesOut = 0;
    m_bodyBytesOut = 0;
    m_requestSent = false;
    m_receiving = false;
    m_headerBytesIn = 0;
    m_watchdogArmed = false;
    m_stalled = false;
    m_lastMoved = -1;
    m_ended = false;
    m_result = CURLE_OK;
    m_cancelled = false;
    m_refusedConnection = false;
    m_errorText[0] = '\0';
    m_lastCommand.clear();
    m_lastReply.clear();
    m_startTime = std::chrono::steady_clock::now();
    // The debug callback is how the request and response notifications, the trace and the
    // FTP commands and replies that failure reasons quote are seen. An HTTP request needs it
    // only when somebody listens; its failure reasons come from libcurl's results.
    const bool http = m_requestBodyBytes >= 0;
    curl_easy_setopt(m_easy, CURLOPT_VERBOSE,
                     !http || m_session.IsStatusEnabled() || TraceEnabled() ? 1L : 0L);
    Detach();
    if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR);
    }
    m_attached = true;
}

void CurlTransfer::CollectResult() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
            m_ended = true;
            m_result = message->data.result;
        }
    }
}

bool CurlTransfer::Drive(const std::function<bool()>& ready) {
    int sliceMs = kFirstPollSliceMs;
    while (true) {
        if (ready()) {
            return true;
        }
        if (m_ended || !m_attached) {
            return false;
        }
        int running = 0;
        const CURLMcode performed = curl_multi_perform(m_multi, &running);
        CollectResult();
        if (performed != CURLM_OK && !m_ended) {
            m_ended = true;
            m_result = CURLE_OUT_OF_MEMORY;
        }
        if (ready()) {
            return true;
        }
        if (m_ended) {
            return false;
        }
        if (CancelDue()) {
            AbortForCancel();
            return false;
        }
        int active = 0;
        curl_multi_poll(m_multi, nullptr, 0, sliceMs, &active);
        sliceMs = active > 0 ? kFirstPollSliceMs : std::min(2 * sliceMs, kPollSliceMs);
    }
}

CURLcode CurlTransfer::Finish() {
    Drive([] { return false; });
    Detach();
    return m_result;
}

CURLcode CurlTransfer::Perform() {
    Start();
    return Finish();
}

void CurlTransfer::Continue() {
    // The time paused was the owner's, not the server's: the watchdog counts from here.
    m_lastMoveTime = std::chrono::steady_clock::now();
    curl_easy_pause(m_easy, CURLPAUSE_CONT);
}

bool CurlTransfer::CancelDue() {
    const TransferControl* control = m_session.GetTransferControl();
    if (control == nullptr || !control->CancelRequested()) {
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!m_cancelSeen) {
        m_cancelSeen = true;
        m_cancelSeenAt = now;
    }
    return now - m_cancelSeenAt >= std::chrono::milliseconds(kCancelGraceMs);
}

void CurlTransfer::ShutDownConnection() {
    // Every wait of libcurl's on this connection ends at once, and the QUIT that closing a
    // connection kept for reuse would send fails at once instead of waiting on the server.
    if (m_lastSocket != CURL_SOCKET_BAD) {
        shutdown(m_lastSocket, SHUT_RDWR);
    }
}

void CurlTransfer::AbortForCancel() {
    ShutDownConnection();
    m_cancelled = true;
    m_ended = true;
    m_result = CURLE_ABORTED_BY_CALLBACK;
    // Taking the handle off mid-transfer makes libcurl close the connection without waiting
    // on the server (no QUIT, no final reply).
    Detach();
}

void CurlTransfer::Detach() {
    if (m_attached) {
        curl_multi_remove_handle(m_multi, m_easy);
        m_attached = false;
    }
}

std::string CurlTransfer::Server() const {
    return m_host + " port " + std::to_string(m_port);
}

CurlTransfer::Failure CurlTransfer::DescribeFailure(CURLcode code) const {
    const std::string detail = m_errorText[0] != '\0' ? m_errorText : curl_easy_strerror(code);
    if (m_refusedConnection) {
        return {FailureKind::Network, "the connection to " + Server() + " was lost"};
    }
    if (m_stalled && code == CURLE_ABORTED_BY_CALLBACK) {
        return {FailureKind::Network,
                "timed out after " + std::to_string(m_stallMs) + " ms waiting for " + Server()};
    }
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return {FailureKind::Network, "cannot resolve host name " + m_host + ": " + detail};
    case CURLE_COULDNT_CONNECT: {
        long osError = 0;
        curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &osError);
        return {FailureKind::Network,
                "cannot connect to " + Server() + ": " +
                    (osError != 0 ? std::strerror(static_cast<int>(osError)) : detail)};
    }
    case CURLE_OPERATION_TIMEDOUT: {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - m_startTime);
        const long waited = !m_connected && m_connectTimeoutMs > 0
                                ? m_connectTimeoutMs
                                : static_cast<long>(elapsed.count());
        return {FailureKind::Network, "timed out after " + std::to_string(waited) + " ms " +
                                          (m_connected ? "waiting for " : "connecting to ") +
                                          Server()};
    }
    case CURLE_LOGIN_DENIED:
        return {FailureKind::Refused, "FTP server " + Server() + " refused the login" +
                                          (m_lastReply.empty() ? "" : ": " + m_lastReply)};
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return {FailureKind::Network, "the connection to " + Server() + " broke: " + detail};
    case CURLE_ABORTED_BY_CALLBACK:
        return {FailureKind::Other, "the transfer with " + Server() + " was cancelled"};
    case CURLE_PEER_FAILED_VERIFICATION:
        return {FailureKind::Network,
                "the certificate of " + Server() + " is not trusted: " + detail};
    case CURLE_USE_SSL_FAILED:
        return {FailureKind::Refused, Server() + " refused TLS (AUTH TLS or PROT P)" +
                                          (m_lastReply.empty() ? "" : ": " + m_lastReply)};
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
        return {FailureKind::Network, "no secure connection to " + Server() + ": " + detail};
    default:
        if (IsServerRefusal(code) && !m_lastReply.empty()) {
            return {FailureKind::Refused,
                    Server() + " refused \"" + m_lastCommand + "\": " + m_lastReply};
        }
        return {FailureKind::Network, "failed talking to " + Server() + ": " + detail};
    }
}

void CurlTransfer::ThrowFailure(CURLcode code) const {
    try {
        Failure failure = DescribeFailure(code);
        SetFailureReason(failure.kind, std::move(failure.text));
    } catch (...) {
        // Out of memory for the text: the failure itself still goes up.
    }
    if (m_refusedConnection) {
        // The connection this transfer relied on is gone; libcurl would have made a new one.
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED, code);
    }
    if (m_cancelled && code == CURLE_ABORTED_BY_CALLBACK) {
        throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED, code);
    }
    ThrowInternetException(code, m_stalled && code == CURLE_ABORTED_BY_CALLBACK);
}

void CurlTransfer::NoteRefusal() const {
    try {
        SetFailureReason(FailureKind::Refused, Server() + " refused \"" + m_lastCommand + "\"" +
                                                   (m_lastReply.empty() ? "" : ": " + m_lastReply));
    } catch (...) {
    }
}

int CurlTransfer::OnResolverStart(void*, void*, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (transfer->m_connected) {
        return 0; // a look-up on an open connection (an active-mode FTP data address)
    }
    transfer->m_nameResolving = true;
    transfer->Raise(INTERNET_STATUS_RESOLVING_NAME, transfer->m_host.data(),
                    static_cast<DWORD>(transfer->m_host.size() + 1));
    return 0;
}

curl_socket_t CurlTransfer::OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    // Sockets opened once the connection is up are data sockets (an active-mode listener);
    // only the connection's own attempts are notified.
    const bool connecting = purpose == CURLSOCKTYPE_IPCXN && !transfer->m_connected;
    if (connecting && transfer->m_refuseNewConnections) {
        transfer->m_refusedConnection = true;
        return CURL_SOCKET_BAD;
    }
    if (connecting && !transfer->m_nameResolved) {
        if (!transfer->m_nameResolving) {
            // A name served from libcurl's cache skips the resolver callback.
            transfer->m_nameResolving = true;
            transfer->Raise(INTERNET_STATUS_RESOLVING_NAME, transfer->m_host.data(),
                            static_cast<DWORD>(transfer->m_host.size() + 1));
        }
        char text[INET6_ADDRSTRLEN] = {};
        const void* raw = nullptr;
        if (address->family == AF_INET) {
            raw = &reinterpret_cast<const sockaddr_in*>(&address->addr)->sin_addr;
        } else if (address->family == AF_INET6) {
            raw = &reinterpret_cast<const sockaddr_in6*>(&address->addr)->sin6_addr;
        }
        if (raw != nullptr) {
            inet_ntop(address->family, raw, text, sizeof(text));
        }
        transfer->m_nameResolved = true;
        transfer->Raise(INTERNET_STATUS_NAME_RESOLVED, text,
                        static_cast<DWORD>(std::char_traits<char>::length(text) + 1));
    }
    if (connecting) {
        transfer->Raise(INTERNET_STATUS_CONNECTING_TO_SERVER, &address->addr, address->addrlen);
    }
    const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
    if (connecting && socket != CURL_SOCKET_BAD) {
        transfer->m_socketOpened = true;
        transfer->m_lastSocket = socket;
    }
    return socket;
}

int CurlTransfer::OnSocketOption(void* self, curl_socket_t socket, curlsocktype purpose) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (purpose != CURLSOCKTYPE_ACCEPT) {
        return CURL_SOCKOPT_OK;
    }
    // An active-mode data connection is taken only from the server the control connection
    // reached: anybody else who reaches the listening port first could feed a download or
    // receive an upload.
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    char text[INET6_ADDRSTRLEN] = {};
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        if (peer.ss_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&peer)->sin_addr, text,
                      sizeof(text));
        } else if (peer.ss_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_addr, text,
                      sizeof(text));
        }
    }
    const bool fromServer = text[0] != '\0' && std::strcmp(transfer->m_peerAddress, text) == 0;
    return fromServer ? CURL_SOCKOPT_OK : CURL_SOCKOPT_ERROR;
}

int CurlTransfer::OnCloseSocket(void* self, curl_socket_t socket) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const bool connection = socket == transfer->m_lastSocket;
    if (connection) {
        transfer->Raise(INTERNET_STATUS_CLOSING_CONNECTION);
    }
    const int closed = ::close(socket);
    if (connection) {
        transfer->m_lastSocket = CURL_SOCKET_BAD;
        transfer->Raise(INTERNET_STATUS_CONNECTION_CLOSED);
    }
    return closed;
}

int CurlTransfer::OnPrerequisite(void* self, char* connPrimaryIp, char*, int, int) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    // Kept in a fixed buffer: nothing may throw through libcurl's frames.
    std::snprintf(transfer->m_peerAddress, sizeof(transfer->m_peerAddress), "%s",
                  connPrimaryIp != nullptr ? connPrimaryIp : "");
    const bool newConnection = transfer->m_socketOpened;
    if (newConnection) {
        sockaddr_storage peer{};
        socklen_t length = sizeof(peer);
        if (getpeername(transfer->m_lastSocket, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
            length = 0;
        }
        transfer->Raise(INTERNET_STATUS_CONNECTED_TO_SERVER, &peer, length);
    }
    transfer->m_connected = true;
    if (transfer->m_prerequisite && !transfer->m_prerequisite(newConnection)) {
        return CURL_PREREQFUNC_ABORT;
    }
    if (transfer->m_requestBodyBytes >= 0) {
        transfer->Raise(INTERNET_STATUS_SENDING_REQUEST);
    }
    transfer->m_watchdogArmed = transfer->m_stallMs > 0;
    transfer->m_lastMoveTime = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

int CurlTransfer::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    switch (type) {
    case CURLINFO_TEXT:
        Trace('*', std::string_view(data, size));
        break;
    case CURLINFO_HEADER_OUT:
        Trace('>', std::string_view(data, size));
        if (transfer->m_requestBodyBytes < 0) {
            transfer->m_lastCommand = LastLine(data, size);
            if (transfer->m_lastCommand.compare(0, 5, "PASS ") == 0) {
                transfer->m_lastCommand = "PASS ****";
            }
        }
        break;
    case CURLINFO_HEADER_IN:
        Trace('<', std::string_view(data, size));
        if (transfer->m_requestBodyBytes < 0) {
            transfer->m_lastReply = LastLine(data, size);
        }
        break;
    default:
        break;
    }
    if (transfer->m_requestBodyBytes < 0) {
        return 0; // not an HTTP request: no request/response notifications
    }
    const auto bytes = static_cast<curl_off_t>(size);
    switch (type) {
    case CURLINFO_HEADER_OUT:
        transfer->m_headerBytesOut += bytes;
        break;
    case CURLINFO_DATA_OUT:
        transfer->m_bodyBytesOut += bytes;
        break;
    case CURLINFO_HEADER_IN:
        if (!transfer->m_receiving) {
            transfer->m_receiving = true;
            transfer->Raise(INTERNET_STATUS_RECEIVING_RESPONSE);
        }
        transfer->m_headerBytesIn += static_cast<DWORD>(size);
        if ((size == 2 && data[0] == '\r' && data[1] == '\n') || (size == 1 && data[0] == '\n')) {
            transfer->m_countInfo = transfer->m_headerBytesIn;
            transfer->Raise(INTERNET_STATUS_RESPONSE_RECEIVED, &transfer->m_countInfo,
                            sizeof(transfer->m_countInfo));
        }
        return 0;
    default:
        return 0;
    }
    if (!transfer->m_requestSent && transfer->m_headerBytesOut > 0 &&
        transfer->m_bodyBytesOut >= transfer->m_requestBodyBytes) {
        transfer->m_requestSent = true;
        transfer->m_countInfo =
            static_cast<DWORD>(transfer->m_headerBytesOut + transfer->m_bodyBytesOut);
        transfer->Raise(INTERNET_STATUS_REQUEST_SENT, &transfer->m_countInfo,
                        sizeof(transfer->m_countInfo));
    }
    return 0;
}

int CurlTransfer::OnProgress(void* self, curl_off_t, curl_off_t dlNow, curl_off_t,
                             curl_off_t ulNow) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    // Also called from inside libcurl's own blocking waits (an FTP reply after the data), so
    // a cancel is seen there too.
    if (transfer->CancelDue()) {
        transfer->ShutDownConnection();
        transfer->m_cancelled = true;
        return 1; // libcurl ends the transfer with CURLE_ABORTED_BY_CALLBACK
    }
    if (!transfer->m_watchdogArmed) {
        return 0;
    }
    const auto now = std::chrono::steady_clock::now();
    const curl_off_t moved = dlNow + ulNow;
    if (moved != transfer->m_lastMoved) {
        transfer->m_lastMoved = moved;
        transfer->m_lastMoveTime = now;
        return 0;
    }
    if (now - transfer->m_lastMoveTime > std::chrono::milliseconds(transfer->m_stallMs)) {
        transfer->m_stalled = true;
        return 1; // libcurl ends the transfer with CURLE_ABORTED_BY_CALLBACK
    }
    return 0;
}
