// The process-wide trace handler of the C++ interface, on the library's one trace sink.
#include "net/trace.h"
#include "vanta/client.hpp"

#include <memory>
#include <mutex>

namespace {
std::mutex g_mutex;
// Shared, so that a line being delivered keeps the handler alive while it is replaced.
std::shared_ptr<const vanta::TraceHandler> g_handler;

void Forward(const char* line) {
    std::shared_ptr<const vanta::TraceHandler> handler;
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        handler = g_handler;
    }
    if (handler) {
        (*handler)(line);
    }
}
} // namespace

namespace vanta {

void set_trace_handler(TraceHandler handler) noexcept {
    std::shared_ptr<const TraceHandler> installed;
    try {
        if (handler) {
            installed = std::make_shared<const TraceHandler>(std::move(handler));
        }
    } catch (...) {
        // Out of memory: no trace rather than a throw into the caller.
    }
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_handler = installed;
    }
    SetTraceSink(installed ? &Forward : nullptr);
}

} // namespace vanta
