// Records the status notifications the library gives a StatusCallback: pass RecordStatus as
// the callback, then read what arrived. One recording for the whole process, guarded by a
// mutex, so notifications from worker threads are kept too.
#pragma once

#include <algorithm>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <vanta/status_callback.h>

namespace vanta::test {

struct StatusEvent {
    unsigned long status = 0;
    std::thread::id thread; // the thread the callback ran on
    std::string info;       // a copy of the first min(infoLength, 4096) bytes of info
};

inline std::mutex g_statusMutex;
inline std::vector<StatusEvent> g_statusEvents; // since the last ClearStatuses

// StatusCallback-compatible. Returns 0.
inline unsigned long WINAPI RecordStatus(unsigned long status, void* info,
                                         unsigned long infoLength) {
    StatusEvent event{status, std::this_thread::get_id(), {}};
    // Copying the block checks, under the sanitizers, that it really is infoLength bytes long.
    if (info != nullptr) {
        event.info.assign(static_cast<const char*>(info), std::min(infoLength, 4096UL));
    }
    std::lock_guard lock(g_statusMutex);
    g_statusEvents.push_back(std::move(event));
    return 0;
}

inline void ClearStatuses() {
    std::lock_guard lock(g_statusMutex);
    g_statusEvents.clear();
}

// Everything recorded since the last ClearStatuses, in arrival order; or just the numbers.
inline std::vector<StatusEvent> RecordedStatusEvents() {
    std::lock_guard lock(g_statusMutex);
    return g_statusEvents;
}

inline std::vector<unsigned long> RecordedStatuses() {
    std::vector<unsigned long> statuses;
    std::ranges::transform(RecordedStatusEvents(), std::back_inserter(statuses),
                           &StatusEvent::status);
    return statuses;
}

} // namespace vanta::test
