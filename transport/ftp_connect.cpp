#include "transport/ftp_connect.h"

#include "net/internet_exception.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/globals.h"
#include "transport/security_settings.h"
#include "transport/service_config.h"

FtpCall::FtpCall(const CallContext& context)
    : m_session(context.status, context.trace), m_config(context.config) {
    const auto limit = static_cast<DWORD>(m_config.ftpTimeout.count());
    m_session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, limit);
    m_session.SetOption(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, limit);
    m_session.SetTransferControl(context.control);
}

FtpCall::~FtpCall() {
    if (m_connection) {
        m_connection->Close();
        m_connection.reset();
    }
    m_session.Close();
}

CFtpConnection& FtpCall::Connect() {
    // A connection that broke is closed before the next one logs in.
    if (m_connection) {
        m_connection->Close();
        m_connection.reset();
    }
    m_session.EnableStatusForSink();
    m_session.SetTlsOptions(SessionTls(m_config));
    m_connection = m_session.GetFtpConnection(m_config.host.c_str(), m_config.loginName.c_str(),
                                              m_config.loginPassword.c_str(),
                                              static_cast<INTERNET_PORT>(m_config.ftpPort), FALSE);
    return *m_connection;
}

const char* WholeText(const CString& text) {
    if (HoldsNul(text)) {
        SetFailureReason("refused a name or path holding a NUL byte");
        throw CInternetException(ERROR_INVALID_PARAMETER);
    }
    if (text.GetLength() > kMaxPathBytes) {
        SetFailureReason("refused a name or path of " + std::to_string(text.GetLength()) +
                         " bytes: longer than " + std::to_string(kMaxPathBytes));
        throw CInternetException(ERROR_INVALID_PARAMETER);
    }
    return text.GetString();
}
