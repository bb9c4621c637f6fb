#include "jobs/job.h"

#include "jobs/job_failure.h"
#include "os/cfile.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>

using namespace vanta::result;

namespace vanta::internal {

std::vector<JobRecipient> CopyRecipients(const CObList& list) {
    std::vector<JobRecipient> copies;
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        if (const auto* entry = dynamic_cast<const QDX_CRecipient*>(list.GetNext(pos))) {
            copies.push_back({entry->m_strEmail, entry->m_nViewType, entry->m_strName});
        }
    }
    return copies;
}

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

Job::Job(JobArguments arguments, Worker worker)
    : m_strUserId(std::move(arguments.userId)), m_strAssetName(std::move(arguments.assetName)),
      m_strDescription(std::move(arguments.description)), m_nProductNum(arguments.productNum),
      m_nAssetType(arguments.assetType), m_files(std::move(arguments.files)),
      m_recipients(std::move(arguments.recipients)), m_pfnCallback(arguments.callback),
      m_strPassword(std::move(arguments.password)), m_worker(worker),
      m_observer(arguments.observer) {}

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
    workers.ended.wait(lock, [&] { return workers.running == 0; });
}

Job::~Job() {
    if (Running()) {
        RequestCancel();
        if (!OnWorkerThread()) {
            WaitForSingleObject(m_thread->m_hThread, INFINITE);
        }
    }
}

bool Job::OnWorkerThread() const {
    return m_thread && GetThreadId(m_thread->m_hThread) == GetCurrentThreadId();
}

void Job::Detach(std::shared_ptr<void> owner) {
    RequestCancel();
    if (m_detachedOwner || !OnWorkerThread()) {
        return;
    }
    {
        std::lock_guard lock(Detached().mutex);
        ++Detached().running;
    }
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
    DWORD code = 0;
    return m_thread && GetExitCodeThread(m_thread->m_hThread, &code) && code == STILL_ACTIVE;
}

bool Job::WaitForEnd(DWORD milliseconds) const {
    // The worker cannot end while it waits for itself.
    return m_thread && !OnWorkerThread() &&
           WaitForSingleObject(m_thread->m_hThread, milliseconds) == WAIT_OBJECT_0;
}

unsigned int Job::Result() const {
    DWORD code = 0;
    if (!m_thread || !GetExitCodeThread(m_thread->m_hThread, &code) || code == STILL_ACTIVE) {
        return kZero;
    }
    return code;
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

UINT Job::ThreadMain(LPVOID self) {
    auto* job = static_cast<Job*>(self);
    // The thread is new, so its failure reason starts empty: what it holds at the end is the
    // worker's own.
    unsigned int result = kWorkerFailure;
    // An exception leaving a thread function would end the whole process.
    try {
        result = job->m_worker(*job);
    } catch (...) {
    }
    if (result != kSuccess) {
        const JobFailureDescription byCode = DescribeJobFailure(result);
        const bool recorded = !FailureReason().empty();
        job->m_workerFailureKind = recorded ? LastFailureKind() : byCode.kind;
        try {
            job->m_workerFailureReason = recorded ? FailureReason() : byCode.text;
        } catch (...) {
            // No memory for the copy: the owner describes the failure by its code.
        }
    }
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
