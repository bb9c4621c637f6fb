#include "net/http_connection.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "net/service_url.h"
#include "net/trace.h"

#include <algorithm>
#include <cstring>

namespace {
// Compaction threshold for the bytes already handed out of the pending body buffer.
constexpr size_t kCompactAfter = 64 * 1024;
} // namespace

CHttpConnection::CHttpConnection(CInternetSession& session, LPCTSTR server, INTERNET_PORT port,
                                 LPCTSTR userName, LPCTSTR password)
    : m_session(session), m_server(server ? server : ""), m_port(port),
      m_userName(userName ? userName : ""), m_password(password ? password : "") {}

CHttpConnection::~CHttpConnection() = default;

BOOL CHttpConnection::SetOption(DWORD option, DWORD value, DWORD /*flags*/) {
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
        m_connectTimeoutMs = value;
        return TRUE;
    case INTERNET_OPTION_DATA_SEND_TIMEOUT:
        m_sendTimeoutMs = value;
        return TRUE;
    case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT:
        m_receiveTimeoutMs = value;
        return TRUE;
    default:
        return FALSE;
    }
}

DWORD CHttpConnection::StallTimeoutMs() const {
    return std::max(m_sendTimeoutMs, m_receiveTimeoutMs);
}

std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(int verb, LPCTSTR objectName,
                                                        LPCTSTR /*referer*/, DWORD_PTR context,
                                                        LPCTSTR* acceptTypes, LPCTSTR /*version*/,
                                                        DWORD flags) {
    if (verb != HTTP_VERB_POST || acceptTypes != nullptr) {
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR);
    }
    return std::make_unique<CHttpFile>(*this, objectName, context, flags);
}

namespace {
bool IsSecure(const CHttpConnection& connection, DWORD flags) {
    return (flags & INTERNET_FLAG_SECURE) != 0 || connection.Session().Tls().required;
}

INTERNET_PORT PortOf(const CHttpConnection& connection, bool secure) {
    if (connection.Port() != 0) {
        return connection.Port();
    }
    return secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
}
} // namespace

CHttpFile::CHttpFile(CHttpConnection& connection, LPCTSTR objectName, DWORD_PTR context,
                     DWORD flags)
    : m_connection(connection),
      m_transfer(std::make_unique<CurlTransfer>(connection.Session(), context)),
      m_secure(IsSecure(connection, flags)),
      m_url(ServiceUrl(m_secure ? "https" : "http", connection.Server(),
                       PortOf(connection, m_secure), objectName ? objectName : "/", true)) {}

CHttpFile::~CHttpFile() {
    Close();
}

BOOL CHttpFile::SendRequest(const CString& headers, LPVOID optional, DWORD optionalLength) {
    CURL* easy = m_transfer->Easy();

    // The caller's header lines, then the two empty ones that keep libcurl from adding its
    // own Accept header and from waiting for "100 Continue" before the body.
    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    const std::string& text = headers.str();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            m_headers = curl_slist_append(m_headers, text.substr(start, end - start).c_str());
        }
        start = end + 2;
    }
    m_headers = curl_slist_append(m_headers, "Accept:");
    m_headers = curl_slist_append(m_headers, "Expect:");

    static const char kNoBody[] = "";
    curl_easy_setopt(easy, CURLOPT_URL, m_url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(optionalLength));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, optional ? optional : kNoBody);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headers);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, m_connection.Session().UserAgent());
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_USERNAME, m_connection.UserName().c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, m_connection.Password().c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 0L);
    m_transfer->SetConnectTimeout(static_cast<long>(m_connection.ConnectTimeoutMs()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CHttpFile::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (m_secure) {
        ApplyTlsOptions(easy, m_connection.Session().Tls(), false);
    }
    m_transfer->SetHost(m_connection.Server().c_str(), PortOf(m_connection, m_secure));
    if (const TraceSink trace = m_connection.Session().GetTrace()) {
        Trace(trace, '*', "POST " + m_url);
    }
    m_transfer->SetStallTimeout(static_cast<long>(m_connection.StallTimeoutMs()));
    m_transfer->ExpectRequestBody(static_cast<curl_off_t>(optionalLength));

    m_transfer->Start();
    m_sent = true;
    // Wait for the response to begin: its status line, or the transfer's end.
    m_transfer->Drive([this] { return GetStatusCode() != 0; });
    if (m_transfer->Ended() && m_transfer->Result() != CURLE_OK && GetStatusCode() == 0) {
        m_transfer->ThrowFailure(m_transfer->Result());
    }
    return TRUE;
}

bool CHttpFile::ReadString(LPTSTR buffer, UINT max, UINT& length) {
    length = 0;
    if (buffer == nullptr || max == 0) {
        return false;
    }
    buffer[0] = '\0';
    if (!m_sent) {
        return false;
    }
    const size_t limit = max - 1;
    const auto pieceReady = [this, limit] {
        const size_t available = m_pending.size() - m_pendingStart;
        if (available >= limit) {
            return true;
        }
        return std::memchr(m_pending.data() + m_pendingStart, '\n', available) != nullptr;
    };
    m_transfer->Drive(pieceReady);

    const size_t available = m_pending.size() - m_pendingStart;
    if (available == 0) {
        if (m_transfer->Ended() && m_transfer->Result() != CURLE_OK) {
            m_transfer->ThrowFailure(m_transfer->Result());
        }
        return false;
    }
    size_t piece = std::min(available, limit);
    if (const void* newline = std::memchr(m_pending.data() + m_pendingStart, '\n', piece)) {
        piece = static_cast<size_t>(static_cast<const char*>(newline) -
                                    (m_pending.data() + m_pendingStart)) +
                1;
    }
    std::memcpy(buffer, m_pending.data() + m_pendingStart, piece);
    buffer[piece] = '\0';
    length = static_cast<UINT>(piece);
    m_pendingStart += piece;
    if (m_pendingStart == m_pending.size()) {
        m_pending.clear();
        m_pendingStart = 0;
    } else if (m_pendingStart > kCompactAfter && m_pendingStart * 2 > m_pending.size()) {
        m_pending.erase(0, m_pendingStart);
        m_pendingStart = 0;
    }
    return true;
}

LPTSTR CHttpFile::ReadString(LPTSTR buffer, UINT max) {
    UINT length = 0;
    return ReadString(buffer, max, length) ? buffer : nullptr;
}

DWORD CHttpFile::GetStatusCode() const {
    long code = 0;
    if (m_transfer) {
        curl_easy_getinfo(m_transfer->Easy(), CURLINFO_RESPONSE_CODE, &code);
    }
    return static_cast<DWORD>(code);
}

BOOL CHttpFile::QueryInfo(DWORD infoLevel, DWORD& result) const {
    if (infoLevel != (HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER) || !m_transfer) {
        return FALSE;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(m_transfer->Easy(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length < 0 || length > static_cast<curl_off_t>(UINT32_MAX)) {
        return FALSE;
    }
    result = static_cast<DWORD>(length);
    return TRUE;
}

void CHttpFile::Close() {
    m_transfer.reset();
    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    m_sent = false;
}

size_t CHttpFile::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* file = static_cast<CHttpFile*>(self);
    file->m_pending.append(data, size * count);
    return size * count;
}
