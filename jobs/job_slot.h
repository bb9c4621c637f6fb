// The job of the exports: at most one runs at a time, and the last one stays current after
// its thread has ended so that its result can be read (QDX_GetAssetUploadStatus).
//
// Any number of application threads may call in at once. The slot's lock guards only which
// job is current and is never held while waiting on a worker; a caller that waits holds its
// own reference to the job, so a job is never destroyed under a thread that still uses it.
#pragma once

#include "jobs/job.h"

#include <memory>
#include <mutex>

namespace vanta::internal {

// Where the starting call wants an upload's registration results: the caller's out-strings.
// They are written once, on an application thread, by the first call that sees the worker
// ended (QDX_IsUploading reporting false, QDX_CancelUpload reporting 1,
// QDX_GetAssetUploadStatus, the next start), so no library thread touches them after the
// start returned.
struct JobOutStrings {
    CString* password = nullptr;
    CString* assetNum = nullptr;
};

class JobSlot {
public:
    // The right to start the next job, held while the starting export prepares it, so that
    // no other start can begin meanwhile. Granted only when no job's worker runs and no other
    // claim is held.
    class Claim {
    public:
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        Claim(Claim&& other) noexcept;
        Claim& operator=(Claim&&) = delete;
        ~Claim();

        explicit operator bool() const { return m_slot != nullptr; }

        // Makes `job` current, replacing the previous job, and starts its worker; the claim
        // is used up. 1 when the worker runs; 0 when its thread could not be started (the
        // job stays current without a thread).
        unsigned int Start(std::unique_ptr<Job> job, JobOutStrings out = {});

    private:
        friend class JobSlot;
        explicit Claim(JobSlot* slot) : m_slot(slot) {}
        JobSlot* m_slot;
    };

    Claim ClaimStart();

    // True while the current job's worker runs. Once it has ended, its failure reason becomes
    // the caller's.
    bool Running();
    // The current job's progress in whole percent (0 without a job in its transfer phase).
    unsigned int Progress();
    // Asks the current job to stop and waits up to `timeout` ms (INFINITE or more: without
    // limit) for its worker to end. 1 when it ended and the job was discarded; 0 when there is
    // no job in its transfer phase or the time ran out (the request stays). On the worker's
    // own thread: the request is made and 0 given at once.
    unsigned int Cancel(unsigned long timeout);
    // Waits for the current job's worker to end, then gives its status text and result and
    // makes its failure reason the caller's; without a current job, code 16384 and the text
    // untouched. On the worker's own thread: its text so far and kStillRunning, at once.
    void Status(CString& status, unsigned long& code);
    // At unload: a worker that still runs is asked to stop and waited for, up to
    // kUnloadWaitMs; the job goes. The caller's out-strings are not written: the caller may
    // be gone.
    void Release();

private:
    struct Current {
        std::shared_ptr<Job> job;
        JobOutStrings out;
        bool delivered = false;
    };

    // Writes the out-strings of the current job, once, if its registration stored values.
    // Called with m_mutex held and the worker ended.
    void DeliverLocked();

    std::mutex m_mutex;
    Current m_current;
    bool m_claimed = false;
};

// The slot of the exports, for the life of the process.
JobSlot& ExportJobSlot();

} // namespace vanta::internal
