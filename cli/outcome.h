// The one place that gives each export's result codes their meaning for the tool: a name for
// output, the exit status, and the reason printed when it is a failure.
#pragma once

#include <string>

struct Outcome {
    std::string name;   // "SUCCESS", "WRONG_PASSWORD", ...: stable, for scripts
    int exitStatus = 0; // ExitStatus
    std::string reason; // "" on success; else what went wrong, for `vanta: <command>: <reason>`

    bool ok() const { return exitStatus == 0; }
};

// The meaning of `code` as `exportName` gave it, with the library's own reason for the
// failure when it kept one (read here, so call this right after the export). The pseudo
// export names "upload job" and "email job" stand for the background workers' results.
Outcome ClassifyResult(const std::string& exportName, unsigned int code);
