// One background job (an asset upload or an email sharing job): the arguments it works on,
// copied when it is made, its worker thread, its progress counters and its cancel request.
//
// A job does not know who keeps it. The exports keep one at a time (JobSlot); other owners may
// run several at once. The worker reads only the job's own copies, never the starting caller's
// objects, so the caller may let them go as soon as the start returns.
//
// Threads: the job's owner starts it and may then share it with any number of threads.
// m_bCancel, m_bActive and the byte counters are atomic and may be read and written from any
// thread. The members the worker writes (asset number, asset id, password, status text) are
// read by others only after the worker has ended (WaitForEnd, Running false): the end of the
// thread orders those writes before the reads. So is the job's outcome.
//
// Byte counters are 64-bit, so an asset of more than 4 GiB is measured and announced correctly
// and the progress arithmetic cannot wrap.
#pragma once

#include "net/transfer_control.h"
#include "os/failure_reason.h"
#include "os/thread.h"
#include "transport/call_context.h"
#include "transport/service_config.h"
#include "transport/status_sink.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/result_codes.h"
#include "vanta/results.hpp"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vanta::internal {

// One entry of an upload's recipient list, copied from the caller's.
struct JobRecipient {
    CString email;
    int viewType = 0;
    CString name;
};

class Job;

// Watches a job from its worker's thread: told when the send begins, after every block sent,
// when the send resumes over a new connection and when the transfer phase ends. It runs inside the
// send, so it must be short, and must not throw.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    virtual void OnProgress(const Job& job) noexcept = 0;
};

// What a job is started with. Everything is held by value.
struct JobArguments {
    CString userId; // an upload's user id; an email job's session name
    unsigned int productNum = 0;
    unsigned int assetType = 0;
    CString assetName;
    CString description;
    CString password; // the password text the job starts with (an upload's out-argument)
    CStringArray files;
    std::vector<JobRecipient> recipients;
    // What every request of the job runs with, from its start to its end, even when the
    // process's configuration changes meanwhile. Must not be null.
    std::shared_ptr<const ServiceConfig> config;
    // Where the job's status notifications go; what it points at outlives the job's worker.
    StatusSink status;
    // Not owned; outlives the job's worker. Null: nobody watches.
    JobObserver* observer = nullptr;
};

// What a job does: its worker, which runs on the job's own thread with the job's context and
// gives the job's outcome (a failure's Error as JobFailed makes it), and what the job is
// doing, in words, for the failures it describes.
struct JobWork {
    vanta::Result<void> (*run)(Job& job, const CallContext& context);
    const char* doing;
};

// How long the library's unload waits for a job's worker that it asked to stop. A cancelled
// worker ends within its network waits' bounds, much sooner; this bound is for a worker that
// cannot go on at all, as one would on Windows that needs the loader lock the unload holds.
inline constexpr DWORD kUnloadWaitMs = 15000;

// Waits until every detached job's worker (Job::Detach) has finished with its job, or
// kUnloadWaitMs has passed. Each was asked to stop.
void WaitForDetachedJobs();

// Sums the lengths of the job's local files into its total (MeasureLocalFile) and, with
// `names` and `lengths`, collects their bare names and lengths in order. False when a file
// cannot be opened or measured.
bool MeasureJobFiles(Job& job, CStringArray* names = nullptr,
                     std::vector<std::uint64_t>* lengths = nullptr);

class Job final : public TransferControl {
public:
    // The code of a job whose worker let an exception out: the job failed.
    static constexpr unsigned int kWorkerFailure = vanta::result::kBusyOrFtpError;

    Job(JobArguments arguments, const JobWork& work);
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    // A worker that still runs is asked to stop and waited for: it uses this object. The wait
    // ends within the bounds of the network waits, since a cancel aborts the transfer in flight.
    // On the worker's own thread (its owner detached it, see Detach) nothing is waited for.
    ~Job() override;

    // Runs the worker on a new thread, created suspended at the lowest priority and then set
    // running. False when the thread could not be created or set running; the job then never
    // runs and has no thread. Call once, before sharing the job with other threads.
    bool Start();

