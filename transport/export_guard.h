// The boundary of every export: nothing thrown inside the library may reach the host
// application, whose code was written against exports that never throw. Each export body runs
// through GuardExport, which turns any exception (out of memory, a file or Internet exception
// that escaped its handler, anything else) into the export's own failure code.
//
// The guard also keeps the thread's failure reason (failure_reason.h) to the export: it is
// cleared on entry, and an exception that reaches the guard with no reason recorded yet is
// described as "<doing>: <what>".
#pragma once

#include "os/failure_reason.h"

#include <new>
#include <string>
#include <type_traits>
#include <utility>

// Records "<doing>: <what>" unless the code that threw has already said why.
inline void NoteEscapedFailure(const char* doing, const char* what) noexcept {
    if (FailureReason().empty()) {
        try {
            SetFailureReason(std::string(doing) + ": " + what);
        } catch (...) {
            // No memory for the text either.
        }
    }
}

// Runs `body` and returns its result; returns `failure` instead when `body` throws anything.
// `doing` names what the export was doing ("validating a login"), so that a failure can be
// described to the caller.
template <typename Result, typename Body>
Result GuardExport(const char* doing, Result failure, Body&& body) noexcept {
    static_assert(std::is_nothrow_move_constructible_v<Result>,
                  "the failure value must be returned without throwing");
    ClearFailureReason();
    try {
        return static_cast<Result>(std::forward<Body>(body)());
    } catch (const std::bad_alloc&) {
        NoteEscapedFailure(doing, "out of memory");
    } catch (...) {
        NoteEscapedFailure(doing, "unexpected failure");
    }
    return failure;
}
