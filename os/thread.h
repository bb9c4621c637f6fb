// Threads as the library's job code uses them: CWinThread and the worker form of
// AfxBeginThread, with the Windows calls that watch a thread through its handle.
//
// A thread object outlives its thread: the handle keeps answering GetExitCodeThread and
// WaitForSingleObject after the thread function has returned, until the object is destroyed.
#pragma once

#include "framework/win_types.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

typedef void* HANDLE;
typedef UINT (*AFX_THREADPROC)(LPVOID);

inline constexpr DWORD STILL_ACTIVE = 259;
// Compared as a 32-bit value: `unsigned long` is 64 bits here, so ULONG_MAX is not it.
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD CREATE_SUSPENDED = 4;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;

// What the handle of one thread refers to; shared by the thread object and the thread itself.
struct ThreadControl;

class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    // A thread that never ran is released without running its function; a thread that ended is
    // joined; a thread that still runs is left to finish on its own. The thread function itself
    // may destroy the object (m_bAutoDelete FALSE): the thread then no longer looks at it.
    virtual ~CWinThread();

    // Null only for an object whose thread could not be started.
    HANDLE m_hThread = nullptr;
    // TRUE: the object destroys itself when its thread ends. Set it before the thread runs.
    BOOL m_bAutoDelete = TRUE;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, void*);
    CWinThread() = default;
    static void Run(CWinThread* self, std::shared_ptr<ThreadControl> control);

    std::shared_ptr<ThreadControl> m_control;
    std::thread m_thread;
};

// Starts `proc(param)` on a new thread. With CREATE_SUSPENDED the thread waits until
// ResumeThread. THREAD_PRIORITY_LOWEST gives the thread the lowest scheduling share the system
// grants (best effort). The stack size and security arguments are accepted and ignored.
// Returns null when no thread can be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, void* security = nullptr);

// Lowers the suspend count by one; the thread runs once it reaches 0. Returns the count before
// the call, or 0xFFFFFFFF for a null handle.
DWORD ResumeThread(HANDLE thread);

// STILL_ACTIVE while the thread runs (or has not yet run), else the thread function's result.
// FALSE for a null handle.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// Waits up to `milliseconds` (INFINITE: without limit) for the thread to end: WAIT_OBJECT_0
// once it has ended, WAIT_TIMEOUT when the time ran out, WAIT_FAILED for a null handle.
DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds);

// The calling thread's system-wide id (never 0).
DWORD GetCurrentThreadId();
// The id of the handle's thread once it runs; 0 before that and for a null handle. Compared
// with GetCurrentThreadId, it tells code that runs on the thread from code that watches it.
DWORD GetThreadId(HANDLE thread);
