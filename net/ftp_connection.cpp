#include "net/ftp_connection.h"

#include "net/internet_exception.h"
#include "net/internet_file.h"
#include "net/service_url.h"
#include "os/atomic_file_writer.h"
#include "os/failure_reason.h"
#include "os/local_files.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {
// libcurl closes a connection that has been idle this long before reusing it (118 s by
// default), which would mean a silent new login. A call never idles this long.
constexpr long kMaxConnectionAgeSeconds = 24L * 60 * 60;

std::string Escape(CURL* easy, const std::string& text) {
    char* escaped = curl_easy_escape(easy, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr) {
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR, CURLE_OUT_OF_MEMORY);
    }
    std::string result = escaped;
    curl_free(escaped);
    return result;
}

// Writes what libcurl receives into the local file; 0 makes libcurl end the transfer with
// CURLE_WRITE_ERROR.
size_t WriteToLocalFile(char* data, size_t size, size_t count, void* target) {
    return static_cast<AtomicFileWriter*>(target)->Write(data, size * count) ? size * count : 0;
}

// Takes what libcurl would otherwise write to the process's standard output.
size_t Discard(char* /*data*/, size_t size, size_t count, void* /*target*/) {
    return size * count;
}
} // namespace

void RefuseLineBreaks(LPCTSTR text) {
    if (text != nullptr && std::strpbrk(text, "\r\n") != nullptr) {
        SetFailureReason("refused a name or path holding a line break");
        throw CInternetException(ERROR_INVALID_PARAMETER);
    }
}

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(LPCTSTR server, LPCTSTR userName,
                                                                   LPCTSTR password,
                                                                   INTERNET_PORT port,
                                                                   BOOL passive) {
    return std::make_unique<CFtpConnection>(*this, server, userName, password, port, passive);
}

CFtpConnection::CFtpConnection(CInternetSession& session, LPCTSTR server, LPCTSTR userName,
                               LPCTSTR password, INTERNET_PORT port, BOOL passive)
    : m_session(session), m_server(server ? server : ""), m_port(port),
      m_userName(userName ? userName : ""), m_password(password ? password : ""),
      m_passive(passive != FALSE), m_tls(session.Tls()),
      m_connectTimeoutMs(session.ConnectTimeoutMs()), m_stallTimeoutMs(session.StallTimeoutMs()) {
    RefuseLineBreaks(server);
    RefuseLineBreaks(userName);
    RefuseLineBreaks(password);
    m_transfer = std::make_unique<CurlTransfer>(m_session, 1);
    // Log in: on the wire USER, PASS and PWD, nothing else.
    CurlTransfer& transfer = Prepare("");
    curl_easy_setopt(transfer.Easy(), CURLOPT_NOBODY, 1L);
    const CURLcode code = transfer.Perform();
    if (code != CURLE_OK) {
        transfer.ThrowFailure(code);
    }
    transfer.RefuseNewConnections(true);
}

CFtpConnection::~CFtpConnection() {
    Close();
}

void CFtpConnection::Close() {
    m_transfer.reset();
}

CurlTransfer& CFtpConnection::Prepare(const std::string& path, bool binary) {
    if (!m_transfer) {
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED);
    }
    if (m_busy) {
        throw CInternetException(ERROR_FTP_TRANSFER_IN_PROGRESS);
    }
    CurlTransfer& transfer = *m_transfer;
    CURL* easy = transfer.Easy();
    transfer.Reset();
    // With libcurl's no-CWD file method the escaped path reaches the server as one argument,
    // slashes included.
    const std::string url =
        ServiceUrl("ftp", m_server, m_port == 0 ? INTERNET_DEFAULT_FTP_PORT : m_port,
                   "/" + (path.empty() ? std::string() : Escape(easy, path)), false);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERNAME, m_userName.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, m_password.c_str());
    // Every name goes to the server as given, relative to the server's current directory;
    // libcurl's default method would send CWD commands of its own and undo the caller's.
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (m_tls.required) {
        ApplyTlsOptions(easy, m_tls, true);
        // Data connections are passive under TLS: this libcurl (7.87 to 7.88) forgets TLS on
        // an active-mode data connection and would send the file in clear.
        curl_easy_setopt(easy, CURLOPT_FTPPORT, nullptr);
    } else {
        curl_easy_setopt(easy, CURLOPT_FTPPORT, m_passive ? nullptr : "-");
    }
    curl_easy_setopt(easy, CURLOPT_MAXAGE_CONN, kMaxConnectionAgeSeconds);
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, binary ? 0L : 1L);
    if (m_connectTimeoutMs != 0) {
        // Also covers the greeting and the login.
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeoutMs));
    }
    if (m_stallTimeoutMs != 0) {
        // No byte moving on the control or data connection for the limit ends the operation;
        // libcurl's own waits (a reply, the server's active-mode connection) get the same
        // bound, rounded up to its whole seconds where it counts in seconds.
        transfer.SetStallTimeout(static_cast<long>(m_stallTimeoutMs));
        curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(m_stallTimeoutMs));
        curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                         static_cast<long>((m_stallTimeoutMs + 999) / 1000));
    }
    transfer.SetHost(m_server.c_str(), m_port == 0 ? INTERNET_DEFAULT_FTP_PORT : m_port);
    return transfer;
}

