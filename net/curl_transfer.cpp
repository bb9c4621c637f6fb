// The transfer driver: starts, drives and ends one libcurl transfer and routes its callbacks.
#include "net/curl_transfer.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "net/internet_session.h"
#include "net/tls_refusal.h"
#include "net/trace.h"
#include "net/transfer_control.h"
#include "os/socket_calls.h"

#include <algorithm>
#include <mutex>
#include <string_view>

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
} // namespace

void InitInternetLayer() {
    GlobalInitOnce();
}

CurlTransfer::CurlTransfer(CInternetSession& session, DWORD_PTR context)
    : m_session(session), m_notices(session, context) {
    GlobalInitOnce();
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (m_easy == nullptr || m_multi == nullptr) {
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR, CURLE_OUT_OF_MEMORY);
    }
    InstallCallbacks();
    m_notices.Raise(INTERNET_STATUS_HANDLE_CREATED, &m_easy, sizeof(m_easy));
}

CurlTransfer::~CurlTransfer() {
    Detach();
    // A connection kept for reuse lives in the multi handle's cache: closing it runs the
    // close-socket callback, which still points here.
    curl_multi_cleanup(m_multi);
    CURL* closing = m_easy;
    curl_easy_cleanup(m_easy);
    m_easy = nullptr;
    m_notices.Raise(INTERNET_STATUS_HANDLE_CLOSING, &closing, sizeof(closing));
}

void CurlTransfer::Reset() {
    curl_easy_reset(m_easy);
    InstallCallbacks();
    m_watchdog.SetLimit(0);
    m_notices.ExpectRequestBody(-1);
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

void CurlTransfer::Start() {
    m_notices.Restart();
    m_watchdog.Restart();
    m_run = Run{.startTime = std::chrono::steady_clock::now()};
    m_dialogue = {};
    m_errorText[0] = '\0';
    // The debug callback is how the request and response notifications, the trace and the
    // FTP commands and replies that failure reasons quote are seen. An HTTP request needs it
    // only when somebody listens; its failure reasons come from libcurl's results.
    const bool listened = m_notices.Enabled() || m_session.GetTrace() != nullptr;
    curl_easy_setopt(m_easy, CURLOPT_VERBOSE, !m_notices.ForHttpRequest() || listened ? 1L : 0L);
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
            m_run.ended = true;
            m_run.result = message->data.result;
        }
    }
}

