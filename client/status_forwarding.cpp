#include "client/status_forwarding.h"

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
