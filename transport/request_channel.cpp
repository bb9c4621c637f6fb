// The request channel: one HTTP POST of a form body to one CGI program, its whole reply read
// into the caller's string. Nothing is kept between calls: each call opens its own session,
// connection and request and closes them before it returns.
#include "net/http_connection.h"
#include "net/internet_exception.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/globals.h"
#include "transport/post_request.h"
#include "transport/retry_schedule.h"
#include "transport/security_settings.h"
#include "transport/service_config.h"
#include "transport/service_session.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

#include <climits>
#include <new>

using namespace vanta::result;

namespace {
// Never write the reply to a cache, and read a redirect as the reply instead of following it.
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr UINT kLineBufferSize = 1024;

void SetConnectionTimeouts(CHttpConnection& connection, std::chrono::milliseconds timeout) {
    const auto ms = static_cast<DWORD>(timeout.count());
    connection.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, ms, 0);
    connection.SetOption(INTERNET_OPTION_DATA_SEND_TIMEOUT, ms, 0);
    connection.SetOption(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, ms, 0);
}

// Room for `total` bytes in all, allocated exactly.
void Reserve(CString& reply, size_t total) {
    if (total > static_cast<size_t>(INT_MAX)) {
        throw std::bad_alloc();
    }
    reply.Preallocate(static_cast<int>(total));
}

// Room for `more` further bytes. Without an announced length the string grows by an eighth
// at a time, exactly, so that a long list reply is held at little more than its own size.
void MakeRoom(CString& reply, size_t more) {
    const size_t needed = static_cast<size_t>(reply.GetLength()) + more;
    if (needed > static_cast<size_t>(reply.GetAllocLength())) {
        Reserve(reply, needed + needed / 8);
    }
}
} // namespace

std::string ProgramPathProblem(const CString& scriptPath) {
    if (HoldsNul(scriptPath)) {
        return "refused a program path holding a NUL byte";
    }
    if (scriptPath.GetLength() > kMaxPathBytes) {
        return "refused a program path of " + std::to_string(scriptPath.GetLength()) +
               " bytes: longer than " + std::to_string(kMaxPathBytes);
    }
    return {};
}

namespace {
// How far a failed attempt got, as far as repeating it is concerned.
enum class Reach {
    kAnswered,       // a reply was read (2xx or not): nothing to repeat
    kNeverReached,   // the request provably never left: the name, the connect or the handshake
    kMayHaveArrived, // the connection failed once the request may have been sent
    kFinal,          // a cancel, a certificate refused, a local failure: repeating cannot help
};

Reach ReachOf(const CInternetException& failure) {
    if (failure.m_dwError == ERROR_INTERNET_OPERATION_CANCELLED) {
        return Reach::kFinal;
    }
    switch (failure.m_cause) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    // The request goes out only once the handshake is done.
    case CURLE_SSL_CONNECT_ERROR:
        return Reach::kNeverReached;
    case CURLE_OK: // the layer itself refused: no handle, a bad option
    case CURLE_OUT_OF_MEMORY:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
        return Reach::kFinal;
    default:
        return Reach::kMayHaveArrived;
    }
}

struct Attempt {
    unsigned int result = kSuccess;
    Reach reach = Reach::kAnswered;
};