FtpLease CFtpConnection::Lease(const std::string& path, bool binary) {
    return FtpLease(Prepare(path, binary), m_busy);
}

bool CFtpConnection::Command(const std::string& command) {
    CurlTransfer& transfer = Prepare("");
    // The '*' keeps libcurl from dropping the connection when the server refuses the command;
    // the reply code tells the outcome instead.
    const std::string quoted = "*" + command;
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> quote(
        curl_slist_append(nullptr, quoted.c_str()), curl_slist_free_all);
    if (!quote) {
        throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR, CURLE_OUT_OF_MEMORY);
    }
    curl_easy_setopt(transfer.Easy(), CURLOPT_QUOTE, quote.get());
    curl_easy_setopt(transfer.Easy(), CURLOPT_NOBODY, 1L);
    const CURLcode code = transfer.Perform();
    curl_easy_setopt(transfer.Easy(), CURLOPT_QUOTE, nullptr);
    if (!transfer.Accepted(code)) {
        transfer.NoteRefusal();
        return false;
    }
    long reply = 0;
    curl_easy_getinfo(transfer.Easy(), CURLINFO_RESPONSE_CODE, &reply);
    if (reply >= 100 && reply < 200) {
        // Only a preliminary answer came (libcurl reads one reply per command): the final one,
        // and with it the outcome, is unknown. Neither "done" nor "refused" is true.
        SetFailureReason(FailureKind::Network, "no final answer from " + m_server + " port " +
                                                   std::to_string(m_port ? m_port : 21) + " to \"" +
                                                   command + "\": the outcome is unknown");
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED);
    }
    if (reply < 200 || reply >= 300) {
        transfer.NoteRefusal();
        return false;
    }
    return true;
}

BOOL CFtpConnection::SetCurrentDirectory(LPCTSTR directory) {
    RefuseLineBreaks(directory);
    return Command(std::string("CWD ") + (directory ? directory : "")) ? TRUE : FALSE;
}

BOOL CFtpConnection::Remove(LPCTSTR fileName) {
    RefuseLineBreaks(fileName);
    return Command(std::string("DELE ") + (fileName ? fileName : "")) ? TRUE : FALSE;
}

BOOL CFtpConnection::RemoveDirectory(LPCTSTR directory) {
    RefuseLineBreaks(directory);
    return Command(std::string("RMD ") + (directory ? directory : "")) ? TRUE : FALSE;
}

std::unique_ptr<CInternetFile> CFtpConnection::OpenFile(LPCTSTR fileName, DWORD access, DWORD flags,
                                                        DWORD_PTR /*context*/,
                                                        std::uint64_t restartAt) {
    RefuseLineBreaks(fileName);
    if (access != GENERIC_WRITE || fileName == nullptr || *fileName == '\0') {
        throw CInternetException(ERROR_INVALID_PARAMETER);
    }
    FtpLease lease = Lease(fileName, flags != FTP_TRANSFER_TYPE_ASCII);
    // The lease's transfer was reset: no command refers to the previous REST any more.
    m_restartCommand.reset();
    if (restartAt > 0) {
        // Sent right before the STOR; a server that refuses it (above 3xx) fails the transfer
        // before anything is stored.
        m_restartCommand.reset(
            curl_slist_append(nullptr, ("REST " + std::to_string(restartAt)).c_str()));
        if (!m_restartCommand) {
            throw CInternetException(ERROR_INTERNET_INTERNAL_ERROR, CURLE_OUT_OF_MEMORY);
        }
        curl_easy_setopt(lease.Transfer().Easy(), CURLOPT_PREQUOTE, m_restartCommand.get());
    }
    return std::make_unique<CInternetFile>(std::move(lease));
}

