// The connection recipe that every FTP operation of the library follows: its own session
// holding the caller's callback, notifications switched on only for a non-null callback, one
// FTP connection to the configured service host and FTP port with the library's login (active
// mode), and on every path the connection closed and destroyed before the session is closed.
// The call's attempts follow the context's retry policy: a login that fails on the network is
// made again (nothing of the operation reached the service yet), and an operation that only
// reads may be run again over a new connection (Repeating).
#pragma once

#include "net/ftp_connection.h"
#include "net/internet_exception.h"
#include "transport/call_context.h"
#include "transport/retry_schedule.h"
#include "transport/service_config.h"
#include "transport/service_session.h"
#include "vanta/cstring.h"
#include "vanta/retry.hpp"
#include "vanta/status_callback.h"

#include <memory>
#include <string>

class TransferControl;

// Files are copied in blocks of this size (the multi-file send tests its cancel flag per
// block).
inline constexpr unsigned int kFtpCopyBlockBytes = 1024;

class FtpCall {
public:
    // With a transfer control in the context, its cancel request aborts the connection's
    // transfer in flight.
    explicit FtpCall(const CallContext& context);
    FtpCall(const FtpCall&) = delete;
    FtpCall& operator=(const FtpCall&) = delete;
    // Closes and destroys the connection, if one was opened, then closes the session.
    ~FtpCall();

    // Switches notifications on for a non-null callback and opens the connection to the
    // service host taken at construction, closing the one opened before, if any. A connect
    // or login that fails on the network (refused, unreachable, timed out, the server's 421,
    // the connection dropped before the login was accepted) is made again while the policy
    // allows: nothing of the operation has reached the service, so this holds for writes
    // too. Throws CInternetException when the host cannot be reached within the policy, the
    // login is refused, the certificate is not trusted, or a cancel ended a wait. With
    // `mayRepeat` false only one attempt is made, whatever the policy.
    CFtpConnection& Connect(bool mayRepeat = true);

    // After `failure` of an operation on the connection: true when the operation may run
    // again over a new connection, having waited for it: `when` allows it after a failure of
    // the network (a read, or a send that resumes), the failure is one, and the policy has an
    // attempt left. Otherwise false, the reason then telling how many attempts were made. `what`
    // names the operation in the trace ("* retrying WHAT: attempt 2 of 3 ..."). A cancel during the
    // wait ends it at once: false, the reason saying so.
    bool MayRepeat(const CInternetException& failure, vanta::RepeatWhen when,
                   const std::string& what);

    // The operation got further than ever before on the connection that just failed: the next
    // attempt starts at once, and the budget runs again from now (RetrySchedule::MovedForward).
    void MovedForward() { m_schedule.MovedForward(); }

    // Runs `operation` (which connects through this call) and, after a failure of the network
    // that `when` allows to repeat, runs it again while the policy allows; rethrows the failure
    // that ends it.
    template <typename Operation>
    auto Repeating(vanta::RepeatWhen when, const std::string& what, Operation&& operation)
        -> decltype(operation()) {
        while (true) {
            try {
                return operation();
            } catch (const CInternetException& failure) {
                if (!MayRepeat(failure, when, what)) {
                    throw;
                }
            }
        }
    }

private:
    // Waits before the next attempt; false when no attempt is left or a cancel ended the wait,
    // the reason then saying so.
    bool WaitForAnotherAttempt(const std::string& what);
    // No attempt follows: the reason tells how many were made.
    void GiveUp();

    ServiceSession m_session;
    // Host, port and wait limit of the whole call, taken when it starts.
    const ServiceConfig m_config;
    TransferControl* const m_control;
    const TraceSink m_trace;
    // The attempts of the whole call, logins and operations together.
    RetrySchedule m_schedule;
    // The reason of the last failure already tells the attempts, and none follows.
    bool m_gaveUp = false;
    std::unique_ptr<CFtpConnection> m_connection;
};

// Whether `failure` is one of the network that another attempt may get past: not a cancel, a
// name or option refused by the library itself, a refused login or an untrusted certificate.
bool IsNetworkFailure(const CInternetException& failure);

// `text` as a C string for the FTP layer. A NUL byte inside it would cut the name short and
// make the command act on another file, and a text over kMaxPathBytes names nothing on any
// server, so such a text is refused before a command carrying it is sent: throws
// CInternetException, the reason recorded.
const char* WholeText(const CString& text);
