// The exit statuses of vanta, the same for every command (documented in --help and the man
// page), so that scripts can tell a refusal from a broken network without reading text.
#pragma once

enum ExitStatus : int {
    kExitSuccess = 0,      // done; an empty list is a success too
    kExitFailed = 1,       // the service refused, or the operation failed
    kExitUsage = 2,        // the command line was wrong; nothing was sent
    kExitNetwork = 3,      // the service could not be reached or the connection failed
    kExitInterrupted = 130 // Ctrl-C stopped the command
};