std::int64_t CFtpConnection::GetFileSize(LPCTSTR fileName) {
    RefuseLineBreaks(fileName);
    if (fileName == nullptr || *fileName == '\0') {
        throw CInternetException(ERROR_INVALID_PARAMETER);
    }
    // Without a body libcurl asks SIZE (and REST 0) and fetches nothing; a SIZE the server
    // refuses leaves the length unknown rather than failing the operation.
    CurlTransfer& transfer = Prepare(fileName);
    curl_easy_setopt(transfer.Easy(), CURLOPT_NOBODY, 1L);
    // libcurl reports the size as header lines ("Content-Length: N").
    curl_easy_setopt(transfer.Easy(), CURLOPT_HEADERFUNCTION, &Discard);
    curl_easy_setopt(transfer.Easy(), CURLOPT_WRITEFUNCTION, &Discard);
    const CURLcode code = transfer.Perform();
    if (!transfer.Accepted(code)) {
        transfer.NoteRefusal();
        return -1;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.Easy(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length;
}

BOOL CFtpConnection::RetrieveInto(LPCTSTR remoteFile, AtomicFileWriter& target,
                                  std::uint64_t offset, DWORD flags) {
    RefuseLineBreaks(remoteFile);
    if (remoteFile == nullptr || *remoteFile == '\0') {
        return FALSE;
    }
    CurlTransfer& transfer = Prepare(remoteFile, flags != FTP_TRANSFER_TYPE_ASCII);
    curl_easy_setopt(transfer.Easy(), CURLOPT_WRITEFUNCTION, &WriteToLocalFile);
    curl_easy_setopt(transfer.Easy(), CURLOPT_WRITEDATA, &target);
    if (offset > 0) {
        curl_easy_setopt(transfer.Easy(), CURLOPT_RESUME_FROM_LARGE,
                         static_cast<curl_off_t>(offset));
    }
    const CURLcode code = transfer.Perform();
    if (code == CURLE_WRITE_ERROR) {
        SetFailureReason(FailureKind::LocalFile,
                         std::string("cannot write the file received for ") + remoteFile);
        return FALSE;
    }
    if (!transfer.Accepted(code)) {
        transfer.NoteRefusal();
        return FALSE;
    }
    return TRUE;
}

BOOL CFtpConnection::GetFile(LPCTSTR remoteFile, LPCTSTR localFile, BOOL failIfExists,
                             DWORD /*attributes*/, DWORD flags, DWORD_PTR /*context*/) {
    RefuseLineBreaks(remoteFile);
    if (remoteFile == nullptr || *remoteFile == '\0' || localFile == nullptr ||
        *localFile == '\0') {
        return FALSE;
    }
    if (failIfExists && LocalNameTaken(localFile)) {
        SetFailureReason(FailureKind::LocalFile,
                         std::string("local file ") + localFile + " already exists");
        return FALSE;
    }
    // The temporary file first: a target that cannot be written costs no RETR.
    AtomicFileWriter temporary(localFile);
    if (!temporary.IsOpen()) {
        SetFailureReason(FailureKind::LocalFile, std::string("cannot create a file beside ") +
                                                     localFile + ": " + std::strerror(errno));
        return FALSE;
    }
    if (!RetrieveInto(remoteFile, temporary, 0, flags)) {
        return FALSE;
    }
    if (!temporary.Commit(localFile, failIfExists != FALSE)) {
        SetFailureReason(FailureKind::LocalFile,
                         std::string("cannot put the received file in place as ") + localFile +
                             ": " + std::strerror(errno));
        return FALSE;
    }
    return TRUE;
}
