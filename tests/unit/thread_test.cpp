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

UINT ReturnSeven(LPVOID) {
    return 7;
}

TEST(Thread, SuspendedThreadRunsOnlyOnceResumed) {
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
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_TIMEOUT);

    EXPECT_EQ(ResumeThread(thread->m_hThread), 1U);
    EXPECT_EQ(ResumeThread(thread->m_hThread), 0U);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 30), WAIT_TIMEOUT);
    gate.release.set_value();
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(gate.ran);
    EXPECT_EQ(gate.nice.load(), 19);
    // The handle answers for as long as the object lives.
    ASSERT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 42U);
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 0), WAIT_OBJECT_0);
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

TEST(Thread, ObjectDestroyedBeforeResumeNeverRunsItsFunction) {
    Gate gate;
    delete AfxBeginThread(&WaitForRelease, &gate, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(gate.ran);
}

TEST(Thread, NullHandleFailsEveryCall) {
    DWORD code = 5;
    EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
    EXPECT_EQ(code, 5U);
    EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFU);
    EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
}

TEST(Thread, AutoDeleteObjectGoesAwayWithItsThread) {
    // Leak detection of the sanitizer build reports an object that stays.
    CWinThread* thread =
        AfxBeginThread(&ReturnSeven, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_TRUE(thread);
    EXPECT_EQ(ResumeThread(thread->m_hThread), 1U);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}
} // namespace
