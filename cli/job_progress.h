// What the commands that start a background job share: the status callback that tells the
// job's phase, and the loop that follows the job to its end on a progress bar, cancelling it
// on Ctrl-C.
#pragma once

#include "vantaapi.h"

#include <cstdint>
#include <string>
#include <vector>

// The summed sizes of `files`; a file that cannot be measured counts 0.
std::uint64_t TotalSize(const std::vector<std::string>& files);

// The callback to start a job with: it notes the job's first request (the end of measuring)
// and, with --verbose, names each notification like CliStatusCallback.
StatusCallback JobStatusCallback();

enum class JobKind {
    kUpload, // measures, registers the asset, sends, notifies the recipients
    kEmail   // measures, sends, has the service send the mails (the session came before)
};

// How a job that a command followed to its end came out.
struct JobOutcome {
    bool cancelled = false; // Ctrl-C stopped it and the job was discarded with its own code
    unsigned int code = 0;  // the worker's result; 16384 after a cancel
    std::string status;     // the job's status text
};

// Follows the current job until its thread ends, showing its phase and progress over `total`
// bytes. The first Ctrl-C asks the job to stop and waits a bounded time for it; a second
// Ctrl-C ends the tool at once with 130. Then reads the job's result.
JobOutcome FollowJob(JobKind kind, std::uint64_t total);
