#include "jobs/job.h"

#include "jobs/job_failure.h"
#include "os/cfile.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "vanta/result_codes.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>

using namespace vanta::result;

namespace vanta::internal {

bool MeasureJobFiles(Job& job, CStringArray* names, std::vector<std::uint64_t>* lengths) {
    try {
        for (INT_PTR i = 0; i < job.m_files.GetSize(); ++i) {
            CString name;
            const std::uint64_t length = MeasureLocalFile(job.m_files.GetAt(i), &name);
            job.AddToTotal(length);
            if (names != nullptr) {
                names->Add(name);
            }
            if (lengths != nullptr) {
                lengths->push_back(length);
            }
        }
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

Job::Job(JobArguments arguments, const JobWork& work)
    : m_strUserId(std::move(arguments.userId)), m_strAssetName(std::move(arguments.assetName)),
      m_strDescription(std::move(arguments.description)), m_nProductNum(arguments.productNum),
      m_nAssetType(arguments.assetType), m_files(std::move(arguments.files)),
      m_recipients(std::move(arguments.recipients)), m_strPassword(std::move(arguments.password)),
      m_config(std::move(arguments.config)), m_status(arguments.status), m_work(work),
      m_observer(arguments.observer) {}

StatusSink Job::Status() const {
    // Without a receiver the network layer keeps its notifications off, as it always has.
    return m_status.Enabled() ? StatusSink(&Job::DeliverStatus, this) : StatusSink();
}

void Job::DeliverStatus(const void* self, DWORD status, void* info, DWORD length) noexcept {
    const auto& job = *static_cast<const Job*>(self);
    if (job.m_statusMuted.load()) {
        return;
    }
    // The receiver's exception must not unwind through the network layer's callbacks.
    try {
        job.m_status.Notify(status, info, length);
    } catch (...) {
    }
}

namespace {
// The workers that were detached from their owners and still use their jobs.
struct DetachedWorkers {
    std::mutex mutex;
    std::condition_variable ended;
    unsigned int running = 0;
};

DetachedWorkers& Detached() {
    // Never destroyed: a detached worker may end while the process's statics go.
    static DetachedWorkers* const workers = new DetachedWorkers();
    return *workers;
}
} // namespace

void WaitForDetachedJobs() {
    DetachedWorkers& workers = Detached();
    std::unique_lock lock(workers.mutex);
    workers.ended.wait_for(lock, std::chrono::milliseconds(kUnloadWaitMs),
                           [&] { return workers.running == 0; });
}

Job::~Job() {
    if (Running()) {
        RequestCancel();
        if (!OnWorkerThread()) {
            WaitForThreadFunction(*m_thread, INFINITE);
        }
    }
}

bool Job::OnWorkerThread() const {
    return m_thread && GetThreadId(m_thread->m_hThread) == GetCurrentThreadId();
}

void Job::Detach(std::shared_ptr<void> owner) {
    RequestCancel();
    MuteStatus();
    if (m_detachedOwner || !OnWorkerThread()) {
        return;
    }
    {
        std::lock_guard lock(Detached().mutex);
        ++Detached().running;
    }
    // The count below drops inside the library's code, which the thread runs on for a moment
    // afterwards: on Windows the thread keeps the library loaded instead, to its very end.
    KeepLibraryForThread(*m_thread);
    m_detachedOwner = std::move(owner);
}

void Job::PassFailureReasonToCaller() const noexcept {
    if (m_workerFailureKind == FailureKind::None && m_workerFailureReason.empty()) {
        return;
    }
    try {
        SetFailureReason(m_workerFailureKind, m_workerFailureReason);
    } catch (...) {
        // No memory for the copy: the caller has the result code.
    }
}

bool Job::Start() {
    CWinThread* thread = AfxBeginThread(&Job::ThreadMain, this, THREAD_PRIORITY_LOWEST, 0,
                                        CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        return false;
    }
    // The thread object, and with it the worker's exit code, outlives the thread.
    thread->m_bAutoDelete = FALSE;
    m_thread.reset(thread);
    // The previous suspend count, taken as unsigned: 0 or 1 means the thread runs now; the
    // failure value 0xFFFFFFFF and anything above 1 mean it does not.
    if (ResumeThread(m_thread->m_hThread) > 1) {
        m_thread.reset();
        return false;
    }
    return true;
}

bool Job::Running() const {
    // The thread function's end, not the thread's: at the unload on Windows a thread whose
    // function has returned cannot end (os/thread.h).
    return m_thread && ThreadFunctionResult(*m_thread) == STILL_ACTIVE;
}

bool Job::WaitForEnd(DWORD milliseconds) const {
    // The worker cannot end while it waits for itself.
    return m_thread && !OnWorkerThread() &&
           WaitForThreadFunction(*m_thread, milliseconds) == WAIT_OBJECT_0;
}

unsigned int Job::Result() const {
    const DWORD code = m_thread ? ThreadFunctionResult(*m_thread) : STILL_ACTIVE;
    return code == STILL_ACTIVE ? kZero : code;
}

unsigned int Job::ProgressPercent() const {
    if (!InTransferPhase()) {
        return 0;
    }
    const std::uint64_t total = m_nTotalBytes.load(std::memory_order_relaxed);
    if (total == 0) {
        return 0;
    }
    const std::uint64_t sent = m_nBytesSent.load(std::memory_order_relaxed);
    // 64-bit: sent × 100 stays exact for any size a file system holds.
    return static_cast<unsigned int>(sent * 100 / total);
}

void Job::EndTransferPhase() {
    m_bActive.store(false);
    Notify();
}

void Job::BeginSend() {
    m_nBytesSent.store(0, std::memory_order_relaxed);
    m_bSendBegun.store(true);
    Notify();
}

void Job::AddBytesSent(std::uint64_t bytes) {
    m_nBytesSent.fetch_add(bytes, std::memory_order_relaxed);
    Notify();
}

void Job::Resuming() {
    m_nResumedAt.store(m_nBytesSent.load(std::memory_order_relaxed));
    m_nResumes.fetch_add(1);
    Notify();
}

unsigned int Job::RunWorker() noexcept {
    // The thread is new, so its failure reason starts empty: what it holds at the end is the
    // worker's own.
    vanta::Result<void> outcome;
    // An exception leaving a thread function would end the whole process.
    try {
        // The trace as it stands when the worker starts, for the whole job.
        const CallContext context{*m_config, Status(), this};
        outcome = m_work.run(*this, context);
    } catch (...) {
        outcome = JobFailed(vanta::ErrorCategory::network, kWorkerFailure, job_failure::kTransfer);
    }
    if (outcome) {
        return kSuccess;
    }
    const vanta::Error& failure = outcome.error();
    const bool recorded = !FailureReason().empty();
    m_workerFailureKind = recorded ? LastFailureKind() : KindOfJobFailure(failure.category);
    try {
        m_workerFailureReason = recorded ? FailureReason() : failure.reason;
        vanta::Error error{failure.category, failure.code, m_workerFailureReason, {}};
        // A cancel is described as one, unless the roll-back has to say what stayed.
        if (error.reason.empty() ||
            (failure.category == vanta::ErrorCategory::cancelled && !m_bLeftBehind)) {
            error.reason = std::string(m_work.doing) + ": " + failure.reason;
        }
        if (m_bLeftBehind && m_bRegistered) {
            error.asset_number = m_strAssetNum.str();
        }
        m_failure = std::move(error);
    } catch (...) {
        // No memory for the texts: the code still tells the failure.
        m_failure = JobFailed(failure.category, failure.code, "");
    }
    return failure.code;
}

UINT Job::ThreadMain(LPVOID self) {
    auto* job = static_cast<Job*>(self);
    const unsigned int result = job->RunWorker();
    // A detached job's owner goes last, on this thread, and may take the job with it: nothing
    // below may touch the job.
    if (std::shared_ptr<void> owner = std::move(job->m_detachedOwner)) {
        owner.reset();
        DetachedWorkers& workers = Detached();
        {
            std::lock_guard lock(workers.mutex);
            --workers.running;
        }
        workers.ended.notify_all();
    }
    return result;
}

} // namespace vanta::internal
