// The thread stand-ins as the job code uses them: a suspended thread at the lowest priority,
// the handle's answers during and after the thread, and an object deleted before its thread
// ran. Runs under ThreadSanitizer as well, and for Windows against its twin, whose handle the
// system's own calls answer.
#include "os/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using std::chrono_literals::operator""ms;

// The lowest priority as each system tells it of the calling thread: nice 19 on Linux, the
// lowest priority class of Windows.
#if defined(_WIN32)
constexpr int kLowest = THREAD_PRIORITY_LOWEST;
int OwnPriority() {
    return GetThreadPriority(GetCurrentThread());
}
#else
constexpr int kLowest = 19;
int OwnPriority() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}
#endif

struct Gate {
    std::atomic<bool> ran{false};
    std::atomic<int> priority{-100};
    std::latch release{1};
};

UINT WaitForRelease(LPVOID param) {
    auto* gate = static_cast<Gate*>(param);
    gate->ran = true;
    gate->priority = OwnPriority();
    gate->release.wait();
    return 42;
}

// An object deleted before it was resumed never runs its function either: the sanitizers
// report a function that runs after its object and arguments went.
TEST(Thread, RunsOnlyOnceResumedAtTheLowestPriorityAndItsHandleAnswersUntilTheObjectGoes) {
    Gate gate, never;
    std::unique_ptr<CWinThread> thread(
        AfxBeginThread(&WaitForRelease, &gate, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED));
    ASSERT_TRUE(thread);
    thread->m_bAutoDelete = FALSE;
    delete AfxBeginThread(&WaitForRelease, &never, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(gate.ran || never.ran);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code) && code == STILL_ACTIVE);
    EXPECT_EQ(ResumeThread(thread->m_hThread), 1U);
    // Windows declares WAIT_TIMEOUT as a long.
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 30), static_cast<DWORD>(WAIT_TIMEOUT));
    gate.release.count_down();
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(gate.priority.load(), kLowest);
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code) && code == 42U);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_OBJECT_0);
}

} // namespace
