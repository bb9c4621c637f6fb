// The Win32 twin: the system's loader knows whether the unload comes from ExitProcess.
#include "os/process_end.h"

#include "os/windows_api.h"

bool ProcessIsEnding() noexcept {
    // Exported by ntdll.dll since Windows XP, but declared in no header of the toolchain.
    using ShutdownInProgress = BOOLEAN(WINAPI*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    void* const found =
        ntdll != nullptr
            ? reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDllShutdownInProgress"))
            : nullptr;
    return found != nullptr && reinterpret_cast<ShutdownInProgress>(found)() != FALSE;
}
