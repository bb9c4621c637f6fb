// The process-wide trace handler of the C interface: the caller's callback and its user data
// behind vanta::set_trace_handler. A C caller cannot tell when a line still being delivered
// has left its callback, so a replacement waits for the calls of the handler it replaced:
// when it returns, that handler's user data may go.
#include "capi/c_boundary.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// One installed callback and how many of its calls are running, on all threads.
struct Installed {
    vanta_trace_callback call;
    void* data;
    int running = 0;
};

// A call in progress on this thread, the innermost first. A replacement made from inside a
// callback does not wait for the calls it is itself part of.
struct Frame {
    const Installed* handler;
    const Frame* outer;
};

struct Registry {
    std::mutex mutex;
    std::condition_variable callEnded;
    std::shared_ptr<Installed> installed; // guarded by mutex
};

// Never destroyed: a job's worker may still trace while the library's statics go at unload.
Registry& TheRegistry() {
    static auto* const registry = new Registry;
    return *registry;
}

thread_local const Frame* t_innermost = nullptr;

void Deliver(std::string_view line) {
    Registry& registry = TheRegistry();
    std::shared_ptr<Installed> handler;
    {
        const std::lock_guard<std::mutex> lock(registry.mutex);
        if (!registry.installed) {
            return;
        }
        handler = registry.installed;
        ++handler->running;
    }
    const Frame frame{handler.get(), t_innermost};
    t_innermost = &frame;
    try {
        const std::string text(line); // NUL-terminated, whatever the view was cut from
        handler->call(text.c_str(), handler->data);
    } catch (...) {
        // Out of memory: the trace is best effort.
    }
    t_innermost = frame.outer;
    {
        const std::lock_guard<std::mutex> lock(registry.mutex);
        --handler->running;
    }
    registry.callEnded.notify_all();
}

int CallsOnThisThread(const Installed* handler) noexcept {
    int calls = 0;
    for (const Frame* frame = t_innermost; frame != nullptr; frame = frame->outer) {
        calls += frame->handler == handler ? 1 : 0;
    }
    return calls;
}

} // namespace

extern "C" {

void vanta_set_trace_handler(vanta_trace_callback callback, void* user_data) {
    try {
        std::shared_ptr<Installed> made;
        if (callback != nullptr) {
            made = std::make_shared<Installed>(Installed{callback, user_data});
        }
        Registry& registry = TheRegistry();
        std::unique_lock<std::mutex> lock(registry.mutex);
        const std::shared_ptr<Installed> replaced = std::exchange(registry.installed, made);
        // Under the lock, so that two replacements at once leave the sink and the registry
        // agreeing.
        vanta::set_trace_handler(made ? vanta::TraceHandler(&Deliver) : vanta::TraceHandler());
        if (replaced) {
            const int mine = CallsOnThisThread(replaced.get());
            registry.callEnded.wait(lock, [&] { return replaced->running == mine; });
        }
    } catch (...) {
        // Out of memory before anything changed: the handler stays as it was.
    }
}

} // extern "C"
