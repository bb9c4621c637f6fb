// The thread stand-ins: suspended start, the handle's answers during and after the thread,
// bounded and unbounded waits, priority, and thread objects that go away early.
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace {
struct Gate {
    std::atomic<bool> ran{false};
    std::promise<void> release;
    std::shared_future<void> released{release.get_future().share()};
    std::atomic<int> nice{-100};
};

UINT WaitForRelease(LPVOID param) {
    auto* gate = static_cast<Gate*>(param);
    gate->ran = true;
    gate->nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    gate->released.wait();
    return 42;
}

TEST(Thread, SuspendedLowestThreadRunsOnlyOnceResumedAndItsHandleAnswers) {
    Gate gate;
    std::unique_ptr<CWinThread> thread(
        AfxBeginThread(&WaitForRelease, &gate, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED));
    ASSERT_TRUE(thread);
    thread->m_bAutoDelete = FALSE;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(gate.ran);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_EQ(ResumeThread(thread->m_hThread), 1U);
    EXPECT_EQ(ResumeThread(thread->m_hThread), 0U);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 30), WAIT_TIMEOUT);
    gate.release.set_value();
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(gate.nice.load(), 19);
    // The handle answers for as long as the object lives.
    ASSERT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 42U);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_OBJECT_0);

    DWORD untouched = 5;
    EXPECT_FALSE(GetExitCodeThread(nullptr, &untouched));
    EXPECT_EQ(untouched, 5U);
    EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFU);
    EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
}

TEST(Thread, UnsuspendedThreadRunsAtOnceAtNormalPriority) {
    Gate gate;
    const int ownNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    std::unique_ptr<CWinThread> thread(AfxBeginThread(&WaitForRelease, &gate));
    ASSERT_TRUE(thread);
    // Only while the function has not returned: an auto-deleting thread deletes its object as
    // soon as it ends.
    thread->m_bAutoDelete = FALSE;
    gate.release.set_value();
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(gate.nice.load(), ownNice);
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
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(never.ran);
}

} // namespace
