// The exception of the Internet stand-ins. Thrown by value, caught by reference; the original
// framework's "delete the exception object" needs no code here.
#pragma once

#include "framework/win_types.h"

#include <curl/curl.h>

class CInternetException {
public:
    explicit CInternetException(DWORD error, CURLcode cause = CURLE_OK)
        : m_dwError(error), m_cause(cause) {}

    // The Windows Internet error number (ERROR_INTERNET_...).
    DWORD m_dwError;
    // What libcurl reported, kept for diagnosis; CURLE_OK when the layer itself refused.
    CURLcode m_cause;
};

// Maps a failed libcurl result to the Internet error number the original layer would give.
// `stalled` tells that the transfer was aborted by the layer's own stall watchdog.
DWORD InternetErrorFromCurl(CURLcode code, bool stalled);

[[noreturn]] void ThrowInternetException(CURLcode code, bool stalled = false);
