// What the tests need that differs per platform: temporary directories, the registry, FIFOs,
// the reference service's process. On Linux the fixture starts python3 itself; a Windows test
// program under wine cannot start a Linux program, so the Linux side of its run
// (tests/wine/run) starts it on its behalf.
#pragma once

#include <string>
#include <vector>

namespace vanta::test {

// A new private directory under /tmp, which both sides of a Windows run see: "prefix" and a
// unique suffix. Throws std::runtime_error.
std::string MakeTempDir(const std::string& prefix);

// Points the library in child processes at the service on 127.0.0.1: on Linux a registry file
// in `workDir` named by VANTA_REGISTRY; on Windows the real registry, which tests/wine/run wrote
// in the test's WINEPREFIX before anything started.
void PointRegistryAtService(const std::string& workDir);

// Whether the library reads its configuration from a registry file that VANTA_REGISTRY may
// name (Linux), not from the system's registry (Windows).
bool ReadsRegistryFile();

// The temporary directory the library uses from now on: TMPDIR on Linux, TMP on Windows.
// Returns it as the library names it (on Windows with its drive, "Z:/tmp/...").
std::string SetLibraryTempDir(const std::string& dir);

// Sets the environment variable `name` of this process to `value`, which the library reads with
// getenv; nullptr removes it. Windows keeps getenv's copy in the C runtime (_putenv_s).
void SetVariable(const char* name, const char* value);

// A FIFO at `path`, which blocks whoever opens it to read; false where there are none
// (Windows), and the test skips what needs one. Throws std::runtime_error when making it failed.
bool MakeFifo(const std::string& path);

// Whether the library's unload at a process's normal end still finds the job threads running,
// so that it can cancel a job and withdraw what it registered: on Linux it runs before any
// thread is ended; on Windows the system ends every other thread first.
bool UnloadAtExitReachesRunningJobs();

// `python3 -m service ARGS`, run in the source tree, stdout to `outPath` (replaced), stderr
// appended to `logPath`; it ends by itself when this process ends. Throws
// std::runtime_error.
long long StartServiceProcess(const std::vector<std::string>& args, const std::string& outPath,
                              const std::string& logPath);
bool ServiceProcessRunning(long long id);
// Asks it to end (SIGTERM), waits up to 5 s, then kills it; false when it had to be killed.
bool StopServiceProcess(long long id);

} // namespace vanta::test
