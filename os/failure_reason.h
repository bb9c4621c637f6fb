// Why the last failure on the calling thread happened, in words a user can act on:
// "<what was being done>: <detail>", e.g. "cannot connect to publish.example.net port 80:
// Connection refused", and what kind of failure it was. The layer that detects a failure
// records it; every export clears it on entry (export_guard.h), so after an export it tells
// that export's failure.
#pragma once

#include <string>

// The kinds a program tells apart (the values are those of QDX_GetLastFailureKind).
enum class FailureKind : unsigned {
    None = 0,
    Network = 1,   // the service could not be reached or the connection failed
    Refused = 2,   // the service answered, and refused (a login, a command, an HTTP error)
    LocalFile = 3, // a local file could not be opened, read or written
    Other = 4,     // out of memory, a refused argument, anything else
};

void ClearFailureReason();
// Replace the reason. Never throw: out of memory keeps the previous text.
void SetFailureReason(FailureKind kind, std::string text) noexcept;
void SetFailureReason(std::string text) noexcept; // FailureKind::Other
const std::string& FailureReason();
FailureKind LastFailureKind();

// The texts that exports hand to a program as C text, kept per thread until the same thread
// asks for the same text again. They live where the failure reason lives, and for the same
// reason: on Windows no thread_local object of the library may outlive its unload.
enum class HandedText : unsigned { FailureReason, ConfigurationProblem, Count };

// Keeps `text` as the calling thread's `which` text and returns it; "" when no memory is left
// to keep it.
const char* KeepHandedText(HandedText which, std::string text) noexcept;

// Keeps the calling thread's failure reason across a call into the application (a status or
// progress callback): the callback's own calls into the library clear and replace it, and the
// reason of the operation the callback interrupted must survive them.
class FailureReasonKeeper {
public:
    FailureReasonKeeper() noexcept;
    ~FailureReasonKeeper();
    FailureReasonKeeper(const FailureReasonKeeper&) = delete;
    FailureReasonKeeper& operator=(const FailureReasonKeeper&) = delete;

private:
    std::string m_reason;
    FailureKind m_kind;
    bool m_kept = false;
};
