#include "status_recorder.h"

#include <algorithm>
#include <mutex>

namespace vanta::test {

namespace {

constexpr unsigned long kMaxInfoCopy = 4096;

std::mutex& RecordMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<StatusEvent>& Recording() {
    static std::vector<StatusEvent> events;
    return events;
}

} // namespace

unsigned long WINAPI RecordStatus(unsigned long status, void* info, unsigned long infoLength) {
    StatusEvent event;
    event.status = status;
    event.thread = std::this_thread::get_id();
    event.hadInfo = info != nullptr;
    event.infoLength = infoLength;
    // Copying the block checks, under the sanitizers, that it really is infoLength bytes long.
    if (info != nullptr)
        event.info.assign(static_cast<const char*>(info), std::min(infoLength, kMaxInfoCopy));
    std::lock_guard lock(RecordMutex());
    Recording().push_back(std::move(event));
    return 0;
}

void ClearStatuses() {
    std::lock_guard lock(RecordMutex());
    Recording().clear();
}

std::vector<StatusEvent> RecordedStatusEvents() {
    std::lock_guard lock(RecordMutex());
    return Recording();
}

std::vector<unsigned long> RecordedStatuses() {
    std::lock_guard lock(RecordMutex());
    std::vector<unsigned long> statuses;
    statuses.reserve(Recording().size());
    for (const auto& event : Recording())
        statuses.push_back(event.status);
    return statuses;
}

} // namespace vanta::test
