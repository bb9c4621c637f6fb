#include "status_recorder.h"

#include <algorithm>
#include <mutex>

namespace vanta::test {

namespace {
std::mutex g_mutex;
std::vector<StatusEvent> g_events;
} // namespace

unsigned long WINAPI RecordStatus(unsigned long status, void* info, unsigned long infoLength) {
    StatusEvent event{status, std::this_thread::get_id(), infoLength, {}};
    // Copying the block checks, under the sanitizers, that it really is infoLength bytes long.
    if (info != nullptr) {
        event.info.assign(static_cast<const char*>(info), std::min(infoLength, 4096UL));
    }
    std::lock_guard lock(g_mutex);
    g_events.push_back(std::move(event));
    return 0;
}

void ClearStatuses() {
    std::lock_guard lock(g_mutex);
    g_events.clear();
}

std::vector<StatusEvent> RecordedStatusEvents() {
    std::lock_guard lock(g_mutex);
    return g_events;
}

std::vector<unsigned long> RecordedStatuses() {
    std::vector<unsigned long> statuses;
    for (const StatusEvent& event : RecordedStatusEvents()) {
        statuses.push_back(event.status);
    }
    return statuses;
}

} // namespace vanta::test
