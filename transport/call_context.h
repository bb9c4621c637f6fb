// What one operation of the library runs with, handed down explicitly from the front end that
// started it (an export, a vanta::Client operation, a job's worker) to the socket: the
// service's configuration, where the status notifications go, the job's transfer control and
// the trace. Nothing below the front ends looks these up on the thread.
#pragma once

#include "net/trace.h"
#include "net/transfer_control.h"
#include "transport/service_config.h"
#include "transport/status_sink.h"

struct CallContext {
    // Host, ports, time-outs, security and login of the whole operation, even when the
    // process's configuration changes meanwhile. It outlives the operation.
    const ServiceConfig& config;
    StatusSink status{};
    // A job's worker hands its own; a direct call runs with none, so it neither counts into
    // nor can be stopped by any job.
    TransferControl* control = nullptr;
    // The trace as it stood when the operation started.
    TraceSink trace = CurrentTraceSink();

    // The same operation with another transfer control.
    CallContext WithControl(TransferControl* other) const {
        return CallContext{config, status, other, trace};
    }
};
