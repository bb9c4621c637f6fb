// Where one operation's status notifications go: nowhere, the C callback an export's caller
// passed, or a handler of the client's. Small and copied by value; what it points at outlives
// the operation.
#pragma once

#include "framework/win_types.h"
#include "vanta/status_callback.h"

class StatusSink {
public:
    // Hands one notification to `target`; must not throw.
    using Deliver = void (*)(const void* target, DWORD status, void* info, DWORD length) noexcept;

    // Nowhere: the network layer keeps its notifications off.
    StatusSink() noexcept = default;
    // An export's callback; null: nowhere.
    explicit StatusSink(StatusCallback callback) noexcept : m_callback(callback) {}
    // `deliver` with `target`; a null `deliver`: nowhere.
    StatusSink(Deliver deliver, const void* target) noexcept
        : m_deliver(deliver), m_target(target) {}

    bool Enabled() const noexcept { return m_callback != nullptr || m_deliver != nullptr; }
    void Notify(DWORD status, void* info, DWORD length) const {
        if (m_callback != nullptr) {
            m_callback(status, info, length);
        } else if (m_deliver != nullptr) {
            m_deliver(m_target, status, info, length);
        }
    }

private:
    StatusCallback m_callback = nullptr;
    Deliver m_deliver = nullptr;
    const void* m_target = nullptr;
};
