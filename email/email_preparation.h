// What a sharing request does before its job runs, for the export and the C++ client alike.
#pragma once

#include "jobs/job.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/status_callback.h"

#include <functional>

// Asks the service for a sharing session, writes the request into the info file at the path
// that `infoPath` gives (asked only once the session is known) and appends that path to `files`;
// then `arguments` holds what the email job is started with (the session name, `files`,
// `callback`). `addresses` holds the sender first and must not be empty. 1: ready; 0: the service
// answered FAIL or gave no session name; 8: `infoPath` gives no path, a file of `files` could not
// be opened, or the info file could not be written; 32: the session request failed in the network.
unsigned int PrepareEmailJob(const CStringArray& addresses, const CString& subject,
                             const CString& message, CStringArray& files, const CString& snText,
                             StatusCallback callback, const std::function<CString()>& infoPath,
                             vanta::internal::JobArguments& arguments);
