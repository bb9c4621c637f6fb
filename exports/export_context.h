// How an export starts an operation of the library: the process's configuration as it stands
// when the export is called, and the caller's status callback.
#pragma once

#include "transport/call_context.h"
#include "transport/service_config.h"
#include "vanta/status_callback.h"

inline CallContext ExportContext(StatusCallback callback) {
    return CallContext{CurrentProcessConfig(), StatusSink(callback)};
}
