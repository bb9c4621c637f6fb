// Records the status notifications the library gives a StatusCallback: pass RecordStatus as
// the callback, then read what arrived. One recording for the whole process, guarded by a
// mutex, so notifications from worker threads are kept too.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include <vanta/status_callback.h>

namespace vanta::test {

struct StatusEvent {
    unsigned long status = 0;
    std::thread::id thread; // the thread the callback ran on
    unsigned long infoLength = 0;
    std::string info; // a copy of the first min(infoLength, 4096) bytes of info
};

// StatusCallback-compatible. Returns 0.
unsigned long WINAPI RecordStatus(unsigned long status, void* info, unsigned long infoLength);

// Forgets everything recorded so far.
void ClearStatuses();

// Everything recorded since the last ClearStatuses, in arrival order; or just the numbers.
std::vector<StatusEvent> RecordedStatusEvents();
std::vector<unsigned long> RecordedStatuses();

} // namespace vanta::test
