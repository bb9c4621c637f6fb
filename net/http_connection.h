// CHttpConnection and CHttpFile: one HTTP request at a time over libcurl.
#pragma once

#include "framework/win_types.h"
#include "net/curl_transfer.h"
#include "net/internet_session.h"
#include "vanta/cstring.h"

#include <memory>
#include <string>

class CHttpFile;

class CHttpConnection {
public:
    CHttpConnection(CInternetSession& session, LPCTSTR server, INTERNET_PORT port, LPCTSTR userName,
                    LPCTSTR password);
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;
    virtual ~CHttpConnection();

    // INTERNET_OPTION_CONNECT_TIMEOUT, _DATA_SEND_TIMEOUT and _DATA_RECEIVE_TIMEOUT (ms) are
    // understood; other options are refused with FALSE.
    BOOL SetOption(DWORD option, DWORD value, DWORD flags = 0);

    // A request for `objectName` (a path on the server). Only HTTP_VERB_POST is offered.
    // `acceptTypes` must be null: no Accept header is sent. With
    // INTERNET_FLAG_NO_AUTO_REDIRECT a redirect reply is read as the reply. With
    // INTERNET_FLAG_SECURE, or when the session requires TLS, the request goes over HTTPS
    // (port 0 then means 443).
    std::unique_ptr<CHttpFile> OpenRequest(int verb, LPCTSTR objectName, LPCTSTR referer = nullptr,
                                           DWORD_PTR context = 1, LPCTSTR* acceptTypes = nullptr,
                                           LPCTSTR version = nullptr,
                                           DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);

    virtual void Close() {}

    CInternetSession& Session() const { return m_session; }
    const std::string& Server() const { return m_server; }
    INTERNET_PORT Port() const { return m_port; }
    const std::string& UserName() const { return m_userName; }
    const std::string& Password() const { return m_password; }
    DWORD ConnectTimeoutMs() const { return m_connectTimeoutMs; }
    // The longer of the send and receive time-outs: no byte moving for that long is a stall.
    DWORD StallTimeoutMs() const;

private:
    CInternetSession& m_session;
    std::string m_server;
    INTERNET_PORT m_port;
    std::string m_userName;
    std::string m_password;
    DWORD m_connectTimeoutMs = 0;
    DWORD m_sendTimeoutMs = 0;
    DWORD m_receiveTimeoutMs = 0;
};

class CHttpFile {
public:
    CHttpFile(CHttpConnection& connection, LPCTSTR objectName, DWORD_PTR context, DWORD flags);
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;
    virtual ~CHttpFile();

    // Sends the request with the extra header lines in `headers` (CR LF separated) and
    // `optionalLength` bytes of `optional` as the body, and waits for the response to start.
    // Throws CInternetException on any network failure.
    BOOL SendRequest(const CString& headers, LPVOID optional = nullptr, DWORD optionalLength = 0);

    // The framework's line reader: the next piece of the response body, at most `max` - 1
    // bytes, ending after a line feed or at that limit; NUL-terminated in `buffer`. Returns
    // null at the end of the body. Throws CInternetException when the transfer fails.
    LPTSTR ReadString(LPTSTR buffer, UINT max);
    // The same piece, with its length, for bodies that may hold NUL bytes. Returns false at the
    // end of the body.
    bool ReadString(LPTSTR buffer, UINT max, UINT& length);

    // The response's status code, once the response has started; 0 before.
    DWORD GetStatusCode() const;

    // Only HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER is answered: the length the
    // response announced, once its headers have arrived. FALSE when it announced none (or one
    // that does not fit 32 bits) or the level is another.
    BOOL QueryInfo(DWORD infoLevel, DWORD& result) const;

    virtual void Close();

private:
    static size_t OnBody(char* data, size_t size, size_t count, void* self);

    CHttpConnection& m_connection;
    std::unique_ptr<CurlTransfer> m_transfer;
    bool m_secure;
    std::string m_url;
    curl_slist* m_headers = nullptr;
    bool m_sent = false;
    std::string m_pending; // body bytes received but not yet read
    size_t m_pendingStart = 0;
};
