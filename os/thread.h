// Threads as the library's job code uses them: CWinThread and the worker form of
// AfxBeginThread, with the Windows calls that watch a thread through its handle. The POSIX twin
// (os/posix/thread.cpp) runs the thread on std::thread and answers the calls itself; the Win32
// twin (os/win32/thread.cpp) starts a system thread, whose handle the system's calls answer.
//
// A thread object outlives its thread: the handle keeps answering GetExitCodeThread and
// WaitForSingleObject after the thread function has returned, until the object is destroyed.
#pragma once

#include "framework/win_types.h"
#include "os/windows_api.h"

#include <memory>

typedef UINT (*AFX_THREADPROC)(LPVOID);

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
    friend DWORD WaitForThreadFunction(const CWinThread&, DWORD);
    friend DWORD ThreadFunctionResult(const CWinThread&);
    friend void KeepLibraryForThread(const CWinThread&);
    CWinThread() = default;

    // The twin's own record of the thread, shared with the thread itself.
    std::shared_ptr<ThreadControl> m_control;
};

// Starts `proc(param)` on a new thread. With CREATE_SUSPENDED the thread waits until
// ResumeThread. THREAD_PRIORITY_LOWEST gives the thread the lowest scheduling share the system
// grants (best effort). The stack size and security arguments are accepted and ignored.
// Returns null when no thread can be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0, void* security = nullptr);

// The handle answers the system's calls (os/windows_api.h): ResumeThread, GetExitCodeThread,
// WaitForSingleObject and GetThreadId, beside GetCurrentThreadId.

// The end of the thread function, as opposed to the end of the thread. On Windows the two
// differ while the system's loader lock is held, as it is during a DLL's unload: a thread whose
// function has returned cannot finish exiting (its exit notifies every DLL under that lock), so
// its handle is not signalled and its exit code reads STILL_ACTIVE. The Win32 twin's threads
// mark their function's end as their last act in the library's code, and these read that mark;
// the POSIX twin's answer as the handle's calls do.
//
// Waits up to `milliseconds` (INFINITE: without limit) for the thread function to have returned
// (or for a thread that will never run it to be abandoned): WAIT_OBJECT_0, or WAIT_TIMEOUT.
DWORD WaitForThreadFunction(const CWinThread& thread, DWORD milliseconds);
// STILL_ACTIVE until the thread function has returned, then its result.
DWORD ThreadFunctionResult(const CWinThread& thread);

// For a thread that outlives whoever owned its work (a job let go from inside its own
// callback): the library stays loaded until the thread has ended. On Windows the thread holds
// a reference to the library's module from here on and ends with FreeLibraryAndExitThread, so
// an unload asked for meanwhile happens as the thread ends, in the system's code; on POSIX the
// unload waits for such threads itself (WaitForDetachedJobs).
void KeepLibraryForThread(const CWinThread& thread);
