// The POSIX twin of the job threads: std::thread, with the handle's calls answered from a
// control block that the object and the thread share.
#include "os/thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

struct ThreadControl {
    std::mutex mutex;
    std::condition_variable changed;
    DWORD suspendCount = 0;
    bool launched = false;  // the thread object is complete; the thread may look at it
    bool abandoned = false; // the object went away before the thread ran
    bool ended = false;
    bool objectGone = false; // the thread object was destroyed; the thread must not touch it
    DWORD exitCode = STILL_ACTIVE;
    DWORD threadId = 0;

    AFX_THREADPROC proc = nullptr;
    LPVOID param = nullptr;
    bool lowest = false;
    std::thread thread;
};

namespace {
ThreadControl* ControlOf(HANDLE thread) {
    return static_cast<ThreadControl*>(thread);
}

void LowerOwnPriority() {
    // Per-thread nice value on Linux; raising it needs no privilege. Best effort.
    const int niceLowest = 19;
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceLowest);
}

void Run(CWinThread* self, std::shared_ptr<ThreadControl> control) {
    {
        std::unique_lock lock(control->mutex);
        control->changed.wait(lock, [&] {
            return control->abandoned || (control->launched && control->suspendCount == 0);
        });
        if (control->abandoned) {
            return;
        }
        control->threadId = GetCurrentThreadId();
    }
    if (control->lowest) {
        LowerOwnPriority();
    }
    const DWORD code = control->proc(control->param);
    bool autoDelete = false;
    {
        std::lock_guard lock(control->mutex);
        control->exitCode = code;
        control->ended = true;
        autoDelete = !control->objectGone && self->m_bAutoDelete != FALSE;
    }
    control->changed.notify_all();
    if (autoDelete) {
        control->thread.detach();
        delete self;
    }
}
} // namespace

CWinThread::~CWinThread() {
    if (!m_control) {
        return;
    }
    bool finished = false;
    {
        std::lock_guard lock(m_control->mutex);
        const bool waiting = !m_control->launched || m_control->suspendCount > 0;
        if (waiting && !m_control->ended) {
            m_control->abandoned = true;
        }
        m_control->objectGone = true;
        finished = m_control->abandoned || m_control->ended;
    }
    m_control->changed.notify_all();
    if (m_control->thread.joinable()) {
        // A thread that ended (or will not run) is gone in a moment: joining makes sure no code
        // of it runs after its owner has let go. A running thread keeps its own share of the
        // control block.
        if (finished) {
            m_control->thread.join();
        } else {
            m_control->thread.detach();
        }
    }
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT /*stackSize*/,
                           DWORD createFlags, void* /*security*/) {
    auto control = std::make_shared<ThreadControl>();
    control->proc = proc;
    control->param = param;
    control->lowest = priority <= THREAD_PRIORITY_LOWEST;
    control->suspendCount = (createFlags & CREATE_SUSPENDED) != 0 ? 1 : 0;

    std::unique_ptr<CWinThread> thread(new (std::nothrow) CWinThread());
    if (!thread) {
        return nullptr;
    }
    thread->m_control = control;
    thread->m_hThread = control.get();
    try {
        control->thread = std::thread(&Run, thread.get(), control);
    } catch (const std::system_error&) {
        thread->m_control.reset();
        thread->m_hThread = nullptr;
        return nullptr;
    }
    {
        std::lock_guard lock(control->mutex);
        control->launched = true;
    }
    control->changed.notify_all();
    return thread.release();
}

DWORD ResumeThread(HANDLE thread) {
    ThreadControl* control = ControlOf(thread);
    if (!control) {
        return 0xFFFFFFFF;
    }
    // Notified under the lock: the handle does not own the control block, and a thread that
    // may run now can end and, auto-deleting, destroy the block as soon as the lock is free.
    std::lock_guard lock(control->mutex);
    const DWORD previous = control->suspendCount;
    if (previous > 0) {
        --control->suspendCount;
    }
    control->changed.notify_all();
    return previous;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    ThreadControl* control = ControlOf(thread);
    if (!control || !exitCode) {
        return FALSE;
    }
    std::lock_guard lock(control->mutex);
    *exitCode = control->ended ? control->exitCode : STILL_ACTIVE;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds) {
    ThreadControl* control = ControlOf(thread);
    if (!control) {
        return WAIT_FAILED;
    }
    std::unique_lock lock(control->mutex);
    const auto ended = [&] { return control->ended; };
    if (milliseconds == INFINITE) {
        control->changed.wait(lock, ended);
        return WAIT_OBJECT_0;
    }
    return control->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ended)
               ? WAIT_OBJECT_0
               : WAIT_TIMEOUT;
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(gettid());
}

DWORD GetThreadId(HANDLE thread) {
    ThreadControl* control = ControlOf(thread);
    if (!control) {
        return 0;
    }
    std::lock_guard lock(control->mutex);
    return control->threadId;
}

DWORD WaitForThreadFunction(const CWinThread& thread, DWORD milliseconds) {
    return WaitForSingleObject(thread.m_hThread, milliseconds);
}

DWORD ThreadFunctionResult(const CWinThread& thread) {
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(thread.m_hThread, &code);
    return code;
}

void KeepLibraryForThread(const CWinThread& /*thread*/) {}
