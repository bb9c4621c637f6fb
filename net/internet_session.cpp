#include "net/internet_session.h"

#include <algorithm>

#include "net/http_connection.h"

#include <cstring>

namespace {
// The user-agent of sessions that name none of their own.
constexpr const char* kDefaultUserAgent = "vantaAPI/1.1";
} // namespace

CInternetSession::CInternetSession(LPCTSTR agent, DWORD_PTR /*context*/, DWORD /*accessType*/,
                                   LPCTSTR /*proxyName*/, LPCTSTR /*proxyBypass*/,
                                   DWORD /*flags*/) {
    if (agent != nullptr) {
        std::strncpy(m_agent, agent, sizeof(m_agent) - 1);
        m_hasAgent = true;
    }
}

CInternetSession::~CInternetSession() = default;

void CInternetSession::Close() {
    m_statusEnabled = false;
}

BOOL CInternetSession::EnableStatusCallback(BOOL enable) {
    m_statusEnabled = enable != FALSE;
    return TRUE;
}

void CInternetSession::OnStatusCallback(DWORD_PTR, DWORD, LPVOID, DWORD) {}

void CInternetSession::RaiseStatus(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength) {
    if (m_statusEnabled) {
        OnStatusCallback(context, status, info, infoLength);
    }
}

const char* CInternetSession::UserAgent() const {
    return m_hasAgent ? m_agent : kDefaultUserAgent;
}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(LPCTSTR server,
                                                                     INTERNET_PORT port,
                                                                     LPCTSTR userName,
                                                                     LPCTSTR password) {
    return std::make_unique<CHttpConnection>(*this, server, port, userName, password);
}

BOOL CInternetSession::SetOption(DWORD option, DWORD value, DWORD /*flags*/) {
    switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
        m_connectTimeoutMs = value;
        return TRUE;
    case INTERNET_OPTION_DATA_SEND_TIMEOUT:
    case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT:
        // One limit serves both directions: a stall is no byte moving either way.
        m_stallTimeoutMs = std::max(m_stallTimeoutMs, value);
        return TRUE;
    default:
        return FALSE;
    }
}
