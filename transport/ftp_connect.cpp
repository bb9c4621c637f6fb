#include "transport/ftp_connect.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/globals.h"
#include "transport/security_settings.h"
#include "transport/service_config.h"

FtpCall::FtpCall(const CallContext& context)
    : m_session(context.status, context.trace), m_config(context.config),
      m_control(context.control), m_trace(context.trace), m_schedule(context.config.retry) {
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

CFtpConnection& FtpCall::Connect(bool mayRepeat) {
    while (true) {
        m_gaveUp = false;
        // A connection that broke is closed before the next one logs in.
        if (m_connection) {
            m_connection->Close();
            m_connection.reset();
        }
        try {
            m_session.EnableStatusForSink();
            m_session.SetTlsOptions(SessionTls(m_config));
            m_connection = m_session.GetFtpConnection(
                m_config.host.c_str(), m_config.loginName.c_str(), m_config.loginPassword.c_str(),
                static_cast<INTERNET_PORT>(m_config.ftpPort), FALSE);
            return *m_connection;
        } catch (const CInternetException& failure) {
            // Until the login is accepted, no command of the operation has been sent.
            if (!mayRepeat || !IsNetworkFailure(failure)) {
                GiveUp();
                throw;
            }
            if (!WaitForAnotherAttempt("the FTP login to " + m_config.host + " port " +
                                       std::to_string(m_config.ftpPort))) {
                throw;
            }
        }
    }
}

bool FtpCall::MayRepeat(const CInternetException& failure, vanta::RepeatWhen when,
                        const std::string& what) {
    if (m_gaveUp) {
        return false;
    }
    // A write's commands were sent once its connection was up: it may have been carried out.
    // A send that resumes goes on where the server's copy ends instead.
    if (when == vanta::RepeatWhen::never_reached || !IsNetworkFailure(failure)) {
        GiveUp();
        return false;
    }
    return WaitForAnotherAttempt(what);
}

bool FtpCall::WaitForAnotherAttempt(const std::string& what) {
    std::chrono::milliseconds wait{};
    if (!m_schedule.NextWait(wait)) {
        GiveUp();
        return false;
    }
    if (!m_schedule.WaitForNextAttempt(wait, m_control, m_trace, what, FailureReason())) {
        SetFailureReason(FailureKind::Other, "cancelled while waiting to repeat " + what +
                                                 " after: " + FailureReason());
        m_gaveUp = true;
        return false;
    }
    return true;
}

void FtpCall::GiveUp() {
    if (!m_gaveUp && m_schedule.Attempt() > 1) {
        SetFailureReason(LastFailureKind(),
                         ReasonAfterAttempts(FailureReason(), m_schedule.Attempt()));
    }
    m_gaveUp = true;
}

bool IsNetworkFailure(const CInternetException& failure) {
    switch (failure.m_dwError) {
    case ERROR_INTERNET_OPERATION_CANCELLED:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INTERNET_INTERNAL_ERROR:
    case ERROR_FTP_TRANSFER_IN_PROGRESS:
    case ERROR_INTERNET_INCORRECT_PASSWORD:
    case ERROR_INTERNET_SEC_INVALID_CERT:
        return false;
    default:
        break;
    }
    switch (failure.m_cause) {
    // The server refused a command, or TLS; the library or the local file failed: the same
    // attempt would fail the same way.
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_BAD_DOWNLOAD_RESUME:
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
    case CURLE_URL_MALFORMAT:
    case CURLE_OUT_OF_MEMORY:
        return false;
    default:
        return true;
    }
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
