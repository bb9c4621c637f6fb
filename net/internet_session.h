// CInternetSession: the root of the Internet stand-ins. A session is synchronous: every network
// call made through its connections blocks until done, and its status notifications are
// delivered on the calling thread while that call runs.
#pragma once

#include "framework/win_types.h"
#include "net/internet_constants.h"
#include "net/tls_options.h"
#include "net/trace.h"

#include <memory>

class CHttpConnection;
class CFtpConnection;
class TransferControl;

class CInternetSession {
public:
    // `agent` null means the layer's own user-agent. Proxies are taken from the environment as
    // libcurl reads them (the preconfigured access type); the proxy arguments must be null.
    explicit CInternetSession(LPCTSTR agent = nullptr, DWORD_PTR context = 1,
                              DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG,
                              LPCTSTR proxyName = nullptr, LPCTSTR proxyBypass = nullptr,
                              DWORD flags = 0);
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;
    virtual ~CInternetSession();

    virtual void Close();

    // Switches status notifications on or off; off until called.
    BOOL EnableStatusCallback(BOOL enable = TRUE);

    // Called for every notification of an enabled session, on the thread of the network call.
    virtual void OnStatusCallback(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength);

    // HTTP connection to `server`:`port` that presents the given Basic credentials.
    std::unique_ptr<CHttpConnection> GetHttpConnection(LPCTSTR server, INTERNET_PORT port,
                                                       LPCTSTR userName, LPCTSTR password);

    // FTP connection, logged in when it returns; port 0 means 21. Throws CInternetException
    // when the host cannot be reached or the login is refused.
    std::unique_ptr<CFtpConnection> GetFtpConnection(LPCTSTR server, LPCTSTR userName,
                                                     LPCTSTR password, INTERNET_PORT port = 0,
                                                     BOOL passive = FALSE);

    // Transport security for the connections made from now on; none until set.
    // INTERNET_OPTION_CONNECT_TIMEOUT and INTERNET_OPTION_DATA_SEND_TIMEOUT /
    // _DATA_RECEIVE_TIMEOUT (ms) for the FTP connections made from this session afterwards:
    // connecting and logging in, and the longest time without progress on the control or data
    // connection. 0 (the default) leaves libcurl's own limits. Other options: FALSE.
    BOOL SetOption(DWORD option, DWORD value, DWORD flags = 0);
    DWORD ConnectTimeoutMs() const { return m_connectTimeoutMs; }
    DWORD StallTimeoutMs() const { return m_stallTimeoutMs; }

    void SetTlsOptions(TlsOptions tls) { m_tls = std::move(tls); }
    const TlsOptions& Tls() const { return m_tls; }

    // For the layer's own objects: raise one notification (dropped unless enabled).
    void RaiseStatus(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength);
    bool IsStatusEnabled() const { return m_statusEnabled; }
    const char* UserAgent() const;

    // The owner of the transfers of this session's connections, or null: when it asks for a
    // cancel, the transfer in flight is aborted (CurlTransfer). Set before connecting; the
    // control must outlive the session's connections.
    void SetTransferControl(const TransferControl* control) { m_transferControl = control; }
    const TransferControl* GetTransferControl() const { return m_transferControl; }

    // Where the transfers of this session's connections trace the conversation (null: no
    // trace, the default). Set before connecting.
    void SetTrace(TraceSink trace) { m_trace = trace; }
    TraceSink GetTrace() const { return m_trace; }

private:
    bool m_statusEnabled = false;
    DWORD m_connectTimeoutMs = 0;
    DWORD m_stallTimeoutMs = 0;
    TlsOptions m_tls;
    bool m_hasAgent = false;
    char m_agent[128] = {};
    const TransferControl* m_transferControl = nullptr;
    TraceSink m_trace = nullptr;
};
