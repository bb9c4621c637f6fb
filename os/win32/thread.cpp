// The Win32 twin of the job threads: a system thread, always created suspended so that its
// object is complete before it runs, whose handle the system's own calls answer
// (ResumeThread, GetExitCodeThread, WaitForSingleObject, GetThreadId).
//
// The end of the thread function is marked apart from the thread's end (WaitForThreadFunction):
// a manual-reset event that the thread sets as its last act in the library's code. The
// library's unload runs under the loader lock, where the rest of a thread's exit (in the
// system's and the C run time's code) waits for that lock; the unload waits for the event.
#include "os/thread.h"

#include <mutex>
#include <new>
#include <process.h>
#include <utility>

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
    DWORD exitCode = STILL_ACTIVE;
    // A reference to the library's module that the thread gives back as it ends
    // (KeepLibraryForThread); null for most threads.
    HMODULE module = nullptr;
    // Set once the thread function has returned or the thread was abandoned; the thread sets
    // it through a handle of its own, so that it needs nothing of this block to do so.
    HANDLE functionDone = nullptr;

    ThreadControl() = default;
    ThreadControl(const ThreadControl&) = delete;
    ThreadControl& operator=(const ThreadControl&) = delete;
    ~ThreadControl() {
        if (functionDone != nullptr) {
            CloseHandle(functionDone);
        }
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
};

// What the thread itself is started with: its share of the control block and its own handle of
// the event.
struct ThreadStart {
    std::shared_ptr<ThreadControl> control;
    HANDLE functionDone = nullptr;
};

namespace {
// How long the destruction of a thread object waits for a thread that ended, or will not run,
// to be done with the library's code. Both take a moment.
constexpr DWORD kThreadGoneWaitMs = 5000;

// Everything the thread does in the library, up to its last act. The result is the thread
// function's, or 0 for an abandoned thread.
UINT RunFunction(const std::shared_ptr<ThreadControl>& control) {
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
        control->exitCode = code;
        control->ended = true;
        autoDelete = !control->objectGone && self->m_bAutoDelete != FALSE;
    }
    if (autoDelete) {
        delete self;
    }
    return code;
}

unsigned __stdcall Run(void* reference) {
    auto* start = static_cast<ThreadStart*>(reference);
    const HANDLE functionDone = start->functionDone;
    UINT code = 0;
    HMODULE module = nullptr;
    {
        const std::shared_ptr<ThreadControl> control = std::move(start->control);
        delete start;
        code = RunFunction(control);
        std::lock_guard lock(control->mutex);
        module = std::exchange(control->module, nullptr);
    }
    SetEvent(functionDone);
    if (module != nullptr) {
        // The library's code stays until the system's own code has let go of it, after the
        // unload it may run on this thread.
        CloseHandle(functionDone);
        FreeLibraryAndExitThread(module, code);
    }
    // The last act in the library's code: a waiting unload may now go on and take the code
    // away. Closing the handle and returning are all that follows.
    CloseHandle(functionDone);
    return code;
}
} // namespace

CWinThread::~CWinThread() {
    if (!m_control) {
        return;
    }
    const HANDLE handle = m_control->handle;
    const HANDLE functionDone = m_control->functionDone;
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
    // The event, not the handle: inside the loader's lock (the library's unload) the thread
    // can return from its function, but cannot end.
    if (wait) {
        WaitForSingleObject(functionDone, kThreadGoneWaitMs);
    }
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT /*stackSize*/,
                           DWORD createFlags, void* /*security*/) {
    auto control = std::make_shared<ThreadControl>();
    control->proc = proc;
    control->param = param;
    control->functionDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::unique_ptr<CWinThread> thread(new (std::nothrow) CWinThread());
    auto* start = new (std::nothrow) ThreadStart{control, nullptr};
    if (!thread || !start || control->functionDone == nullptr ||
        !DuplicateHandle(GetCurrentProcess(), control->functionDone, GetCurrentProcess(),
                         &start->functionDone, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        delete start;
        return nullptr;
    }
    control->object = thread.get();
    const std::uintptr_t started =
        _beginthreadex(nullptr, 0, &Run, start, CREATE_SUSPENDED, nullptr);
    if (started == 0) {
        CloseHandle(start->functionDone);
        delete start;
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

DWORD WaitForThreadFunction(const CWinThread& thread, DWORD milliseconds) {
    if (!thread.m_control) {
        return WAIT_FAILED;
    }
    return WaitForSingleObject(thread.m_control->functionDone, milliseconds);
}

DWORD ThreadFunctionResult(const CWinThread& thread) {
    if (!thread.m_control) {
        return STILL_ACTIVE;
    }
    std::lock_guard lock(thread.m_control->mutex);
    return thread.m_control->exitCode;
}

void KeepLibraryForThread(const CWinThread& thread) {
    if (!thread.m_control) {
        return;
    }
    HMODULE module = nullptr;
    // The module that holds this code, counted once more.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&KeepLibraryForThread), &module)) {
        return;
    }
    std::lock_guard lock(thread.m_control->mutex);
    if (thread.m_control->module != nullptr) {
        FreeLibrary(module); // kept already
    } else {
        thread.m_control->module = module;
    }
}
