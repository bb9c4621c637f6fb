// ServiceSession: the library's Internet session. It forwards every status notification of
// the network layer to the operation's status sink, unchanged, and has its transfers trace to
// the operation's trace sink. It lives on the stack of one library call only.
#pragma once

#include "net/internet_session.h"
#include "net/trace.h"
#include "transport/status_sink.h"

class ServiceSession : public CInternetSession {
public:
    // Opens the base session with the layer's default user-agent, context 1, the
    // preconfigured access type and no flags (synchronous). Notifications stay off until the
    // user of the session enables them, which it does only for a sink that goes somewhere.
    // The trace goes to `trace` (null: none).
    ServiceSession(StatusSink status, TraceSink trace);

    void OnStatusCallback(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength) override;

    // Switches the notifications on when the sink goes somewhere.
    void EnableStatusForSink();

    const StatusSink m_status;
};