// One POST and its reply, appended to `reply`.
Attempt PostOnce(const CallContext& context, const CString& request, const CString& scriptPath,
                 CString& reply, size_t replyLimit) {
    Attempt attempt;
    const ServiceConfig& config = context.config;
    const unsigned port = config.tls ? config.httpsPort : config.httpPort;
    ServiceSession session(context.status, context.trace);
    session.SetTlsOptions(SessionTls(config));
    std::unique_ptr<CHttpConnection> connection;
    std::unique_ptr<CHttpFile> file;
    try {
        session.EnableStatusForSink();
        connection =
            session.GetHttpConnection(config.host.c_str(), static_cast<INTERNET_PORT>(port),
                                      config.loginName.c_str(), config.loginPassword.c_str());
        SetConnectionTimeouts(*connection, config.httpTimeout);
        file = connection->OpenRequest(HTTP_VERB_POST, scriptPath, nullptr, 1, nullptr, nullptr,
                                       kRequestFlags | (config.tls ? INTERNET_FLAG_SECURE : 0));
        file->SendRequest(FormHeaders, const_cast<char*>(request.GetString()),
                          static_cast<DWORD>(request.GetLength()));
        char buffer[kLineBufferSize];
        UINT length = 0;
        bool sized = false;
        while (file->ReadString(buffer, kLineBufferSize, length)) {
            if (!sized) {
                // The headers are in once the body begins: an announced length is held once,
                // at its own size.
                sized = true;
                DWORD announced = 0;
                if (file->QueryInfo(HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                    announced) &&
                    announced <= replyLimit) {
                    Reserve(reply, static_cast<size_t>(reply.GetLength()) + announced);
                }
            }
            if (static_cast<size_t>(reply.GetLength()) + length > replyLimit) {
                SetFailureReason(FailureKind::Refused,
                                 "the reply of " + config.host + " port " + std::to_string(port) +
                                     " to " + scriptPath.GetString() + " is longer than " +
                                     std::to_string(replyLimit) + " bytes");
                attempt.result = kChannelFailure;
                break;
            }
            MakeRoom(reply, length);
            reply.Append(buffer, static_cast<int>(length));
        }
        // An error page, or a redirect that is not followed, is no answer of the program.
        const DWORD status = file->GetStatusCode();
        if (status < 200 || status > 299) {
            SetFailureReason(FailureKind::Refused, "the service at " + config.host + " port " +
                                                       std::to_string(port) + " answered HTTP " +
                                                       std::to_string(status) + " to " +
                                                       scriptPath.GetString());
            attempt.result = kChannelFailure;
        }
    } catch (const CInternetException& failure) {
        // What was appended before the failure stays in `reply`.
        attempt.result = kChannelFailure;
        attempt.reach = ReachOf(failure);
    }

    if (file) {
        file->Close();
    }
    if (connection) {
        connection->Close();
    }
    file.reset();
    connection.reset();
    session.Close();
    return attempt;
}

bool MayRepeat(Reach reach, vanta::RepeatWhen when) {
    return reach == Reach::kNeverReached ||
           (reach == Reach::kMayHaveArrived && when == vanta::RepeatWhen::any_network_failure);
}
} // namespace

unsigned int PostRequest(const CallContext& context, const CString& body, const CString& scriptPath,
                         CString& reply, size_t replyLimit, vanta::RepeatWhen when) {
    if (std::string problem = ProgramPathProblem(scriptPath); !problem.empty()) {
        SetFailureReason(std::move(problem));
        return kChannelFailure;
    }
    CString request = body;
    request += '\n';
    const int kept = reply.GetLength();
    RetrySchedule schedule(context.config.retry);
    while (true) {
        const Attempt attempt = PostOnce(context, request, scriptPath, reply, replyLimit);
        std::chrono::milliseconds wait{};
        if (attempt.result == kSuccess || !MayRepeat(attempt.reach, when) ||
            !schedule.NextWait(wait)) {
            if (attempt.result != kSuccess && schedule.Attempt() > 1) {
                SetFailureReason(LastFailureKind(),
                                 ReasonAfterAttempts(FailureReason(), schedule.Attempt()));
            }
            return attempt.result;
        }
        if (!schedule.WaitForNextAttempt(wait, context.control, context.trace,
                                         std::string("POST ") + scriptPath.GetString(),
                                         FailureReason())) {
            SetFailureReason(FailureKind::Other,
                             "cancelled while waiting to repeat the request to " +
                                 std::string(scriptPath.GetString()) +
                                 " after: " + FailureReason());
            return kChannelFailure;
        }
        // The next attempt's reply replaces whatever the failed one left.
        reply = reply.Left(kept);
    }
}
