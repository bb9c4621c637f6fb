// Builds the service configuration from its sources. The host comes from the first of:
// $VANTA_SERVER, the registry file's "Server" value, the default host; the ports and the FTP
// wait limit from $VANTA_HTTP_PORT, $VANTA_FTP_PORT and $VANTA_FTP_TIMEOUT_MS, else their
// defaults; the retries from $VANTA_RETRIES, else the registry file's "Retries", else none; the
// connections of a multi-file send from $VANTA_PARALLEL_TRANSFERS, else one. A
// command-line flag, the highest source, reaches the library after load through
// QDX_SetServiceAddress.
#pragma once

#include "transport/service_config.h"

struct LoadedConfig {
    ServiceConfig config;
    ConfigProblems problems;
    // Whether VANTA_RETRIES or the registry file named the retries: a client's configuration
    // keeps its own default otherwise.
    bool retriesNamed = false;
    // Whether VANTA_PARALLEL_TRANSFERS named the number of connections of a multi-file send.
    bool parallelTransfersNamed = false;
};

// Reads the environment and the registry file as they are now. Never throws and never
// blocks: a source that cannot be used leaves its setting at the next source and says why in
// `problems`.
LoadedConfig LoadServiceConfig() noexcept;
