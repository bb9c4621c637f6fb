// The thread stand-ins: suspended start, the handle's answers during and after the thread,
// priority, and thread objects that go away early. Runs under ThreadSanitizer as well.
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using std::chrono_literals::operator""ms;

struct Gate {
    std::atomic<bool> ran{false};
    std::atomic<int> nice{-100};
    std::promise<void> release;
    std::shared_future<void> released{release.get_future().share()};
};

UINT WaitForRelease(LPVOID param) {
    auto* gate = static_cast<Gate*>(param);
    gate->ran = true;
    gate->nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    gate->released.wait();
    return 42;
}

// A suspended thread at the lowest priority (nice 19) waits for ResumeThread; another runs at
// once with its creator's priority. Either handle answers for as long as the object lives.
TEST(Thread, RunsWhenResumedAtItsPriorityAndItsHandleAnswersUntilTheObjectGoes) {
    const int ownNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    for (const bool suspended : {true, false}) {
        Gate gate;
        std::unique_ptr<CWinThread> thread(suspended ? AfxBeginThread(&WaitForRelease, &gate,
                                                                      THREAD_PRIORITY_LOWEST, 0,
                                                                      CREATE_SUSPENDED)
                                                     : AfxBeginThread(&WaitForRelease, &gate));
        ASSERT_TRUE(thread);
        thread->m_bAutoDelete = FALSE; // the thread cannot end before the gate opens
        if (suspended) {
            std::this_thread::sleep_for(50ms);
            EXPECT_FALSE(gate.ran);
            EXPECT_EQ(ResumeThread(thread->m_hThread), 1U);
            EXPECT_EQ(ResumeThread(thread->m_hThread), 0U);
        }
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code) && code == STILL_ACTIVE);
        EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 30), WAIT_TIMEOUT);
        gate.release.set_value();
        EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
        EXPECT_EQ(gate.nice.load(), suspended ? 19 : ownNice);
        EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code) && code == 42U);
        EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_OBJECT_0);
    }
    DWORD untouched = 5;
    EXPECT_FALSE(GetExitCodeThread(nullptr, &untouched));
    EXPECT_EQ(untouched, 5U);
    EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFU);
    EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
}

// The sanitizers report a function run after its object went, or an object that stays.
TEST(Thread, ObjectsGoAwayEarlyOrWithTheirThread) {
    Gate never;
    delete AfxBeginThread(&WaitForRelease, &never, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED);
    // Nothing the thread touches may outlive the test: it ends unobserved.
    CWinThread* autoDeleting = AfxBeginThread([](LPVOID) -> UINT { return 7; }, nullptr,
                                              THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_TRUE(autoDeleting);
    EXPECT_EQ(ResumeThread(autoDeleting->m_hThread), 1U);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(never.ran);
}

} // namespace
