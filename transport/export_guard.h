// The boundary of every export: nothing thrown inside the library may reach the host
// application, whose code was written against exports that never throw. Each export body runs
// through GuardExport, which turns any exception (out of memory, a file or Internet exception
// that escaped its handler, anything else) into the export's own failure code.
#pragma once

#include <type_traits>
#include <utility>

// Runs `body` and returns its result; returns `failure` instead when `body` throws anything.
// `doing` names what the export was doing ("validating a login"), so that a failure can be
// described to the caller.
template <typename Result, typename Body>
Result GuardExport([[maybe_unused]] const char* doing, Result failure, Body&& body) noexcept {
    static_assert(std::is_nothrow_move_constructible_v<Result>,
                  "the failure value must be returned without throwing");
    try {
        return static_cast<Result>(std::forward<Body>(body)());
    } catch (...) {
        return failure;
    }
}
