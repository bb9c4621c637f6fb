// The description of a failed transfer: its kind, the failure reason's words and the exception.
#include "net/transfer_failure.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "os/failure_reason.h"
#include "os/socket_calls.h"

namespace {
// The last non-empty line of `text`, without its line end.
std::string LastLine(const char* data, size_t size) {
    std::string text(data, size);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    const size_t start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

std::string Server(const std::string& host, unsigned port) {
    return host + " port " + std::to_string(port);
}

struct Failure {
    FailureKind kind;
    std::string text;
};

// Which way an FTP command moves a file or a listing over a data connection, if it does.
enum class DataFlow { kNone, kSent, kReceived };

DataFlow DataFlowOf(const std::string& command) {
    static constexpr struct {
        const char* verb;
        DataFlow flow;
    } kVerbs[] = {{"STOR ", DataFlow::kSent},     {"APPE ", DataFlow::kSent},
                  {"RETR ", DataFlow::kReceived}, {"NLST", DataFlow::kReceived},
                  {"LIST", DataFlow::kReceived},  {"MLSD", DataFlow::kReceived}};
    for (const auto& [verb, flow] : kVerbs) {
        if (command.starts_with(verb)) {
            return flow;
        }
    }
    return DataFlow::kNone;
}

// A connection of an FTP dialogue that broke: which one and where, in the dialogue's own
// terms, rather than libcurl's last words (which may describe an earlier, harmless step).
// A server that still holds the control connection lost only the data connection; one that
// answered 426 says so itself. The bytes that arrived are exact; those sent may partly have
// been in the socket's buffers, so the server holds at most that many.
std::string BrokenFtpConnection(const std::string& server, const TransferCircumstances& seen) {
    const FtpDialogue& dialogue = seen.dialogue;
    const DataFlow flow = DataFlowOf(dialogue.lastCommand);
    if (flow == DataFlow::kNone) {
        return "the connection to " + server + " broke after \"" + dialogue.lastCommand + "\"";
    }
    const bool answered426 = dialogue.lastReply.starts_with("426");
    const bool dataOnly = !seen.peerClosedConnection || answered426;
    return std::string(dataOnly ? "the data connection" : "the connection") + " to " + server +
           " broke after " + std::to_string(seen.bytesMoved) + " bytes of " + dialogue.lastCommand +
           (flow == DataFlow::kSent ? " were sent" : " arrived") +
           (answered426 ? " (" + dialogue.lastReply + ")" : "");
}

// The result as far as the failure's class goes: Schannel reports some refused certificates
// as failed handshakes.
CURLcode EffectiveResult(CURLcode code, const TransferCircumstances& seen) {
    return seen.tlsRefusal != TlsRefusal::kNone ? CURLE_PEER_FAILED_VERIFICATION : code;
}

Failure Describe(CURLcode code, const TransferCircumstances& seen) {
    const std::string detail =
        seen.libcurlText[0] != '\0' ? seen.libcurlText : curl_easy_strerror(code);
    const std::string server = Server(seen.host, seen.port);
    const std::string& lastReply = seen.dialogue.lastReply;
    if (seen.lostConnection) {
        return {FailureKind::Network, "the connection to " + server + " was lost"};
    }
    if (seen.stalled && code == CURLE_ABORTED_BY_CALLBACK) {
        return {FailureKind::Network, "timed out after " + std::to_string(seen.stallLimitMs) +
                                          " ms waiting for " + server};
    }
    // libcurl ends any exchange answered 421 (a full server, or one closing down) as if it had
    // timed out.
    if (lastReply.starts_with("421")) {
        return {FailureKind::Network, "FTP server " + server + " answered 421 to \"" +
                                          seen.dialogue.lastCommand + "\": " + lastReply};
    }
    // A 426 ends a transfer whose data connection broke, whatever libcurl made of it: in active
    // mode it may report its own accept of that connection as the failure.
    if (lastReply.starts_with("426") && DataFlowOf(seen.dialogue.lastCommand) != DataFlow::kNone) {
        return {FailureKind::Network, BrokenFtpConnection(server, seen)};
    }
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return {FailureKind::Network, "cannot resolve host name " + seen.host + ": " + detail};
    case CURLE_COULDNT_CONNECT:
        return {FailureKind::Network,
                "cannot connect to " + server + ": " +
                    (seen.osError != 0 ? SocketErrorText(seen.osError) : detail)};
    case CURLE_OPERATION_TIMEDOUT: {
        const long waited =
            !seen.connected && seen.connectTimeoutMs > 0 ? seen.connectTimeoutMs : seen.elapsedMs;
        return {FailureKind::Network, "timed out after " + std::to_string(waited) + " ms " +
                                          (seen.connected ? "waiting for " : "connecting to ") +
                                          server};
    }
    case CURLE_LOGIN_DENIED:
        return {FailureKind::Refused, "FTP server " + server + " refused the login" +
                                          (lastReply.empty() ? "" : ": " + lastReply)};
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        if (!seen.dialogue.lastCommand.empty()) {
            return {FailureKind::Network, BrokenFtpConnection(server, seen)};
        }
        return {FailureKind::Network, "the connection to " + server + " broke: " + detail};
    case CURLE_ABORTED_BY_CALLBACK:
        return {FailureKind::Other, "the transfer with " + server + " was cancelled"};
    case CURLE_PEER_FAILED_VERIFICATION: {
        const std::string why = TlsRefusalWords(seen.tlsRefusal, seen.host);
        return {FailureKind::Network, "the certificate of " + server + " is not trusted: " +
                                          (why.empty() ? detail : why + " (" + detail + ")")};
    }
    case CURLE_USE_SSL_FAILED:
        return {FailureKind::Refused, server + " refused TLS (AUTH TLS or PROT P)" +
                                          (lastReply.empty() ? "" : ": " + lastReply)};
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
        return {FailureKind::Network, "no secure connection to " + server + ": " + detail};
    default:
        if (IsServerRefusal(code) && !lastReply.empty()) {
            return {FailureKind::Refused,
                    server + " refused \"" + seen.dialogue.lastCommand + "\": " + lastReply};
        }
        return {FailureKind::Network, "failed talking to " + server + ": " + detail};
    }
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

void FtpDialogue::Sent(const char* data, size_t size) {
    lastCommand = LastLine(data, size);
    if (lastCommand.compare(0, 5, "PASS ") == 0) {
        lastCommand = "PASS ****";
    }
}

void FtpDialogue::Received(const char* data, size_t size) {
    lastReply = LastLine(data, size);
}

void ThrowTransferFailure(CURLcode result, const TransferCircumstances& seen) {
    const CURLcode code = EffectiveResult(result, seen);
    try {
        Failure failure = Describe(code, seen);
        SetFailureReason(failure.kind, std::move(failure.text));
    } catch (...) {
        // Out of memory for the text: the failure itself still goes up.
    }
    if (seen.lostConnection) {
        // The connection this transfer relied on is gone; libcurl would have made a new one.
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED, code);
    }
    if (seen.cancelled && code == CURLE_ABORTED_BY_CALLBACK) {
        throw CInternetException(ERROR_INTERNET_OPERATION_CANCELLED, code);
    }
    ThrowInternetException(code, seen.stalled && code == CURLE_ABORTED_BY_CALLBACK);
}

void NoteRefusal(const std::string& host, unsigned port, const FtpDialogue& dialogue) {
    try {
        SetFailureReason(FailureKind::Refused,
                         Server(host, port) + " refused \"" + dialogue.lastCommand + "\"" +
                             (dialogue.lastReply.empty() ? "" : ": " + dialogue.lastReply));
    } catch (...) {
    }
}
