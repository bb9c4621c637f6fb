/// \file
/// A user's personal homepage: five texts (title, heading, body, theme, reply) in one record.
///
/// These exports answer only 1 (success) or 0 (failure of any kind, the request's own
/// included); the status callback is the only further word on a failure.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Reads the record. 0 when the first value is FAIL or NOROWS: `title` then holds that marker
/// and the other four are untouched. A short reply leaves the texts it lacks as they were.
VANTA_API unsigned int WINAPI QDX_GetHomepageInfo(const CString& userId, CString& title,
                                                  CString& heading, CString& body, CString& theme,
                                                  CString& reply, StatusCallback callback);

/// Writes the record. 0 when the service answered FAIL.
VANTA_API unsigned int WINAPI QDX_UpdateHomepageInfo(const CString& userId, const CString& title,
                                                     const CString& heading, const CString& body,
                                                     const CString& theme, const CString& reply,
                                                     StatusCallback callback);

/// Deletes the record. 0 when the service answered FAIL.
VANTA_API unsigned int WINAPI QDX_DeleteHomepageInfo(const CString& userId,
                                                     StatusCallback callback);
