// The library's update version and the comparison with the one the service offers.
#pragma once

#include "transport/call_context.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What the operation is doing, as its failures describe it.
inline constexpr std::string_view kAskingVersion = "asking for the service's version";

// The version the service is asked to match ("3.3"); not the shared library's file version.
const char* LibraryVersion() noexcept;

// The service's answer to the version question.
struct ServiceVersion {
    // The reply's text after its first "=", taken whole (empty without one).
    CString version;
    // It equals LibraryVersion(), byte for byte.
    bool matches = false;
};

// Asks the service for its current version. A failed request is a network Error, code 32.
vanta::Result<ServiceVersion> AskServiceVersion(const CallContext& context);

} // namespace core
