// Taking a failed or cancelled job's work back off the service, so that it leaves nothing of
// itself there; and when that fails too, saying what stayed.
#pragma once

#include "jobs/job.h"
#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

namespace vanta::internal {

// The roll-backs run with the job's configuration and notifications (a share's without them,
// as its cancel always has), but outside its transfer control: the cancel that ended the job
// must not stop them.

// An upload that registered its asset and then failed with `result`: ends the transfer phase
// after a cancel, withdraws the asset's record, and removes the files `names` and the asset's
// directory `assetDir` over FTP (once the job's send has entered that directory: before, the job
// stored nothing there). When everything went, the job no longer counts as registered (the
// caller's out-strings are not written) and its status text is cleared; otherwise the
// asset number stays and the thread's failure reason adds what stayed on the service.
// Returns `result`.
vanta::Error RollBackUpload(const CallContext& context, Job& job, const CString& assetDir,
                            const CStringArray& names, vanta::Error result);

// A share that failed with `result` once its session existed: ends the transfer phase after a
// cancel and removes the files `names` and the session's directory `sessionDir` over FTP. When that
// fails, the thread's failure reason adds what stayed. Returns `result`.
vanta::Error RollBackShare(const CallContext& context, Job& job, const CString& sessionDir,
                           const CStringArray& names, vanta::Error result);
} // namespace vanta::internal