bool CurlTransfer::Drive(const std::function<bool()>& ready) {
    int sliceMs = kFirstPollSliceMs;
    while (true) {
        if (ready()) {
            return true;
        }
        if (m_run.ended || !m_attached) {
            return false;
        }
        int running = 0;
        const CURLMcode performed = curl_multi_perform(m_multi, &running);
        CollectResult();
        if (performed != CURLM_OK && !m_run.ended) {
            m_run.ended = true;
            m_run.result = CURLE_OUT_OF_MEMORY;
        }
        if (ready()) {
            return true;
        }
        if (m_run.ended) {
            return false;
        }
        if (m_cancelGrace.Due(m_session.GetTransferControl())) {
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
    return m_run.result;
}

CURLcode CurlTransfer::Perform() {
    Start();
    return Finish();
}

void CurlTransfer::Continue() {
    m_watchdog.Resume();
    curl_easy_pause(m_easy, CURLPAUSE_CONT);
}

void CurlTransfer::ShutDownConnection() {
    // Every wait of libcurl's on this connection ends at once, and the QUIT that closing a
    // connection kept for reuse would send fails at once instead of waiting on the server.
    if (m_connectionSocket != CURL_SOCKET_BAD) {
        ShutDownSocket(static_cast<NativeSocket>(m_connectionSocket));
    }
}

void CurlTransfer::AbortForCancel() {
    ShutDownConnection();
    m_run.cancelled = true;
    m_run.ended = true;
    m_run.result = CURLE_ABORTED_BY_CALLBACK;
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

void CurlTransfer::ThrowFailure(CURLcode code) const {
    long osError = 0;
    curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &osError);
    curl_off_t sent = 0;
    curl_off_t received = 0;
    curl_easy_getinfo(m_easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    curl_easy_getinfo(m_easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_run.startTime);
    ThrowTransferFailure(
        code,
        TransferCircumstances{
            .host = m_host,
            .port = m_port,
            .libcurlText = m_errorText,
            .osError = osError,
            .connected = m_notices.Connected(),
            .connectTimeoutMs = m_connectTimeoutMs,
            .elapsedMs = static_cast<long>(elapsed.count()),
            .lostConnection = m_run.refusedConnection,
            .bytesMoved = static_cast<long long>(sent + received),
            .peerClosedConnection = m_run.peerClosedConnection ||
                                    (m_connectionSocket != CURL_SOCKET_BAD &&
                                     PeerHasClosed(static_cast<NativeSocket>(m_connectionSocket))),
            .tlsRefusal = TlsRefusalOf(m_easy, code, m_errorText),
            .cancelled = m_run.cancelled,
            .stalled = m_watchdog.Stalled(),
            .stallLimitMs = m_watchdog.LimitMs(),
            .dialogue = m_dialogue,
        });
}

bool CurlTransfer::Accepted(CURLcode code) const {
    if (code == CURLE_OK) {
        return true;
    }
    if (!IsServerRefusal(code)) {
        ThrowFailure(code);
    }
    return false;
}

void CurlTransfer::NoteRefusal() const {
    ::NoteRefusal(m_host, m_port, m_dialogue);
}

void CurlTransfer::Trace(char prefix, const char* data, size_t size) const {
    ::Trace(m_session.GetTrace(), prefix, std::string_view(data, size));
}

int CurlTransfer::OnResolverStart(void*, void*, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (transfer->m_notices.Connected()) {
        return 0; // a look-up on an open connection (an active-mode FTP data address)
    }
    transfer->m_notices.ResolvingName(transfer->m_host);
    return 0;
}

curl_socket_t CurlTransfer::OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    // Sockets opened once the connection is up are data sockets (an active-mode listener);
    // only the connection's own attempts are notified.
    const bool connecting = purpose == CURLSOCKTYPE_IPCXN && !transfer->m_notices.Connected();
    if (connecting && transfer->m_refuseNewConnections) {
        transfer->m_run.refusedConnection = true;
        return CURL_SOCKET_BAD;
    }
    if (connecting) {
        transfer->m_notices.ConnectingTo(transfer->m_host, *address);
    }
    const auto socket = static_cast<curl_socket_t>(
        OpenSocket(address->family, address->socktype, address->protocol));
    if (connecting && socket != CURL_SOCKET_BAD) {
        transfer->m_notices.SocketOpened();
        transfer->m_connectionSocket = socket;
    }
    return socket;
}

int CurlTransfer::OnSocketOption(void* self, curl_socket_t socket, curlsocktype purpose) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (purpose != CURLSOCKTYPE_ACCEPT) {
        return CURL_SOCKOPT_OK;
    }
    return transfer->m_peerCheck.Admits(socket) ? CURL_SOCKOPT_OK : CURL_SOCKOPT_ERROR;
}

int CurlTransfer::OnCloseSocket(void* self, curl_socket_t socket) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const bool connection = socket == transfer->m_connectionSocket;
    if (connection) {
        // Looked at before it goes: a failure reason tells whether the server broke it off.
        transfer->m_run.peerClosedConnection = PeerHasClosed(static_cast<NativeSocket>(socket));
        transfer->m_notices.Raise(INTERNET_STATUS_CLOSING_CONNECTION);
    }
    const int closed = CloseSocket(static_cast<NativeSocket>(socket));
    if (connection) {
        transfer->m_connectionSocket = CURL_SOCKET_BAD;
        transfer->m_notices.Raise(INTERNET_STATUS_CONNECTION_CLOSED);
    }
    return closed;
}

int CurlTransfer::OnPrerequisite(void* self, char* connPrimaryIp, char*, int, int) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    transfer->m_peerCheck.RememberServer(connPrimaryIp);
    const bool newConnection = transfer->m_notices.ConnectionUp(transfer->m_connectionSocket);
    if (transfer->m_prerequisite && !transfer->m_prerequisite(newConnection)) {
        return CURL_PREREQFUNC_ABORT;
    }
    transfer->m_notices.SendingRequest();
    transfer->m_watchdog.Arm();
    return CURL_PREREQFUNC_OK;
}

int CurlTransfer::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const bool ftp = !transfer->m_notices.ForHttpRequest();
    switch (type) {
    case CURLINFO_TEXT:
        transfer->Trace('*', data, size);
        break;
    case CURLINFO_HEADER_OUT:
        transfer->Trace('>', data, size);
        if (ftp) {
            transfer->m_dialogue.Sent(data, size);
        }
        break;
    case CURLINFO_HEADER_IN:
        transfer->Trace('<', data, size);
        if (ftp) {
            transfer->m_dialogue.Received(data, size);
        }
        break;
    default:
        break;
    }
    transfer->m_notices.Traffic(type, data, size);
    return 0;
}

int CurlTransfer::OnProgress(void* self, curl_off_t, curl_off_t dlNow, curl_off_t,
                             curl_off_t ulNow) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    // Also called from inside libcurl's own blocking waits (an FTP reply after the data), so
    // a cancel is seen there too.
    if (transfer->m_cancelGrace.Due(transfer->m_session.GetTransferControl())) {
        transfer->ShutDownConnection();
        transfer->m_run.cancelled = true;
        return 1; // libcurl ends the transfer with CURLE_ABORTED_BY_CALLBACK
    }
    if (transfer->m_watchdog.Stalls(dlNow + ulNow)) {
        return 1; // libcurl ends the transfer with CURLE_ABORTED_BY_CALLBACK
    }
    return 0;
}
