// ServiceSession: the library's Internet session. It forwards every status notification of
// the network layer to the caller's StatusCallback, unchanged. It lives on the stack of one
// library call only.
#pragma once

#include "platform/internet_session.h"
#include "vanta/status_callback.h"

class ServiceSession : public CInternetSession {
public:
    // Opens the base session with the layer's default user-agent, context 1, the
    // preconfigured access type and no flags (synchronous). Notifications stay off until the
    // user of the session enables them, which it does only for a non-null callback.
    explicit ServiceSession(StatusCallback callback);

    void OnStatusCallback(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength) override;

    StatusCallback m_callback;
};
