// Routes the network layer's status notifications, which reach the library as a plain
// function pointer without user data, to the std::function of the operation that runs on
// the calling thread.
#pragma once

#include "transport/status_sink.h"
#include "vanta/client.hpp"
#include "vanta/status_callback.h"

// The status sink that hands notifications to `handler` (nowhere when it is empty); the
// handler outlives every operation given the sink.
StatusSink SinkFor(const vanta::StatusHandler& handler) noexcept;

// Makes `handler` the receiver of this thread's notifications while the object lives; the
// previous receiver comes back afterwards, so scopes nest.
class ScopedStatusHandler {
public:
    explicit ScopedStatusHandler(const vanta::StatusHandler* handler);
    ~ScopedStatusHandler();
    ScopedStatusHandler(const ScopedStatusHandler&) = delete;
    ScopedStatusHandler& operator=(const ScopedStatusHandler&) = delete;

    // The callback to hand the library's operations: null when there is no handler, so that
    // the network layer keeps its notifications off.
    StatusCallback Callback() const;

private:
    const vanta::StatusHandler* m_previous;
    bool m_active;
};
