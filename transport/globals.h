// The library's global state of the service transport: written once while the library loads,
// only read afterwards, so any number of calls may read it at once.
#pragma once

#include "vanta/cstring.h"
#include "vanta/defaults.hpp"

// The single request header of every form post, with no line end of its own.
extern CString FormHeaders;
// The service host and ports live in the service configuration (service_config.h).

// The fixed login of every HTTP and FTP connection: one 7-letter text for both.
extern const char* const LoginName;
extern const char* const LoginPassword;

// The host used when neither the environment nor the registry names one.
inline constexpr const char* kDefaultServiceHost = vanta::defaults::host;

// Reads "Server" under HKEY_LOCAL_MACHINE "SOFTWARE\Vanta Inc\Apps", falling back to the
// default host when the key or the value is missing or the value does not fit 1,024 bytes.
CString ReadServerAddress();
