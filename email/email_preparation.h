// What a share does before its job runs, for the export and the C++ client alike.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <functional>

namespace core {

// Asks the service for a sharing session, writes the request into the info file at the path
// that `infoPath` gives (asked only once the session is known) and appends that path to
// `files`; gives the session's name, which the email job works under. `addresses` holds the
// sender first and must not be empty. Fails refused with 0 when the service answered FAIL or
// gave no session name; local_file with 8 when `infoPath` gives no path, a file of `files`
// could not be opened, or the info file could not be written; network with 32 when the
// session request failed.
vanta::Result<CString> PrepareShare(const CallContext& context, const CStringArray& addresses,
                                    const CString& subject, const CString& message,
                                    CStringArray& files, const CString& snText,
                                    const std::function<CString()>& infoPath);

} // namespace core
