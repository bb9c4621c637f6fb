#include "client/status_forwarding.h"

namespace {
thread_local const vanta::StatusHandler* t_handler = nullptr;

unsigned long WINAPI ForwardStatus(unsigned long status, void* info, unsigned long infoLength) {
    const vanta::StatusHandler* handler = t_handler;
    if (handler == nullptr || !*handler) {
        return 0;
    }
    const auto* bytes = static_cast<const std::byte*>(info);
    const vanta::StatusNotification notification{
        status, std::span<const std::byte>(bytes, bytes != nullptr ? infoLength : 0)};
    // The notification arrives from inside the network layer's C callbacks: an exception
    // must not unwind through them.
    try {
        (*handler)(notification);
    } catch (...) {
    }
    return 0;
}
} // namespace

ScopedStatusHandler::ScopedStatusHandler(const vanta::StatusHandler* handler)
    : m_previous(t_handler), m_active(handler != nullptr && *handler) {
    t_handler = handler;
}

ScopedStatusHandler::~ScopedStatusHandler() {
    t_handler = m_previous;
}

StatusCallback ScopedStatusHandler::Callback() const {
    return m_active ? &ForwardStatus : nullptr;
}

StatusSink SinkFor(const vanta::StatusHandler& handler) noexcept {
    if (!handler) {
        return StatusSink();
    }
    return StatusSink(
        [](const void* target, DWORD status, void* info, DWORD length) noexcept {
            const auto* bytes = static_cast<const std::byte*>(info);
            const vanta::StatusNotification notification{
                status, std::span<const std::byte>(bytes, bytes != nullptr ? length : 0)};
            // The notification arrives from inside the network layer's C callbacks: an
            // exception must not unwind through them.
            try {
                (*static_cast<const vanta::StatusHandler*>(target))(notification);
            } catch (...) {
            }
        },
        &handler);
}
