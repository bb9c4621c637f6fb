// Where the per-thread failure reasons (os/failure_reason.h) are kept, as far as the unload
// must know: on Windows in a slot the library owns, whose records outlive the library's code
// unless the unload frees them; on POSIX in thread_local storage that needs nothing.
#pragma once

// At the unload, once the library's own threads have finished: frees every thread's record,
// those of threads that live on included, so that no thread that outlives the library holds
// its memory or runs its code at its end. Reasons recorded afterwards are dropped and read as
// none. Not at a process's end on Windows: the other threads were killed holding what they
// held, the heap's lock among it.
void ReleaseFailureReasons() noexcept;
