/// \file
/// Self-update: fetching the library file that the service offers.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// The name of the library file that the service offers for the self-update, in its
/// "/downloads" and in the directory it is fetched into; its signature is this name plus
/// ".sig".
inline constexpr const char* kUpdateFileName = "VantaAPI.dll";

/// Fetches "VantaAPI.dll" from the service's "/downloads" into `localDir` + "/VantaAPI.dll",
/// replacing a file of that name once the whole file has arrived. 1 when the file is in
/// place; 16 when the host could not be reached, the login or the fetch failed or the file
/// could not be written. After a failure an existing file is as it was and no temporary file
/// is left behind.
///
/// With an update key set (QDX_SetUpdateKey, $VANTA_UPDATE_KEY or the registry file's
/// "UpdateKey"), the file must carry a valid Ed25519 signature by that key, published beside it
/// as "/downloads/VantaAPI.dll.sig" (the signature's 64 raw bytes): a file without one or with a
/// wrong one gives 16 and is removed, and QDX_GetLastFailureReason says why. Without a key the
/// file is not checked: whoever can store files on the service's FTP host (every copy of the
/// library can, with its login) decides what is fetched.
VANTA_API unsigned int WINAPI QDX_DownloadDll(const CString& localDir, StatusCallback callback);

/// \brief Sets the public key that the self-update download must be signed with, for every
/// download that starts afterwards.
///
/// \param pemPath a PEM file holding an Ed25519 public key ("-----BEGIN PUBLIC KEY-----"); null
///        or "" for none, so that downloads are no longer checked.
/// \return 1 when the setting was changed; 0, changing nothing, when the file cannot be read or
///         holds no Ed25519 public key (QDX_GetLastFailureReason says which).
VANTA_API unsigned int WINAPI QDX_SetUpdateKey(const char* pemPath);