    bool HasThread() const { return m_thread != nullptr; }
    // True while the worker's thread runs.
    bool Running() const;
    // True when the caller runs on the job's worker thread: inside the job's callbacks, where
    // waiting for the worker would wait for itself.
    bool OnWorkerThread() const;
    // Waits up to `milliseconds` (INFINITE: until it ends) for the worker to end. True when it
    // has ended; false when the time ran out or the job has no thread, and at once on the
    // worker's own thread.
    bool WaitForEnd(DWORD milliseconds) const;
    // On the worker's own thread only: the job is asked to stop, and `owner` (whatever owns
    // the job) is kept until the worker has finished with the job, then let go on the worker's
    // thread, which may destroy the job. The job's status notifications go nowhere from now
    // on: whoever let it go may be taking their receiver with it. The library's unload waits
    // for such workers (WaitForDetachedJobs).
    void Detach(std::shared_ptr<void> owner);
    // The job's status notifications go nowhere from now on.
    void MuteStatus() { m_statusMuted.store(true); }
    // The code of the worker's outcome once it has ended (1, or its Error's code); 0 for a
    // job without a thread, which never ran.
    unsigned int Result() const;
    // How the worker failed, read once it has ended: the category, the exports' code, the
    // reason (the one its thread recorded, else what the failing step said; a cancel's is
    // "<doing>: cancelled" unless the roll-back left something behind) and the number of an
    // asset that stayed. Empty after a success and for a job that never ran.
    const std::optional<vanta::Error>& Failure() const { return m_failure; }
    // Makes the worker's failure reason and kind the calling thread's (nothing after a
    // success), as its thread recorded them or, when it recorded nothing, as its failure
    // says. Call once the worker has ended.
    void PassFailureReasonToCaller() const noexcept;

    void RequestCancel() { m_bCancel.store(true); }
    // The transfer phase: set from the start until the worker clears it. Progress reads 0 and
    // a cancel is not taken once it is over.
    bool InTransferPhase() const { return m_bActive.load(); }
    void EndTransferPhase();
    // Bytes sent in whole percent of the total; 0 outside the transfer phase or for an empty
    // job.
    unsigned int ProgressPercent() const;
    void AddToTotal(std::uint64_t bytes) { m_nTotalBytes.fetch_add(bytes); }
    std::uint64_t TotalBytes() const { return m_nTotalBytes.load(); }
    // Bytes handed to the connection since the send started.
    std::uint64_t BytesSent() const { return m_nBytesSent.load(std::memory_order_relaxed); }
    // How often the send went on over a new connection, and the bytes it had sent when it
    // last did: where a display says it resumes.
    unsigned int Resumes() const { return m_nResumes.load(); }
    std::uint64_t ResumedAt() const { return m_nResumedAt.load(); }
    // Where the worker's notifications go: the job's receiver until the job is detached.
    StatusSink Status() const;
    // True once the job's send has begun.
    bool SendBegun() const { return m_bSendBegun.load(); }
    JobObserver* Observer() const { return m_observer; }

    // TransferControl: what the job's sends report and ask.
    void BeginSend() override;
    void AddBytesSent(std::uint64_t bytes) override;
    bool CancelRequested() const override { return m_bCancel.load(std::memory_order_relaxed); }
    void Resuming() override;

    // The arguments, as copied at the start.
    const CString m_strUserId;
    const CString m_strAssetName;
    const CString m_strDescription;
    const unsigned int m_nProductNum;
    const unsigned int m_nAssetType;
    const CStringArray m_files;
    const std::vector<JobRecipient> m_recipients;

    // Written by the worker. The registration stores the asset number, id and password and
    // sets m_bRegistered; the upload worker stores the page address in m_strStatus. A roll-back
    // that took the asset away clears both again, so after a failure m_bRegistered means that
    // the asset stayed on the service.
    CString m_strAssetNum;
    CString m_strAssetId;
    CString m_strPassword;
    CString m_strStatus;
    bool m_bRegistered = false;
    // Set by a roll-back that could not take everything back; the worker's failure reason then
    // says what stayed.
    bool m_bLeftBehind = false;

private:
    std::optional<vanta::Error> m_failure;
    // The thread's record of the failure, as QDX_GetLastFailureReason reads it.
    std::string m_workerFailureReason;
    FailureKind m_workerFailureKind = FailureKind::None;
    // Set and read on the worker's thread only.
    std::shared_ptr<void> m_detachedOwner;

    static UINT ThreadMain(LPVOID self);
    // Runs the worker and keeps its failure; the outcome's code.
    unsigned int RunWorker() noexcept;
    static void DeliverStatus(const void* self, DWORD status, void* info, DWORD length) noexcept;

    void Notify() const {
        if (m_observer != nullptr) {
            m_observer->OnProgress(*this);
        }
    }

    const std::shared_ptr<const ServiceConfig> m_config;
    const StatusSink m_status;
    // Set when the job is detached: the notifications stop.
    std::atomic<bool> m_statusMuted{false};
    const JobWork m_work;
    JobObserver* const m_observer;
    std::atomic<bool> m_bSendBegun{false};
    std::unique_ptr<CWinThread> m_thread;
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bActive{true};
    std::atomic<std::uint64_t> m_nBytesSent{0};
    std::atomic<std::uint64_t> m_nTotalBytes{0};
    // The offset is stored before the count grows, so that a reader who sees a new count sees
    // its offset.
    std::atomic<unsigned int> m_nResumes{0};
    std::atomic<std::uint64_t> m_nResumedAt{0};
};

} // namespace vanta::internal
