// What a Client holds, and the frame every one of its operations runs in.
#pragma once

#include "client/status_forwarding.h"
#include "os/failure_reason.h"
#include "transport/call_context.h"
#include "transport/operation_failure.h"
#include "transport/service_config.h"
#include "vanta/client.hpp"
#include "vanta/cstring.h"
#include "vanta/result_codes.h"

#include <new>
#include <string>
#include <string_view>
#include <type_traits>

struct vanta::detail::ClientState {
    Config config;
    // The same settings in the form the library's operations read them.
    ServiceConfig service;
    // Why the configuration cannot be used (a host that cannot be a host, a time-out out of
    // range), or "": every operation then fails with this reason before anything is sent.
    std::string configProblem;
};

// The invalid_argument Error of a client whose configuration cannot be used.
vanta::Error UnusableConfig(const vanta::detail::ClientState& state, std::string_view doing);

// The caller's text as the library's string type, bytes unchanged.
CString ToCString(std::string_view text);
std::string ToString(const CString& text);

// Runs `body` (which gives a Result<T>) so that no exception leaves it.
template <class T, class Body>
vanta::Result<T> Guarded(std::string_view doing, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return FailedWith(vanta::ErrorCategory::internal, vanta::result::kZero, doing,
                          "out of memory");
    } catch (...) {
        return FailedWith(vanta::ErrorCategory::internal, vanta::result::kZero, doing,
                          "unexpected failure");
    }
}

// The T of a Result<T>.
template <class T>
struct ResultValue;
template <class T>
struct ResultValue<vanta::Result<T>> {
    using type = T;
};

// Runs one operation of a client over the library's typed core: `body` takes the
// CallContext (the client's configuration, its status handler, the trace) and gives the
// operation's Result; no exception leaves it, and a client whose configuration cannot be used
// fails before anything is sent.
template <class Body>
auto RunCore(const vanta::detail::ClientState& state, std::string_view doing,
             Body&& body) noexcept {
    using Outcome = std::invoke_result_t<Body&, const CallContext&>;
    return Guarded<typename ResultValue<Outcome>::type>(doing, [&]() -> Outcome {
        if (!state.configProblem.empty()) {
            return UnusableConfig(state, doing);
        }
        // The failure reason of an earlier call on this thread says nothing about this one.
        ClearFailureReason();
        const CallContext context{state.service, SinkFor(state.config.on_status)};
        return body(context);
    });
}
