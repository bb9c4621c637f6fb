// The settings of transport security and of the login pair, read into the service
// configuration from their sources, the first that has the setting winning:
//
//   setting            environment               registry value (Apps key)   default
//   TLS on or off      VANTA_TLS                 "TLS"                       off
//   extra CA file      VANTA_CA_FILE             "CAFile"                    none
//   HTTPS port         VANTA_HTTPS_PORT          -                           443
//   login name         VANTA_LOGIN               "Login"                     the documented one
//   login password     VANTA_LOGIN_PASSWORD      "LoginPassword"             the documented one
//   self-update key    VANTA_UPDATE_KEY          "UpdateKey"                 none (unchecked)
//
// TLS takes 1/0, on/off, yes/no, true/false (any case), or a registry DWORD. A value that is
// none of these turns TLS on and says so: a setting meant to protect the traffic never falls
// back to clear text because it was misspelt. A command-line flag reaches the library after
// load through QDX_SetTransportSecurity.
#pragma once

#include "net/tls_options.h"
#include "transport/service_config.h"

// Reads the settings above from the environment and the registry file as they are now.
// Never throws; a value that cannot be used is described in `problems.security`.
void LoadSecuritySettings(ServiceConfig& config, ConfigProblems& problems) noexcept;

// What a session of an operation under `config` asks of its connections.
TlsOptions SessionTls(const ServiceConfig& config);
