// The POSIX twin: exit() unloads the library before any thread ends, so the unload always
// waits for its threads.
#include "os/process_end.h"

bool ProcessIsEnding() noexcept {
    return false;
}
