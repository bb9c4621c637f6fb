/// \file
/// Email sharing: local files sent to the service, which mails them to a list of addresses.
///
/// QDX_Email starts a background job like an upload's: follow it with QDX_IsUploading and
/// QDX_GetUploadProgress, stop it with QDX_CancelUpload and read its outcome with
/// QDX_GetAssetUploadStatus (vanta/upload.h). The job's status text stays empty; its code is
/// 1 (the mails were requested), 0 (the service answered FAIL), 8 (a local file could not be
/// opened or measured, or changed while it was sent), 16 (the transfer failed; no mail was
/// requested), 32 (the mail request failed in the network) or 16384 (cancelled: what was sent is
/// removed from the service).
#pragma once

#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Shares the local files `files` by mail. `addresses` holds the sender first and then the
/// recipients; `message` is the body, lines separated by LF; `snText` is sent along as the
/// sender's display text. The call asks the service for a session, writes the request into
/// the info file "~emailinfo.qorl" in the temporary directory, appends that file's path to
/// `files` (after removing the last entry that names an info file from an earlier call) and
/// starts the job, which sends every file of `files` and then has the service mail them.
/// `files` is read by the job: keep it alive and unchanged until QDX_IsUploading reports
/// false. `reservedList` is not used. A job that fails or is cancelled removes what it sent
/// and the session's directory from the service; when that fails, its reason says what stayed.
/// 1: the job runs; 0: no addresses, an address that cannot be one (not exactly one '@' with
/// something on each side, or a blank or control character inside; blanks at either end are
/// allowed), checked before anything is requested or written, the service answered FAIL or
/// gave no session name, or the job thread could not be started; 8: a file of `files` could not be
/// opened or the info file could not be written; 16: a job is still running (the info file was
/// written and appended, nothing was started); 32: the session request failed in the network.
VANTA_API unsigned int WINAPI QDX_Email(const CStringArray& addresses, const CString& subject,
                                        const CString& message, CStringArray& files,
                                        const CStringArray& reservedList, const CString& snText,
                                        StatusCallback callback);
