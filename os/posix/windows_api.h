// The POSIX twin of the OS layer's Windows names: the handful of Win32 types, constants and
// calls that the library's algorithms are written in, declared here with the system's
// contracts and implemented over POSIX (os/posix/thread.cpp, os/posix/registry_file.cpp).
#pragma once

#include "framework/win_types.h"

typedef void* HANDLE;
typedef void* HINSTANCE;

// Threads, watched through their handles (os/thread.h).
inline constexpr DWORD STILL_ACTIVE = 259;
// Compared as a 32-bit value: `unsigned long` is 64 bits here, so ULONG_MAX is not it.
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD CREATE_SUSPENDED = 4;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;

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

// The registry, read from a file in the registry editor's export format (os/registry.h).
struct RegistryKey;
typedef RegistryKey* HKEY;
typedef DWORD REGSAM;
typedef long LSTATUS;

extern const HKEY HKEY_LOCAL_MACHINE;

inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;

LSTATUS RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result);
// `data` may be null to ask for the size only. A string value's size counts its final NUL.
LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                         unsigned char* data, DWORD* dataSize);
LSTATUS RegCloseKey(HKEY key);

// Flags and error numbers the network engine shares with the system's own headers.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
