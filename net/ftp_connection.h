// CFtpConnection: one FTP control connection, logged in once, over one libcurl easy handle.
//
// Every operation runs on the same handle, so libcurl reuses the open connection and the
// server keeps its current directory between operations. libcurl would quietly connect and
// log in again when it finds the connection gone (the server dropped it, a fatal transfer
// error): that would land later commands in the login directory. Once logged in, the
// connection therefore refuses any new connection, and the operation fails instead.
//
// Names and paths are sent as given, relative to the current directory unless absolute. A
// name or path holding CR or LF is refused (CInternetException) before anything is sent, as
// it would otherwise add commands of its own.
//
// When the session requires TLS, the connection is explicit FTPS: AUTH TLS before the login,
// certificate and host name verified, every data connection protected and passive. A server
// that refuses any of it ends the connection attempt (CInternetException); nothing is sent in
// clear after the greeting.
//
// Operations answer a refusal by the server (a 4xx/5xx reply) with FALSE, as the original's
// do, and a failure of the connection itself with CInternetException. One operation at a
// time: while a file opened for writing is open (it holds the connection's transfer on a
// lease), other operations throw.
#pragma once

#include "framework/win_types.h"
#include "net/curl_transfer.h"
#include "net/ftp_lease.h"
#include "net/internet_constants.h"
#include "net/internet_session.h"

#include <cstdint>
#include <memory>
#include <string>

class AtomicFileWriter;
class CInternetFile;

class CFtpConnection {
public:
    // Connects to `server`:`port` (0 means 21) and logs in with `userName` and `password`;
    // with `passive` FALSE data connections are active (the server connects back). Throws
    // CInternetException when the host cannot be reached or the login is refused.
    CFtpConnection(CInternetSession& session, LPCTSTR server, LPCTSTR userName, LPCTSTR password,
                   INTERNET_PORT port = 0, BOOL passive = FALSE);
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;
    virtual ~CFtpConnection();

    // Sends QUIT and closes the connection (CLOSING_CONNECTION, CONNECTION_CLOSED,
    // HANDLE_CLOSING). Nothing may be used afterwards.
    virtual void Close();

    // CWD `directory`. FALSE when the server refuses it; the current directory is then
    // unchanged.
    BOOL SetCurrentDirectory(LPCTSTR directory);

    // STOR `fileName`: a remote file for writing, replacing a file of that name; with
    // `restartAt` above 0, REST `restartAt` first: the bytes go into the remote file from that
    // offset on, what it holds before the offset kept (a send that resumes). A resume writes
    // at an offset rather than after whatever the file holds (APPE): a server still writing
    // the broken connection's last bytes when its size was asked could otherwise take the
    // same bytes twice, shifted. Only GENERIC_WRITE is offered. Returns once the server has
    // accepted the transfer; throws CInternetException when it refuses it or the connection
    // fails.
    std::unique_ptr<CInternetFile> OpenFile(LPCTSTR fileName, DWORD access = GENERIC_READ,
                                            DWORD flags = FTP_TRANSFER_TYPE_BINARY,
                                            DWORD_PTR context = 1, std::uint64_t restartAt = 0);

    // SIZE `fileName` (binary). -1 when the server does not tell it (no such file, SIZE not
    // supported); CInternetException when the connection fails.
    std::int64_t GetFileSize(LPCTSTR fileName);

    // DELE `fileName`. FALSE when the server refuses it.
    BOOL Remove(LPCTSTR fileName);

    // RMD `directory`. FALSE when the server refuses it (not empty, missing, ...).
    BOOL RemoveDirectory(LPCTSTR directory);

    // RETR `remoteFile` into `localFile`. The bytes go to a temporary file beside
    // `localFile`, which is renamed over it only once the whole file has arrived: on any
    // failure `localFile` is as it was and no temporary file stays. With `failIfExists` an
    // existing `localFile` is a failure. FALSE when the server refuses the file or the local
    // file cannot be written; CInternetException when the connection fails.
    BOOL GetFile(LPCTSTR remoteFile, LPCTSTR localFile, BOOL failIfExists = TRUE,
                 DWORD attributes = FILE_ATTRIBUTE_NORMAL, DWORD flags = FTP_TRANSFER_TYPE_BINARY,
                 DWORD_PTR context = 1);

    // RETR `remoteFile` from byte `offset` on (REST `offset` before it when that is not 0),
    // appending what arrives to `target`. FALSE when the server refuses the file or `target`
    // cannot be written; CInternetException when the connection fails, `target` then holding
    // every byte that arrived before, so that another attempt can go on from there.
    BOOL RetrieveInto(LPCTSTR remoteFile, AtomicFileWriter& target, std::uint64_t offset = 0,
                      DWORD flags = FTP_TRANSFER_TYPE_BINARY);

    // For an operation that runs outside the connection's own calls (a remote file open for
    // writing, a directory search): the connection's transfer, reset and set up for one
    // operation on `path` (escaped here; empty for the current directory), lent to the caller
    // until the lease ends. Throws CInternetException when the connection is closed or its
    // transfer is already lent.
    FtpLease Lease(const std::string& path, bool binary = true);

private:
    // The handle, reset and set up for one operation on `path` (escaped here; empty for the
    // current directory). Throws when the connection is closed or busy.
    CurlTransfer& Prepare(const std::string& path, bool binary = true);
    // Runs a QUOTE command (prefixed so that a refusal keeps the connection) and tells whether
    // the server accepted it.
    bool Command(const std::string& command);

    CInternetSession& m_session;
    std::string m_server;
    INTERNET_PORT m_port;
    std::string m_userName;
    std::string m_password;
    bool m_passive;
    // The session's transport security when the connection was made, for all its operations.
    TlsOptions m_tls;
    // The session's limits when the connection was made (0: libcurl's own).
    DWORD m_connectTimeoutMs;
    DWORD m_stallTimeoutMs;
    // A lease on the transfer is out.
    bool m_busy = false;
    std::unique_ptr<CurlTransfer> m_transfer;
    // The REST command of the remote file open for writing: libcurl reads it when the
    // transfer starts, after OpenFile has returned.
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> m_restartCommand{nullptr,
                                                                        &curl_slist_free_all};
};

// Throws CInternetException (ERROR_INVALID_PARAMETER) when `text` holds CR or LF.
void RefuseLineBreaks(LPCTSTR text);
