// Whether the library's unload is part of the process's end.
#pragma once

// True on Windows when the process is ending (ExitProcess): the system has killed every other
// thread before the unload runs, so waiting for the library's threads is pointless, and
// whatever they held (a lock, a half-made change) stays held. False on POSIX, where exit()
// runs the library's unload while its threads still run.
bool ProcessIsEnding() noexcept;
