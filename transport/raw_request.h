// The raw request of the library's core: any CGI program of the service, its whole reply as
// it came. The raw export, the client's post_request and the list requests post through it.
#pragma once

#include "transport/call_context.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

inline constexpr std::string_view kPostingRequest = "posting a request";

// Posts `body` plus a line feed to `program` and appends the whole reply, however long, to
// `reply`; what was appended before a failure stays. Failures: invalid_argument (a program
// path that cannot be one, refused before anything is sent), network; both with the code 32.
// A network failure is repeated as `when` allows (vanta/retry.hpp). A reply that does not fit in
// memory is a network failure too, "posting a request: out of memory".
vanta::Result<void> PostRaw(const CallContext& context, const CString& body, const CString& program,
                            CString& reply, vanta::RepeatWhen when);

} // namespace core
