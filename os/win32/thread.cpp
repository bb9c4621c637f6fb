// The Win32 twin of the job threads: a system thread, always created suspended so that its
// object is complete before it runs, whose handle the system's own calls answer
// (ResumeThread, GetExitCodeThread, WaitForSingleObject, GetThreadId).
#include "os/thread.h"

#include <mutex>
#include <new>
#include <process.h>

struct ThreadControl {
    std::mutex mutex;
    HANDLE handle = nullptr;
    CWinThread* object = nullptr;
    AFX_THREADPROC proc = nullptr;
    LPVOID param = nullptr;
    bool started = false;    // the thread function was called
    bool ended = false;      // and has returned
    bool abandoned = false;  // the object went away before the thread ran: run nothing
    bool objectGone = false; // the object was destroyed; the thread must not touch it
};

namespace {
// How long the destruction of a thread object waits for a thread that ended, or will not run,
// to be gone. Both take a moment; the bound keeps a destruction inside the loader's lock (the
// library's unload), where no thread can end, from waiting for ever.
constexpr DWORD kThreadGoneWaitMs = 5000;

unsigned __stdcall Run(void* reference) {
    // The thread's own share of the control block, made for it by AfxBeginThread.
    const std::shared_ptr<ThreadControl> control =
        std::move(*static_cast<std::shared_ptr<ThreadControl>*>(reference));
    delete static_cast<std::shared_ptr<ThreadControl>*>(reference);
    CWinThread* self = nullptr;
    {
        std::lock_guard lock(control->mutex);
        if (control->abandoned) {
            return 0;
        }
        control->started = true;
        self = control->object;
    }
    const UINT code = control->proc(control->param);
    bool autoDelete = false;
    {
        std::lock_guard lock(control->mutex);
        control->ended = true;
        autoDelete = !control->objectGone && self->m_bAutoDelete != FALSE;
    }
    if (autoDelete) {
        delete self;
    }
    return code;
}
} // namespace

CWinThread::~CWinThread() {
    if (!m_control) {
        return;
    }
    const HANDLE handle = m_control->handle;
    bool wait = false;
    bool abandoned = false;
    {
        std::lock_guard lock(m_control->mutex);
        m_control->objectGone = true;
        if (!m_control->started) {
            // Still suspended means never run: it is abandoned. A thread already resumed runs
            // its function, as on POSIX. The system tells the count only by changing it, so
            // the probe's own suspension is taken back at once.
            const DWORD previous = SuspendThread(handle);
            if (previous != static_cast<DWORD>(-1)) {
                ResumeThread(handle);
                m_control->abandoned = previous > 0;
            }
        }
        abandoned = m_control->abandoned;
        // Never waits for the thread it runs on (an auto-deleting thread, or a thread function
        // that destroys its own object).
        wait = (abandoned || m_control->ended) && GetThreadId(handle) != GetCurrentThreadId();
    }
    if (abandoned) {
        // Resumed to the end of its suspension, it finds itself abandoned and returns at once.
        DWORD previous = 0;
        do {
            previous = ResumeThread(handle);
        } while (previous > 1 && previous != static_cast<DWORD>(-1));
    }
    if (wait) {
        WaitForSingleObject(handle, kThreadGoneWaitMs);
    }
    CloseHandle(handle);
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT /*stackSize*/,
                           DWORD createFlags, void* /*security*/) {
    auto control = std::make_shared<ThreadControl>();
    control->proc = proc;
    control->param = param;
    std::unique_ptr<CWinThread> thread(new (std::nothrow) CWinThread());
    auto* reference = new (std::nothrow) std::shared_ptr<ThreadControl>(control);
    if (!thread || !reference) {
        delete reference;
        return nullptr;
    }
    control->object = thread.get();
    const std::uintptr_t started =
        _beginthreadex(nullptr, 0, &Run, reference, CREATE_SUSPENDED, nullptr);
    if (started == 0) {
        delete reference;
        return nullptr;
    }
    control->handle = reinterpret_cast<HANDLE>(started);
    thread->m_control = control;
    thread->m_hThread = control->handle;
    if (priority <= THREAD_PRIORITY_LOWEST) {
        SetThreadPriority(control->handle, THREAD_PRIORITY_LOWEST); // best effort
    }
    if ((createFlags & CREATE_SUSPENDED) == 0) {
        ResumeThread(control->handle);
    }
    return thread.release();
}
