#include "transport/service_session.h"

#include "os/failure_reason.h"

ServiceSession::ServiceSession(StatusSink status, TraceSink trace)
    : CInternetSession(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0),
      m_status(status) {
    SetTrace(trace);
}

void ServiceSession::EnableStatusForSink() {
    if (m_status.Enabled()) {
        EnableStatusCallback(TRUE);
    }
}

void ServiceSession::OnStatusCallback(DWORD_PTR /*context*/, DWORD status, LPVOID info,
                                      DWORD infoLength) {
    // The original framework switches module state around this call; this platform has no
    // module state to switch.
    if (m_status.Enabled()) {
        // The application may call exports from its callback; the reason of a failure that
        // this session is reporting must outlive them.
        const FailureReasonKeeper keeper;
        m_status.Notify(status, info, infoLength);
    }
}
