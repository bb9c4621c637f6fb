/// \file
/// The raw request channel to the service's CGI programs.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Posts `body` plus one line feed to the CGI program `scriptPath` on the service host (port 80,
/// Basic login, Content-Type application/x-www-form-urlencoded) and appends the whole response
/// body to `reply`. Redirects are not followed. Connect, send and receive each time out after
/// 2,000 ms without progress; a reply slower than 1 KiB/s over 30 s fails.
/// Returns 1 when a reply with a status of 200-299 was read to its end; 32 on any network
/// failure and for any other status (an error page, a redirect), whose body is still appended.
/// On a failure `reply` keeps what had already been appended.
VANTA_API unsigned int WINAPI QDX_SendHTTPRequest(const CString& body, const CString& scriptPath,
                                                  CString& reply, StatusCallback callback);
