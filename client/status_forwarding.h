// Hands the network layer's status notifications to the std::function of a client or a job:
// the sink carries the handler itself, so nothing is looked up on the thread.
#pragma once

#include "transport/status_sink.h"
#include "vanta/client.hpp"

// The status sink that hands notifications to `handler` (nowhere when it is empty); the
// handler outlives every operation given the sink.
StatusSink SinkFor(const vanta::StatusHandler& handler) noexcept;
